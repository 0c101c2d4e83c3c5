// The PE resource reader: the windres-built fixtures, Windows executables shipped in Debian
// packages (checked against objdump), crafted and damaged images, and a 15 MB DLL.

#include "CraftedPe.h"
#include "ResourceFixtures.h"
#include "platform/PeImage.h"
#include "support/DataRow.h"
#include "support/TestFiles.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

using namespace CraftedPe;

// Calls f(type, name, leaf) for each language of every resource, in directory order.
template <typename F> void EachLeaf(const PeImage& image, F f) {
    for (const auto& type : image.ResourceTypes())
        for (const auto& name : type.names)
            for (const auto& leaf : name.languages)
                f(type, name, leaf);
}

// One line per language of every resource: "type/name/language size", in directory order.
QStringList Listing(const PeImage& image) {
    QStringList lines;
    EachLeaf(image, [&](const auto& type, const auto& name, const auto& leaf) {
        lines << u"%1/%2/%3 %4"_s.arg(type.id.ToString(), name.id.ToString())
                     .arg(leaf.language)
                     .arg(leaf.size);
    });
    return lines;
}

// The resources that lie beyond a file of `fileSize` bytes or do not read back whole.
QStringList Unreadable(const PeImage& image, qint64 fileSize) {
    QStringList bad;
    EachLeaf(image, [&](const auto& type, const auto& name, const auto& leaf) {
        const auto bytes = image.ReadResource(leaf);
        if (leaf.fileOffset + leaf.size > quint64(fileSize) || !bytes ||
            bytes->size() != qsizetype(leaf.size))
            bad << type.id.ToString() + u'/' + name.id.ToString();
    });
    return bad;
}

template <typename L> QStringList Ids(const L& list) {
    QStringList ids;
    for (const auto& item : list)
        ids << item.id.ToString();
    return ids;
}

// The image data of each entry of an .ico file, in order.
QList<QByteArray> IcoImages(const QByteArray& ico) {
    QList<QByteArray> images;
    for (int i = 0; i < Get<quint16>(ico, 4); ++i)
        images << ico.mid(Get<quint32>(ico, 6 + 16 * i + 12), Get<quint32>(ico, 6 + 16 * i + 8));
    return images;
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

Mutation At32(qsizetype offset, quint32 value) {
    return [=](QByteArray& f) { Put32(f, offset, value); };
}
Mutation At16(qsizetype offset, quint16 value) {
    return [=](QByteArray& f) { Put16(f, offset, value); };
}
template <typename... M> Mutation All(const M&... m) {
    return [=](QByteArray& f) { (m(f), ...); };
}

// A second section without file data whose raw pointer lies far beyond the file.
void VirtualSection(QByteArray& f) {
    Put16(f, 0x46, 2);
    f.replace(0x170, 6, QByteArray(".bss\0\0", 6));
    Put32(f, 0x170 + 8, 0x1000);
    Put32(f, 0x170 + 12, 0x2000);
    Put32(f, 0x170 + 16, 0);
    Put32(f, 0x170 + 20, 0xFFFF0000);
}

} // namespace

Q_DECLARE_METATYPE(Mutation)

class tst_peimage : public QObject {
    Q_OBJECT

private slots:
    void init() {
        static const QStringList withoutFixtures{"resourceIds", "craftedImages",
                                                 "preferredLanguage", "debianWindowsExecutables"};
        if (kFixtures.isEmpty() && !withoutFixtures.contains(QTest::currentTestFunction()))
            QFAIL(kNoFixtures);
    }

    void resourceIds_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number"); // -1: a name
        AddRow("number", "#101", 101);
        AddRow("zero", "#0", 0);
        AddRow("largest", "#65535", 65535);
        AddRow("too large", "#65536", -1);
        AddRow("hash alone", "#", -1);
        AddRow("sign", "#+5", -1);
        AddRow("plain digits are a name", "101", -1);
        AddRow("name", "APPICON", -1);
    }
    void resourceIds() {
        QFETCH(QString, text);
        QFETCH(int, number);
        const PeResourceId id = PeResourceId::FromString(text);
        QCOMPARE(id.isName, number < 0);
        QCOMPARE(id.isName ? id.name : QString(), number < 0 ? text : QString());
        QCOMPARE(id.isName ? -1 : int(id.id), number);
        QCOMPARE(id.ToString(), text);
        // Names compare as the loader does: ASCII letters without case, nothing else folded.
        QVERIFY(PeResourceId::Name("AppIcon").Matches(PeResourceId::Name("APPICON")));
        QVERIFY(!PeResourceId::Name(u"\u00e4"_s).Matches(PeResourceId::Name(u"\u00c4"_s)));
        QVERIFY(!PeResourceId::Name("#3").Matches(PeResourceId::Number(3)));
    }

    void fixtureTree_data() {
        AddColumns<QString, int>("file", "machine");
        AddRow("PE32+", "icons.exe", 0x8664);
        AddRow("PE32", "icons32.exe", 0x14C);
    }
    void fixtureTree() {
        QFETCH(QString, file);
        QFETCH(int, machine);
        if (!QFile::exists(kFixtures + "/" + file))
            QFAIL("icons32.exe not built: i686-w64-mingw32-windres/ld missing; run "
                  "scripts/bootstrap (package binutils-mingw-w64-i686) and configure again");
        QString error;
        const auto image = PeImage::Open(kFixtures + "/" + file, &error);
        QVERIFY2(image, qPrintable(error));
        QCOMPARE(image->IsPe32Plus(), machine == 0x8664);
        QCOMPARE(image->Machine(), quint16(machine));
        // Named types first, then numbers in ascending order, as the linker sorts them.
        QCOMPARE(Ids(image->ResourceTypes()), QStringList({"PNG", "#1", "#2", "#3", "#12", "#14"}));
        const PeResourceType* icons = image->FindType(PeResourceId::Number(3));
        QVERIFY(icons);
        // Each ICON statement gives one numbered image per size: 4 for #1, 4 for APPICON.
        QCOMPARE(Ids(icons->names),
                 QStringList({Fixture::kUnicodeIconName, "NAMEDICON", "#1", "#2", "#3", "#4", "#5",
                              "#6", "#7", "#8", "#300", "#301"}));
        // The data of both groups' icons is app.ico's images; #300 is empty.
        auto bytes = [&](const QString& name) {
            const auto* found = image->FindName(*icons, PeResourceId::FromString(name));
            return found ? image->ReadResource(*PeImage::PreferredLanguage(*found))
                         : std::optional<QByteArray>();
        };
        const QList<QByteArray> ico = IcoImages(ReadAll(kFixtures + "/app.ico"));
        QCOMPARE(ico.size(), int(Fixture::kAppIcon.size()));
        for (int i = 0; i < ico.size(); ++i) {
            QCOMPARE(bytes(u"#%1"_s.arg(i + 1)).value(), ico.at(i)); // group #1
            QCOMPARE(bytes(u"#%1"_s.arg(i + 5)).value(), ico.at(i)); // APPICON
        }
        QCOMPARE(bytes(Fixture::kUnicodeIconName).value(), ReadAll(kFixtures + "/named.dib"));
        // Names are looked up as the loader spells them, without regard to case.
        QCOMPARE(bytes("namedicon").value(), ReadAll(kFixtures + "/named.dib"));
        QVERIFY(bytes("#300") && bytes("#300")->isEmpty());
        const PeResourceType* groups = image->FindType(PeResourceId::Number(14));
        QVERIFY(groups);
        QCOMPARE(Ids(groups->names), QStringList({"APPICON", "#1"}));
        // The PE32 tree is the same as the PE32+ one, sizes included.
        const auto pe64 = PeImage::Open(kFixtures + "/icons.exe");
        QVERIFY(pe64);
        QCOMPARE(Listing(*image), Listing(*pe64));

        const auto noIcons = PeImage::Open(kFixtures + "/noicons.exe", &error);
        QVERIFY2(noIcons, qPrintable(error));
        QVERIFY(!noIcons->FindType(PeResourceId::Number(3)));
        QCOMPARE(noIcons->ResourceTypes().size(), 2);
    }

    void craftedImages_data() {
        QTest::addColumn<Mutation>("mutate");
        // What is left of the baseline's two resources, and how many entries were left out
        // (-1: the image is refused).
        AddColumns<QStringList, int>("listing", "skipped");
        const QStringList both{"#3/AB/1033 4", "#3/#7/0 4"}, emptyAB{"#3/AB/1033 0", "#3/#7/0 4"};
        const QStringList onlyAB{"#3/AB/1033 4"}, only7{"#3/#7/0 4"}, none;
        auto refused = [](const char* tag, const Mutation& m) {
            AddRow(tag, m, QStringList(), -1);
        };
        AddRow("baseline", Mutation([](QByteArray&) {}), both, 0);

        // The headers: nothing of the file can be trusted.
        refused("no MZ", At16(0, 0x5A4E));
        refused("PE header offset beyond the file", At32(0x3C, 0xFFFFFFF0));
        refused("no PE signature", At32(0x40, 0x00004550 ^ 0x100));
        refused("ROM image magic", At16(0x58, 0x107));
        refused("optional header beyond the file", At16(0x54, 0xFFFF));
        refused("optional header too short", At16(0x54, 100));
        refused("section table beyond the file", At16(0x46, 0xFFFF));
        refused("section data beyond the file", At32(0x148 + 16, 0x400));
        refused("section pointer and size wrap 32 bits",
                All(At32(0x148 + 20, 0xFFFFFE00), At32(0x148 + 16, 0x400)));
        AddRow("no resource directory", At32(0x58 + 112 + 16, 0), none, 0);
        AddRow("two data directories only", At32(0x58 + 108, 2), none, 0);

        // The root of the resource directory: no entry can be reached.
        refused("resource directory outside every section", At32(0x58 + 112 + 16, 0x5000));
        refused("entry count beyond the section", At16(R + 0x0E, 0xFFFF));

        // One damaged entry: it goes with what hangs below it, the rest stays.
        AddRow("type points back to the root", At32(R + 0x14, 0x80000000), none, 1);
        AddRow("type is a data entry", At32(R + 0x14, 0x70), none, 1);
        AddRow("subdirectory at the 31-bit limit", At32(R + 0x14, 0xFFFFFFFF), none, 1);
        AddRow("two names share a language directory", At32(R + 0x34, 0x80000040), onlyAB, 1);
        AddRow("name is a data entry", At32(R + 0x34, 0x80), onlyAB, 1);
        AddRow("number wider than 16 bits", At32(R + 0x30, 0x00010007), onlyAB, 1);
        AddRow("name beyond the section", At32(R + 0x28, 0x8000FFF0), only7, 1);
        AddRow("name longer than the section", At16(R + 0x90, 0xFFFF), only7, 1);
        AddRow("language is a directory (fourth level)", At32(R + 0x54, 0x80000058), only7, 1);
        AddRow("language is a name", At32(R + 0x50, 0x80000090), only7, 1);
        AddRow("data entry beyond the section", At32(R + 0x54, 0x7FFFFF00), only7, 1);
        AddRow("data RVA and size wrap 32 bits",
               All(At32(R + 0x70, 0xFFFFFFF0), At32(R + 0x74, 0x20)), only7, 1);
        AddRow("data RVA before the section", At32(R + 0x70, 0x800), only7, 1);
        AddRow("data ends exactly at the section end", At32(R + 0x74, 0x200 - 0xA0),
               QStringList{"#3/AB/1033 352", "#3/#7/0 4"}, 0);
        AddRow("data one byte past the section end", At32(R + 0x74, 0x200 - 0xA0 + 1), only7, 1);
        AddRow("data in a section without file data",
               All(Mutation(VirtualSection), At32(R + 0x70, 0x2000)), only7, 1);
        AddRow("empty data outside every section",
               All(At32(R + 0x70, 0x7FFF0000), At32(R + 0x74, 0)), emptyAB, 0);
    }
    void craftedImages() {
        QFETCH(Mutation, mutate);
        QFETCH(QStringList, listing);
        QFETCH(int, skipped);
        QByteArray file = MiniImage(BaselineRsrc());
        mutate(file);
        QString error;
        const auto image = PeImage::FromBytes(file, &error);
        QCOMPARE(!image, skipped < 0);
        if (!image) {
            QVERIFY(!error.isEmpty());
            return;
        }
        QCOMPARE(Listing(*image), listing);
        QCOMPARE(image->SkippedEntries(), skipped);
        QCOMPARE(Unreadable(*image, file.size()), QStringList());
        // The good resource keeps its bytes.
        if (const auto* icons = image->FindType(PeResourceId::Number(3)))
            if (const auto* seven = image->FindName(*icons, PeResourceId::Number(7)))
                QCOMPARE(image->ReadResource(seven->languages.first()).value(), QByteArray("wxyz"));
    }

    void preferredLanguage_data() {
        AddColumns<QList<int>, int>("languages", "chosen");
        AddRow("neutral first", QList<int>{0x407, 0x409, 0}, 0);
        AddRow("neutral default", QList<int>{0x407, 0x400, 0x409}, 0x400);
        AddRow("system default", QList<int>{0x407, 0x800, 0x409}, 0x800);
        AddRow("US English", QList<int>{0x407, 0x409}, 0x409);
        AddRow("first listed", QList<int>{0x407, 0x40C}, 0x407);
    }
    void preferredLanguage() {
        QFETCH(QList<int>, languages);
        QFETCH(int, chosen);
        PeResourceName name;
        for (int language : languages)
            name.languages.append(PeResourceLeaf{quint16(language), 0, 0, 0, 0});
        QCOMPARE(int(PeImage::PreferredLanguage(name)->language), chosen);
        QVERIFY(!PeImage::PreferredLanguage(PeResourceName{}));
    }

    void notImages_data() {
        QTest::addColumn<QString>("kind");
        for (const char* kind : {"missing", "directory", "text", "MZ alone"})
            AddRow(kind, QString::fromLatin1(kind));
    }
    void notImages() {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString path = dir.filePath(kind);
        const QByteArray text =
            QByteArray("MZ is how this text starts, but it is text.\n").repeated(4);
        if (kind == "directory")
            QVERIFY(QDir().mkpath(path));
        else if (kind != "missing")
            QVERIFY(WriteFile(path, kind == "text" ? text : QByteArray("MZ")));
        QString error;
        QVERIFY(!PeImage::Open(path, &error));
        QVERIFY(!error.isEmpty());
    }

    void fileShrunkAfterOpening() {
        QTemporaryDir dir;
        const QString path = dir.filePath("shrinking.exe");
        QVERIFY(QFile::copy(kFixtures + "/icons.exe", path));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        const auto image = PeImage::Open(path);
        QVERIFY(image);
        const auto* logo = image->FindName(*image->FindType(PeResourceId::Name("PNG")),
                                           PeResourceId::Name("LOGO"));
        QVERIFY(image->ReadResource(logo->languages.first()));
        QVERIFY(QFile::resize(path, qint64(logo->languages.first().fileOffset) + 1));
        QVERIFY(!image->ReadResource(logo->languages.first()));
    }

    void bigDllReadsInMilliseconds() {
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
        const auto* data = image->FindName(*image->FindType(PeResourceId::Number(10)),
                                           PeResourceId::Name("BIGDATA"));
        QVERIFY(data);
        const auto payload = image->ReadResource(data->languages.first());
        QVERIFY(payload);
        QCOMPARE(payload->size(), Fixture::kBigPayloadBytes);
        QCOMPARE(*payload, ReadAll(kFixtures + "/payload.bin"));
    }

    void debianWindowsExecutables() {
        // Real Windows programs that Debian packages ship.
        QProcess dpkg;
        dpkg.start("dpkg-query", {"-S", "*.exe", "*.dll"});
        QVERIFY2(dpkg.waitForFinished(60000), "dpkg-query lists the packaged Windows executables");
        QStringList files;
        // One "package: path" line per file.
        for (const QString& line :
             QString::fromLocal8Bit(dpkg.readAllStandardOutput()).split('\n')) {
            QFile file(line.mid(line.indexOf(QLatin1String(": /")) + 2).trimmed());
            if (line.contains(QLatin1String(": /")) && QFileInfo(file).isFile() &&
                file.open(QIODevice::ReadOnly) && file.read(2) == "MZ" &&
                !files.contains(file.fileName()))
                files << file.fileName();
        }
        // scripts/bootstrap installs nsis-common, whose installer stubs and plug-ins are
        // Windows programs and libraries with resources.
        QVERIFY2(!files.isEmpty(), "no Windows executable (*.exe, *.dll starting with MZ) is "
                                   "installed by a package: run scripts/bootstrap");
        const QString objdump = QStandardPaths::findExecutable("x86_64-w64-mingw32-objdump");
        QVERIFY2(!objdump.isEmpty(),
                 "x86_64-w64-mingw32-objdump is missing: run scripts/bootstrap");
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
            QCOMPARE(Unreadable(*image, QFileInfo(path).size()), QStringList());
            QProcess dump;
            dump.start(objdump, {"-p", path});
            if (!dump.waitForFinished(60000) || dump.exitCode() != 0)
                continue; // a machine objdump does not know (ARM64)
            QStringList expected;
            QString typeText, nameText;
            const QString out = QString::fromLatin1(dump.readAllStandardOutput());
            const qsizetype tree = out.indexOf(QLatin1String("Resource Directory section"));
            for (const QString& line : tree < 0 ? QStringList() : out.mid(tree).split('\n')) {
                if (const auto m = entryLine.match(line); m.hasMatch()) {
                    const QString id = m.captured(2).isEmpty()
                                           ? m.captured(3)
                                           : u"#%1"_s.arg(m.captured(2).toUInt(nullptr, 16));
                    const int level = int(m.captured(1).size() - 1) / 2;
                    if (level == 1)
                        typeText = id;
                    else if (level == 2)
                        nameText = id;
                    else
                        expected << u"%1/%2/%3"_s.arg(typeText, nameText, id.mid(1));
                } else if (const auto leaf = leafLine.match(line); leaf.hasMatch()) {
                    expected.last() += u" %1"_s.arg(leaf.captured(2).toUInt(nullptr, 16));
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
        QVERIFY(compared > 0);
    }
};

QTEST_GUILESS_MAIN(tst_peimage)
#include "tst_peimage.moc"
