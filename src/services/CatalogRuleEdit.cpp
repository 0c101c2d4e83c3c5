#include "services/CatalogStore.h"

#include "services/CatalogState.h"

using namespace catalog;

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
