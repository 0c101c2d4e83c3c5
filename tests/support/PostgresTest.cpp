#include "support/PostgresTest.h"

#include <QFile>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

namespace {

// The server's address, or an empty string with `error` set.
QString ServerUrl(QString& error) {
    const QString given = qEnvironmentVariable("ORV_TEST_POSTGRES_URL");
    if (!given.isEmpty())
        return given;
    const QString dir = qEnvironmentVariable("ORV_TEST_POSTGRES_DIR");
    QFile file(dir + QStringLiteral("/url"));
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("The PostgreSQL test server did not start: %1 is missing (see "
                               "the test postgres_server_start).")
                    .arg(file.fileName());
        return {};
    }
    return QString::fromUtf8(file.readAll()).trimmed();
}

} // namespace

bool OnPostgresRun() {
    return qEnvironmentVariableIsSet("ORV_TEST_POSTGRES_DIR") ||
           qEnvironmentVariableIsSet("ORV_TEST_POSTGRES_URL");
}

QSqlDatabase PostgresConnection(const QString& url, const QString& connectionName) {
    const QUrl address(url);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
    db.setHostName(address.host());
    db.setPort(address.port(5432));
    db.setUserName(address.userName());
    db.setPassword(address.password());
    db.setDatabaseName(address.path().mid(1));
    return db;
}

bool FreshPostgresDatabase(const QString& name, QString& url, QString& error) {
    url.clear();
    if (!OnPostgresRun())
        return true;
    static const QRegularExpression plain(QStringLiteral("^[a-z_][a-z0-9_]*$"));
    if (!plain.match(name).hasMatch()) {
        error = QStringLiteral("Not a database name for the tests: %1").arg(name);
        return false;
    }
    const QString server = ServerUrl(error);
    if (server.isEmpty())
        return false;
    bool made = false;
    {
        QSqlDatabase db = PostgresConnection(server, QStringLiteral("orv-test-admin"));
        // Names cannot be bound; `name` is checked above.
        QSqlQuery query(db);
        made = db.open() &&
               query.exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name)) &&
               query.exec(QStringLiteral("CREATE DATABASE %1").arg(name));
        if (!made)
            error = QStringLiteral("The PostgreSQL test server %1 cannot make the database %2: %3")
                        .arg(server, name,
                             query.lastError().isValid() ? query.lastError().text()
                                                         : db.lastError().text());
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("orv-test-admin"));
    if (!made)
        return false;
    QUrl address(server);
    address.setPath(u'/' + name);
    url = address.toString();
    return true;
}
