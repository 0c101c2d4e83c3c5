#include "widgets/ImageList.h"

#include "platform/OrvError.h"

namespace {
constexpr long kIndexOutOfBounds = 35600;

[[noreturn]] void OutOfBounds() {
    throw OrvError(kIndexOutOfBounds, QStringLiteral("Index out of bounds"),
                   QStringLiteral("ImageList"));
}
} // namespace

int ImageList::Insert(Entry entry, int index) {
    if (index == 0) {
        mPictures.append(std::move(entry));
        return Count();
    }
    if (index < 1 || index > Count() + 1)
        OutOfBounds();
    mPictures.insert(index - 1, std::move(entry));
    return index;
}

int ImageList::Add(const QIcon& picture, int index) {
    return Insert({picture, QString(), false}, index);
}

int ImageList::AddMade(const QString& key, int index) {
    return Insert({QIcon(), key, true}, index);
}

QIcon ImageList::Item(int index) const {
    if (index < 1 || index > Count())
        return {};
    const Entry& entry = mPictures.at(index - 1);
    if (!entry.made)
        return entry.picture;
    return mMaker ? mMaker(index, entry.key) : QIcon();
}

void ImageList::Remove(int index) {
    if (index < 1 || index > Count())
        OutOfBounds();
    mPictures.removeAt(index - 1);
}
