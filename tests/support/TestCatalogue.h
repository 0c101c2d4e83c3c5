#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

// The catalogue a test works on, on the engine of the run: an SQLite file, or on a PostgreSQL
// run a database of the test server (see PostgresTest.h).
class TestCatalogue {
public:
    // Readies the catalogue for a test: `file` on SQLite (left as it is); on PostgreSQL a
    // fresh database `name` or, `reusing` the one made by the first call, that one with its
    // tables dropped (quicker). False with `error` set when the server cannot give it.
    bool Prepare(const QString& name, const QString& file, QString& error, bool reusing = false);
    // What a store opens: the file or the database's address.
    const QString& Address() const { return mAddress; }
    bool OnPostgres() const { return !mServer.isEmpty(); }
    // A connection of the test's own to the catalogue (not opened yet).
    QSqlDatabase Connection(const QString& connectionName) const;
    // Runs the statements on a connection of the test's own, binding `values` to the first;
    // the first failure's text, or "" when all went through.
    QString Exec(const QStringList& statements, const QVariantList& values = {}) const;
    // The first column of the first row of a query, as text ("" when there is none).
    QString Value(const QString& sql) const;

private:
    QString mServer; // the database on the test server, made once
    QString mAddress;
};
