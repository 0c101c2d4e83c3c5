#pragma once

// Hand-made PE images for the tests of the resource reader and of what is built on it, and
// what those tests share.

#include "support/DataRow.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTest>
#include <QtEndian>

namespace CraftedPe {

// The windres-built fixtures; empty when the build lacked the tools to make them.
inline const QString kFixtures = QStringLiteral(ORV_RES_FIXTURES);
inline constexpr char kNoFixtures[] =
    "PE fixtures not built: x86_64-w64-mingw32-windres/ld or cpp missing; run scripts/bootstrap "
    "(package binutils-mingw-w64-x86-64) and configure again";

inline void Put16(QByteArray& b, qsizetype at, quint16 v) {
    if (b.size() < at + 2)
        b.resize(at + 2, '\0');
    qToLittleEndian(v, b.data() + at);
}
inline void Put32(QByteArray& b, qsizetype at, quint32 v) {
    if (b.size() < at + 4)
        b.resize(at + 4, '\0');
    qToLittleEndian(v, b.data() + at);
}

template <typename T> T Get(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<T>(b.constData() + at);
}

// File offset of the .rsrc section of an image (0 when there is none).
inline qsizetype RsrcOffset(const QByteArray& pe) {
    const quint32 peAt = Get<quint32>(pe, 0x3C);
    const int sections = Get<quint16>(pe, peAt + 6);
    const qsizetype table = peAt + 24 + Get<quint16>(pe, peAt + 20);
    for (int i = 0; i < sections; ++i)
        if (pe.mid(table + 40 * i, 8) == QByteArray(".rsrc\0\0\0", 8))
            return Get<quint32>(pe, table + 40 * i + 20);
    return 0;
}

// File offsets of the section header of .rsrc and of the resource directory's size field.
constexpr qsizetype kSectionHeader = 0x58 + 240;
constexpr qsizetype kResourceDirectorySize = 0x58 + 112 + 20;

// A minimal PE32+ image: headers in the first 0x200 bytes and one section, .rsrc, at RVA
// 0x1000 and file offset 0x200, holding `rsrc`.
inline QByteArray MiniImage(const QByteArray& rsrc) {
    QByteArray f(0x200, '\0');
    f[0] = 'M';
    f[1] = 'Z';
    Put32(f, 0x3C, 0x40);
    f.replace(0x40, 4, QByteArray("PE\0\0", 4));
    Put16(f, 0x44, 0x8664);
    Put16(f, 0x46, 1);
    Put16(f, 0x54, 240);
    Put16(f, 0x56, 0x22);
    Put16(f, 0x58, 0x20B);
    Put32(f, 0x58 + 108, 16);
    Put32(f, 0x58 + 112 + 16, 0x1000);
    Put32(f, kResourceDirectorySize, quint32(rsrc.size()));
    f.replace(kSectionHeader, 6, QByteArray(".rsrc\0", 6));
    const quint32 raw = quint32((rsrc.size() + 0x1FF) & ~0x1FF);
    Put32(f, kSectionHeader + 8, quint32(rsrc.size()));
    Put32(f, kSectionHeader + 12, 0x1000);
    Put32(f, kSectionHeader + 16, raw);
    Put32(f, kSectionHeader + 20, 0x200);
    QByteArray body = rsrc;
    body.resize(raw, '\0');
    return f + body;
}

// Writes an image with one resource, type `type` and number `id` in US English, whose
// directory claims `claimed` bytes of data (at most 0xFFFFFE00). The section is made as long
// as the claim, so the claim is valid; the file is extended without writing (sparse), so a
// claim of gigabytes costs no disk space and only a reader that reads it all is slow.
inline bool WriteClaimingImage(const QString& path, quint16 type, quint16 id, quint32 claimed) {
    QByteArray r;
    Put16(r, 0x0E, 1);
    Put32(r, 0x10, type);
    Put32(r, 0x14, 0x80000018);
    Put16(r, 0x18 + 14, 1);
    Put32(r, 0x28, id);
    Put32(r, 0x2C, 0x80000030);
    Put16(r, 0x30 + 14, 1);
    Put32(r, 0x40, 0x409);
    Put32(r, 0x44, 0x48);
    Put32(r, 0x48, 0x1100); // data entry: RVA, size
    Put32(r, 0x4C, claimed);
    r.resize(0x100, '\0');
    QByteArray image = MiniImage(r);
    const quint32 section = 0x100 + claimed;
    Put32(image, kSectionHeader + 8, section);
    Put32(image, kSectionHeader + 16, section);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(image) == image.size() &&
           file.resize(0x200 + qint64(section));
}

} // namespace CraftedPe
