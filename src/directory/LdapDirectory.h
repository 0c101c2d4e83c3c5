#pragma once

#include "directory/DirectoryService.h"
#include "directory/LdapConnection.h"

#include <optional>

// A domain's accounts in an LDAP directory, of either schema users meet:
// - Active Directory: accounts by sAMAccountName, SIDs from objectSid, a user's groups
//   transitively from tokenGroups (a base read of the user, primary group included) resolved
//   to names in one search;
// - RFC 2307 / 2307bis: users by uid (posixAccount), groups by cn (posixGroup with memberUid,
//   groupOfNames / groupOfUniqueNames with member DNs, nested groups followed one search per
//   level), SIDs from sambaSID when present, otherwise S-1-22-1-<uidNumber> and
//   S-1-22-2-<gidNumber> as the local accounts have them.
// Which one a server is comes from its root DSE. Logon names "name@realm" and "DOMAIN\name"
// are asked as "name". Every value is escaped before it reaches a filter.
class LdapDirectory : public DirectoryService {
public:
    explicit LdapDirectory(LdapSettings settings);

    QStringList GetDomains(bool flag) override;
    QStringList GetGroups(const QString& domain, bool flag) override;
    QStringList GetUsers(const QString& domain, bool flag) override;
    QList<DirectoryAccount> GetUsersWithSids(const QString& domain, bool flag) override;
    QStringList GetUserGroups(const QString& domain, const QString& user, bool flag) override;
    QString GetAccountSid(const QString& domain, const QString& account, bool flag) override;
    QString GetAccountName(const QString& domain, const QString& logonName, bool flag) override;

    bool IsActiveDirectory();
    const QString& Domain() const { return mConnection.Settings().domain; }

private:
    struct ServerInfo {
        bool activeDirectory = false;
        QString base;
        QString configuration;
    };
    const ServerInfo& Info();
    // The account named `account` (see Pick), read with `attributes` and its name.
    std::optional<LdapConnection::Entry> FindUser(const QString& account, QStringList attributes);
    std::optional<LdapConnection::Entry> FindGroup(const QString& account, QStringList attributes);
    // Of the entries an equality search found, the one whose `nameAttribute` is `name`
    // exactly, else the only one that differs in letter case alone; throws OrvError when
    // several differ in letter case alone.
    std::optional<LdapConnection::Entry> Pick(const QList<LdapConnection::Entry>& found,
                                              const QString& nameAttribute,
                                              const QString& name) const;
    QString UserNameAttribute();
    QStringList ActiveDirectoryGroups(const LdapConnection::Entry& user);
    QStringList PosixGroups(const LdapConnection::Entry& user, const QString& name);
    [[noreturn]] void Unknown(const QString& account) const;
    // The SID of an account entry read with SidAttributes().
    QString SidOf(const LdapConnection::Entry& entry, bool group);
    QStringList SidAttributes();

    LdapConnection mConnection;
    std::optional<ServerInfo> mInfo;
};
