#pragma once

#include <QSqlDatabase>
#include <QString>

// The catalogue tests run once against SQLite and once against the throwaway PostgreSQL
// server that scripts/postgres-test-server starts (a CTest fixture): the PostgreSQL runs get
// ORV_TEST_POSTGRES_DIR, the server's folder, whose file "url" holds its address.

// Whether this run is one against PostgreSQL.
bool OnPostgresRun();

// A fresh, empty database `name` (lower-case letters, digits, '_') on the test server and its
// address; false with `error` set when the server cannot be reached. A run against SQLite
// gets an empty address.
bool FreshPostgresDatabase(const QString& name, QString& url, QString& error);

// A connection of the test's own to the database at `url` (not opened yet).
QSqlDatabase PostgresConnection(const QString& url, const QString& connectionName);

// A PostgreSQL server of one test's own, for faults the shared server must not see: crashed,
// frozen, restarted, out of connections. Started with `options` (server options such as
// "-c max_connections=8"); stopped and removed with the object.
class PrivatePostgresServer {
public:
    ~PrivatePostgresServer();
    bool Start(const QString& options, QString& error);
    QString Url() const { return mUrl; }
    // As a power cut: every process ends at once; Resume starts it again on the same port.
    bool Crash() { return Script(QStringLiteral("crash")); }
    bool Resume() { return Script(QStringLiteral("resume")); }
    // Stops (SIGSTOP) or continues (SIGCONT) the server and all its processes.
    void Freeze(bool frozen);
    // Runs SQL as the superuser; false with `error` set when it fails.
    bool Run(const QStringList& statements, QString& error);
    QString DataDir() const { return mDir + QStringLiteral("/data"); }

private:
    bool Script(const QString& action, const QString& options = {});
    QString mDir;
    QString mUrl;
};
