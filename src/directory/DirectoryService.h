#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// A user of the domain with his SID.
struct DirectoryAccount {
    QString name;
    QString sid;
};

// The accounts of a domain: its groups, users, memberships and SIDs. The local machine's
// accounts are one backend, an LDAP / Active Directory domain another. The trailing flag of
// each call is kept for the callers' sake and means nothing to the backends. Lists are walked
// from 1 with Item() and Count() (platform/Text.h). A directory that cannot be asked throws
// OrvError with a text that names the domain and the cause. An account is the one whose name
// equals the name asked exactly (blanks count), else the only one that differs from it in
// letter case alone; never a guess among several.
class DirectoryService {
public:
    virtual ~DirectoryService() = default;
    virtual QStringList GetDomains(bool flag) = 0;
    virtual QStringList GetGroups(const QString& domain, bool flag) = 0;
    virtual QStringList GetUsers(const QString& domain, bool flag) = 0;
    // The users of GetUsers, in its order, each with the SID GetAccountSid gives him, read
    // in one query: a picker over a large domain must not ask once per user.
    virtual QList<DirectoryAccount> GetUsersWithSids(const QString& domain, bool flag) = 0;
    // Every group the user belongs to, his primary group included.
    virtual QStringList GetUserGroups(const QString& domain, const QString& user, bool flag) = 0;
    // The same string for the same account every time.
    virtual QString GetAccountSid(const QString& domain, const QString& account, bool flag) = 0;
    // The name by which the directory, and so the catalogue's rules, know the user who logged
    // on as `logonName` ("kim@CORP.EXAMPLE", "CORP\\kim" or "KIM" are "kim" where the directory
    // spells him so). Throws OrvError when the directory knows no such user, or when several
    // accounts differ from the name only in letter case and none is spelled exactly so.
    virtual QString GetAccountName(const QString& domain, const QString& logonName, bool flag) = 0;
};
