#include "platform/BrokenPipes.h"
#include "platform/OrvError.h"
#include "platform/Shell.h"
#include "platform/ShellDesktopEntry.h"
#include "support/DataRow.h"
#include "support/TestFiles.h"

#include <QDeadlineTimer>
#include <QIcon>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

// Real launches of the probe, which writes its working directory and arguments to the file
// named by its first argument: directly, through PATH and through desktop entries.
class tst_shell : public QObject {
    Q_OBJECT

    QTemporaryDir mRoot;
    int mRun = 0;

    QString Root() const { return QFileInfo(mRoot.path()).canonicalFilePath(); }
    QString DataHome() const { return Root() + "/data"; }

    static void Write(const QString& path, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QVERIFY2(WriteFile(path, bytes), qPrintable(path));
    }

    static void WriteSquare(const QString& path, QColor colour) {
        QImage image(32, 32, QImage::Format_ARGB32);
        image.fill(colour);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QVERIFY(image.save(path, "png"));
    }

    // A fresh directory for one launch, with a start-in folder whose name has a space.
    QString NewRunDir() {
        const QString dir = Root() + u"/run%1"_s.arg(++mRun);
        QDir().mkpath(dir + "/start in");
        return dir;
    }

    static QString Expand(QString text, const QString& dir) {
        return text.replace("<probe>", QStringLiteral(ORV_PROBE))
            .replace("<out>", "\"<dir>/out.txt\"")
            .replace("<dir>", dir)
            .replace("<cwd>", QFileInfo(QDir::currentPath()).canonicalFilePath());
    }

    // The lines the probe wrote: working directory, then arguments; empty after 10 s.
    static QStringList ProbeLines(const QString& out) {
        QFile file(out);
        const QDeadlineTimer deadline(10000);
        while (!file.exists() && !deadline.hasExpired())
            QTest::qWait(10);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QStringList lines = QString::fromLocal8Bit(file.readAll()).split(QLatin1Char('\n'));
        lines.removeLast();
        return lines;
    }

private Q_SLOTS:
    void initTestCase() {
        IgnoreBrokenPipes(); // as every program does first
        QVERIFY(mRoot.isValid());
        // Before GIO's first use: it reads the applications folders once.
        qputenv("XDG_DATA_HOME", QFile::encodeName(DataHome()));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(Root() + "/no-data"));
        // A bare name is found through PATH.
        const QString bin = Root() + "/bin";
        QVERIFY(QDir().mkpath(bin));
        QVERIFY(QFile::link(QStringLiteral(ORV_PROBE), bin + "/orv-probe-on-path"));
        // "." and relative folders first: a program in the current folder never stands in.
        const QString here = Root() + "/cwd";
        QVERIFY(QDir().mkpath(here + "/rel"));
        QVERIFY(QFile::copy(QStringLiteral(ORV_PROBE), here + "/orv-probe-here"));
        QVERIFY(QFile::copy(QStringLiteral(ORV_PROBE), here + "/rel/orv-probe-here"));
        QVERIFY(QDir::setCurrent(here));
        qputenv("PATH", ".:rel::" + QFile::encodeName(bin) + ":" + qgetenv("PATH"));
        // An icon theme of our own, and a picture in the pixmaps folder.
        Write(Root() + "/icons/orvtest/index.theme",
              "[Icon Theme]\nName=orvtest\nDirectories=32x32/apps\n\n"
              "[32x32/apps]\nSize=32\nType=Fixed\n");
        WriteSquare(Root() + "/icons/orvtest/32x32/apps/orv-red.png", Qt::red);
        WriteSquare(DataHome() + "/pixmaps/orv-green.png", Qt::green);
        WriteSquare(Root() + "/blue.png", Qt::blue);
        // An entry found by its desktop-file id; GIO scans the folder once, so it is written
        // here.
        QVERIFY(QDir().mkpath(Root() + "/by-id/start in"));
        Write(DataHome() + "/applications/orv-probe-id.desktop",
              Expand("[Desktop Entry]\nType=Application\nName=By Id\n"
                     "Exec=<probe> <dir>/out.txt %c\n",
                     Root() + "/by-id")
                  .toUtf8());
        QIcon::setThemeSearchPaths({Root() + "/icons"});
        QIcon::setThemeName("orvtest");
    }

    void splitParameters_data() {
        AddColumns<QString, QStringList>("parameters", "arguments");
        AddRow("empty", "", QStringList{});
        AddRow("plain", "-a -b", QStringList{"-a", "-b"});
        AddRow("quoted", "\"a b\" c", QStringList{"a b", "c"});
        AddRow("doubled quote", "\"say \"\"hi\"\"\"", QStringList{"say \"hi\""});
        AddRow("empty quoted", "a \"\" b", QStringList{"a", "", "b"});
        AddRow("tabs separate", "a\tb", QStringList{"a", "b"});
        AddRow("quotes join a word", "--name=\"a b\"c", QStringList{"--name=a bc"});
        AddRow("shell characters stay literal", "; rm -rf / $(id) `x` | y",
               QStringList{";", "rm", "-rf", "/", "$(id)", "`x`", "|", "y"});
        // Backslashes count only before a quote.
        AddRow("backslashes alone stay", "C:\\dir\\ a\\\\b", QStringList{"C:\\dir\\", "a\\\\b"});
        AddRow("1 backslash, quote: literal quote", "\\\"a b", QStringList{"\"a", "b"});
        AddRow("2 backslashes, quote: 1 and grouping", "\\\\\"a b\"", QStringList{"\\a b"});
        AddRow("3 backslashes, quote: 1 and literal quote", "\\\\\\\"a b",
               QStringList{"\\\"a", "b"});
        AddRow("4 backslashes, quote: 2 and grouping", "\\\\\\\\\"a b\"", QStringList{"\\\\a b"});
        AddRow("quoted folder ending in a backslash", "\"C:\\dir\\\\\" x",
               QStringList{"C:\\dir\\", "x"});
        AddRow("escaped quote keeps the group open", "\"C:\\dir\\\" x", QStringList{"C:\\dir\" x"});
    }
    void splitParameters() {
        QFETCH(QString, parameters);
        QFETCH(QStringList, arguments);
        QCOMPARE(SplitParameters(parameters), arguments);
    }

    // Programs started directly, and what GIO makes of an entry's Exec line: field codes,
    // quoting and the working directory. <out> is the probe's output file, quoted.
    void launchesPassArgumentsAndStartIn_data() {
        QTest::addColumn<QString>("target"); // a program, or entry keys after Type=Application
        AddColumns<QString, QString, QStringList>("parameters", "startIn", "lines");
        AddRow("full path", "<probe>", "<out> \"two words\" $(id) ;", "<dir>/start in",
               QStringList{"<dir>/start in", "two words", "$(id)", ";"});
        AddRow("bare name through PATH", "orv-probe-on-path", "<out> x", "<dir>/start in",
               QStringList{"<dir>/start in", "x"});
        AddRow("empty start-in: the launcher's directory", "<probe>", "<out>", "",
               QStringList{"<cwd>"});
        AddRow("files, name, icon, location, percent",
               "Name=Probe Entry\nIcon=orv-red\nExec=\"<probe>\" \"<dir>/out.txt\" %F %c %i %k "
               "100%%\n",
               "\"my file.txt\" /abs/x", "<dir>/start in",
               QStringList{"<dir>/start in", "<dir>/start in/my file.txt", "/abs/x", "Probe Entry",
                           "--icon", "orv-red", "<dir>/probe.desktop", "100%"});
        // Local files may come as paths or file: URLs; GIO passes paths.
        AddRow("URLs stay URLs", "Name=P\nExec=<probe> <dir>/out.txt %U\n",
               "https://example.org/a?b=c \"my file.txt\"", "<dir>/start in",
               QStringList{"<dir>/start in", "https://example.org/a?b=c",
                           "<dir>/start in/my file.txt"});
        // Escapes inside quotes pass through the rewriting of %k untouched.
        AddRow("quoted arguments",
               "Name=P\nExec=<probe> <dir>/out.txt \"a b\" \"say \\\\\"hi\\\\\"\" \"\\\\$HOME\"\n",
               "", "<dir>/start in", QStringList{"<dir>/start in", "a b", "say \"hi\"", "$HOME"});
        AddRow("field code in quotes, no parameters: started",
               "Name=P\nExec=sh -c \"<probe> <dir>/out.txt %f\"\n", "", "<dir>/start in",
               QStringList{"<dir>/start in"});
        AddRow("Path key when start-in is empty",
               "Name=P\nPath=<dir>/start in\nExec=<probe> <dir>/out.txt\n", "", "",
               QStringList{"<dir>/start in"});
        AddRow("start-in over the Path key", "Name=P\nPath=/\nExec=<probe> <dir>/out.txt\n", "",
               "<dir>/start in", QStringList{"<dir>/start in"});
    }
    void launchesPassArgumentsAndStartIn() {
        QFETCH(QString, target);
        QFETCH(QString, parameters);
        QFETCH(QString, startIn);
        QFETCH(QStringList, lines);
        const QString dir = NewRunDir();
        QString path = Expand(target, dir);
        if (target.startsWith("Name=")) {
            path = dir + "/probe.desktop";
            Write(path, Expand("[Desktop Entry]\nType=Application\n" + target, dir).toUtf8());
        }
        DesktopShell shell;
        shell.Execute(path, Expand(parameters, dir), Expand(startIn, dir));
        for (QString& line : lines)
            line = Expand(line, dir);
        QCOMPARE(ProbeLines(dir + "/out.txt"), lines);
    }

    // The launcher ignores SIGPIPE; what it starts gets the default back (an ignored signal
    // stays ignored across exec, and "yes | head" in a started script would then never end).
    void startedProgramsGetBrokenPipesBack_data() {
        AddBoolTable("entry", {{"program", false}, {"desktop entry", true}});
    }
    void startedProgramsGetBrokenPipesBack() {
        QFETCH(bool, entry);
        const QString dir = NewRunDir();
        // Written aside and renamed, so that the file is whole once it is there.
        const QString command = "grep SigIgn /proc/self/status > " + dir + "/out.tmp && mv " + dir +
                                "/out.tmp " + dir + "/out.txt";
        DesktopShell shell;
        if (entry) {
            Write(dir + "/sig.desktop",
                  ("[Desktop Entry]\nType=Application\nName=S\nExec=sh -c \"" + command + "\"\n")
                      .toUtf8());
            shell.Execute(dir + "/sig.desktop", QString(), dir);
        } else {
            shell.Execute("/bin/sh", "-c \"" + command + "\"", dir);
        }
        const QStringList lines = ProbeLines(dir + "/out.txt");
        QCOMPARE(lines.size(), 1);
        bool ok = false;
        const qulonglong ignored = lines.first().section(u'\t', 1).trimmed().toULongLong(&ok, 16);
        QVERIFY2(ok, qPrintable(lines.first()));
        QCOMPARE(ignored & (1ULL << (SIGPIPE - 1)), 0ULL);
    }

    // A bare desktop-file id is looked up in the applications folders, as menus find entries.
    void desktopFileIdFromApplicationsFolder() {
        const QString dir = Root() + "/by-id";
        DesktopShell shell;
        shell.Execute("orv-probe-id.desktop", "", dir + "/start in");
        QCOMPARE(ProbeLines(dir + "/out.txt"), (QStringList{dir + "/start in", "By Id"}));
    }

    void shellRefusesWhatCannotStart_data() {
        QTest::addColumn<QString>("path");
        // Written to `path` when not empty; "<fifo>" makes a FIFO, "<1 GB>" a sparse file.
        AddColumns<QByteArray, QString, QString, long, QString>("content", "parameters", "startIn",
                                                                "number", "says");
        const QByteArray app = "[Desktop Entry]\nType=Application\nName=X\n";
        // A parameter that would run a command, were it handed to a shell unquoted.
        const QString hostile = u"x\"; touch <dir>/pwned; \""_s;
        AddRow("missing program", "/nonexistent/program", QByteArray(), "", "",
               ErrorNumber::FileNotFound, "was not found");
        AddRow("empty path", "", QByteArray(), "", "", ErrorNumber::FileNotFound, "was not found");
        AddRow("missing start-in", "<probe>", QByteArray(), "", "/nonexistent/dir",
               ErrorNumber::FileNotFound, "start-in directory");
        AddRow("bare name not on PATH", "orv-no-such-program", QByteArray(), "", "",
               ErrorNumber::FileNotFound, "search path (PATH)");
        AddRow("bare name only in . and relative PATH folders", "orv-probe-here", QByteArray(), "",
               "", ErrorNumber::FileNotFound, "search path (PATH)");
        AddRow("executable that is no program", "<dir>/garbage",
               QByteArray("\x7f"
                          "ELF garbage"),
               "", "", ErrorNumber::PermissionDenied, "could not be started");
        AddRow("entry that is a link", "<dir>/link.desktop",
               QByteArray("[Desktop Entry]\nType=Link\nURL=x\n"), "", "", ErrorNumber::FileNotFound,
               "does not describe an application");
        AddRow("entry that is no key file", "<dir>/bad.desktop", QByteArray("not a key file\n"), "",
               "", ErrorNumber::FileNotFound, "cannot be read");
        AddRow("entry that is a FIFO", "<dir>/fifo.desktop", QByteArray("<fifo>"), "", "",
               ErrorNumber::FileNotFound, "is a FIFO, not a regular file");
        AddRow("entry of 1 GB", "<dir>/huge.desktop", QByteArray("<1 GB>"), "", "",
               ErrorNumber::FileNotFound, "is larger than 1 MB");
        AddRow("entry whose TryExec is missing", "<dir>/try.desktop",
               app + "TryExec=orv-absent\nExec=<probe>\n", "", "", ErrorNumber::FileNotFound,
               "\"orv-absent\" (TryExec)");
        AddRow("entry whose program is missing", "<dir>/gone.desktop", app + "Exec=orv-absent %f\n",
               "", "", ErrorNumber::FileNotFound, "Exec line \"orv-absent %f\"");
        AddRow("entry whose program is only in the current folder", "<dir>/here.desktop",
               app + "Exec=orv-probe-here <dir>/out.txt\n", "", "", ErrorNumber::FileNotFound,
               "the program \"orv-probe-here\" is not installed");
        AddRow("field code in double quotes", "<dir>/sh.desktop",
               app + "Exec=sh -c \"<probe> <dir>/out.txt %f\"\n", hostile, "",
               ErrorNumber::FileNotFound, "puts a field code (%f, %F, %u or %U) inside quotes");
        AddRow("field code in single quotes", "<dir>/sh1.desktop",
               app + "Exec=sh -c '<probe> <dir>/out.txt %U'\n", hostile, "",
               ErrorNumber::FileNotFound, "inside quotes");
        AddRow("unknown desktop-file id", "orv-unknown.desktop", QByteArray(), "", "",
               ErrorNumber::FileNotFound, "desktop file id");
    }
    void shellRefusesWhatCannotStart() {
        QFETCH(QString, path);
        QFETCH(QByteArray, content);
        QFETCH(QString, parameters);
        QFETCH(QString, startIn);
        QFETCH(long, number);
        QFETCH(QString, says);
        const QString dir = NewRunDir();
        path = Expand(path, dir);
        if (content == "<fifo>") {
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (content == "<1 GB>") {
            QFile huge(path);
            QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(1) << 30));
        } else if (!content.isEmpty()) {
            Write(path, Expand(QString::fromUtf8(content), dir).toUtf8());
            QVERIFY(QFile::setPermissions(path,
                                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        }
        DesktopShell shell;
        const auto nothingRan = qScopeGuard([&dir, &parameters] {
            if (!parameters.isEmpty())
                QTest::qWait(200); // a command that slipped through would have run by now
            QVERIFY(!QFile::exists(dir + "/pwned") && !QFile::exists(dir + "/out.txt"));
        });
        try {
            shell.Execute(path, Expand(parameters, dir), Expand(startIn, dir));
            QFAIL("no error raised");
        } catch (const OrvError& error) {
            QCOMPARE(error.Number(), number);
            QVERIFY2(error.Description().contains(says), qPrintable(error.Description()));
            QCOMPARE(error.Source(), u"Shell"_s);
        }
    }

    void desktopEntryIcon_data() {
        QTest::addColumn<QString>("icon");  // the Icon key; none when empty
        QTest::addColumn<QColor>("colour"); // invalid: no picture
        AddRow("theme name", "orv-red", QColor(Qt::red));
        AddRow("name with extension", "orv-red.png", QColor(Qt::red));
        AddRow("absolute file", "<root>/blue.png", QColor(Qt::blue));
        AddRow("pixmaps folder", "orv-green", QColor(Qt::green));
        AddRow("not in the theme", "orv-absent", QColor());
        AddRow("no Icon key", "", QColor());
    }
    void desktopEntryIcon() {
        QFETCH(QString, icon);
        QFETCH(QColor, colour);
        const QString dir = NewRunDir();
        QString entry = "[Desktop Entry]\nType=Application\nName=P\nExec=<probe>\n";
        if (!icon.isEmpty())
            entry += "Icon=" + QString(icon).replace("<root>", Root()) + "\n";
        Write(dir + "/icon.desktop", Expand(entry, dir).toUtf8());
        const QImage picture = DesktopEntry::Icon(dir + "/icon.desktop", 32);
        QCOMPARE(picture.isNull(), !colour.isValid());
        if (colour.isValid()) {
            QCOMPARE(picture.size(), QSize(32, 32));
            QCOMPARE(picture.pixelColor(16, 16), colour);
            QVERIFY(!picture.hasAlphaChannel());
        }
    }
};

QTEST_MAIN(tst_shell)
#include "tst_shell.moc"
