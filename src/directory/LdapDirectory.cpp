#include "directory/LdapDirectory.h"

#include "directory/LdapText.h"
#include "platform/OrvError.h"

#include <QSet>
#include <algorithm>

namespace {

const QString kSource = QStringLiteral("DirectoryService");
// sAMAccountType of normal user accounts; the indexed way to ask for users only.
const QByteArray kAdUsers = "(sAMAccountType=805306368)";
const QByteArray kAdGroups = "(objectCategory=group)";
const QByteArray kPosixUsers = "(objectClass=posixAccount)";
const QByteArray kPosixGroups =
    "(|(objectClass=posixGroup)(objectClass=groupOfNames)(objectClass=groupOfUniqueNames))";
const char* const kActiveDirectoryCapability = "1.2.840.113556.1.4.800";

QByteArray Equals(const char* attribute, const QString& value) {
    return QByteArray("(") + attribute + '=' + LdapText::FilterValue(value) + ')';
}

// The order the local accounts list in (letter case folded, then exact), through case-folded
// keys computed once per name.
template <class T, class NameOf> void SortByName(QList<T>& items, NameOf nameOf) {
    QList<std::pair<QString, qsizetype>> keys;
    keys.reserve(items.size());
    for (qsizetype i = 0; i < items.size(); ++i)
        keys.append({nameOf(items[i]).toCaseFolded(), i});
    std::stable_sort(keys.begin(), keys.end(), [&](const auto& a, const auto& b) {
        if (a.first != b.first)
            return a.first < b.first;
        return nameOf(items[a.second]) < nameOf(items[b.second]);
    });
    QList<T> sorted;
    sorted.reserve(items.size());
    for (const auto& key : keys)
        sorted.append(std::move(items[key.second]));
    items = std::move(sorted);
}

QStringList SortedNames(const QList<LdapConnection::Entry>& entries, const QString& attribute) {
    QStringList names;
    names.reserve(entries.size());
    for (const auto& entry : entries) {
        const QString name = entry.First(attribute);
        if (!name.isEmpty())
            names.append(name);
    }
    SortByName(names, [](const QString& n) -> const QString& { return n; });
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

} // namespace

LdapDirectory::LdapDirectory(LdapSettings settings) : mConnection(std::move(settings)) {}

const LdapDirectory::ServerInfo& LdapDirectory::Info() {
    if (mInfo)
        return *mInfo;
    const auto root = mConnection.Search(
        {}, LdapConnection::Base, "(objectClass=*)",
        {QStringLiteral("supportedCapabilities"), QStringLiteral("defaultNamingContext"),
         QStringLiteral("configurationNamingContext"), QStringLiteral("namingContexts")});
    ServerInfo info;
    if (!root.isEmpty()) {
        const auto& dse = root.first();
        info.activeDirectory = dse.Values(QStringLiteral("supportedCapabilities"))
                                   .contains(QByteArray(kActiveDirectoryCapability));
        info.configuration = dse.First(QStringLiteral("configurationNamingContext"));
        info.base = dse.First(QStringLiteral("defaultNamingContext"));
        if (info.base.isEmpty() && Domain().contains(u'.'))
            info.base = LdapText::BaseDnOfDomain(Domain());
        if (info.base.isEmpty())
            info.base = dse.First(QStringLiteral("namingContexts"));
    }
    if (!mConnection.Settings().baseDn.isEmpty())
        info.base = mConnection.Settings().baseDn;
    mInfo = info;
    return *mInfo;
}

bool LdapDirectory::IsActiveDirectory() {
    return Info().activeDirectory;
}

void LdapDirectory::Unknown(const QString& account) const {
    throw OrvError(ErrorNumber::NoMapping,
                   QStringLiteral("No mapping between account names and security IDs was done: "
                                  "the account \"%1\" is not known in the domain \"%2\".")
                       .arg(account, Domain()),
                   kSource);
}

QStringList LdapDirectory::GetDomains(bool) {
    if (!IsActiveDirectory())
        return mConnection.Settings().domains.isEmpty() ? QStringList{Domain()}
                                                        : mConnection.Settings().domains;
    // The forest's domains: the cross-references of its domain partitions.
    const auto partitions = mConnection.Search(
        QStringLiteral("CN=Partitions,") + Info().configuration, LdapConnection::Subtree,
        "(&(objectClass=crossRef)(systemFlags:1.2.840.113556.1.4.803:=2))",
        {QStringLiteral("dnsRoot")});
    QStringList domains = SortedNames(partitions, QStringLiteral("dnsRoot"));
    return domains.isEmpty() ? QStringList{Domain()} : domains;
}

QStringList LdapDirectory::GetGroups(const QString&, bool) {
    const bool ad = IsActiveDirectory();
    const QString name = ad ? QStringLiteral("sAMAccountName") : QStringLiteral("cn");
    return SortedNames(mConnection.Search(Info().base, LdapConnection::Subtree,
                                          ad ? kAdGroups : kPosixGroups, {name}),
                       name);
}

QStringList LdapDirectory::GetUsers(const QString&, bool) {
    const bool ad = IsActiveDirectory();
    const QString name = ad ? QStringLiteral("sAMAccountName") : QStringLiteral("uid");
    return SortedNames(mConnection.Search(Info().base, LdapConnection::Subtree,
                                          ad ? kAdUsers : kPosixUsers, {name}),
                       name);
}

QStringList LdapDirectory::SidAttributes() {
    if (IsActiveDirectory())
        return {QStringLiteral("objectSid")};
    return {QStringLiteral("sambaSID"), QStringLiteral("uidNumber"), QStringLiteral("gidNumber")};
}

QString LdapDirectory::SidOf(const LdapConnection::Entry& entry, bool group) {
    if (IsActiveDirectory())
        return LdapText::SidText(entry.Values(QStringLiteral("objectSid")).value(0));
    const QString samba = entry.First(QStringLiteral("sambaSID"));
    if (!samba.isEmpty())
        return samba;
    const QString number =
        entry.First(group ? QStringLiteral("gidNumber") : QStringLiteral("uidNumber"));
    if (number.isEmpty())
        return {};
    return (group ? QStringLiteral("S-1-22-2-") : QStringLiteral("S-1-22-1-")) + number;
}

QList<DirectoryAccount> LdapDirectory::GetUsersWithSids(const QString&, bool) {
    const bool ad = IsActiveDirectory();
    const QString nameAttribute = ad ? QStringLiteral("sAMAccountName") : QStringLiteral("uid");
    QList<DirectoryAccount> accounts;
    for (const auto& entry :
         mConnection.Search(Info().base, LdapConnection::Subtree, ad ? kAdUsers : kPosixUsers,
                            QStringList{nameAttribute} + SidAttributes())) {
        const QString name = entry.First(nameAttribute);
        if (!name.isEmpty())
            accounts.append({name, SidOf(entry, false)});
    }
    // GetUsers' order; of a name listed twice the first entry counts.
    SortByName(accounts, [](const DirectoryAccount& a) -> const QString& { return a.name; });
    accounts.erase(std::unique(accounts.begin(), accounts.end(),
                               [](const DirectoryAccount& a, const DirectoryAccount& b) {
                                   return a.name == b.name;
                               }),
                   accounts.end());
    return accounts;
}

std::optional<LdapConnection::Entry> LdapDirectory::Pick(const QList<LdapConnection::Entry>& found,
                                                         const QString& nameAttribute,
                                                         const QString& name) const {
    // The server's equality match ignores letter case and repeated or outer blanks: of what it
    // found, the entry spelled exactly so, else the only one that differs in letter case alone.
    const QString folded = name.toCaseFolded();
    QList<const LdapConnection::Entry*> inCase;
    QStringList spellings;
    for (const auto& entry : found) {
        for (const QByteArray& value : entry.Values(nameAttribute)) {
            const QString spelled = QString::fromUtf8(value);
            if (spelled == name)
                return entry;
            if (spelled.toCaseFolded() == folded && !inCase.contains(&entry)) {
                inCase.append(&entry);
                spellings.append(spelled);
            }
        }
    }
    if (inCase.size() == 1)
        return *inCase.first();
    if (inCase.size() > 1)
        throw OrvError(ErrorNumber::NoMapping,
                       QStringLiteral("The name \"%1\" matches %2 accounts of the domain \"%3\" "
                                      "that differ from it only in letter case (%4), and none is "
                                      "spelled exactly so. Give the name as the directory "
                                      "spells it.")
                           .arg(name)
                           .arg(inCase.size())
                           .arg(Domain(), spellings.join(QStringLiteral(", "))),
                       kSource);
    return std::nullopt;
}

QString LdapDirectory::UserNameAttribute() {
    return IsActiveDirectory() ? QStringLiteral("sAMAccountName") : QStringLiteral("uid");
}

std::optional<LdapConnection::Entry> LdapDirectory::FindUser(const QString& account,
                                                             QStringList attributes) {
    const QString name = LdapText::AccountName(account);
    if (name.isEmpty())
        return std::nullopt;
    const QString nameAttribute = UserNameAttribute();
    attributes.append(nameAttribute);
    const QByteArray filter = IsActiveDirectory()
                                  ? "(&" + kAdUsers + Equals("sAMAccountName", name) + ')'
                                  : "(&" + kPosixUsers + Equals("uid", name) + ')';
    return Pick(mConnection.Search(Info().base, LdapConnection::Subtree, filter, attributes),
                nameAttribute, name);
}

std::optional<LdapConnection::Entry> LdapDirectory::FindGroup(const QString& account,
                                                              QStringList attributes) {
    if (account.isEmpty())
        return std::nullopt;
    const QString nameAttribute =
        IsActiveDirectory() ? QStringLiteral("sAMAccountName") : QStringLiteral("cn");
    attributes.append(nameAttribute);
    const QByteArray filter = IsActiveDirectory()
                                  ? "(&" + kAdGroups + Equals("sAMAccountName", account) + ')'
                                  : "(&" + kPosixGroups + Equals("cn", account) + ')';
    return Pick(mConnection.Search(Info().base, LdapConnection::Subtree, filter, attributes),
                nameAttribute, account);
}

QString LdapDirectory::GetAccountName(const QString&, const QString& logonName, bool) {
    const auto entry = FindUser(logonName, {});
    if (!entry)
        Unknown(logonName);
    return entry->First(UserNameAttribute());
}

QStringList LdapDirectory::GetUserGroups(const QString&, const QString& user, bool) {
    const bool ad = IsActiveDirectory();
    const auto entry = FindUser(user, ad ? QStringList{QStringLiteral("objectSid")}
                                         : QStringList{QStringLiteral("gidNumber")});
    if (!entry)
        Unknown(user);
    // memberUid compares exactly: the uid as the directory spells it.
    return ad ? ActiveDirectoryGroups(*entry)
              : PosixGroups(*entry, entry->First(UserNameAttribute()));
}

QStringList LdapDirectory::ActiveDirectoryGroups(const LdapConnection::Entry& user) {
    // tokenGroups holds every group SID of the user, nested and primary groups included.
    const auto token = mConnection.Search(user.dn, LdapConnection::Base, "(objectClass=*)",
                                          {QStringLiteral("tokenGroups")});
    if (token.isEmpty())
        return {};
    const QList<QByteArray> sids = token.first().Values(QStringLiteral("tokenGroups"));
    if (sids.isEmpty())
        return {};
    QByteArray filter = "(|";
    for (const QByteArray& sid : sids)
        filter += "(objectSid=" + LdapText::FilterBytes(sid) + ')';
    filter += ')';
    return SortedNames(mConnection.Search(Info().base, LdapConnection::Subtree, filter,
                                          {QStringLiteral("sAMAccountName")}),
                       QStringLiteral("sAMAccountName"));
}

QStringList LdapDirectory::PosixGroups(const LdapConnection::Entry& user, const QString& name) {
    const QStringList attributes{QStringLiteral("cn")};
    // The groups that name the user: by memberUid, by his DN, or as his primary group.
    QByteArray filter = "(|" + Equals("memberUid", name) + Equals("member", user.dn) +
                        Equals("uniqueMember", user.dn);
    const QString gid = user.First(QStringLiteral("gidNumber"));
    if (!gid.isEmpty())
        filter += "(&(objectClass=posixGroup)" + Equals("gidNumber", gid) + ')';
    filter += ')';
    QList<LdapConnection::Entry> found =
        mConnection.Search(Info().base, LdapConnection::Subtree, filter, attributes);
    // Then the groups that hold those groups, one search per level, until nothing new.
    QSet<QString> seen;
    QList<LdapConnection::Entry> all;
    while (!found.isEmpty()) {
        QByteArray next = "(|";
        bool any = false;
        for (const auto& group : found) {
            if (seen.contains(group.dn.toLower()))
                continue;
            seen.insert(group.dn.toLower());
            all.append(group);
            next += Equals("member", group.dn) + Equals("uniqueMember", group.dn);
            any = true;
        }
        if (!any)
            break;
        next += ')';
        found = mConnection.Search(Info().base, LdapConnection::Subtree, next, attributes);
    }
    return SortedNames(all, QStringLiteral("cn"));
}

QString LdapDirectory::GetAccountSid(const QString&, const QString& account, bool) {
    if (IsActiveDirectory()) {
        // Users, groups and computers share one name space.
        const QString name = LdapText::AccountName(account);
        const auto found = Pick(mConnection.Search(Info().base, LdapConnection::Subtree,
                                                   Equals("sAMAccountName", name),
                                                   SidAttributes() << UserNameAttribute()),
                                UserNameAttribute(), name);
        const QString sid = found ? SidOf(*found, false) : QString();
        if (sid.isEmpty())
            Unknown(account);
        return sid;
    }
    if (const auto user = FindUser(account, SidAttributes())) {
        const QString sid = SidOf(*user, false);
        if (!sid.isEmpty())
            return sid;
    }
    if (const auto group = FindGroup(account, SidAttributes())) {
        const QString sid = SidOf(*group, true);
        if (!sid.isEmpty())
            return sid;
    }
    Unknown(account);
}
