#include "support/TestContext.h"

#include "platform/FileTrust.h"
#include "platform/OrvError.h"
#include "widgets/AccessibleRoles.h"

#include <QDir>

void FakeDirectory::AddGroup(const QString& group, const QStringList& members) {
    groups.append({group, members});
}

namespace {

void ThrowWhenSet(const QString& failure) {
    if (!failure.isEmpty())
        throw OrvError(ErrorNumber::NoMapping, failure, QStringLiteral("FakeDirectory"));
}

QString FakeSid(const QString& account) {
    return QStringLiteral("S-1-5-21-1000-%1").arg(qHash(account) % 100000);
}

} // namespace

QStringList FakeDirectory::GetUsers(const QString&, bool) {
    ++userListCalls;
    ThrowWhenSet(listFailure);
    return users;
}

QList<DirectoryAccount> FakeDirectory::GetUsersWithSids(const QString&, bool) {
    ++userListCalls;
    ThrowWhenSet(listFailure);
    if (whileListing)
        whileListing();
    QList<DirectoryAccount> accounts;
    accounts.reserve(users.size());
    for (const QString& user : users)
        accounts.append({user, FakeSid(user)});
    return accounts;
}

QStringList FakeDirectory::GetGroups(const QString&, bool) {
    ThrowWhenSet(listFailure);
    QStringList names;
    for (const auto& [group, members] : groups)
        names.append(group);
    return names;
}

QStringList FakeDirectory::GetUserGroups(const QString&, const QString& user, bool) {
    ++userGroupCalls;
    QStringList names;
    for (const auto& [group, members] : groups)
        if (members.contains(user))
            names.append(group);
    return names;
}

QString FakeDirectory::GetAccountSid(const QString&, const QString& account, bool) {
    ++sidCalls;
    return FakeSid(account);
}

TestContext::TestContext() {
    AccessibleRoles::Install();
    const QString root = dir.path();
    QDir().mkpath(root + QStringLiteral("/app/database"));
    ctx.paths = AppPaths(root + QStringLiteral("/app"), root + QStringLiteral("/pictures"));
    ctx.paths.SetStateFile(root + QStringLiteral("/config/tessaro-orvane/state.ini"));
    ctx.paths.EnsureFiles();

    auto scripted = std::make_unique<ScriptedPrompt>();
    prompt = scripted.get();
    ctx.prompt = std::move(scripted);
    ctx.account = std::make_unique<FixedAccount>(QStringLiteral("tester"));
    ctx.display = std::make_unique<FixedDisplay>(32);
    auto recording = std::make_unique<RecordingShell>();
    shell = recording.get();
    ctx.shell = std::move(recording);
    auto fake = std::make_unique<FakeDirectory>();
    directory = fake.get();
    ctx.directory = std::move(fake);
    ctx.registry =
        std::make_unique<RegistryStore>(root + QStringLiteral("/system.ini"), EffectiveUid());
    ctx.permissions = std::make_unique<PermissionSet>();

    ctx.Catalog().OpenDatabase(ctx.paths.DatabaseFile());
    ctx.Catalog().SetAppPath(ctx.paths.PictureDir());
    ctx.Catalog().SetDefaultIcon(ctx.paths.DefaultIcon());
}
