#pragma once

#include "services/AppContext.h"
#include "support/ScriptedPrompt.h"

#include <QHash>
#include <QTemporaryDir>
#include <functional>
#include <memory>

// A directory kept in memory: groups with their members, users with their SIDs.
class FakeDirectory : public DirectoryService {
public:
    QStringList domains;
    QStringList users;
    // group -> members, in the order groups were added.
    QList<std::pair<QString, QStringList>> groups;
    int userGroupCalls = 0;
    int sidCalls = 0;      // GetAccountSid
    int userListCalls = 0; // GetUsers and GetUsersWithSids
    // When not empty, listing groups or users throws OrvError with this description, as a
    // domain that cannot be reached does.
    QString listFailure;
    // Called while the users are listed, to look at the program from inside the query.
    std::function<void()> whileListing;

    void AddGroup(const QString& group, const QStringList& members);

    QStringList GetDomains(bool) override { return domains; }
    QStringList GetGroups(const QString&, bool) override;
    QStringList GetUsers(const QString&, bool) override;
    QList<DirectoryAccount> GetUsersWithSids(const QString& domain, bool) override;
    QStringList GetUserGroups(const QString&, const QString& user, bool) override;
    QString GetAccountSid(const QString&, const QString& account, bool) override;
    // The logon name as it is: names in memory have one form.
    QString GetAccountName(const QString&, const QString& logonName, bool) override {
        return logonName;
    }
};

class FixedAccount : public Account {
public:
    explicit FixedAccount(QString name) : mName(std::move(name)) {}
    QString LogonName() override { return mName; }

private:
    QString mName;
};

class FixedDisplay : public DisplayInfo {
public:
    explicit FixedDisplay(long bits) : mBits(bits) {}
    void GetScreenInfo(long& width, long& height, long& bits) override {
        width = 1024;
        height = 768;
        bits = mBits;
    }

private:
    long mBits;
};

// Remembers what it was asked to start instead of starting it.
class RecordingShell : public Shell {
public:
    struct Call {
        QString path, parameters, startIn;
    };
    QList<Call> executed;
    QStringList opened;
    void Execute(const QString& path, const QString& parameters, const QString& startIn) override {
        executed.append({path, parameters, startIn});
    }
    void Open(const QString& path) override { opened.append(path); }
};

// A context on a temporary application directory with an open, empty catalogue, a scripted
// prompt, a fixed user "tester" on a 32-bit display, a fake directory, a recording shell and
// settings in private files. Pointers to the doubles stay valid while the context lives.
struct TestContext {
    TestContext();
    QTemporaryDir dir;
    AppContext ctx;
    ScriptedPrompt* prompt = nullptr;
    FakeDirectory* directory = nullptr;
    RecordingShell* shell = nullptr;
};
