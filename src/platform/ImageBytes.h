#pragma once

#include <QByteArray>
#include <QImage>

class QIODevice;

// Pictures whose format the program knows or can tell from their first bytes. Qt, even told
// a format, first asks every image plugin whether it reads it, and so loads them all (the SVG
// one pulls in the whole SVG library): a few milliseconds of every start. Read through here,
// only the one reader the format needs is used.
namespace ImageBytes {

// "bmp", "png", "gif", "jpeg" or "ico" by the bytes' signature; empty when none matches.
QByteArray Format(const QByteArray& bytes);
// The picture on `device` in `format` alone; a null image when it is not one.
QImage Read(QIODevice& device, const QByteArray& format);
// The picture in `bytes`, by its signature when it has a known one, else as Qt recognises it;
// a null image when nothing reads it.
QImage Decode(const QByteArray& bytes);

} // namespace ImageBytes
