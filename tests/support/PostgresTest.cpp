#include "support/PostgresTest.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUuid>
#include <csignal>
#include <sys/types.h>

namespace {

// The server's address, or an empty string with `error` set.
QString ServerUrl(QString& error) {
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

// Runs `statements` on the database at `url` over the connection `name`; the first failure's
// text, or "" when all went through.
QString RunStatements(const QString& url, const QString& name, const QStringList& statements) {
    QString failure;
    {
        QSqlDatabase db = PostgresConnection(url, name);
        QSqlQuery query(db);
        if (!db.open())
            failure = db.lastError().text();
        for (const QString& sql : statements)
            if (failure.isEmpty() && !query.exec(sql))
                failure = query.lastError().text();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return failure;
}

} // namespace

bool OnPostgresRun() {
    return qEnvironmentVariableIsSet("ORV_TEST_POSTGRES_DIR");
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
    // Names cannot be bound; `name` is checked above.
    const QString failure =
        RunStatements(server, QStringLiteral("orv-test-admin"),
                      {QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name),
                       QStringLiteral("CREATE DATABASE %1").arg(name)});
    if (!failure.isEmpty()) {
        error = QStringLiteral("The PostgreSQL test server %1 cannot make the database %2: %3")
                    .arg(server, name, failure);
        return false;
    }
    QUrl address(server);
    address.setPath(u'/' + name);
    url = address.toString();
    return true;
}

PrivatePostgresServer::~PrivatePostgresServer() {
    if (!mDir.isEmpty()) {
        Freeze(false);
        Script(QStringLiteral("stop"));
    }
}

bool PrivatePostgresServer::Script(const QString& action, const QString& options) {
    QProcess script;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ORV_PG_OPTIONS"), options);
    script.setProcessEnvironment(env);
    script.setProcessChannelMode(QProcess::MergedChannels);
    script.start(qEnvironmentVariable("ORV_SOURCE_DIR") +
                     QStringLiteral("/scripts/postgres-test-server"),
                 {action, mDir});
    return script.waitForFinished(120000) && script.exitStatus() == QProcess::NormalExit &&
           script.exitCode() == 0;
}

bool PrivatePostgresServer::Start(const QString& options, QString& error) {
    mDir = QDir::tempPath() + QStringLiteral("/orvane-pg-private-") +
           QUuid::createUuid().toString(QUuid::Id128).left(12);
    if (!Script(QStringLiteral("start"), options)) {
        error = QStringLiteral("the private PostgreSQL server in %1 did not start").arg(mDir);
        return false;
    }
    QFile url(mDir + QStringLiteral("/url"));
    if (!url.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("the private PostgreSQL server wrote no address");
        return false;
    }
    mUrl = QString::fromUtf8(url.readAll()).trimmed();
    return true;
}

void PrivatePostgresServer::Freeze(bool frozen) {
    QFile pidFile(DataDir() + QStringLiteral("/postmaster.pid"));
    if (!pidFile.open(QIODevice::ReadOnly))
        return;
    const QString postmaster = QString::fromLatin1(pidFile.readLine()).trimmed();
    // The postmaster and its children: the backends, the writer, the checkpointer.
    QStringList pids{postmaster};
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QString text = QString::fromLatin1(stat.readAll());
        const QStringList fields = text.mid(text.lastIndexOf(u')') + 2).split(u' ');
        if (fields.size() > 1 && fields.at(1) == postmaster)
            pids.append(entry);
    }
    for (const QString& pid : pids)
        ::kill(static_cast<pid_t>(pid.toLongLong()), frozen ? SIGSTOP : SIGCONT);
}

bool PrivatePostgresServer::Run(const QStringList& statements, QString& error) {
    const QString failure = RunStatements(mUrl, QStringLiteral("orv-private-admin"), statements);
    if (!failure.isEmpty())
        error = failure;
    return failure.isEmpty();
}
