#include "services/LocalDirectory.h"

#include "platform/OrvError.h"

#include <QSet>
#include <algorithm>
#include <cerrno>
#include <grp.h>
#include <mutex>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace {

const QString kSource = QStringLiteral("LocalDirectory");

// getpwent/getgrent keep one cursor per process.
std::mutex gEnumerationLock;

QStringList SortedUnique(QStringList names) {
    names.removeDuplicates();
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
    return names;
}

// Runs a reentrant look-up, growing the buffer while the C library asks for more room.
template <class Entry, class Lookup> bool Find(Lookup lookup, Entry& entry) {
    std::vector<char> buffer(16384);
    Entry* found = nullptr;
    int rc = 0;
    while ((rc = lookup(&entry, buffer.data(), buffer.size(), &found)) == ERANGE)
        buffer.resize(buffer.size() * 2);
    return rc == 0 && found != nullptr;
}

bool FindUser(const QString& name, passwd& entry) {
    const QByteArray encoded = name.toLocal8Bit();
    return Find<passwd>([&](passwd* e, char* b, size_t n,
                            passwd** r) { return getpwnam_r(encoded.constData(), e, b, n, r); },
                        entry);
}

bool FindGroup(const QString& name, group& entry) {
    const QByteArray encoded = name.toLocal8Bit();
    return Find<group>([&](group* e, char* b, size_t n,
                           group** r) { return getgrnam_r(encoded.constData(), e, b, n, r); },
                       entry);
}

QString GroupName(gid_t gid) {
    group entry{};
    if (Find<group>(
            [&](group* e, char* b, size_t n, group** r) { return getgrgid_r(gid, e, b, n, r); },
            entry))
        return QString::fromLocal8Bit(entry.gr_name);
    return QString::number(gid); // a group id without a name still counts as a group
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

QStringList LocalDirectory::GetUserGroups(const QString&, const QString& user, bool) {
    passwd entry{};
    if (!FindUser(user, entry))
        throw UnknownAccount(user);
    const QByteArray encoded = user.toLocal8Bit();
    int count = 64;
    std::vector<gid_t> gids(static_cast<size_t>(count));
    while (getgrouplist(encoded.constData(), entry.pw_gid, gids.data(), &count) < 0)
        gids.resize(static_cast<size_t>(count) + 64), count = static_cast<int>(gids.size());
    gids.resize(static_cast<size_t>(count));

    // The primary group first, then the others in the system's order.
    QStringList names{GroupName(entry.pw_gid)};
    for (gid_t gid : gids)
        if (gid != entry.pw_gid)
            names.append(GroupName(gid));
    names.removeDuplicates();
    return names;
}

QString LocalDirectory::GetAccountSid(const QString&, const QString& account, bool) {
    passwd user{};
    if (FindUser(account, user))
        return QStringLiteral("S-1-22-1-%1").arg(user.pw_uid);
    group grp{};
    if (FindGroup(account, grp))
        return QStringLiteral("S-1-22-2-%1").arg(grp.gr_gid);
    throw UnknownAccount(account);
}
