#pragma once

#include <QIcon>
#include <QList>
#include <QSize>
#include <QString>
#include <functional>

// An image list: pictures of one size, numbered from 1 in the order they stand in the list.
// Views look pictures up by number when they paint, so a list can be emptied and refilled
// while views hold on to it.
//
// A picture may also be added by a key alone and made by the list's maker whenever it is
// asked for: a list of a hundred thousand programs then holds a name per picture rather than
// a picture object per program, and builds and frees as fast as a list of names.
class ImageList {
public:
    // Makes picture number `index`, added with `key`.
    using Maker = std::function<QIcon(int index, const QString& key)>;

    explicit ImageList(QSize imageSize) : mImageSize(imageSize) {}

    QSize ImageSize() const { return mImageSize; }
    int Count() const { return static_cast<int>(mPictures.size()); }
    // Puts `picture` at number `index`; the pictures from there on move up by one. An index
    // of 0 appends. Returns the picture's number. Throws OrvError 35600 ("Index out of
    // bounds") for a number beyond Count() + 1.
    int Add(const QIcon& picture, int index = 0);
    // As Add, for the picture the maker makes of `key`.
    int AddMade(const QString& key, int index = 0);
    // Makes the pictures added by key; Clear() lets go of it.
    void SetMaker(Maker maker) { mMaker = std::move(maker); }
    // The picture numbered `index`, or a null icon when there is none.
    QIcon Item(int index) const;
    void Remove(int index);
    void Clear() {
        mPictures.clear();
        mMaker = nullptr;
    }

private:
    struct Entry {
        QIcon picture;
        QString key; // made by mMaker when `made`
        bool made = false;
    };
    int Insert(Entry entry, int index);

    QSize mImageSize;
    QList<Entry> mPictures;
    Maker mMaker;
};
