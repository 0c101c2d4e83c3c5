// Installs the build into a scratch root as a package build does (DESTDIR) and checks the
// result: exactly the files a site needs, the run path that finds the print library, entries
// that desktops and manual readers accept, and names in them that point at installed files.
#include "support/DataRow.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

using namespace Qt::StringLiterals;

namespace {

const QString kBin = QStringLiteral(ORV_BINDIR);
const QString kLib = QStringLiteral(ORV_LIBDIR);
const QString kData = QStringLiteral(ORV_DATADIR);
const QString kMan = QStringLiteral(ORV_MANDIR);
const QString kDesktopEntry = kData + u"/applications/tessaro-orvane.desktop"_s;
const QString kMetainfo = kData + u"/metainfo/com.brindlecove.TessaroOrvane.metainfo.xml"_s;

struct Outcome {
    int exitCode = -1;
    QString output; // standard output and error
};

Outcome Run(const QString& program, const QStringList& arguments,
            const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(120000))
        return {-1, program + u": "_s + process.errorString()};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAll())};
}

// "RUNPATH <dirs>" or "RPATH <dirs>" as the ELF file's dynamic section holds it; empty for
// none.
QString RunPath(const QString& elf) {
    const Outcome dump = Run(QStringLiteral(ORV_READELF), {u"-d"_s, elf});
    static const QRegularExpression entry(
        uR"(\((RUNPATH|RPATH)\)\s+Library r\w*path: \[([^\]]*)\])"_s);
    const QRegularExpressionMatch match = entry.match(dump.output);
    return match.hasMatch() ? match.captured(1) + u' ' + match.captured(2) : QString();
}

// The value of `key` in the desktop entry's main group.
QString DesktopValue(const QString& file, const QString& key) {
    bool inMain = false;
    for (const QString& line : QString::fromUtf8(ReadAll(file)).split(u'\n')) {
        if (line.startsWith(u'['))
            inMain = line == u"[Desktop Entry]"_s;
        else if (inMain && line.startsWith(key + u'='))
            return line.mid(key.size() + 1);
    }
    return {};
}

// The texts of the metainfo's elements named `name` whose `type` is `type` (any when empty).
QStringList MetainfoTexts(const QString& file, const QString& name, const QString& type = {}) {
    QXmlStreamReader xml(ReadAll(file));
    QStringList texts;
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == name &&
            (type.isEmpty() || xml.attributes().value(u"type"_s) == type))
            texts << xml.readElementText();
    return texts;
}

} // namespace

class tst_installation : public QObject {
    Q_OBJECT

    QTemporaryDir mRoot;
    QString mPrefix; // the installation prefix inside mRoot

    QString Installed(const QString& relative) const { return mPrefix + u'/' + relative; }

private slots:
    void initTestCase() {
        QVERIFY(mRoot.isValid());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"DESTDIR"_s, mRoot.path());
        const Outcome install =
            Run(QStringLiteral(ORV_CMAKE), {u"--install"_s, qEnvironmentVariable("ORV_BUILD_DIR")},
                environment);
        QVERIFY2(install.exitCode == 0, qPrintable(install.output));
        mPrefix = mRoot.path() + QStringLiteral(ORV_PREFIX);
    }

    // The programs, their private library, the desktop's files and the manuals, and nothing
    // else: no test, benchmark or build file.
    void installsExactlyTheSitesFiles() {
        QStringList expected{kBin + u"/tessaro-orvane"_s,
                             kBin + u"/orvanectl"_s,
                             kBin + u"/tessaro-orvane-copy"_s,
                             kLib + u"/tessaro-orvane/libtessaro-orvane-print.so"_s,
                             kDesktopEntry,
                             kMetainfo,
                             kData + u"/icons/hicolor/scalable/apps/tessaro-orvane.svg"_s,
                             kMan + u"/man1/tessaro-orvane.1"_s,
                             kMan + u"/man1/orvanectl.1"_s,
                             kMan + u"/man1/tessaro-orvane-copy.1"_s};
        QStringList installed;
        for (QDirIterator it(mRoot.path(), QDir::Files | QDir::Hidden | QDir::System,
                             QDirIterator::Subdirectories);
             it.hasNext();)
            installed << QDir(mPrefix).relativeFilePath(it.next());
        expected.sort();
        installed.sort();
        QCOMPARE(installed.join(u'\n'), expected.join(u'\n'));
    }

    // The launcher's run path names the folder the print library went to, so loading it by
    // its bare name finds it; no program keeps a path of the build tree.
    void runPathsFindThePrintLibrary_data() {
        AddColumns<QString, QString>("program", "runPath");
        AddRow("launcher", "tessaro-orvane", u"RUNPATH " ORV_FULL_LIBDIR "/tessaro-orvane"_s);
        QTest::newRow("orvanectl") << "orvanectl" << QString();
        QTest::newRow("copy tool") << "tessaro-orvane-copy" << QString();
    }
    void runPathsFindThePrintLibrary() {
        QFETCH(QString, program);
        QFETCH(QString, runPath);
        const QString found = RunPath(Installed(kBin + u'/' + program));
        QCOMPARE(found, runPath);
        if (!runPath.isEmpty())
            QVERIFY(QFileInfo::exists(mRoot.path() + found.section(u' ', 1) +
                                      u"/libtessaro-orvane-print.so"_s));
    }

    // Programs without windows do not load the widget library, nor with it a display's
    // libraries and the start-up they cost.
    void windowlessProgramsLeaveWidgetsOut_data() {
        QTest::addColumn<QString>("program");
        QTest::newRow("copy tool") << u"tessaro-orvane-copy"_s;
        QTest::newRow("orvanectl") << u"orvanectl"_s;
    }
    void windowlessProgramsLeaveWidgetsOut() {
        QFETCH(QString, program);
        const Outcome dump =
            Run(QStringLiteral(ORV_READELF), {u"-d"_s, Installed(kBin + u'/' + program)});
        QCOMPARE(dump.exitCode, 0);
        QVERIFY2(dump.output.contains(u"libQt6Sql.so"_s), qPrintable(dump.output));
        QVERIFY2(!dump.output.contains(u"libQt6Widgets.so"_s), qPrintable(dump.output));
    }

    // Each file passes the checker that desktops, software centres and man apply to it.
    void validatorsAcceptTheEntries_data() {
        AddColumns<QString, QStringList, QString>("tool", "arguments", "file");
        QTest::newRow("desktop entry") << "desktop-file-validate" << QStringList() << kDesktopEntry;
        AddRow("metainfo", "appstreamcli", QStringList{u"validate"_s, u"--no-net"_s}, kMetainfo);
        for (const char* page : {"tessaro-orvane", "orvanectl", "tessaro-orvane-copy"})
            QTest::addRow("manual %s", page) << "groff" << QStringList{u"-man"_s, u"-ww"_s, u"-z"_s}
                                             << kMan + u"/man1/"_s + QLatin1String(page) + u".1"_s;
    }
    void validatorsAcceptTheEntries() {
        QFETCH(QString, tool);
        QFETCH(QStringList, arguments);
        QFETCH(QString, file);
        const Outcome check = Run(tool, arguments << Installed(file));
        static const QRegularExpression complaint(uR"(^[EW]: |warning|error)"_s,
                                                  QRegularExpression::MultilineOption |
                                                      QRegularExpression::CaseInsensitiveOption);
        QVERIFY2(check.exitCode == 0 && !check.output.contains(complaint),
                 qPrintable(tool + u": "_s + check.output));
    }

    // What the entries name is installed: the desktop entry's program and icon, the
    // metainfo's desktop entry and programs, and a manual page for every program.
    void namedFilesAreInstalled_data() {
        QTest::addColumn<QString>("file");
        const QString exec = DesktopValue(Installed(kDesktopEntry), u"Exec"_s).section(u' ', 0, 0);
        QTest::newRow("desktop Exec") << kBin + u'/' + exec;
        AddRow("desktop Icon", kData + u"/icons/hicolor/scalable/apps/"_s +
                                   DesktopValue(Installed(kDesktopEntry), u"Icon"_s) + u".svg"_s);
        for (const QString& id :
             MetainfoTexts(Installed(kMetainfo), u"launchable"_s, u"desktop-id"_s))
            QTest::addRow("metainfo launchable %s", qPrintable(id))
                << kData + u"/applications/"_s + id;
        for (const QString& id : MetainfoTexts(Installed(kMetainfo), u"id"_s))
            QTest::addRow("metainfo named by its id %s", qPrintable(id))
                << kData + u"/metainfo/"_s + id + u".metainfo.xml"_s;
        for (const QString& binary : MetainfoTexts(Installed(kMetainfo), u"binary"_s))
            QTest::addRow("metainfo binary %s", qPrintable(binary)) << kBin + u'/' + binary;
        for (const QString& program : QDir(Installed(kBin)).entryList(QDir::Files))
            QTest::addRow("manual of %s", qPrintable(program))
                << kMan + u"/man1/"_s + program + u".1"_s;
    }
    void namedFilesAreInstalled() {
        QFETCH(QString, file);
        QVERIFY2(QFileInfo(Installed(file)).isFile(), qPrintable(file));
    }
};

QTEST_MAIN(tst_installation)
#include "tst_installation.moc"
