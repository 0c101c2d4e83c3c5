#pragma once

#include "directory/DirectoryService.h"

#include <QDeadlineTimer>
#include <QHash>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class RegistryStore;

// The directory the launcher asks: the domain named in each call picks the backend. The
// computer's own name (or no name) is the local accounts; any other name is an LDAP /
// Active Directory domain reached as the machine-wide settings say, one connection per domain
// kept for the run.
class DomainDirectory : public DirectoryService {
public:
    // `local` answers for the computer's own accounts; `registry` holds the settings of the
    // directory domains and the configured domain ("5").
    // A user's groups are answered again from memory for `groupsLifetime` after they were read:
    // the windows' membership checks and the live list's rebuilds ask for the signed-in user's
    // groups again soon after the start has, and on a directory domain each answer is two to
    // four searches.
    DomainDirectory(RegistryStore& registry, std::unique_ptr<DirectoryService> local,
                    QString localName,
                    std::chrono::milliseconds groupsLifetime = std::chrono::seconds(10));

    // The forest's or the configured directory domains; none when the launcher is set up for
    // the local accounts and no directory domain is configured.
    QStringList GetDomains(bool flag) override;
    QStringList GetGroups(const QString& domain, bool flag) override;
    QStringList GetUsers(const QString& domain, bool flag) override;
    QList<DirectoryAccount> GetUsersWithSids(const QString& domain, bool flag) override;
    QStringList GetUserGroups(const QString& domain, const QString& user, bool flag) override;
    QString GetAccountSid(const QString& domain, const QString& account, bool flag) override;
    QString GetAccountName(const QString& domain, const QString& logonName, bool flag) override;

    bool IsLocal(const QString& domain) const;
    DirectoryService& Backend(const QString& domain);

private:
    RegistryStore& mRegistry;
    std::unique_ptr<DirectoryService> mLocal;
    QString mLocalName;
    QHash<QString, std::shared_ptr<DirectoryService>> mDomains;

    struct GroupsRead {
        QString key; // domain, user and flag
        QStringList groups;
        QDeadlineTimer fresh;
    };
    std::chrono::milliseconds mGroupsLifetime;
    std::optional<GroupsRead> mLastGroups; // one answer: only the signed-in user asks often
};
