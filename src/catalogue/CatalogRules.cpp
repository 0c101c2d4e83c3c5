#include "catalogue/CatalogStore.h"

#include "catalogue/CatalogState.h"

#include <QJsonArray>
#include <QJsonDocument>

using namespace catalog;

// ---------------------------------------------------------------------------------------------
// Rules and principals

CatalogStore::Rules CatalogStore::State::CachedRules(const QString& key,
                                                     const std::function<Rules()>& read) {
    if (readScopes == 0)
        return read();
    if (const auto found = rulesRead.find(key); found != rulesRead.end())
        return found->second;
    Rules rules = read();
    rulesRead.emplace(key, rules);
    return rules;
}

namespace {

// The rules' columns come first: the program's name, its name key and the status. The rows
// go straight into the rules, with no record in between: a start reads every rule of the
// user's groups.
const QString kRuleColumns = QStringLiteral("p.program_name, p.name_key, r.status");
const QString kRuleJoins = QStringLiteral(" FROM principals o"
                                          " JOIN permissions r ON r.object_id = o.object_id"
                                          " JOIN programs p ON p.program_id = r.program_id");

CatalogStore::Rule RuleOf(const QSqlQuery& query) {
    return {query.value(0).toString(), query.value(1).toString(), query.value(2).toInt()};
}

QString GroupKey(const QString& group) {
    return QStringLiteral("group:") + group;
}

Recordset RuleRecords(const CatalogStore::Rules& rules, const QStringList& fields,
                      const QVariant& principal) {
    QList<QVariantList> rows;
    rows.reserve(rules.size());
    for (const CatalogStore::Rule& rule : rules) {
        QVariantList row{rule.program, rule.status};
        if (principal.isValid())
            row.prepend(principal);
        rows.append(std::move(row));
    }
    return Recordset(fields, std::move(rows));
}

} // namespace

void CatalogStore::PrefetchGroupPermissions(const QStringList& groups) {
    Db();
    if (mState->readScopes == 0 || groups.isEmpty())
        return;
    QStringList unread;
    for (const QString& group : groups)
        if (mState->rulesRead.count(GroupKey(group)) == 0 && !unread.contains(group))
            unread.append(group);
    if (unread.isEmpty())
        return;
    // One statement for all of them: a user of a large domain is in dozens of groups, and each
    // statement is a round trip to a shared server. Engines differ in how a list is bound: the
    // names go in as one bound text, split again by the engine.
    const bool sqlite = mState->engine == CatalogEngine::Sqlite;
    const QString names = sqlite ? QStringLiteral("SELECT value FROM json_each(?)")
                                 : QStringLiteral("SELECT unnest(CAST(? AS text[]))");
    QString bound;
    if (sqlite) {
        QJsonArray list;
        for (const QString& group : unread)
            list.append(group);
        bound = QString::fromUtf8(QJsonDocument(list).toJson(QJsonDocument::Compact));
    } else {
        // A text[] literal: {"a","b"}, with backslashes and quotes escaped in each element.
        QStringList elements;
        for (QString group : unread)
            elements.append(
                u'"' +
                group.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\"")) +
                u'"');
        bound = u'{' + elements.join(u',') + u'}';
    }
    std::map<QString, Rules> rules;
    // The rows come group by group: each group's rules are gathered until the name changes.
    QString group;
    Rules* into = nullptr;
    mState->ForEachRow(QStringLiteral("SELECT %1, o.object_name%2"
                                      " WHERE o.object_kind = 2 AND o.object_name IN (%3)"
                                      " ORDER BY o.object_name, r.permission_id")
                           .arg(kRuleColumns, kRuleJoins, names),
                       {bound}, QStringLiteral("Reading the rules of a user's groups"),
                       [&](const QSqlQuery& query) {
                           const QString name = query.value(3).toString();
                           if (into == nullptr || name != group) {
                               group = name;
                               into = &rules[group];
                           }
                           into->append(RuleOf(query));
                       });
    for (const QString& unreadGroup : unread)
        mState->rulesRead.emplace(GroupKey(unreadGroup), std::move(rules[unreadGroup]));
}

CatalogStore::Rules CatalogStore::GroupRules(const QString& group) {
    Db();
    return mState->CachedRules(GroupKey(group), [&] {
        Rules rules;
        mState->ForEachRow(QStringLiteral("SELECT %1%2 WHERE o.object_kind = 2"
                                          " AND o.object_name = ? ORDER BY r.permission_id")
                               .arg(kRuleColumns, kRuleJoins),
                           {group}, QStringLiteral("Reading the rules of a group"),
                           [&](const QSqlQuery& query) { rules.append(RuleOf(query)); });
        return rules;
    });
}

CatalogStore::Rules CatalogStore::UserRules(const QString& user, const QString& userSid) {
    Db();
    const QString sid = userSid.isNull() ? QStringLiteral("") : userSid;
    return mState->CachedRules(QStringLiteral("user:") + user + QChar(0) + sid, [&] {
        Rules rules;
        mState->ForEachRow(QStringLiteral("SELECT %1%2 WHERE o.object_kind = 1"
                                          " AND o.object_name = ? AND o.object_sid = ?"
                                          " ORDER BY r.permission_id")
                               .arg(kRuleColumns, kRuleJoins),
                           {user, sid}, QStringLiteral("Reading the rules of a user"),
                           [&](const QSqlQuery& query) { rules.append(RuleOf(query)); });
        return rules;
    });
}

Recordset CatalogStore::GetGroupPermissions(const QString& group) {
    return RuleRecords(GroupRules(group),
                       {QStringLiteral("Program_Name"), QStringLiteral("Status")}, {});
}

Recordset CatalogStore::GetUserPermissions(const QString& user, const QString& userSid) {
    return RuleRecords(
        UserRules(user, userSid),
        {QStringLiteral("Username"), QStringLiteral("PrgName"), QStringLiteral("Status")}, user);
}

Recordset CatalogStore::State::ProgramRules(const QString& program, int kind,
                                            const QString& nameField) {
    return Select(QStringLiteral("SELECT o.object_name, r.status FROM programs p"
                                 " JOIN permissions r ON r.program_id = p.program_id"
                                 " JOIN principals o ON o.object_id = r.object_id"
                                 " WHERE p.name_key = ? AND o.object_kind = ?"
                                 " ORDER BY r.permission_id"),
                  {ProgramKey(program), kind}, {nameField, QStringLiteral("Status")},
                  {Col::Text, Col::Int}, QStringLiteral("Reading the rules of a program"));
}

Recordset CatalogStore::GetProgramGroupPermissions(const QString& program) {
    Db();
    return mState->ProgramRules(program, KindGroup, QStringLiteral("GroupName"));
}

Recordset CatalogStore::GetProgramUserPermissions(const QString& program) {
    Db();
    return mState->ProgramRules(program, KindUser, QStringLiteral("Username"));
}

long CatalogStore::GetProgramId(const QString& program) {
    Db();
    return static_cast<long>(mState->ProgramId(program));
}

long CatalogStore::GetObjectId(const QString& principal, int kind) {
    Db();
    return static_cast<long>(mState->ObjectId(principal, kind));
}

bool CatalogStore::AddPermission(const QString& principal, int status, const QString& program,
                                 int kind) {
    Db();
    if ((kind != KindUser && kind != KindGroup) || principal.isEmpty() ||
        ProgramKey(program).isEmpty())
        return false;
    const QString what = QStringLiteral("Storing the rule of %1 for the program %2")
                             .arg(principal, TrimSpaces(program));
    // The lookups belong to the transaction: a program or principal that another program
    // removes meanwhile makes a refusal, not a broken rule.
    State::Transaction transaction(*mState, what);
    const qint64 objectId = mState->ObjectId(principal, kind);
    const qint64 programId = mState->ProgramId(program);
    if (objectId == 0 || programId == 0)
        return false;
    // The same rule again is left where it is: its place in the listings (the order rules
    // were added) stays, and a provisioning script that applies its rules every night
    // changes nothing.
    const auto existing = mState->First(QStringLiteral("SELECT status FROM permissions"
                                                       " WHERE object_id = ? AND program_id = ?"),
                                        {objectId, programId}, what);
    if (existing && existing->at(0).toInt() == status && !existing->at(0).isNull())
        return true;
    mState->Write(QStringLiteral("DELETE FROM permissions WHERE object_id = ? AND program_id = ?"),
                  {objectId, programId}, what);
    if (!mState->TryWrite(QStringLiteral("INSERT INTO permissions (object_id, program_id, status)"
                                         " VALUES (?, ?, ?)"),
                          {objectId, programId, status}, what))
        return false;
    transaction.Commit();
    return true;
}

bool CatalogStore::DeletePermission(long principalId, long programId) {
    Db();
    return mState->Write(
               QStringLiteral("DELETE FROM permissions WHERE object_id = ? AND program_id = ?"),
               {qint64(principalId), qint64(programId)}, QStringLiteral("Removing a rule")) > 0;
}

bool CatalogStore::UserExists(const QString& name) {
    Db();
    return mState->ObjectId(name, KindUser) != 0;
}

bool CatalogStore::GroupExists(const QString& name) {
    Db();
    return mState->ObjectId(name, KindGroup) != 0;
}

bool CatalogStore::State::AddPrincipal(const QString& name, int kind, const QString& sid) {
    if (TrimSpaces(name).isEmpty())
        return false;
    // A name taken, also by another program just now, leaves the row as it is.
    const auto inserted = TryWrite(
        QStringLiteral("INSERT INTO principals (object_name, object_kind, object_sid)"
                       " VALUES (?, ?, COALESCE(?, '')) ON CONFLICT DO NOTHING"),
        {name, kind, sid},
        QStringLiteral("Adding the %1 %2")
            .arg(kind == CatalogStore::KindUser ? QStringLiteral("user") : QStringLiteral("group"),
                 name));
    return inserted.value_or(0) > 0;
}

bool CatalogStore::AddUser(const QString& name, const QString& sid) {
    Db();
    return mState->AddPrincipal(name, KindUser, sid);
}

bool CatalogStore::AddGroup(const QString& name) {
    Db();
    return mState->AddPrincipal(name, KindGroup, QString());
}

Recordset CatalogStore::State::RulesReport(int kind) {
    return Select(
        QStringLiteral("SELECT p.program_name, o.object_name, r.status"
                       " FROM permissions r"
                       " JOIN programs p ON p.program_id = r.program_id"
                       " JOIN principals o ON o.object_id = r.object_id"
                       " WHERE o.object_kind = ?"
                       " ORDER BY p.name_key, o.object_name, r.permission_id"),
        {kind}, {QStringLiteral("PrgName"), QStringLiteral("ObjectName"), QStringLiteral("Status")},
        {Col::Text, Col::Text, Col::Int}, QStringLiteral("Listing the rules"));
}

Recordset CatalogStore::GetPermissionsByGroup() {
    Db();
    return mState->RulesReport(KindGroup);
}

Recordset CatalogStore::GetPermissionsByUser() {
    Db();
    return mState->RulesReport(KindUser);
}

bool CatalogStore::ReplacePermission(long principalId, long programId, const QString& principal,
                                     int status, const QString& program, int kind) {
    Db();
    const QString what = QStringLiteral("Replacing the rule of %1 for the program %2")
                             .arg(principal, TrimSpaces(program));
    State::Transaction transaction(*mState, what);
    const QString remove =
        QStringLiteral("DELETE FROM permissions WHERE object_id = ? AND program_id = ?");
    mState->Write(remove, {qint64(principalId), qint64(programId)}, what);
    // The look-ups run inside the transaction, so the rule is written for the rows as they
    // are now.
    const qint64 objectId = mState->ObjectId(principal, kind);
    const qint64 newProgramId = mState->ProgramId(program);
    if (objectId == 0 || newProgramId == 0)
        return false; // rolled back: the earlier rule stays
    mState->Write(remove, {objectId, newProgramId}, what);
    mState->Write(QStringLiteral("INSERT INTO permissions (object_id, program_id, status)"
                                 " VALUES (?, ?, ?)"),
                  {objectId, newProgramId, status}, what);
    transaction.Commit();
    return true;
}
