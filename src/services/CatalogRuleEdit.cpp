#include "services/CatalogStore.h"

#include "platform/OrvError.h"
#include "platform/Text.h"

#include <QDir>
#include <QSqlError>
#include <QSqlQuery>

namespace {

// Rolls back unless committed, so that an exception leaves the catalogue as it was.
class RuleTransaction {
public:
    RuleTransaction(QSqlDatabase db, QString what) : mDb(std::move(db)), mWhat(std::move(what)) {
        if (!mDb.transaction())
            Fail(mDb.lastError());
    }
    ~RuleTransaction() {
        if (!mDone)
            mDb.rollback();
    }
    RuleTransaction(const RuleTransaction&) = delete;
    RuleTransaction& operator=(const RuleTransaction&) = delete;

    void Write(const QString& sql, const QVariantList& values) {
        QSqlQuery query(mDb);
        if (!query.prepare(sql))
            Fail(query.lastError());
        for (qsizetype i = 0; i < values.size(); ++i)
            query.bindValue(static_cast<int>(i), values.at(i));
        if (!query.exec()) {
            const QSqlError error = query.lastError();
            query.finish();
            Fail(error);
        }
        query.finish();
    }

    void Commit() {
        if (!mDb.commit())
            Fail(mDb.lastError());
        mDone = true;
    }

    [[noreturn]] void Fail(const QSqlError& error) const {
        const QString detail = error.databaseText().trimmed().isEmpty()
                                   ? error.driverText().trimmed()
                                   : error.databaseText().trimmed();
        throw OrvError(ErrorNumber::DatabaseWrite,
                       QStringLiteral("%1 failed in the catalogue %2: %3")
                           .arg(mWhat, QDir::toNativeSeparators(mDb.databaseName()), detail),
                       QStringLiteral("CatalogStore"));
    }

private:
    QSqlDatabase mDb;
    QString mWhat;
    bool mDone = false;
};

} // namespace

bool CatalogStore::ReplacePermission(long principalId, long programId, const QString& principal,
                                     int status, const QString& program, int kind) {
    const QString what = QStringLiteral("Replacing the rule of %1 for the program %2")
                             .arg(principal, TrimSpaces(program));
    RuleTransaction transaction(Db(), what);
    const QString remove =
        QStringLiteral("DELETE FROM permissions WHERE object_id = ? AND program_id = ?");
    transaction.Write(remove, {qint64(principalId), qint64(programId)});
    // The look-ups run inside the transaction, so the rule is written for the rows as they
    // are now.
    const long objectId = GetObjectId(principal, kind);
    const long newProgramId = GetProgramId(program);
    if (objectId == 0 || newProgramId == 0)
        return false; // rolled back: the earlier rule stays
    transaction.Write(remove, {qint64(objectId), qint64(newProgramId)});
    transaction.Write(QStringLiteral("INSERT INTO permissions (object_id, program_id, status)"
                                     " VALUES (?, ?, ?)"),
                      {qint64(objectId), qint64(newProgramId), status});
    transaction.Commit();
    return true;
}
