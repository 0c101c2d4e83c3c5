#pragma once

#include <QImage>
#include <QPoint>
#include <QSizeF>

// A picture object as the resource routines hand it around: its kind and its image. The
// kinds keep the numbers that the preview's "Type: " line reads.
enum class PictureType { None = 0, Bitmap = 1, Metafile = 2, Icon = 3, EnhMetafile = 4 };

struct StdPicture {
    PictureType Type = PictureType::None;
    QImage image;
    QPoint hotSpot; // cursors only

    // Width and height in screen pixels; fractional for an image of a higher pixel density.
    QSizeF SizeInPixels() const { return image.deviceIndependentSize(); }
};
