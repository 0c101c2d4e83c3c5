#include "directory/LocalDirectory.h"

#include "platform/OrvError.h"

#include <QSet>
#include <algorithm>
#include <cerrno>
#include <grp.h>
#include <mutex>
#include <optional>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace {

const QString kSource = QStringLiteral("LocalDirectory");

// getpwent/getgrent keep one cursor per process.
std::mutex gEnumerationLock;

bool NameOrder(const QString& a, const QString& b) {
    const int folded = a.compare(b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a < b;
}

QStringList SortedUnique(QStringList names) {
    names.removeDuplicates();
    std::sort(names.begin(), names.end(), NameOrder);
    return names;
}

QString UserSid(uid_t uid) {
    return QStringLiteral("S-1-22-1-%1").arg(uid);
}

// Runs a reentrant look-up, growing the buffer while the C library asks for more room, and
// hands the entry to `read` while the buffer its strings point into is still alive.
template <class Entry, class Lookup, class Read> bool Find(Lookup lookup, Read read) {
    std::vector<char> buffer(16384);
    Entry entry{};
    Entry* found = nullptr;
    int rc = 0;
    while ((rc = lookup(&entry, buffer.data(), buffer.size(), &found)) == ERANGE)
        buffer.resize(buffer.size() * 2);
    if (rc != 0 || found == nullptr)
        return false;
    read(*found);
    return true;
}

struct UserEntry {
    uid_t uid = 0;
    gid_t primaryGid = 0;
    QString name; // as the name service spells it
};

std::optional<UserEntry> FindUser(const QString& name) {
    const QByteArray encoded = name.toLocal8Bit();
    UserEntry user;
    const bool found =
        Find<passwd>([&](passwd* e, char* b, size_t n,
                         passwd** r) { return getpwnam_r(encoded.constData(), e, b, n, r); },
                     [&](const passwd& e) {
                         user = {e.pw_uid, e.pw_gid, QString::fromLocal8Bit(e.pw_name)};
                     });
    return found ? std::optional(user) : std::nullopt;
}

std::optional<gid_t> FindGroup(const QString& name) {
    const QByteArray encoded = name.toLocal8Bit();
    gid_t gid = 0;
    const bool found =
        Find<group>([&](group* e, char* b, size_t n,
                        group** r) { return getgrnam_r(encoded.constData(), e, b, n, r); },
                    [&](const group& e) { gid = e.gr_gid; });
    return found ? std::optional(gid) : std::nullopt;
}

QString GroupName(gid_t gid) {
    QString name;
    const bool found = Find<group>(
        [&](group* e, char* b, size_t n, group** r) { return getgrgid_r(gid, e, b, n, r); },
        [&](const group& e) { name = QString::fromLocal8Bit(e.gr_name); });
    return found ? name : QString::number(gid); // a group id without a name still counts
}

OrvError UnknownAccount(const QString& account) {
    return OrvError(ErrorNumber::NoMapping,
                    QStringLiteral("No mapping between account names and security IDs was done: "
                                   "the account \"%1\" is not known on this computer.")
                        .arg(account),
                    kSource);
}

} // namespace

QStringList LocalDirectory::GetDomains(bool) {
    return {};
}

QStringList LocalDirectory::GetGroups(const QString&, bool) {
    std::lock_guard lock(gEnumerationLock);
    QStringList names;
    setgrent();
    while (const group* entry = getgrent())
        names.append(QString::fromLocal8Bit(entry->gr_name));
    endgrent();
    return SortedUnique(names);
}

QStringList LocalDirectory::GetUsers(const QString&, bool) {
    std::lock_guard lock(gEnumerationLock);
    QStringList names;
    setpwent();
    while (const passwd* entry = getpwent())
        names.append(QString::fromLocal8Bit(entry->pw_name));
    endpwent();
    return SortedUnique(names);
}

QList<DirectoryAccount> LocalDirectory::GetUsersWithSids(const QString&, bool) {
    QList<DirectoryAccount> accounts;
    {
        std::lock_guard lock(gEnumerationLock);
        setpwent();
        while (const passwd* entry = getpwent())
            accounts.append({QString::fromLocal8Bit(entry->pw_name), UserSid(entry->pw_uid)});
        endpwent();
    }
    // GetUsers' order; of a name listed twice the first entry counts, as getpwnam finds it.
    std::stable_sort(accounts.begin(), accounts.end(),
                     [](const DirectoryAccount& a, const DirectoryAccount& b) {
                         return NameOrder(a.name, b.name);
                     });
    const auto duplicate = std::unique(
        accounts.begin(), accounts.end(),
        [](const DirectoryAccount& a, const DirectoryAccount& b) { return a.name == b.name; });
    accounts.erase(duplicate, accounts.end());
    return accounts;
}

QStringList LocalDirectory::GetUserGroups(const QString&, const QString& user, bool) {
    const std::optional<UserEntry> entry = FindUser(user);
    if (!entry)
        throw UnknownAccount(user);
    const QByteArray encoded = user.toLocal8Bit();
    int count = 64;
    std::vector<gid_t> gids(static_cast<size_t>(count));
    while (getgrouplist(encoded.constData(), entry->primaryGid, gids.data(), &count) < 0)
        gids.resize(static_cast<size_t>(count) + 64), count = static_cast<int>(gids.size());
    gids.resize(static_cast<size_t>(count));

    // The primary group first, then the others in the system's order.
    QStringList names{GroupName(entry->primaryGid)};
    for (gid_t gid : gids)
        if (gid != entry->primaryGid)
            names.append(GroupName(gid));
    names.removeDuplicates();
    return names;
}

QString LocalDirectory::GetAccountSid(const QString&, const QString& account, bool) {
    if (const auto user = FindUser(account))
        return UserSid(user->uid);
    if (const auto gid = FindGroup(account))
        return QStringLiteral("S-1-22-2-%1").arg(*gid);
    throw UnknownAccount(account);
}

QString LocalDirectory::GetAccountName(const QString&, const QString& logonName, bool) {
    // The name service answers for every form it knows ("kim@corp.example" with sssd's fully
    // qualified names, "CORP\\kim" with winbind, "KIM" where it ignores letter case) with the
    // entry's own name, which is what its listings, and so the rules, hold.
    if (const auto user = FindUser(logonName))
        return user->name;
    throw UnknownAccount(logonName);
}
