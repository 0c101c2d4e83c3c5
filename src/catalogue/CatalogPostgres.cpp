#include "catalogue/CatalogState.h"

#include <QLibrary>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QUrl>
#include <QUrlQuery>
#include <thread>

// The connection to a PostgreSQL catalogue: the address's parameters, time limits that hold
// when the server or the network stops answering, and messages that tell the causes of a
// refused connection apart.

using namespace catalog;

namespace {

// The libpq parameters a catalogue address may carry in its query ("?sslmode=verify-full"):
// TLS, time limits and keepalives. Others (a password, a service file, host overrides) are
// refused so that the address says everything about where the catalogue is.
const QStringList kPostgresOptions = {QStringLiteral("sslmode"),
                                      QStringLiteral("sslrootcert"),
                                      QStringLiteral("sslcert"),
                                      QStringLiteral("sslkey"),
                                      QStringLiteral("sslcrl"),
                                      QStringLiteral("connect_timeout"),
                                      QStringLiteral("application_name"),
                                      QStringLiteral("passfile"),
                                      QStringLiteral("target_session_attrs"),
                                      QStringLiteral("keepalives"),
                                      QStringLiteral("keepalives_idle"),
                                      QStringLiteral("keepalives_interval"),
                                      QStringLiteral("keepalives_count"),
                                      QStringLiteral("tcp_user_timeout")};

// A server that does not answer is given up after this long.
constexpr int kConnectTimeoutSeconds = 5;
// What the watchdog allows beyond the statement timeout, which the server itself keeps.
constexpr int kWatchdogGraceSeconds = 5;

// The socket of a QPSQL connection, through libpq's PQsocket (the driver has loaded libpq);
// -1 when it cannot be told.
int SocketOf(const QSqlDatabase& db) {
    using SocketFunction = int (*)(const void*);
    static const SocketFunction socketOf = [] {
        QLibrary libpq(QStringLiteral("pq"), 5);
        return reinterpret_cast<SocketFunction>(libpq.resolve("PQsocket"));
    }();
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    // Qt names the type as the compiler sees it: PGconn is libpq's typedef of struct pg_conn.
    if (socketOf == nullptr || !handle.isValid() ||
        (qstrcmp(handle.typeName(), "PGconn*") != 0 && qstrcmp(handle.typeName(), "pg_conn*") != 0))
        return -1;
    const void* connection = *static_cast<const void* const*>(handle.constData());
    return connection ? socketOf(connection) : -1;
}

// The server has no connection slot left for this user ("too many clients").
bool ServerFull(const QString& reason) {
    return reason.contains(QLatin1String("too many clients"), Qt::CaseInsensitive) ||
           reason.contains(QLatin1String("too many connections"), Qt::CaseInsensitive) ||
           reason.contains(QLatin1String("remaining connection slots"), Qt::CaseInsensitive);
}

// Opens `db`; a server that has no connection free (a site whose workstations all start at
// nine) is asked again after a growing, randomised pause, for at most `patience`. False, with
// the last refusal in `reason`, when it could not be opened.
bool OpenPatiently(QSqlDatabase& db, std::chrono::seconds patience, QString& reason) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    auto pause = std::chrono::milliseconds(50);
    for (;;) {
        if (db.open())
            return true;
        reason = ErrorText(db.lastError());
        if (!ServerFull(reason) || std::chrono::steady_clock::now() + pause > deadline)
            return false;
        const auto jitter = std::chrono::milliseconds(
            QRandomGenerator::global()->bounded(static_cast<int>(pause.count()) + 1));
        std::this_thread::sleep_for(pause + jitter);
        pause = std::min(pause * 2, std::chrono::milliseconds(2000));
    }
}

// Why the server refused a connection, from libpq's and the server's words (the server sends
// no error code before the connection stands): each cause with what to do about it.
QString RefusedConnection(const QUrl& url, const QString& label, const QString& reason) {
    const QString server = QStringLiteral("%1:%2").arg(url.host()).arg(url.port(5432));
    const QString user = url.userName(QUrl::FullyDecoded);
    const QString database = url.path(QUrl::FullyDecoded).mid(1);
    const QString words = reason.simplified();
    const auto says = [&words](const char* text) {
        return words.contains(QLatin1String(text), Qt::CaseInsensitive);
    };
    if (says("password authentication failed") || says("no password supplied") ||
        says("SASL authentication") || says("SCRAM"))
        return QStringLiteral("The catalogue server %1 refused the password of the user \"%2\" "
                              "(catalogue %3): %4. Check the password in the file named by "
                              "CatalogPasswordFile, or in libpq's password file.")
            .arg(server, user, label, words);
    if (says("database") && says("does not exist"))
        return QStringLiteral("The catalogue server %1 has no database \"%2\" (catalogue %3): %4. "
                              "Check the address in CatalogUri, or ask the server's "
                              "administrator to create it: createdb -O %5 %2")
            .arg(server, database, label, words, user);
    if (says("role") && says("does not exist"))
        return QStringLiteral("The catalogue server %1 knows no user \"%2\" (catalogue %3): %4. "
                              "Check the address in CatalogUri.")
            .arg(server, user, label, words);
    if (ServerFull(words))
        return QStringLiteral("The catalogue server %1 had no connection free for this computer "
                              "however long it was asked (catalogue %2): %3. Try again in a "
                              "moment; if it lasts, ask the server's administrator to raise "
                              "max_connections or to put a connection pooler in front of it.")
            .arg(server, label, words);
    if (says("certificate") || says("SSL"))
        return QStringLiteral("The catalogue server %1 gave no checked TLS connection (catalogue "
                              "%2): %3. Check sslmode and sslrootcert in CatalogUri.")
            .arg(server, label, words);
    return QStringLiteral("The catalogue server %1 cannot be reached (catalogue %2): %3. Check "
                          "that the server runs and this computer may connect to it.")
        .arg(server, label, words);
}

} // namespace

int CatalogStore::State::Socket() const {
    return engine == CatalogEngine::Postgres ? SocketOf(Db()) : -1;
}

WatchedStatement CatalogStore::State::Watch() const {
    return WatchedStatement(watchdog.get(), Socket());
}

void CatalogStore::State::SetUpPostgresSession() {
    QSqlQuery query(Db());
    // A writer waits for another writer's lock as long as SQLite's busy timeout; no statement
    // runs longer than the catalogue's time limit.
    // Both in one round trip.
    // A store opened to read only cannot write by mistake.
    if (!query.exec(QStringLiteral("SET lock_timeout = '%1s'; SET statement_timeout = '%2s'%3")
                        .arg(kBusyTimeoutSeconds)
                        .arg(timeoutSeconds)
                        .arg(readOnly ? QStringLiteral("; SET default_transaction_read_only = on")
                                      : QString())))
        Fail(ErrorNumber::DatabaseOpen, QStringLiteral("Setting up the connection"),
             query.lastError());
}

void CatalogStore::State::Reconnect() {
    statements.clear(); // prepared on the old connection
    openTransactions = 0;
    QSqlDatabase db = Db();
    db.close();
    QString reason;
    if (!OpenPatiently(db, std::chrono::seconds(timeoutSeconds), reason))
        throw OrvError(ErrorNumber::DatabaseOpen,
                       RefusedConnection(address, label, reason) +
                           QStringLiteral(" Then try again."),
                       kSource);
    broken = false;
    if (engine == CatalogEngine::Postgres)
        SetUpPostgresSession();
}

void CatalogStore::State::OpenPostgres(const QString& text, const QString& password) {
    const QUrl url(text);
    engine = CatalogEngine::Postgres;
    address = url.adjusted(QUrl::RemovePassword);
    label = url.toString(QUrl::RemovePassword | QUrl::RemoveQuery);
    if (!url.isValid() || url.host().isEmpty() || url.path().size() < 2)
        throw OrvError(ErrorNumber::DatabaseOpen,
                       QStringLiteral("The catalogue address %1 is not valid: it must read "
                                      "postgresql://user@host:port/database.")
                           .arg(label),
                       kSource);
    QStringList options;
    QStringList given;
    for (const auto& [key, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded)) {
        // libpq takes "key=value" pairs separated by spaces: a value with a space or a quote
        // could add parameters of its own.
        static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_./:@+-]*$"));
        if (!kPostgresOptions.contains(key) || !plain.match(value).hasMatch())
            throw OrvError(ErrorNumber::DatabaseOpen,
                           QStringLiteral("The catalogue address %1 has a parameter that is not "
                                          "allowed (%2). Allowed: %3.")
                               .arg(label, key, kPostgresOptions.join(u", ")),
                           kSource);
        given.append(key);
        options.append(key + u'=' + value);
    }
    // Unless the address says otherwise: a dead server or network is noticed within the
    // catalogue's time limit (keepalives for an idle connection, tcp_user_timeout for data
    // that is never acknowledged).
    const int limit = timeoutSeconds;
    const QList<std::pair<const char*, int>> defaults = {
        {"connect_timeout", kConnectTimeoutSeconds},
        {"keepalives", 1},
        {"keepalives_idle", std::max(1, limit / 3)},
        {"keepalives_interval", std::max(1, limit / 9)},
        {"keepalives_count", 3},
        {"tcp_user_timeout", limit * 1000}};
    for (const auto& [key, value] : defaults)
        if (!given.contains(QLatin1String(key)))
            options.append(QStringLiteral("%1=%2").arg(QLatin1String(key)).arg(value));
    watchdog =
        std::make_unique<StatementWatchdog>(std::chrono::seconds(limit + kWatchdogGraceSeconds));

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
    if (!db.isValid())
        throw OrvError(ErrorNumber::DatabaseOpen,
                       QStringLiteral("The catalogue %1 cannot be opened: the PostgreSQL "
                                      "driver of Qt (QPSQL) is not installed.")
                           .arg(label),
                       kSource);
    db.setHostName(url.host());
    db.setPort(url.port(5432));
    db.setUserName(url.userName(QUrl::FullyDecoded));
    db.setPassword(password.isEmpty() ? url.password(QUrl::FullyDecoded) : password);
    db.setDatabaseName(url.path(QUrl::FullyDecoded).mid(1));
    db.setConnectOptions(options.join(u';'));
    QString reason;
    if (!OpenPatiently(db, std::chrono::seconds(timeoutSeconds), reason))
        throw OrvError(ErrorNumber::DatabaseOpen, RefusedConnection(url, label, reason), kSource);
    SetUpPostgresSession();
}
