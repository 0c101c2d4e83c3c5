#pragma once

#include <QSqlDatabase>
#include <QString>

// The catalogue tests run once against SQLite and once against the throwaway PostgreSQL
// server that scripts/postgres-test-server starts (a CTest fixture): the PostgreSQL runs get
// ORV_TEST_POSTGRES_DIR, the server's folder, whose file "url" holds its address.
// ORV_TEST_POSTGRES_URL names another server instead.

// Whether this run is one against PostgreSQL.
bool OnPostgresRun();

// A fresh, empty database `name` (lower-case letters, digits, '_') on the test server and its
// address; false with `error` set when the server cannot be reached. A run against SQLite
// gets an empty address.
bool FreshPostgresDatabase(const QString& name, QString& url, QString& error);

// A connection of the test's own to the database at `url` (not opened yet).
QSqlDatabase PostgresConnection(const QString& url, const QString& connectionName);
