#include "services/CatalogStore.h"

#include "platform/OrvError.h"

#include <QDir>
#include <QSqlError>
#include <QSqlQuery>

QStringList CatalogStore::GetProgramNames() {
    QSqlDatabase db = Db();
    // One column and no date conversion: an administrator's start lists every program, and
    // the six columns of GetPrograms (with a local-time conversion per date) cost more than
    // the list itself.
    QSqlQuery query(db);
    query.setForwardOnly(true);
    QStringList names;
    if (query.exec(
            QStringLiteral("SELECT program_name FROM programs ORDER BY name_key, program_id"))) {
        while (query.next())
            names.append(query.value(0).toString());
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
    return names;
}
