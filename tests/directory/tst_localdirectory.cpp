#include "directory/DomainDirectory.h"
#include "directory/LocalDirectory.h"
#include "platform/OrvError.h"
#include "support/DataRow.h"
#include "support/TestContext.h"

#include <QProcess>
#include <QTest>
#include <QThread>
#include <grp.h>
#include <pwd.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// The computer's accounts in memory, failing once when told to, as an unreachable domain does.
class FlakyDirectory : public FakeDirectory {
public:
    bool failNext = false;
    QStringList GetUserGroups(const QString& domain, const QString& user, bool flag) override {
        if (std::exchange(failNext, false))
            throw OrvError(1722, u"The domain cannot be reached."_s, u"test"_s);
        return FakeDirectory::GetUserGroups(domain, user, flag);
    }
};

} // namespace

class tst_localdirectory : public QObject {
    Q_OBJECT

    QString mUser;
    QString mPrimaryGroup;
    uid_t mUid = 0;
    gid_t mGid = 0;

private Q_SLOTS:
    void initTestCase() {
        const passwd* me = getpwuid(geteuid());
        QVERIFY(me != nullptr);
        mUser = QString::fromLocal8Bit(me->pw_name);
        mUid = me->pw_uid;
        mGid = me->pw_gid;
        const group* primary = getgrgid(mGid);
        QVERIFY(primary != nullptr);
        mPrimaryGroup = QString::fromLocal8Bit(primary->gr_name);
    }

    void listsTheComputersAccounts() {
        LocalDirectory directory;
        QVERIFY(directory.GetDomains(true).isEmpty());
        const QStringList users = directory.GetUsers("host", false);
        const QStringList groups = directory.GetGroups("host", false);
        QVERIFY(users.contains(mUser));
        QVERIFY(groups.contains(mPrimaryGroup));
        QCOMPARE(QSet<QString>(groups.begin(), groups.end()).size(), groups.size());
        // The batch listing is the per-user calls in one pass: same users, order and SIDs.
        const QList<DirectoryAccount> accounts = directory.GetUsersWithSids("host", false);
        QCOMPARE(accounts.size(), users.size());
        for (qsizetype i = 0; i < users.size(); ++i) {
            QCOMPARE(accounts.at(i).name, users.at(i));
            QCOMPARE(accounts.at(i).sid, directory.GetAccountSid("host", users.at(i), false));
        }
    }

    // The names must be the system's own: compared with what id(1) reports for every account
    // that has supplementary groups, so a name read from a released buffer shows up here. The
    // primary group comes first.
    void userGroupsMatchTheSystem() {
        LocalDirectory directory;
        int checked = 0;
        for (const QString& user : directory.GetUsers("host", false)) {
            QProcess id;
            id.start(u"id"_s, {u"-Gn"_s, u"--"_s, user});
            QVERIFY(id.waitForFinished(5000));
            if (id.exitCode() != 0)
                continue;
            QStringList expected = QString::fromLocal8Bit(id.readAllStandardOutput())
                                       .simplified()
                                       .split(u' ', Qt::SkipEmptyParts);
            QStringList actual = directory.GetUserGroups("host", user, false);
            if (user == mUser)
                QCOMPARE(actual.value(0), mPrimaryGroup);
            expected.sort();
            actual.sort();
            QCOMPARE(actual, expected);
            ++checked;
        }
        QVERIFY(checked > 0);
    }

    // Unix accounts' SIDs in any domain; what names no account, a pattern included, is
    // refused, for its groups too.
    void accountSids_data() {
        AddColumns<QString, QString>("name", "sid"); // sid "": refused
        AddRow("own user", mUser, u"S-1-22-1-%1"_s.arg(mUid));
        // A group whose name is not also a user's name.
        setgrent();
        while (const group* g = getgrent()) {
            if (getpwnam(g->gr_name) == nullptr) {
                AddRow("group", QString::fromLocal8Bit(g->gr_name),
                       u"S-1-22-2-%1"_s.arg(g->gr_gid));
                break;
            }
        }
        endgrent();
        AddRow("unknown", u"no-such-account-4711"_s, QString());
        AddRow("empty", QString(), QString());
    }
    void accountSids() {
        QFETCH(QString, name);
        QFETCH(QString, sid);
        LocalDirectory directory;
        if (sid.isEmpty()) {
            QVERIFY_THROWS_EXCEPTION(OrvError, directory.GetAccountSid("host", name, false));
            QVERIFY_THROWS_EXCEPTION(OrvError, directory.GetUserGroups("host", name, false));
            return;
        }
        QCOMPARE(directory.GetAccountSid("host", name, false), sid);
        QCOMPARE(directory.GetAccountSid("other", name, false), sid);
    }

    // The front keeps the last user's groups for a moment, keyed by domain, user and flag; a
    // failure is never kept.
    void userGroupsAreKeptForAMoment() {
        TestContext t;
        auto owned = std::make_unique<FlakyDirectory>();
        FlakyDirectory& local = *owned;
        local.AddGroup("staff", {"ann", "bob"});
        DomainDirectory front(*t.ctx.registry, std::move(owned), "host",
                              std::chrono::milliseconds(300));
        // How many times the backend was asked; -1 for a wrong answer.
        const auto asks = [&](const QString& domain, const QString& user, bool flag = false) {
            const int before = local.userGroupCalls;
            const bool right = front.GetUserGroups(domain, user, flag) == QStringList{"staff"};
            return right ? local.userGroupCalls - before : -1;
        };
        QCOMPARE(asks("host", "ann"), 1);
        QCOMPARE(asks("HOST", "ann"), 0);
        QCOMPARE(asks("", "ann"), 0);
        QCOMPARE(asks("host", "ann", true), 1);
        QCOMPARE(asks("host", "bob", true), 1);
        QCOMPARE(asks("host", "ann", true), 1); // only the last answer is kept
        local.failNext = true;
        QVERIFY_THROWS_EXCEPTION(OrvError, front.GetUserGroups("host", "bob", false));
        QCOMPARE(asks("host", "bob"), 1);
        QThread::msleep(350);
        QCOMPARE(asks("host", "bob"), 1);
    }
};

QTEST_MAIN(tst_localdirectory)
#include "tst_localdirectory.moc"
