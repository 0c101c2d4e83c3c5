#include "services/CatalogStore.h"

#include "platform/OrvError.h"

#include <QDir>
#include <QSqlError>
#include <QSqlQuery>

namespace {

// Runs a read of the programs table, handing each row to `row`.
template <class Row> void ReadPrograms(const QSqlDatabase& db, const QString& sql, Row&& row) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (query.exec(sql)) {
        while (query.next())
            row(query);
    }
    const QSqlError error = query.lastError();
    if (error.isValid()) {
        const QString detail = error.databaseText().trimmed().isEmpty()
                                   ? error.driverText().trimmed()
                                   : error.databaseText().trimmed();
        throw OrvError(ErrorNumber::DatabaseOpen,
                       QStringLiteral("Listing the programs failed in the catalogue %1: %2")
                           .arg(QDir::toNativeSeparators(db.databaseName()), detail),
                       QStringLiteral("CatalogStore"));
    }
}

} // namespace

QStringList CatalogStore::GetProgramNames() {
    // One column and no date conversion: an administrator's start lists every program, and
    // the six columns of GetPrograms (with a local-time conversion per date) cost more than
    // the list itself.
    QStringList names;
    ReadPrograms(Db(),
                 QStringLiteral("SELECT program_name FROM programs ORDER BY name_key, program_id"),
                 [&names](const QSqlQuery& query) { names.append(query.value(0).toString()); });
    return names;
}

QHash<QString, QString> CatalogStore::GetProgramDescriptions() {
    QHash<QString, QString> descriptions;
    ReadPrograms(Db(), QStringLiteral("SELECT program_name, description FROM programs"),
                 [&descriptions](const QSqlQuery& query) {
                     descriptions.insert(query.value(0).toString(), query.value(1).toString());
                 });
    return descriptions;
}
