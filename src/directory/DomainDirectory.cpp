#include "directory/DomainDirectory.h"

#include "directory/LdapDirectory.h"
#include "settings/RegistryStore.h"

DomainDirectory::DomainDirectory(RegistryStore& registry, std::unique_ptr<DirectoryService> local,
                                 QString localName, std::chrono::milliseconds groupsLifetime)
    : mRegistry(registry), mLocal(std::move(local)), mLocalName(std::move(localName)),
      mGroupsLifetime(groupsLifetime) {}

bool DomainDirectory::IsLocal(const QString& domain) const {
    const QString name = domain.trimmed();
    return name.isEmpty() || name.compare(mLocalName, Qt::CaseInsensitive) == 0 ||
           name.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0;
}

DirectoryService& DomainDirectory::Backend(const QString& domain) {
    if (IsLocal(domain))
        return *mLocal;
    const QString key = domain.trimmed().toLower();
    auto found = mDomains.find(key);
    if (found == mDomains.end())
        found = mDomains.insert(
            key, std::make_shared<LdapDirectory>(LdapSettings::Read(mRegistry, domain.trimmed())));
    return **found;
}

QStringList DomainDirectory::GetDomains(bool flag) {
    const QString configured = mRegistry
                                   .GetValue(RegistryStore::HKEY_LOCAL_MACHINE_,
                                             RegistryStore::kSettingsKey, QStringLiteral("5"))
                                   .toString();
    if (!IsLocal(configured))
        return Backend(configured).GetDomains(flag);
    // Set up for local accounts: offer the directory domains an administrator listed.
    return LdapSettings::Read(mRegistry, configured).domains;
}

QStringList DomainDirectory::GetGroups(const QString& domain, bool flag) {
    return Backend(domain).GetGroups(domain, flag);
}

QStringList DomainDirectory::GetUsers(const QString& domain, bool flag) {
    return Backend(domain).GetUsers(domain, flag);
}

QList<DirectoryAccount> DomainDirectory::GetUsersWithSids(const QString& domain, bool flag) {
    return Backend(domain).GetUsersWithSids(domain, flag);
}

QStringList DomainDirectory::GetUserGroups(const QString& domain, const QString& user, bool flag) {
    const QString key = (IsLocal(domain) ? QString() : domain.trimmed().toLower()) + QChar(0) +
                        user + QChar(0) + QChar(flag ? u'1' : u'0');
    if (mLastGroups && mLastGroups->key == key && !mLastGroups->fresh.hasExpired())
        return mLastGroups->groups;
    // A failure throws before anything is kept, so the next call asks again.
    QStringList groups = Backend(domain).GetUserGroups(domain, user, flag);
    mLastGroups = GroupsRead{key, groups, QDeadlineTimer(mGroupsLifetime)};
    return groups;
}

QString DomainDirectory::GetAccountSid(const QString& domain, const QString& account, bool flag) {
    return Backend(domain).GetAccountSid(domain, account, flag);
}

QString DomainDirectory::GetAccountName(const QString& domain, const QString& logonName,
                                        bool flag) {
    return Backend(domain).GetAccountName(domain, logonName, flag);
}
