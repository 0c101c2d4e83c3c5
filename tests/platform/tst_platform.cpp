#include "launcher/Launching.h"
#include "platform/Account.h"
#include "platform/AppPaths.h"
#include "platform/OrvError.h"
#include "platform/Shell.h"
#include "platform/Text.h"
#include "support/TestContext.h"

#include <QTest>
#include <pwd.h>
#include <unistd.h>

class tst_platform : public QObject {
    Q_OBJECT

    // Starts the probe and returns the lines it wrote: working directory, then arguments.
    QStringList RunProbe(const QString& parameters, const QString& startIn, const QString& out) {
        DesktopShell shell;
        shell.Execute(QStringLiteral(ORV_PROBE), parameters, startIn);
        QFile file(out);
        for (int waited = 0; !file.exists() && waited < 10000; waited += 20)
            QTest::qWait(20);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QStringList lines = QString::fromLocal8Bit(file.readAll()).split(QLatin1Char('\n'));
        lines.removeLast();
        return lines;
    }

private Q_SLOTS:
    void trimSpaces_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("trimmed");
        QTest::newRow("spaces") << "  Notepad  "
                                << "Notepad";
        QTest::newRow("inner spaces stay") << " a  b "
                                           << "a  b";
        QTest::newRow("tabs stay") << "\tx\t"
                                   << "\tx\t";
        QTest::newRow("line breaks stay") << " x\r\n"
                                          << "x\r\n";
        QTest::newRow("only spaces") << "    "
                                     << "";
        QTest::newRow("no-break space stays")
            << QString(QChar(0xA0)) + "x" << QString(QChar(0xA0)) + "x";
    }
    void trimSpaces() {
        QFETCH(QString, text);
        QFETCH(QString, trimmed);
        QCOMPARE(TrimSpaces(text), trimmed);
    }

    void programNamesCompareInUpperCase() {
        QVERIFY(SameProgramName(" editor ", "EDITOR"));
        QVERIFY(SameProgramName(QString::fromUtf8("ärger"), QString::fromUtf8("ÄRGER")));
        QVERIFY(!SameProgramName("editor", "editor2"));
    }

    void roundHalfEven_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<long>("rounded");
        QTest::newRow("0.5") << 0.5 << 0L;
        QTest::newRow("1.5") << 1.5 << 2L;
        QTest::newRow("2.5") << 2.5 << 2L;
        QTest::newRow("-0.5") << -0.5 << 0L;
        QTest::newRow("-1.5") << -1.5 << -2L;
        QTest::newRow("2.4999") << 2.4999 << 2L;
    }
    void roundHalfEven() {
        QFETCH(double, value);
        QFETCH(long, rounded);
        QCOMPARE(RoundHalfEven(value), rounded);
    }

    void pictureFilesStayInTheirDirectory_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("parent") << "..";
        QTest::newRow("dot") << ".";
        QTest::newRow("traversal") << "../../etc/passwd";
        QTest::newRow("backslashes") << "..\\..\\windows";
        QTest::newRow("absolute") << "/etc/shadow";
        QTest::newRow("quotes") << "O'Brien \"Pad\"";
        QTest::newRow("non-ascii") << QString::fromUtf8("Ärger Ölpreis");
        QTest::newRow("percent") << "100% a%2Fb";
        QTest::newRow("control") << QString("a") + QChar(0) + "b\nc";
    }
    void pictureFilesStayInTheirDirectory() {
        QFETCH(QString, name);
        const AppPaths paths("/app", "/pictures");
        const std::pair<QString, QString> kinds[] = {
            {paths.PictureFile(name), QStringLiteral("/pictures/programs")},
            {paths.LogoFile(name), QStringLiteral("/pictures/logos")}};
        for (const auto& [path, directory] : kinds) {
            const QFileInfo file(path);
            QCOMPARE(file.absolutePath(), directory);
            QVERIFY(file.fileName().endsWith(".bmp"));
            QVERIFY(!file.fileName().startsWith('.'));
        }
        // Different names never share a file.
        QVERIFY(paths.PictureFile(name) != paths.PictureFile(name + "x"));
    }

    // A program may be named like the picked icon or a logo field, in any letter case (a
    // file system may ignore it): its picture still never shares their files.
    void picturesOfEachKindNeverCollide_data() {
        QTest::addColumn<QString>("program");
        QTest::newRow("temp") << "temp";
        QTest::newRow("TEMP") << "TEMP";
        QTest::newRow("splash logo") << "Theme_LogoSplash";
        QTest::newRow("setup logo") << "theme_logosetup";
        QTest::newRow("add/remove logo") << "Theme_LogoAddRemove";
        QTest::newRow("up to temp") << "../temp";
        QTest::newRow("into logos") << "../logos/Theme_LogoSplash";
    }
    void picturesOfEachKindNeverCollide() {
        QFETCH(QString, program);
        const AppPaths paths("/app", "/pictures");
        QStringList others = {paths.TempPicture(), paths.DefaultIcon(), paths.FolderIcon()};
        for (const char* field : {"Theme_LogoSplash", "Theme_LogoSetup", "Theme_LogoAddRemove"})
            others.append(paths.LogoFile(QLatin1String(field)));
        const QString picture = paths.PictureFile(program);
        for (const QString& other : others)
            QVERIFY2(picture.compare(other, Qt::CaseInsensitive) != 0, qPrintable(other));
        QCOMPARE(QSet<QString>(others.begin(), others.end()).size(), others.size());
    }

    void safeFileNamesAreDistinct() {
        const QStringList names = {"a/b", "a%2Fb", "a\\b", "a:b", ".a", "%2Ea"};
        QSet<QString> files;
        for (const QString& name : names)
            files.insert(SafeFileName(name));
        QCOMPARE(files.size(), names.size());
    }

    void splitParameters_data() {
        QTest::addColumn<QString>("parameters");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("empty") << "" << QStringList{};
        QTest::newRow("plain") << "-a -b" << QStringList{"-a", "-b"};
        QTest::newRow("quoted") << "\"a b\" c" << QStringList{"a b", "c"};
        QTest::newRow("doubled quote") << "\"say \"\"hi\"\"\"" << QStringList{"say \"hi\""};
        QTest::newRow("empty quoted") << "a \"\" b" << QStringList{"a", "", "b"};
        QTest::newRow("tabs separate") << "a\tb" << QStringList{"a", "b"};
        QTest::newRow("quotes join a word") << "--name=\"a b\"c" << QStringList{"--name=a bc"};
        QTest::newRow("backslashes stay") << "\"C:\\dir\\\" x" << QStringList{"C:\\dir\\", "x"};
        QTest::newRow("shell characters stay literal")
            << "; rm -rf / $(id) `x` | y"
            << QStringList{";", "rm", "-rf", "/", "$(id)", "`x`", "|", "y"};
    }
    void splitParameters() {
        QFETCH(QString, parameters);
        QFETCH(QStringList, arguments);
        QCOMPARE(SplitParameters(parameters), arguments);
    }

    void shellStartsProgramInItsDirectoryWithArguments() {
        QTemporaryDir dir;
        const QString out = dir.filePath("out.txt");
        const QString startIn = dir.filePath("start in");
        QVERIFY(QDir().mkpath(startIn));
        const QStringList lines =
            RunProbe(QStringLiteral("\"%1\" \"two words\" $(id) ;").arg(out), startIn, out);
        QCOMPARE(lines,
                 (QStringList{QFileInfo(startIn).canonicalFilePath(), "two words", "$(id)", ";"}));
    }

    void shellRefusesWhatCannotStart_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("startIn");
        QTest::addColumn<long>("number");
        QTest::newRow("missing program") << "/nonexistent/program"
                                         << "" << ErrorNumber::FileNotFound;
        QTest::newRow("empty path") << ""
                                    << "" << ErrorNumber::FileNotFound;
        QTest::newRow("missing start-in")
            << QStringLiteral(ORV_PROBE) << "/nonexistent/dir" << ErrorNumber::FileNotFound;
    }
    void shellRefusesWhatCannotStart() {
        QFETCH(QString, path);
        QFETCH(QString, startIn);
        QFETCH(long, number);
        DesktopShell shell;
        try {
            shell.Execute(path, QString(), startIn);
            QFAIL("no error raised");
        } catch (const OrvError& error) {
            QCOMPARE(error.Number(), number);
            QVERIFY(!error.Description().isEmpty());
        }
    }

    void logonNameComesFromTheSystem() {
        qputenv("USER", "someone-else");
        qputenv("LOGNAME", "someone-else");
        const passwd* entry = getpwuid(geteuid());
        QVERIFY(entry != nullptr);
        QCOMPARE(OsAccount().LogonName(), QString::fromLocal8Bit(entry->pw_name));
    }

    void systemCallErrorText() {
        const OrvError error = SystemCallError(122);
        QCOMPARE(error.Number(), 122L);
        QCOMPARE(error.Description(),
                 QStringLiteral("A system call returned an error code of 122"));
        QVERIFY(error.Source().isEmpty());
    }

    void launchProgramUsesCatalogueAndTrimmedName() {
        TestContext t;
        QVERIFY(t.ctx.Catalog().AddProgram("Editor", "", "  /usr/bin/editor  ", "", "/tmp", "-x"));
        QVERIFY(modMain::LaunchProgram(t.ctx, "  Editor  ", "", ""));
        QCOMPARE(t.shell->executed.size(), 1);
        QCOMPARE(t.shell->executed[0].path, QStringLiteral("/usr/bin/editor"));
        // Empty start-in and parameters pass as empty strings.
        QCOMPARE(t.shell->executed[0].startIn, QString(""));
        QCOMPARE(t.shell->executed[0].parameters, QString(""));
        QVERIFY(t.prompt->transcript.isEmpty());
    }

    void launchFailureShowsBothMessages() {
        TestContext t;
        t.ctx.shell = std::make_unique<DesktopShell>();
        QVERIFY(t.ctx.Catalog().AddProgram("Gone", "", "/nonexistent/gone", "", "", ""));
        QVERIFY(!modMain::LaunchProgram(t.ctx, " Gone ", "", ""));
        QCOMPARE(t.prompt->transcript.size(), 2);
        QCOMPARE(t.prompt->transcript[0].text,
                 QStringLiteral("Unable to execute program : Gone. Error Follows"));
        QCOMPARE(t.prompt->transcript[0].title, QStringLiteral("Error"));
        QCOMPARE(t.prompt->transcript[0].icon, PromptIcon::Exclamation);
        QVERIFY(t.prompt->transcript[1].text.contains("/nonexistent/gone"));
        QCOMPARE(t.prompt->transcript[1].icon, PromptIcon::Critical);
        QCOMPARE(t.prompt->transcript[1].title, QStringLiteral("Shell"));

        t.prompt->transcript.clear();
        QVERIFY(!modMain::OpenFolder(t.ctx, "Reports", "/nonexistent/reports"));
        QCOMPARE(t.prompt->transcript[0].text,
                 QStringLiteral("Unable to execute program : Reports. Error Follows"));
    }
};

QTEST_MAIN(tst_platform)
#include "tst_platform.moc"
