#pragma once

#include <QIcon>
#include <QList>
#include <QSize>

// An image list: pictures of one size, numbered from 1 in the order they stand in the list.
// Views look pictures up by number when they paint, so a list can be emptied and refilled
// while views hold on to it.
class ImageList {
public:
    explicit ImageList(QSize imageSize) : mImageSize(imageSize) {}

    QSize ImageSize() const { return mImageSize; }
    int Count() const { return static_cast<int>(mPictures.size()); }
    // Puts `picture` at number `index`; the pictures from there on move up by one. An index
    // of 0 appends. Returns the picture's number. Throws OrvError 35600 ("Index out of
    // bounds") for a number beyond Count() + 1.
    int Add(const QIcon& picture, int index = 0);
    // The picture numbered `index`, or a null icon when there is none.
    QIcon Item(int index) const;
    void Remove(int index);
    void Clear() { mPictures.clear(); }

private:
    QSize mImageSize;
    QList<QIcon> mPictures;
};
