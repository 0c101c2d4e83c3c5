#include "services/CatalogStore.h"

#include "services/CatalogState.h"

using namespace catalog;

// ---------------------------------------------------------------------------------------------
// Rules and principals

Recordset CatalogStore::State::CachedRules(const QString& key,
                                           const std::function<Recordset()>& read) {
    if (engine != CatalogEngine::Sqlite)
        return read();
    // Two plain statements: the pragma's table-valued form sets up a virtual table on first
    // use, about 0.1 ms of every start.
    const QString what = QStringLiteral("Reading the catalogue's change count");
    const auto others = First(QStringLiteral("PRAGMA data_version"), {}, what);
    const auto own = First(QStringLiteral("SELECT total_changes()"), {}, what);
    const QString now =
        others && own ? others->value(0).toString() + u'/' + own->value(0).toString() : QString();
    if (now != rulesVersion) {
        rulesRead.clear();
        rulesVersion = now;
    }
    if (const auto found = rulesRead.find(key); found != rulesRead.end())
        return found->second;
    Recordset rs = read();
    rulesRead.emplace(key, rs);
    return rs;
}

Recordset CatalogStore::GetGroupPermissions(const QString& group) {
    Db();
    return mState->CachedRules(QStringLiteral("group:") + group, [&] {
        return mState->Select(QStringLiteral("SELECT p.program_name, r.status FROM principals o"
                                             " JOIN permissions r ON r.object_id = o.object_id"
                                             " JOIN programs p ON p.program_id = r.program_id"
                                             " WHERE o.object_kind = 2 AND o.object_name = ?"
                                             " ORDER BY r.permission_id"),
                              {group}, {QStringLiteral("Program_Name"), QStringLiteral("Status")},
                              {Col::Text, Col::Int},
                              QStringLiteral("Reading the rules of a group"));
    });
}

Recordset CatalogStore::GetUserPermissions(const QString& user, const QString& userSid) {
    Db();
    const QString sid = userSid.isNull() ? QStringLiteral("") : userSid;
    return mState->CachedRules(QStringLiteral("user:") + user + QChar(0) + sid, [&] {
        return mState->Select(
            QStringLiteral("SELECT o.object_name, p.program_name, r.status FROM principals o"
                           " JOIN permissions r ON r.object_id = o.object_id"
                           " JOIN programs p ON p.program_id = r.program_id"
                           " WHERE o.object_kind = 1 AND o.object_name = ? AND o.object_sid = ?"
                           " ORDER BY r.permission_id"),
            {user, sid},
            {QStringLiteral("Username"), QStringLiteral("PrgName"), QStringLiteral("Status")},
            {Col::Text, Col::Text, Col::Int}, QStringLiteral("Reading the rules of a user"));
    });
}

std::optional<int> CatalogStore::GetGroupRuleStatus(const QString& group, const QString& program) {
    Db();
    const auto row =
        mState->First(QStringLiteral("SELECT r.status FROM principals o"
                                     " JOIN permissions r ON r.object_id = o.object_id"
                                     " JOIN programs p ON p.program_id = r.program_id"
                                     " WHERE o.object_kind = 2 AND o.object_name = ?"
                                     " AND p.name_key = ?"),
                      {group, ProgramKey(program)}, QStringLiteral("Reading the rule of a group"));
    if (!row || row->at(0).isNull())
        return std::nullopt;
    return row->at(0).toInt();
}

std::optional<int> CatalogStore::GetUserRuleStatus(const QString& user, const QString& userSid,
                                                   const QString& program) {
    Db();
    const auto row =
        mState->First(QStringLiteral("SELECT r.status FROM principals o"
                                     " JOIN permissions r ON r.object_id = o.object_id"
                                     " JOIN programs p ON p.program_id = r.program_id"
                                     " WHERE o.object_kind = 1 AND o.object_name = ?"
                                     " AND o.object_sid = ? AND p.name_key = ?"),
                      {user, userSid.isNull() ? QStringLiteral("") : userSid, ProgramKey(program)},
                      QStringLiteral("Reading the rule of a user"));
    if (!row || row->at(0).isNull())
        return std::nullopt;
    return row->at(0).toInt();
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
