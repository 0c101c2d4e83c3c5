#pragma once

#include <QString>
#include <QStringList>

// The accounts of a domain: its groups, users, memberships and SIDs. The local machine's
// accounts are one backend, an LDAP / Active Directory domain another. The trailing flag of
// each call is kept for the callers' sake and means nothing to the backends. Lists are walked
// from 1 with Item() and Count() (platform/Text.h). A directory that cannot be asked throws
// OrvError with a text that names the domain and the cause.
class DirectoryService {
public:
    virtual ~DirectoryService() = default;
    virtual QStringList GetDomains(bool flag) = 0;
    virtual QStringList GetGroups(const QString& domain, bool flag) = 0;
    virtual QStringList GetUsers(const QString& domain, bool flag) = 0;
    // Every group the user belongs to, his primary group included.
    virtual QStringList GetUserGroups(const QString& domain, const QString& user, bool flag) = 0;
    // The same string for the same account every time.
    virtual QString GetAccountSid(const QString& domain, const QString& account, bool flag) = 0;
};
