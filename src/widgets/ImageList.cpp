#include "widgets/ImageList.h"

#include "platform/OrvError.h"
#include "platform/Text.h"

namespace {
constexpr long kIndexOutOfBounds = 35600;
}

int ImageList::Add(const QIcon& picture, int index) {
    if (index == 0) {
        mPictures.append(picture);
        return Count();
    }
    if (index < 1 || index > Count() + 1)
        throw OrvError(kIndexOutOfBounds, QStringLiteral("Index out of bounds"),
                       QStringLiteral("ImageList"));
    mPictures.insert(index - 1, picture);
    return index;
}

QIcon ImageList::Item(int index) const {
    if (index < 1 || index > Count())
        return {};
    return ::Item(mPictures, index);
}

void ImageList::Remove(int index) {
    if (index < 1 || index > Count())
        throw OrvError(kIndexOutOfBounds, QStringLiteral("Index out of bounds"),
                       QStringLiteral("ImageList"));
    mPictures.removeAt(index - 1);
}
