#include "platform/AppPaths.h"
#include "support/DataRow.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QImage BuiltIn(const char* name) {
    return QImage(u":/orvane/"_s + QLatin1String(name));
}

} // namespace

class tst_apppaths : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        // Registers the built-in pictures.
        QTemporaryDir dir;
        QCOMPARE(AppPaths(dir.filePath("a"), dir.filePath("p")).EnsureFiles(), QString());
        QVERIFY(!BuiltIn("default.ico").isNull());
        QVERIFY(!BuiltIn("folder.ico").isNull());
    }

    // Whatever the umask, what EnsureFiles creates has its own mode: the fixed pictures of the
    // application folder read by all and written by the owner, the pictures private.
    void createdFilesHaveExplicitModes_data() {
        QTest::addColumn<int>("mask");
        for (const int mask : {0, 0022, 0077, 0777})
            QTest::addRow("umask %03o", mask) << mask;
    }
    void createdFilesHaveExplicitModes() {
        QFETCH(int, mask);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        // A folder that is not there is not made: a mistyped --app-dir is no new site.
        const AppPaths missing(root.filePath("nowhere"), root.filePath("cache/orv/pictures"));
        QCOMPARE(missing.EnsureFiles(), QString());
        QVERIFY(!QFileInfo::exists(root.filePath("nowhere")));
        QVERIFY(QDir().mkpath(root.filePath("opt/orvane")));
        const AppPaths paths(root.filePath("opt/orvane"), root.filePath("cache/orv/pictures"));
        const mode_t old = ::umask(static_cast<mode_t>(mask));
        const QString problem = paths.EnsureFiles();
        ::umask(old);
        QCOMPARE(problem, QString());
        const struct {
            QString path;
            int mode;
        } expected[] = {
            {root.filePath("opt/orvane/default.ico"), 0644},
            {root.filePath("opt/orvane/folder.ico"), 0644},
            {root.filePath("cache"), 0700},
            {root.filePath("cache/orv"), 0700},
            {root.filePath("cache/orv/pictures"), 0700},
        };
        for (const auto& item : expected)
            QVERIFY2(ModeOf(item.path) == item.mode,
                     qPrintable(u"%1: %2"_s.arg(item.path).arg(ModeOf(item.path), 0, 8)));
        QCOMPARE(QImage(paths.DefaultIcon()), BuiltIn("default.ico"));
    }

    // What stands in the way: a picture folder open to others becomes private; a file where
    // the application folder should be (which stops root too) keeps the program running on
    // the built-in pictures; one where the picture folder should be is reported.
    void foldersInTheWay() {
        QTemporaryDir root;
        const QString pictures = root.filePath("pictures");
        QVERIFY(QDir().mkpath(pictures));
        QVERIFY(QFile::setPermissions(pictures, FileMode::kSharedDir | QFile::WriteOther));
        QVERIFY(WriteFile(root.filePath("blocked"), "a file, not a folder"));
        const AppPaths paths(root.filePath("blocked/app"), pictures);
        QCOMPARE(paths.EnsureFiles(), QString());
        QCOMPARE(ModeOf(pictures), 0700);
        QVERIFY(!QFileInfo::exists(root.filePath("blocked/app/default.ico")));
        QCOMPARE(QImage(paths.DefaultIcon()), BuiltIn("default.ico"));
        QCOMPARE(QImage(paths.FolderIcon()), BuiltIn("folder.ico"));
        const QString problem =
            AppPaths(root.filePath("app"), root.filePath("blocked/pictures")).EnsureFiles();
        QVERIFY2(problem.contains(QDir::toNativeSeparators(root.filePath("blocked/pictures"))),
                 qPrintable(problem));
    }

    // Only a program in the system's programs folder itself takes the site's folder: one
    // elsewhere or in a folder with a longer name keeps its own, as a build tree does.
    void defaultAppDir_data() {
        AddColumns<QString, QString>("executableDir", "appDir");
        const QString bin = QStringLiteral(ORV_INSTALL_FULL_BINDIR);
        const QString site = QStringLiteral(ORV_INSTALLED_APP_DIR);
        QTest::newRow("installed") << bin << site;
        QTest::newRow("dotted path") << bin + u"/../"_s + QFileInfo(bin).fileName() << site;
        QTest::newRow("longer name") << bin + u'2' << bin + u'2';
        QTest::newRow("build tree") << u"/home/me/orvane/build"_s << u"/home/me/orvane/build"_s;
    }
    void defaultAppDir() {
        QFETCH(QString, executableDir);
        QFETCH(QString, appDir);
        QCOMPARE(AppPaths::DefaultAppDir(executableDir), appDir);
    }
};

QTEST_MAIN(tst_apppaths)
#include "tst_apppaths.moc"
