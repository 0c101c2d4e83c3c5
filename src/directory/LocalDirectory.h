#pragma once

#include "directory/DirectoryService.h"

// The local computer's accounts (the passwd and group databases through the C library, so
// NSS sources such as sssd or winbind count too). Every domain name is answered from the
// local accounts; there are no further domains. SIDs are the Unix-account forms
// S-1-22-1-<uid> for users and S-1-22-2-<gid> for groups.
class LocalDirectory : public DirectoryService {
public:
    QStringList GetDomains(bool flag) override;
    QStringList GetGroups(const QString& domain, bool flag) override;
    QStringList GetUsers(const QString& domain, bool flag) override;
    // One pass over the passwd database.
    QList<DirectoryAccount> GetUsersWithSids(const QString& domain, bool flag) override;
    QStringList GetUserGroups(const QString& domain, const QString& user, bool flag) override;
    QString GetAccountSid(const QString& domain, const QString& account, bool flag) override;
    QString GetAccountName(const QString& domain, const QString& logonName, bool flag) override;
};
