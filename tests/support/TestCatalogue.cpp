#include "support/TestCatalogue.h"

#include "support/PostgresTest.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {
const QString kConnection = QStringLiteral("orv-test-catalogue");
} // namespace

bool TestCatalogue::Prepare(const QString& name, const QString& file, QString& error,
                            bool reusing) {
    if (mServer.isEmpty() || !reusing) {
        if (!FreshPostgresDatabase(name, mServer, error))
            return false;
        mAddress = mServer.isEmpty() ? file : mServer;
        return true;
    }
    mAddress = mServer;
    error = Exec({QStringLiteral("DROP TABLE IF EXISTS permissions, principals, programs,"
                                 " folders, themes, catalog_meta CASCADE")});
    return error.isEmpty();
}

QSqlDatabase TestCatalogue::Connection(const QString& connectionName) const {
    if (OnPostgres())
        return PostgresConnection(mAddress, connectionName);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    db.setDatabaseName(mAddress);
    return db;
}

QString TestCatalogue::Exec(const QStringList& statements, const QVariantList& values) const {
    QString failure;
    {
        QSqlDatabase db = Connection(kConnection);
        if (!db.open())
            failure = db.lastError().text();
        QSqlQuery query(db);
        for (qsizetype i = 0; i < statements.size() && failure.isEmpty(); ++i) {
            const QString& sql = statements.at(i);
            // Only a statement with values is prepared: PostgreSQL prepares no DDL.
            bool done = true;
            if (i == 0 && !values.isEmpty()) {
                done = query.prepare(sql);
                for (const QVariant& value : values)
                    query.addBindValue(value);
                done = done && query.exec();
            } else {
                done = query.exec(sql);
            }
            if (!done)
                failure = sql + QStringLiteral(": ") + query.lastError().text();
        }
        query = QSqlQuery();
        db.close();
    }
    QSqlDatabase::removeDatabase(kConnection);
    return failure;
}

QString TestCatalogue::Value(const QString& sql) const {
    QString value;
    {
        QSqlDatabase db = Connection(kConnection);
        QSqlQuery query(db);
        if (db.open() && query.exec(sql) && query.next())
            value = query.value(0).toString();
        query = QSqlQuery();
        db.close();
    }
    QSqlDatabase::removeDatabase(kConnection);
    return value;
}
