#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Pictures of the catalogue (program icons, theme logos): decoding the stored bytes and
// writing the BMP files that the windows load. Private to CatalogStore; the tests use it.

// Decodes picture bytes in any format Qt reads. ICO files are decoded even when Qt's ico
// image plugin is missing (the first image of the file, as the plugin reads it). A null
// image when the bytes are not a picture.
QImage DecodeCatalogPicture(const QByteArray& bytes);

// The first image of an ICO file decoded without Qt's ico plugin, as an icon resource is (see
// ResourceImages::FromIconResource): a PNG image, or an uncompressed DIB of 1, 4, 8, 16, 24
// or 32 bits (a 32-bit DIB with alpha values keeps them; the others take their transparency
// from the AND mask). A null image when the bytes are not such an icon.
QImage DecodeIcoImage(const QByteArray& bytes);

// The largest image of an ICO file with several (by size, then colour depth), decoded as
// DecodeIcoImage decodes the first: a window at 150 % or 200 % draws an icon from it rather
// than enlarging the first image. A null image when the bytes are not an icon file or its
// first image is already the largest.
QImage DecodeLargestIcoImage(const QByteArray& bytes);

// Writes `image` as a BMP to `file` atomically (a reader never sees half a file), readable
// by its owner only, creating the directory (private to its owner) when needed: 24 bits for an
// opaque image, 32 bits with an alpha channel (a BITMAPV4HEADER with bit fields) for one with
// transparency. A file that already holds exactly those bytes, privately, is left as it is.
// False when nothing could be written.
bool WriteCatalogBmp(const QImage& image, const QString& file);
