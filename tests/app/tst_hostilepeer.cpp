#include "catalogue/CatalogStore.h"
#include "support/DataRow.h"
#include "support/TestAccount.h"
#include "support/TestFiles.h"

#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

// A second account that may write the first one's application folder must not be able to make
// the first one's launcher (or orvanectl) use settings or a catalogue of his: each way is
// refused with a message before anything is shown. The real programs run as the test account
// (A); files are placed as the peer account (B) would place them.
class tst_hostilepeer : public QObject {
    Q_OBJECT

    QTemporaryDir mPrograms; // copies of the programs, readable by the test accounts
    uid_t mA = 0, mB = 0;
    gid_t mGroupA = 0, mGroupB = 0;

    struct Run {
        int status = -1;
        QString output;
    };

    // Runs `program` with `arguments` as account A, with his own home.
    Run RunAsA(const QString& program, const QStringList& arguments) {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.setWorkingDirectory(u"/"_s);
        const QString home = QString::fromLocal8Bit(getpwuid(mA)->pw_dir);
        process.start(u"runuser"_s,
                      QStringList{u"-u"_s, QString::fromLatin1(kTestAccount), u"--"_s, u"env"_s,
                                  u"HOME="_s + home, u"QT_QPA_PLATFORM=offscreen"_s,
                                  mPrograms.filePath(program)} +
                          arguments);
        Run run;
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            run.output = u"(no answer within a minute) "_s;
        } else {
            run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        }
        run.output += QString::fromLocal8Bit(process.readAll());
        return run;
    }

    static void Own(const QString& path, uid_t uid, gid_t gid, mode_t mode) {
        QVERIFY2(lchown(QFile::encodeName(path).constData(), uid, gid) == 0, qPrintable(path));
        if (!QFileInfo(path).isSymLink())
            QVERIFY2(chmod(QFile::encodeName(path).constData(), mode) == 0, qPrintable(path));
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY2(RunningAsRoot(), "placing files as two accounts needs root (scripts/test runs "
                                  "as root)");
        // getpwnam answers in one buffer: each account is read before the next is asked.
        const passwd* a = getpwnam(kTestAccount);
        QVERIFY2(a, "scripts/test creates the account orvane-test");
        mA = a->pw_uid;
        mGroupA = a->pw_gid;
        const passwd* b = getpwnam(kPeerAccount);
        QVERIFY2(b, "scripts/test creates the account orvane-peer");
        mB = b->pw_uid;
        mGroupB = b->pw_gid;
        QVERIFY(QFile::setPermissions(mPrograms.path(), QFile::Permissions(0x7755)));
        QVERIFY(QFile::copy(QStringLiteral(ORV_EXECUTABLE), mPrograms.filePath("tessaro-orvane")));
        QVERIFY(QFile::copy(QStringLiteral(ORV_CTL), mPrograms.filePath("orvanectl")));
    }

    void peerCannotTakeOver_data() {
        QTest::addColumn<QString>("setUp");
        QTest::addColumn<QString>("says"); // empty: the control, which starts
        AddRow("control: A's own folder", u"none"_s, QString());
        AddRow("folder 0775, B in its group", u"group folder"_s,
               u"may be written by other users (mode 0775)"_s);
        AddRow("settings file of B's", u"settings of B"_s, u"settings.ini belongs to user id"_s);
        AddRow("catalogue folder planted by B", u"database of B"_s,
               u"/database belongs to user id"_s);
        AddRow("catalogue of B's in A's folder", u"catalogue of B"_s,
               u"Orvane.mdb belongs to user id"_s);
        AddRow("catalogue folder others may write", u"open database"_s,
               u"/database may be written by other users (mode 0777)"_s);
        AddRow("catalogue replaced by a link", u"catalogue link"_s,
               u"Orvane.mdb is a symbolic link"_s);
    }
    void peerCannotTakeOver() {
        QFETCH(QString, setUp);
        QFETCH(QString, says);
        QTemporaryDir base;
        QVERIFY(QFile::setPermissions(base.path(), QFile::Permissions(0x7755)));
        const QString app = base.filePath("app");
        const QString settings = app + "/settings.ini";
        const QString database = app + "/database";
        const QString catalogue = database + "/Orvane.mdb";
        QVERIFY(QDir().mkpath(database));
        {
            CatalogStore store;
            store.OpenDatabase(catalogue);
            QVERIFY(store.AddProgram("Editor", {}, "/bin/true", {}, {}, {}));
        }
        const group* groupA = getgrgid(mGroupA);
        QVERIFY(groupA);
        QVERIFY(WriteFile(settings, "5=" + QSysInfo::machineHostName().toUtf8() +
                                        "\n6=" + groupA->gr_name + "\n"));
        Own(app, mA, mGroupA, 0755);
        Own(settings, mA, mGroupA, 0644);
        Own(database, mA, mGroupA, 0755);
        Own(catalogue, mA, mGroupA, 0644);

        if (setUp == "group folder") {
            Own(app, mA, mGroupB, 0775);
        } else if (setUp == "settings of B") {
            Own(settings, mB, mGroupB, 0644);
        } else if (setUp == "database of B") {
            Own(database, mB, mGroupB, 0755);
        } else if (setUp == "catalogue of B") {
            Own(catalogue, mB, mGroupB, 0644);
        } else if (setUp == "open database") {
            Own(database, mA, mGroupA, 0777);
        } else if (setUp == "catalogue link") {
            QVERIFY(QFile::rename(catalogue, base.filePath("elsewhere.mdb")));
            QVERIFY(QFile::link(base.filePath("elsewhere.mdb"), catalogue));
            Own(catalogue, mA, mGroupA, 0);
        }

        const Run launcher =
            RunAsA(u"tessaro-orvane"_s, {u"--app-dir"_s, app, u"--exit-after-first-paint"_s});
        const Run ctl = RunAsA(u"orvanectl"_s, {u"programs"_s, u"list"_s, u"--app-dir"_s, app});
        if (says.isEmpty()) {
            QVERIFY2(launcher.status == 0, qPrintable(launcher.output));
            QVERIFY2(ctl.status == 0 && ctl.output.contains(u"Editor"_s), qPrintable(ctl.output));
            return;
        }
        QVERIFY2(launcher.status == 1 && launcher.output.contains(says),
                 qPrintable(launcher.output));
        QVERIFY2(ctl.status == 1 && ctl.output.contains(says), qPrintable(ctl.output));
    }
};

QTEST_MAIN(tst_hostilepeer)
#include "tst_hostilepeer.moc"
