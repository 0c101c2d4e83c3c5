#include "launcher/Launching.h"
#include "platform/Account.h"
#include "platform/AppPaths.h"
#include "platform/LazyLibrary.h"
#include "platform/Shell.h"
#include "platform/Text.h"
#include "support/DataRow.h"
#include "support/TestContext.h"

#include <QRegularExpression>
#include <QTest>
#include <pwd.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// zlib, which every Qt program has at hand, as a library loaded on first use.
struct Zlib {
    const char* (*zlibVersion)();
    void (*absent)();
    void (*alsoAbsent)();
};
using LoadedZlib = LazyLibrary<Zlib>;

void ResolveVersion(LoadedZlib& library, Zlib& api) {
    library.Resolve("zlibVersion", api.zlibVersion);
}
void ResolveAbsent(LoadedZlib& library, Zlib& api) {
    ResolveVersion(library, api);
    library.Resolve("orv_absent", api.absent);
    library.Resolve("orv_also_absent", api.alsoAbsent);
}
QString RefuseStart(const Zlib& api) {
    return u"zlib %1 refused to start."_s.arg(QString::fromLatin1(api.zlibVersion()));
}

} // namespace

class tst_platform : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void trimSpaces_data() {
        AddColumns<QString, QString>("text", "trimmed");
        AddRow("spaces", "  Notepad  ", "Notepad");
        AddRow("inner spaces stay", " a  b ", "a  b");
        AddRow("tabs stay", "\tx\t", "\tx\t");
        AddRow("only spaces", "    ", "");
        AddRow("no-break space stays", QString(QChar(0xA0)) + "x", QString(QChar(0xA0)) + "x");
    }
    void trimSpaces() {
        QFETCH(QString, text);
        QFETCH(QString, trimmed);
        QCOMPARE(TrimSpaces(text), trimmed);
    }

    // The ASCII shortcut gives what toUpper gives, for every character of the first Unicode
    // blocks, alone and after ASCII letters, and for names that are already upper case.
    void upperProgramNameMatchesToUpper() {
        QStringList names{"",
                          "   ",
                          " Program 00042 ",
                          "EDITOR",
                          "editor",
                          "mIxEd-Case_9",
                          "a{z}`@[",
                          QString::fromUtf8(" straße "),
                          QString::fromUtf8("ärger")};
        for (char16_t c = 0; c < 0x250; ++c) {
            names << QString(QChar(c));
            names << u"ab"_s + QChar(c) + u"yz"_s;
        }
        QString reused;
        for (const QString& name : names) {
            QCOMPARE(UpperProgramName(name), TrimSpaces(name).toUpper());
            // A longer name before a shorter one leaves nothing behind.
            UpperProgramName(name, reused);
            QCOMPARE(reused, TrimSpaces(name).toUpper());
        }
    }

    void roundHalfEven_data() {
        AddColumns<double, long>("value", "rounded");
        const std::pair<double, long> rows[] = {{0.5, 0},  {1.5, 2},   {2.5, 2},
                                                {-0.5, 0}, {-1.5, -2}, {2.4999, 2}};
        for (const auto& [value, rounded] : rows)
            QTest::addRow("%g", value) << value << rounded;
    }
    void roundHalfEven() {
        QFETCH(double, value);
        QFETCH(long, rounded);
        QCOMPARE(RoundHalfEven(value), rounded);
    }

    // Any name, hostile ones too, gives picture files inside their directory, and a program
    // may be named like the picked icon or a logo field in any letter case (a file system may
    // ignore it): its picture still never shares their files.
    void pictureFilesStayInTheirDirectory_data() {
        QTest::addColumn<QString>("name");
        AddRow("parent", "..");
        AddRow("traversal", "../../etc/passwd");
        AddRow("backslashes", "..\\..\\windows");
        AddRow("absolute", "/etc/shadow");
        AddRow("percent", "100% a%2Fb");
        AddRow("control", QString("a") + QChar(0) + "b\nc");
        AddRow("TEMP", "TEMP");
        AddRow("setup logo", "theme_logosetup");
        AddRow("into logos", "../logos/Theme_LogoSplash");
    }
    void pictureFilesStayInTheirDirectory() {
        QFETCH(QString, name);
        const AppPaths paths("/app", "/pictures");
        const std::pair<QString, QString> kinds[] = {
            {paths.PictureFile(name), u"/pictures/programs"_s},
            {paths.LogoFile(name), u"/pictures/logos"_s}};
        for (const auto& [path, directory] : kinds) {
            const QFileInfo file(path);
            QCOMPARE(file.absolutePath(), directory);
            QVERIFY(file.fileName().endsWith(".bmp"));
            QVERIFY(!file.fileName().startsWith('.'));
        }
        // Different names never share a file.
        QVERIFY(paths.PictureFile(name) != paths.PictureFile(name + "x"));
        QStringList others = {paths.TempPicture(), paths.DefaultIcon(), paths.FolderIcon()};
        for (const char* field : {"Theme_LogoSplash", "Theme_LogoSetup", "Theme_LogoAddRemove"})
            others.append(paths.LogoFile(QLatin1String(field)));
        for (const QString& other : others)
            QVERIFY2(paths.PictureFile(name).compare(other, Qt::CaseInsensitive) != 0,
                     qPrintable(other));
        QCOMPARE(QSet<QString>(others.begin(), others.end()).size(), others.size());
    }

    void safeFileNamesAreDistinct() {
        const QStringList names = {"a/b", "a%2Fb", "a\\b", "a:b", ".a", "%2Ea"};
        QSet<QString> files;
        for (const QString& name : names)
            files.insert(SafeFileName(name));
        QCOMPARE(files.size(), names.size());
    }

    void logonNameComesFromTheSystem() {
        qputenv("USER", "someone-else");
        qputenv("LOGNAME", "someone-else");
        const passwd* entry = getpwuid(geteuid());
        QVERIFY(entry != nullptr);
        QCOMPARE(OsAccount().LogonName(), QString::fromLocal8Bit(entry->pw_name));
    }

    // Why a library loaded on first use cannot be used: it is missing, it lacks functions
    // (all of them named, and its start is not tried), or its start refused.
    void lazyLibrarySaysWhyItCannotBeUsed_data() {
        AddColumns<QString, bool, bool, QString>("file", "absent", "refuse", "error");
        AddRow("missing", "orv-no-such-library", false, false,
               R"(The test library could not be loaded \(.+\)\. Install it\.)");
        const QString lacks = "The test library lacks functions this program needs: orv_absent, "
                              "orv_also_absent";
        AddRow("lacks functions", "z", true, false, lacks);
        AddRow("lacks functions, not started", "z", true, true, lacks);
        AddRow("start refused", "z", false, true, R"(zlib [0-9.]+ refused to start\.)");
        AddRow("usable", "z", false, false, "");
    }
    void lazyLibrarySaysWhyItCannotBeUsed() {
        QFETCH(QString, file);
        QFETCH(bool, absent);
        QFETCH(bool, refuse);
        QFETCH(QString, error);
        const LoadedZlib loaded({file, 1, "The test library", "Install it."},
                                absent ? ResolveAbsent : ResolveVersion,
                                refuse ? RefuseStart : nullptr);
        QString why = "stale";
        const Zlib* api = loaded.Get(why);
        QVERIFY2(
            QRegularExpression(QRegularExpression::anchoredPattern(error)).match(why).hasMatch(),
            qPrintable(why));
        QCOMPARE(api != nullptr, error.isEmpty());
        if (api)
            QVERIFY(!QByteArray(api->zlibVersion()).isEmpty());
    }

    // A failure is one box: what could not be started, then why.
    void launchFailureShowsOneReport_data() {
        AddColumns<bool, QString, QString, QString>("folder", "name", "path", "reason");
        AddRow("program", false, " Gone ", "/nonexistent/gone",
               "The file \"/nonexistent/gone\" was not found.");
        AddRow("bare name", false, "Gone", "orv-no-such-program",
               "The program \"orv-no-such-program\" was not found");
        AddRow("folder", true, "Reports", "/nonexistent/reports",
               "The file or folder \"/nonexistent/reports\" was not found.");
    }
    void launchFailureShowsOneReport() {
        QFETCH(bool, folder);
        QFETCH(QString, name);
        QFETCH(QString, path);
        QFETCH(QString, reason);
        TestContext t;
        t.ctx.shell = std::make_unique<DesktopShell>();
        QVERIFY(t.ctx.Catalog().AddProgram(TrimSpaces(name), "", path, "", "", ""));
        QVERIFY(folder ? !modMain::OpenFolder(t.ctx, name, path)
                       : !modMain::LaunchProgram(t.ctx, name, "", ""));
        QCOMPARE(t.prompt->transcript.size(), 1);
        const QString heading =
            "Unable to execute program : " + TrimSpaces(name) + ". Error Follows\n\n";
        QVERIFY2(t.prompt->transcript[0].text.startsWith(heading + reason),
                 qPrintable(t.prompt->transcript[0].text));
        QCOMPARE(t.prompt->transcript[0].title, u"Error"_s);
        QCOMPARE(t.prompt->transcript[0].icon, PromptIcon::Exclamation);
    }
};

QTEST_MAIN(tst_platform)
#include "tst_platform.moc"
