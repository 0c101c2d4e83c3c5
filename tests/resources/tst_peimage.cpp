// The PE resource reader: the windres-built fixtures, Windows executables shipped in Debian
// packages (checked against objdump), crafted and damaged images, and a 15 MB DLL.

#include "CraftedPe.h"
#include "ResourceFixtures.h"
#include "platform/PeImage.h"
#include "support/TestFiles.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <functional>

namespace {

const QString kFixtures = QStringLiteral(ORV_RES_FIXTURES);
using CraftedPe::MiniImage;
using CraftedPe::Put16;
using CraftedPe::Put32;

quint32 Get32(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<quint32>(b.constData() + at);
}
quint16 Get16(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<quint16>(b.constData() + at);
}

// One line per language of every resource: "type/name/language size", in directory order.
QStringList Listing(const PeImage& image) {
    QStringList lines;
    for (const auto& type : image.ResourceTypes())
        for (const auto& name : type.names)
            for (const auto& leaf : name.languages)
                lines << QStringLiteral("%1/%2/%3 %4")
                             .arg(type.id.ToString(), name.id.ToString())
                             .arg(leaf.language)
                             .arg(leaf.size);
    return lines;
}

// The image data of each entry of an .ico file, in order.
QList<QByteArray> IcoImages(const QByteArray& ico) {
    QList<QByteArray> images;
    for (int i = 0; i < Get16(ico, 4); ++i)
        images << ico.mid(Get32(ico, 6 + 16 * i + 12), Get32(ico, 6 + 16 * i + 8));
    return images;
}

// File offset of the .rsrc section of an image (0 when there is none).
qsizetype RsrcOffset(const QByteArray& pe) {
    const quint32 peAt = Get32(pe, 0x3C);
    const int sections = Get16(pe, peAt + 6);
    const qsizetype table = peAt + 24 + Get16(pe, peAt + 20);
    for (int i = 0; i < sections; ++i)
        if (pe.mid(table + 40 * i, 8) == QByteArray(".rsrc\0\0\0", 8))
            return Get32(pe, table + 40 * i + 20);
    return 0;
}

// The resource directory of the crafted images: type 3 with the names "AB" and 7, each in
// one language, with the data "abcd" and "wxyz". Offsets are noted for the mutations.
QByteArray BaselineRsrc() {
    QByteArray r;
    Put16(r, 0x0E, 1);          // root: one numbered type
    Put32(r, 0x10, 3);          //   type 3
    Put32(r, 0x14, 0x80000018); //   -> name directory at 0x18
    Put16(r, 0x18 + 12, 1);     // names: one named
    Put16(r, 0x18 + 14, 1);     //        one numbered
    Put32(r, 0x28, 0x80000090); //   name "AB" at 0x90
    Put32(r, 0x2C, 0x80000040); //   -> language directory at 0x40
    Put32(r, 0x30, 7);          //   name 7
    Put32(r, 0x34, 0x80000058); //   -> language directory at 0x58
    Put16(r, 0x40 + 14, 1);     // languages of AB
    Put32(r, 0x50, 0x409);      //   -> data entry at 0x70
    Put32(r, 0x54, 0x70);
    Put16(r, 0x58 + 14, 1); // languages of 7
    Put32(r, 0x68, 0);      //   -> data entry at 0x80
    Put32(r, 0x6C, 0x80);
    Put32(r, 0x70, 0x10A0); // data entry: RVA, size
    Put32(r, 0x74, 4);
    Put32(r, 0x80, 0x10A4);
    Put32(r, 0x84, 4);
    Put16(r, 0x90, 2); // the name "AB"
    Put16(r, 0x92, 'A');
    Put16(r, 0x94, 'B');
    r.resize(0xA0, '\0');
    r += "abcdwxyz";
    return r;
}

using Mutation = std::function<void(QByteArray& image)>;
constexpr qsizetype R = 0x200; // file offset of the crafted .rsrc

} // namespace

Q_DECLARE_METATYPE(Mutation)

class tst_peimage : public QObject {
    Q_OBJECT

private slots:
    void init();
    void resourceIds_data();
    void resourceIds();
    void fixtureTree();
    void pe32MatchesPe32Plus();
    void dataMatchesInputs();
    void craftedImages_data();
    void craftedImages();
    void preferredLanguage_data();
    void preferredLanguage();
    void notImages_data();
    void notImages();
    void everyTruncationIsRefused_data();
    void everyTruncationIsRefused();
    void flippedDirectoryBytesStayInsideTheFile();
    void damagedIconLeavesTheOthers_data();
    void damagedIconLeavesTheOthers();
    void fileShrunkAfterOpening();
    void bigDllReadsInMilliseconds();
    void debianWindowsExecutables();
};

void tst_peimage::init() {
    const QString test = QString::fromLatin1(QTest::currentTestFunction());
    const bool needsFixtures = test != QLatin1String("resourceIds") &&
                               test != QLatin1String("craftedImages") &&
                               test != QLatin1String("preferredLanguage") &&
                               test != QLatin1String("debianWindowsExecutables");
    if (needsFixtures && kFixtures.isEmpty())
        QFAIL("PE fixtures not built: x86_64-w64-mingw32-windres/ld or cpp missing; run "
              "scripts/bootstrap (package binutils-mingw-w64-x86-64) and configure again");
}

void tst_peimage::resourceIds_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isName");
    QTest::addColumn<int>("number");
    QTest::newRow("number") << "#101" << false << 101;
    QTest::newRow("zero") << "#0" << false << 0;
    QTest::newRow("largest") << "#65535" << false << 65535;
    QTest::newRow("too large") << "#65536" << true << 0;
    QTest::newRow("hash alone") << "#" << true << 0;
    QTest::newRow("sign") << "#+5" << true << 0;
    QTest::newRow("letters") << "#1a" << true << 0;
    QTest::newRow("space") << "# 1" << true << 0;
    QTest::newRow("plain digits are a name") << "101" << true << 0;
    QTest::newRow("name") << "APPICON" << true << 0;
}

void tst_peimage::resourceIds() {
    QFETCH(QString, text);
    QFETCH(bool, isName);
    QFETCH(int, number);
    const PeResourceId id = PeResourceId::FromString(text);
    QCOMPARE(id.isName, isName);
    if (isName) {
        QCOMPARE(id.name, text);
        QCOMPARE(id.ToString(), text);
    } else {
        QCOMPARE(int(id.id), number);
        QCOMPARE(id.ToString(), text);
    }
    // Names compare as the loader does: ASCII letters without case, nothing else folded.
    QVERIFY(PeResourceId::Name("AppIcon").Matches(PeResourceId::Name("APPICON")));
    QVERIFY(!PeResourceId::Name(QStringLiteral("\u00e4"))
                 .Matches(PeResourceId::Name(QStringLiteral("\u00c4"))));
    QVERIFY(!PeResourceId::Name("#3").Matches(PeResourceId::Number(3)));
}

void tst_peimage::fixtureTree() {
    QString error;
    const auto image = PeImage::Open(kFixtures + "/icons.exe", &error);
    QVERIFY2(image, qPrintable(error));
    QVERIFY(image->IsPe32Plus());
    QCOMPARE(image->Machine(), quint16(0x8664));

    QStringList types;
    for (const auto& type : image->ResourceTypes())
        types << type.id.ToString();
    // Named types first, then numbers in ascending order, as the linker sorts them.
    QCOMPARE(types, QStringList({"PNG", "#1", "#2", "#3", "#12", "#14"}));

    const PeResourceType* icons = image->FindType(PeResourceId::Number(3));
    QVERIFY(icons);
    QStringList names;
    for (const auto& name : icons->names)
        names << name.id.ToString();
    // Each ICON statement gives one numbered image per size: 4 for #1, 4 for APPICON.
    QCOMPARE(names, QStringList({Fixture::kUnicodeIconName, "NAMEDICON", "#1", "#2", "#3", "#4",
                                 "#5", "#6", "#7", "#8", "#300", "#301"}));
    for (const auto& name : icons->names) {
        QCOMPARE(name.languages.size(), 1);
        QCOMPARE(name.languages.first().language, quint16(0x409));
    }
    const PeResourceType* groups = image->FindType(PeResourceId::Number(14));
    QVERIFY(groups);
    QCOMPARE(groups->names.size(), 2);
    QCOMPARE(groups->names.at(0).id.ToString(), QStringLiteral("APPICON"));
    QCOMPARE(groups->names.at(1).id.ToString(), QStringLiteral("#1"));
    // Lookups by the loader's spelling, names without regard to case.
    QVERIFY(image->FindName(*icons, PeResourceId::FromString("namedicon")));
    QVERIFY(image->FindName(*icons, PeResourceId::FromString("#300")));
    QVERIFY(!image->FindName(*icons, PeResourceId::FromString("#9")));
    QVERIFY(!image->FindType(PeResourceId::Name("3")));

    const auto noIcons = PeImage::Open(kFixtures + "/noicons.exe", &error);
    QVERIFY2(noIcons, qPrintable(error));
    QVERIFY(!noIcons->FindType(PeResourceId::Number(3)));
    QCOMPARE(noIcons->ResourceTypes().size(), 2);
}

void tst_peimage::pe32MatchesPe32Plus() {
    if (!QFile::exists(kFixtures + "/icons32.exe"))
        QFAIL("icons32.exe not built: i686-w64-mingw32-windres/ld missing; run "
              "scripts/bootstrap (package binutils-mingw-w64-i686) and configure again");
    QString error;
    const auto pe32 = PeImage::Open(kFixtures + "/icons32.exe", &error);
    QVERIFY2(pe32, qPrintable(error));
    const auto pe64 = PeImage::Open(kFixtures + "/icons.exe", &error);
    QVERIFY(pe64);
    QVERIFY(!pe32->IsPe32Plus());
    QCOMPARE(pe32->Machine(), quint16(0x14C));
    QCOMPARE(Listing(*pe32), Listing(*pe64));
    const auto* named32 =
        pe32->FindName(*pe32->FindType(PeResourceId::Number(3)), PeResourceId::Name("NAMEDICON"));
    QCOMPARE(pe32->ReadResource(named32->languages.first()).value(),
             ReadAll(kFixtures + "/named.dib"));
}

void tst_peimage::dataMatchesInputs() {
    const auto image = PeImage::Open(kFixtures + "/icons.exe");
    QVERIFY(image);
    const auto* icons = image->FindType(PeResourceId::Number(3));
    const QList<QByteArray> ico = IcoImages(ReadAll(kFixtures + "/app.ico"));
    QCOMPARE(ico.size(), int(Fixture::kAppIcon.size()));
    auto bytes = [&](const QString& name) {
        const auto* found = image->FindName(*icons, PeResourceId::FromString(name));
        return found ? image->ReadResource(*PeImage::PreferredLanguage(*found))
                     : std::optional<QByteArray>();
    };
    for (int i = 0; i < ico.size(); ++i) {
        QCOMPARE(bytes(QStringLiteral("#%1").arg(i + 1)).value(), ico.at(i)); // group #1
        QCOMPARE(bytes(QStringLiteral("#%1").arg(i + 5)).value(), ico.at(i)); // APPICON
    }
    QCOMPARE(bytes("NAMEDICON").value(), ReadAll(kFixtures + "/named.dib"));
    QCOMPARE(bytes(Fixture::kUnicodeIconName).value(), ReadAll(kFixtures + "/named.dib"));
    QCOMPARE(bytes("#301").value(), Fixture::kGarbageBytes);
    const auto empty = bytes("#300");
    QVERIFY(empty && empty->isEmpty());
    const auto* logo =
        image->FindName(*image->FindType(PeResourceId::Name("png")), PeResourceId::Name("LOGO"));
    QCOMPARE(image->ReadResource(logo->languages.first()).value(),
             ReadAll(kFixtures + "/logo.png"));
}

void tst_peimage::craftedImages_data() {
    QTest::addColumn<Mutation>("mutate");
    QTest::addColumn<bool>("refused");
    // What is left of the baseline's two resources, and how many entries were left out.
    QTest::addColumn<QStringList>("listing");
    QTest::addColumn<int>("skipped");
    auto at32 = [](qsizetype offset, quint32 value) {
        return Mutation([=](QByteArray& f) { Put32(f, offset, value); });
    };
    auto at16 = [](qsizetype offset, quint16 value) {
        return Mutation([=](QByteArray& f) { Put16(f, offset, value); });
    };
    const QStringList both{"#3/AB/1033 4", "#3/#7/0 4"};
    const QStringList onlyAB{"#3/AB/1033 4"};
    const QStringList only7{"#3/#7/0 4"};
    const QStringList none;
    const QStringList refused;
    QTest::newRow("baseline") << Mutation([](QByteArray&) {}) << false << both << 0;

    // The headers: nothing of the file can be trusted.
    QTest::newRow("no MZ") << at16(0, 0x5A4E) << true << refused << 0;
    QTest::newRow("PE header offset beyond the file")
        << at32(0x3C, 0xFFFFFFF0) << true << refused << 0;
    QTest::newRow("PE header offset at the last byte") << at32(0x3C, 0x3FF) << true << refused << 0;
    QTest::newRow("no PE signature") << at32(0x40, 0x00004550 ^ 0x100) << true << refused << 0;
    QTest::newRow("ROM image magic") << at16(0x58, 0x107) << true << refused << 0;
    QTest::newRow("optional header beyond the file") << at16(0x54, 0xFFFF) << true << refused << 0;
    QTest::newRow("optional header too short") << at16(0x54, 100) << true << refused << 0;
    QTest::newRow("section table beyond the file") << at16(0x46, 0xFFFF) << true << refused << 0;
    QTest::newRow("section data beyond the file")
        << at32(0x148 + 16, 0x400) << true << refused << 0;
    QTest::newRow("section pointer and size wrap 32 bits") << Mutation([](QByteArray& f) {
        Put32(f, 0x148 + 20, 0xFFFFFE00);
        Put32(f, 0x148 + 16, 0x400);
    }) << true << refused << 0;
    QTest::newRow("no resource directory") << at32(0x58 + 112 + 16, 0) << false << none << 0;
    QTest::newRow("two data directories only") << at32(0x58 + 108, 2) << false << none << 0;

    // The root of the resource directory: no entry can be reached.
    QTest::newRow("resource directory outside every section")
        << at32(0x58 + 112 + 16, 0x5000) << true << refused << 0;
    QTest::newRow("entry count beyond the section")
        << at16(R + 0x0E, 0xFFFF) << true << refused << 0;

    // One damaged entry: it goes with what hangs below it, the rest stays.
    QTest::newRow("type points back to the root")
        << at32(R + 0x14, 0x80000000) << false << none << 1;
    QTest::newRow("type is a data entry") << at32(R + 0x14, 0x70) << false << none << 1;
    QTest::newRow("subdirectory beyond the section")
        << at32(R + 0x14, 0x80FFFFF0) << false << none << 1;
    QTest::newRow("subdirectory at the 31-bit limit")
        << at32(R + 0x14, 0xFFFFFFFF) << false << none << 1;
    QTest::newRow("name points to its own directory")
        << at32(R + 0x34, 0x80000018) << false << onlyAB << 1;
    QTest::newRow("two names share a language directory")
        << at32(R + 0x34, 0x80000040) << false << onlyAB << 1;
    QTest::newRow("name is a data entry") << at32(R + 0x34, 0x80) << false << onlyAB << 1;
    QTest::newRow("number wider than 16 bits")
        << at32(R + 0x30, 0x00010007) << false << onlyAB << 1;
    QTest::newRow("name beyond the section") << at32(R + 0x28, 0x8000FFF0) << false << only7 << 1;
    QTest::newRow("name longer than the section") << at16(R + 0x90, 0xFFFF) << false << only7 << 1;
    QTest::newRow("language is a directory (fourth level)")
        << at32(R + 0x54, 0x80000058) << false << only7 << 1;
    QTest::newRow("language is a name") << at32(R + 0x50, 0x80000090) << false << only7 << 1;
    QTest::newRow("data entry beyond the section")
        << at32(R + 0x54, 0x7FFFFF00) << false << only7 << 1;
    QTest::newRow("data RVA and size wrap 32 bits") << Mutation([](QByteArray& f) {
        Put32(f, R + 0x70, 0xFFFFFFF0);
        Put32(f, R + 0x74, 0x20);
    }) << false << only7 << 1;
    QTest::newRow("data size beyond the section")
        << at32(R + 0x74, 0x7FFFFFFF) << false << only7 << 1;
    QTest::newRow("data RVA before the section") << at32(R + 0x70, 0x800) << false << only7 << 1;
    QTest::newRow("data ends exactly at the section end")
        << at32(R + 0x74, 0x200 - 0xA0) << false << QStringList{"#3/AB/1033 352", "#3/#7/0 4"} << 0;
    QTest::newRow("data one byte past the section end")
        << at32(R + 0x74, 0x200 - 0xA0 + 1) << false << only7 << 1;
    QTest::newRow("both resources damaged") << Mutation([](QByteArray& f) {
        Put32(f, R + 0x74, 0x7FFFFFFF);
        Put32(f, R + 0x84, 0x7FFFFFFF);
    }) << false << none << 2;
    // A second section without file data whose raw pointer lies far beyond the file.
    auto virtualSection = [](QByteArray& f) {
        Put16(f, 0x46, 2);
        f.replace(0x170, 6, QByteArray(".bss\0\0", 6));
        Put32(f, 0x170 + 8, 0x1000);
        Put32(f, 0x170 + 12, 0x2000);
        Put32(f, 0x170 + 16, 0);
        Put32(f, 0x170 + 20, 0xFFFF0000);
    };
    QTest::newRow("data in a section without file data") << Mutation([=](QByteArray& f) {
        virtualSection(f);
        Put32(f, R + 0x70, 0x2000);
    }) << false << only7 << 1;
    QTest::newRow("empty data in a section without file data") << Mutation([=](QByteArray& f) {
        virtualSection(f);
        Put32(f, R + 0x70, 0x2000);
        Put32(f, R + 0x74, 0);
    }) << false << QStringList{"#3/AB/1033 0", "#3/#7/0 4"} << 0;
    QTest::newRow("empty data outside every section") << Mutation([](QByteArray& f) {
        Put32(f, R + 0x70, 0x7FFF0000);
        Put32(f, R + 0x74, 0);
    }) << false << QStringList{"#3/AB/1033 0", "#3/#7/0 4"}
                                                      << 0;
    QTest::newRow("empty data at the section end") << Mutation([](QByteArray& f) {
        Put32(f, R + 0x70, 0x1200);
        Put32(f, R + 0x74, 0);
    }) << false << QStringList{"#3/AB/1033 0", "#3/#7/0 4"}
                                                   << 0;
}

void tst_peimage::craftedImages() {
    QFETCH(Mutation, mutate);
    QFETCH(bool, refused);
    QFETCH(QStringList, listing);
    QFETCH(int, skipped);
    QByteArray file = MiniImage(BaselineRsrc());
    mutate(file);
    QString error;
    const auto image = PeImage::FromBytes(file, &error);
    QCOMPARE(!image, refused);
    if (refused) {
        QVERIFY(!error.isEmpty());
        return;
    }
    QCOMPARE(Listing(*image), listing);
    QCOMPARE(image->SkippedEntries(), skipped);
    for (const auto& type : image->ResourceTypes())
        for (const auto& name : type.names)
            for (const auto& leaf : name.languages) {
                QVERIFY(leaf.fileOffset + leaf.size <= quint64(file.size()));
                QCOMPARE(image->ReadResource(leaf)->size(), qsizetype(leaf.size));
            }
    // The good resource keeps its bytes.
    if (const auto* icons = image->FindType(PeResourceId::Number(3)))
        if (const auto* seven = image->FindName(*icons, PeResourceId::Number(7)))
            QCOMPARE(image->ReadResource(seven->languages.first()).value(), QByteArray("wxyz"));
}

void tst_peimage::preferredLanguage_data() {
    QTest::addColumn<QList<int>>("languages");
    QTest::addColumn<int>("chosen");
    QTest::newRow("neutral first") << QList<int>{0x407, 0x409, 0} << 0;
    QTest::newRow("neutral default") << QList<int>{0x407, 0x400, 0x409} << 0x400;
    QTest::newRow("system default") << QList<int>{0x407, 0x800, 0x409} << 0x800;
    QTest::newRow("US English") << QList<int>{0x407, 0x409} << 0x409;
    QTest::newRow("first listed") << QList<int>{0x407, 0x40C} << 0x407;
}

void tst_peimage::preferredLanguage() {
    QFETCH(QList<int>, languages);
    QFETCH(int, chosen);
    PeResourceName name;
    for (int language : languages)
        name.languages.append(PeResourceLeaf{quint16(language), 0, 0, 0, 0});
    QCOMPARE(int(PeImage::PreferredLanguage(name)->language), chosen);
    QVERIFY(!PeImage::PreferredLanguage(PeResourceName{}));
}

void tst_peimage::notImages_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing file") << "missing";
    QTest::newRow("directory") << "directory";
    QTest::newRow("text file") << "text";
    QTest::newRow("empty file") << "empty";
    QTest::newRow("MZ alone") << "mz";
    QTest::newRow("empty name") << "";
}

void tst_peimage::notImages() {
    QFETCH(QString, kind);
    QTemporaryDir dir;
    QString path = dir.filePath(kind);
    if (kind == "directory")
        QVERIFY(QDir().mkpath(path));
    else if (kind == "text" || kind == "empty" || kind == "mz") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(kind == "text"
                       ? QByteArray("MZ is how this text starts, but it is text.\n").repeated(4)
                   : kind == "mz" ? QByteArray("MZ")
                                  : QByteArray());
    } else if (kind.isEmpty())
        path.clear();
    QString error;
    QVERIFY(!PeImage::Open(path, &error));
    QVERIFY(!error.isEmpty());
}

void tst_peimage::everyTruncationIsRefused_data() {
    QTest::addColumn<QString>("fixture");
    QTest::newRow("PE32+") << "icons.exe";
    if (QFile::exists(kFixtures + "/icons32.exe"))
        QTest::newRow("PE32") << "icons32.exe";
}

void tst_peimage::everyTruncationIsRefused() {
    QFETCH(QString, fixture);
    const QByteArray whole = ReadAll(kFixtures + "/" + fixture);
    QVERIFY(PeImage::FromBytes(whole));
    // The fixtures carry no symbol table: the last section ends the file, so every shorter
    // prefix cuts a header, a section or resource data.
    for (qsizetype size = 0; size < whole.size(); ++size) {
        if (PeImage::FromBytes(whole.left(size)))
            QFAIL(qPrintable(QStringLiteral("a prefix of %1 bytes was accepted").arg(size)));
    }
}

void tst_peimage::flippedDirectoryBytesStayInsideTheFile() {
    const QByteArray whole = ReadAll(kFixtures + "/icons.exe");
    const auto original = PeImage::FromBytes(whole);
    QVERIFY(original);
    // The directory: from the start of .rsrc to the first resource data.
    const qsizetype begin = RsrcOffset(whole);
    quint64 end = quint64(whole.size());
    for (const auto& type : original->ResourceTypes())
        for (const auto& name : type.names)
            for (const auto& leaf : name.languages)
                if (leaf.size > 0)
                    end = std::min(end, leaf.fileOffset);
    QVERIFY(begin > 0 && quint64(begin) < end);
    int refused = 0, accepted = 0;
    for (qsizetype at = begin; at < qsizetype(end); ++at) {
        for (const uchar change : {uchar(0xFF), uchar(0x80), uchar(0x01)}) {
            QByteArray damaged = whole;
            damaged[at] = char(uchar(damaged[at]) ^ change);
            const auto image = PeImage::FromBytes(damaged);
            if (!image) {
                ++refused;
                continue;
            }
            ++accepted;
            for (const auto& type : image->ResourceTypes())
                for (const auto& name : type.names)
                    for (const auto& leaf : name.languages) {
                        QVERIFY(leaf.fileOffset + leaf.size <= quint64(damaged.size()));
                        QCOMPARE(image->ReadResource(leaf)->size(), qsizetype(leaf.size));
                    }
        }
    }
    qInfo("%lld directory bytes flipped three ways: %d refused, %d read",
          static_cast<long long>(end - begin), refused, accepted);
    QVERIFY(refused > 0);
    QVERIFY(accepted > 0); // dates, versions and ids may change without harm
}

void tst_peimage::damagedIconLeavesTheOthers_data() {
    QTest::addColumn<QString>("damaged");
    QTest::addColumn<int>("field"); // in the data entry: 0 the RVA, 4 the size
    QTest::addColumn<quint32>("value");
    QTest::newRow("#2 longer than the file") << "#2" << 4 << 0x7FFFFFFFu;
    QTest::newRow("#4 before every section") << "#4" << 0 << 0x10u;
    QTest::newRow("NAMEDICON wraps 32 bits") << "NAMEDICON" << 4 << 0xFFFFFFF0u;
}

void tst_peimage::damagedIconLeavesTheOthers() {
    QFETCH(QString, damaged);
    QFETCH(int, field);
    QFETCH(quint32, value);
    QByteArray file = ReadAll(kFixtures + "/icons.exe");
    const auto original = PeImage::FromBytes(file);
    QVERIFY(original);
    const PeResourceType* icons = original->FindType(PeResourceId::Number(3));
    const PeResourceLeaf leaf =
        original->FindName(*icons, PeResourceId::FromString(damaged))->languages.first();
    // The icon's data entry: its RVA and size, found in the resource section.
    QByteArray entry;
    Put32(entry, 0, leaf.rva);
    Put32(entry, 4, leaf.size);
    const qsizetype at = file.indexOf(entry, RsrcOffset(file));
    QVERIFY(at > 0);
    QCOMPARE(file.indexOf(entry, at + 1), -1);
    Put32(file, at + field, value);

    QString error;
    const auto image = PeImage::FromBytes(file, &error);
    QVERIFY2(image, qPrintable(error));
    QCOMPARE(image->SkippedEntries(), 1);
    QStringList expected, names;
    for (const auto& name : icons->names)
        if (!name.id.Matches(PeResourceId::FromString(damaged)))
            expected << name.id.ToString();
    for (const auto& name : image->FindType(PeResourceId::Number(3))->names) {
        names << name.id.ToString();
        QCOMPARE(
            image->ReadResource(name.languages.first()),
            original->ReadResource(*original->FindName(*icons, name.id)->languages.constBegin()));
    }
    QCOMPARE(names, expected);
    // The other types are untouched.
    QCOMPARE(image->ResourceTypes().size(), original->ResourceTypes().size());
}

void tst_peimage::fileShrunkAfterOpening() {
    QTemporaryDir dir;
    const QString path = dir.filePath("shrinking.exe");
    QVERIFY(QFile::copy(kFixtures + "/icons.exe", path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    const auto image = PeImage::Open(path);
    QVERIFY(image);
    const auto* logo =
        image->FindName(*image->FindType(PeResourceId::Name("PNG")), PeResourceId::Name("LOGO"));
    QVERIFY(image->ReadResource(logo->languages.first()));
    QVERIFY(QFile::resize(path, qint64(logo->languages.first().fileOffset) + 1));
    QVERIFY(!image->ReadResource(logo->languages.first()));
}

void tst_peimage::bigDllReadsInMilliseconds() {
    const QString path = kFixtures + "/big.dll";
    QVERIFY(QFileInfo(path).size() > Fixture::kBigPayloadBytes);
    ReadAll(path); // the timing is for the parse, not for the first read from the disk
    QElapsedTimer timer;
    timer.start();
    QString error;
    const auto image = PeImage::Open(path, &error);
    const qint64 micros = timer.nsecsElapsed() / 1000;
    QVERIFY2(image, qPrintable(error));
    qInfo("resource tree of big.dll (%lld bytes, %d icons): %lld us",
          static_cast<long long>(QFileInfo(path).size()),
          int(image->FindType(PeResourceId::Number(3))->names.size()),
          static_cast<long long>(micros));
    QVERIFY2(micros < 250000, "reading the tree of a 15 MB DLL must take milliseconds");
    QCOMPARE(image->FindType(PeResourceId::Number(3))->names.size(),
             Fixture::kBigIconGroups * qsizetype(Fixture::kAppIcon.size()));
    QCOMPARE(image->FindType(PeResourceId::Number(14))->names.size(),
             qsizetype(Fixture::kBigIconGroups));
    const auto* data =
        image->FindName(*image->FindType(PeResourceId::Number(10)), PeResourceId::Name("BIGDATA"));
    QVERIFY(data);
    const auto payload = image->ReadResource(data->languages.first());
    QVERIFY(payload);
    QCOMPARE(payload->size(), Fixture::kBigPayloadBytes);
    QCOMPARE(*payload, ReadAll(kFixtures + "/payload.bin"));
}

void tst_peimage::debianWindowsExecutables() {
    // Real Windows programs that Debian packages ship (launchers, test inputs).
    QProcess dpkg;
    dpkg.start("dpkg-query", {"-S", "*.exe", "*.dll"});
    if (!dpkg.waitForFinished(60000))
        QSKIP("dpkg-query is not available to list packaged Windows executables");
    QStringList files;
    const QStringList lines = QString::fromLocal8Bit(dpkg.readAllStandardOutput()).split('\n');
    for (const QString& line : lines) {
        const qsizetype colon = line.indexOf(QLatin1String(": /"));
        if (colon < 0)
            continue;
        for (const QString& path : line.mid(colon + 2).split(QStringLiteral(", "))) {
            QFile file(path.trimmed());
            if (QFileInfo(file).isFile() && file.open(QIODevice::ReadOnly) &&
                file.read(2) == "MZ" && !files.contains(file.fileName()))
                files << file.fileName();
        }
    }
    if (files.isEmpty())
        QSKIP("no Windows executable (*.exe, *.dll starting with MZ) is installed by a package");
    const QString objdump = QStandardPaths::findExecutable("x86_64-w64-mingw32-objdump");
    // objdump prints the resource tree as nested "Entry:" lines and "Leaf:" lines.
    static const QRegularExpression entryLine(QStringLiteral(
        R"(^[0-9a-f]+( +)Entry: (?:ID: (?:0x)?([0-9a-f]+)|name: \[[^\]]*\]: (.*)), Value)"));
    static const QRegularExpression leafLine(
        QStringLiteral(R"(Leaf: Addr: 0x([0-9a-f]+), Size: (?:0x)?([0-9a-f]+))"));
    int compared = 0;
    for (const QString& path : files) {
        QString error;
        const auto image = PeImage::Open(path, &error);
        QVERIFY2(image, qPrintable(path + ": " + error));
        for (const auto& type : image->ResourceTypes())
            for (const auto& name : type.names)
                for (const auto& leaf : name.languages)
                    QCOMPARE(image->ReadResource(leaf)->size(), qsizetype(leaf.size));
        if (objdump.isEmpty())
            continue;
        QProcess dump;
        dump.start(objdump, {"-p", path});
        if (!dump.waitForFinished(60000) || dump.exitCode() != 0)
            continue; // a machine objdump does not know (ARM64)
        QStringList expected;
        QString typeText, nameText;
        bool inTree = false;
        for (const QString& line : QString::fromLatin1(dump.readAllStandardOutput()).split('\n')) {
            if (line.contains(QLatin1String("Resource Directory section")))
                inTree = true;
            if (!inTree)
                continue;
            if (const auto m = entryLine.match(line); m.hasMatch()) {
                const QString id =
                    m.captured(2).isEmpty()
                        ? m.captured(3)
                        : QStringLiteral("#%1").arg(m.captured(2).toUInt(nullptr, 16));
                const int level = int(m.captured(1).size() - 1) / 2;
                if (level == 1)
                    typeText = id;
                else if (level == 2)
                    nameText = id;
                else
                    expected << QStringLiteral("%1/%2/%3").arg(typeText, nameText, id.mid(1));
            } else if (const auto leaf = leafLine.match(line); leaf.hasMatch()) {
                expected.last() += QStringLiteral(" %1").arg(leaf.captured(2).toUInt(nullptr, 16));
            }
        }
        // objdump prints the low byte of each character of a name.
        QStringList actual = Listing(*image);
        for (QString& line : actual)
            for (QChar& c : line)
                c = QChar(c.unicode() & 0xFF);
        QCOMPARE(actual, expected);
        ++compared;
    }
    qInfo("%lld packaged Windows executables read, %d compared with objdump",
          static_cast<long long>(files.size()), compared);
}

QTEST_GUILESS_MAIN(tst_peimage)
#include "tst_peimage.moc"
