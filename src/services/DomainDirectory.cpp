#include "services/DomainDirectory.h"

#include "services/LdapDirectory.h"
#include "services/RegistryStore.h"

DomainDirectory::DomainDirectory(RegistryStore& registry, std::unique_ptr<DirectoryService> local,
                                 QString localName)
    : mRegistry(registry), mLocal(std::move(local)), mLocalName(std::move(localName)) {}

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
    return Backend(domain).GetUserGroups(domain, user, flag);
}

QString DomainDirectory::GetAccountSid(const QString& domain, const QString& account, bool flag) {
    return Backend(domain).GetAccountSid(domain, account, flag);
}
