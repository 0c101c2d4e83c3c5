#include "catalogue/CatalogState.h"

#include "platform/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

// Where the two engines differ: error codes, connections, how a writer takes the lock and how
// the tables are listed. (The schema's types differ in CatalogSchema.cpp.)

namespace catalog {

Fault FaultOf(CatalogEngine engine, const QSqlError& error) {
    const QString code = error.nativeErrorCode();
    if (engine == CatalogEngine::Postgres) {
        // SQLSTATE: class 23 integrity constraint violation; lock_not_available,
        // deadlock_detected, serialization_failure; read_only_sql_transaction.
        if (code.startsWith(QLatin1String("23")))
            return Fault::Constraint;
        if (code == QLatin1String("55P03") || code == QLatin1String("40P01") ||
            code == QLatin1String("40001"))
            return Fault::Busy;
        if (code == QLatin1String("25006"))
            return Fault::ReadOnly;
        // Class 08 connection exception; 57P01-57P03 the server shuts down or cannot accept
        // connections. The server gives every error of its own a SQLSTATE: an error without
        // one comes from the client library, which has lost the connection.
        if (code.isEmpty() || code.startsWith(QLatin1String("08")) ||
            code.startsWith(QLatin1String("57P0")))
            return Fault::Connection;
        return Fault::Other;
    }
    bool isNumber = false;
    // Qt hands over extended result codes; the primary code is the low byte.
    const int primary = code.toInt(&isNumber) & 0xff;
    if (!isNumber)
        return Fault::Other;
    switch (primary) {
    case 5: // SQLITE_BUSY
    case 6: // SQLITE_LOCKED
        return Fault::Busy;
    case 19: // SQLITE_CONSTRAINT
        return Fault::Constraint;
    case 3:  // SQLITE_PERM
    case 8:  // SQLITE_READONLY
    case 14: // SQLITE_CANTOPEN
        return Fault::ReadOnly;
    case 10: // SQLITE_IOERR
        return Fault::Io;
    case 11: // SQLITE_CORRUPT
    case 26: // SQLITE_NOTADB
        return Fault::NotADatabase;
    default:
        return Fault::Other;
    }
}

bool IsPostgresUrl(const QString& path) {
    return path.startsWith(QStringLiteral("postgresql://"), Qt::CaseInsensitive) ||
           path.startsWith(QStringLiteral("postgres://"), Qt::CaseInsensitive);
}

} // namespace catalog

using namespace catalog;

namespace {

// A rollback journal left beside the file by a program that stopped in the middle of a
// change: SQLite must roll it back before anyone can read the catalogue.
bool HasHotJournal(const QString& file) {
    return QFileInfo(file + QStringLiteral("-journal")).size() > 0;
}

// Why an existing SQLite file could not be read.
OrvError OpenFailure(const QString& label, const QString& file, const QSqlError& error) {
    const QString folder = QDir::toNativeSeparators(QFileInfo(file).absolutePath());
    QString text;
    const Fault fault = FaultOf(CatalogEngine::Sqlite, error);
    switch (fault) {
    case Fault::Busy:
        text = QStringLiteral("The catalogue %1 cannot be opened: %2.").arg(label, BusyText());
        break;
    case Fault::ReadOnly:
    case Fault::Io:
        // Rolling the journal back needs the file written and the journal deleted: a
        // read-only file fails the first, a read-only folder the second.
        if (HasHotJournal(file))
            text = QStringLiteral("The catalogue %1 was left half-changed by a program that "
                                  "stopped, and only a user who may write its folder %2 can "
                                  "repair it. Ask such a user to start Tessaro Orvane once, "
                                  "then try again.")
                       .arg(label, folder);
        else if (fault == Fault::ReadOnly)
            text = QStringLiteral("The catalogue %1 cannot be opened (%2). Check that your user "
                                  "may read it and its folder %3.")
                       .arg(label, ErrorText(error), folder);
        else
            text = QStringLiteral("The catalogue %1 cannot be opened: %2.")
                       .arg(label, ErrorText(error));
        break;
    case Fault::NotADatabase:
        text = QStringLiteral("%1 is not a Tessaro Orvane catalogue (%2).")
                   .arg(label, ErrorText(error));
        break;
    case Fault::Constraint:
    case Fault::Other:
    case Fault::Connection:
        text =
            QStringLiteral("The catalogue %1 cannot be opened: %2.").arg(label, ErrorText(error));
        break;
    }
    return OrvError(ErrorNumber::DatabaseOpen, text, kSource);
}

// Every writer of a PostgreSQL catalogue holds this transaction-scoped advisory lock.
constexpr qint64 kWriteLockKey = 0x4f52564e43415400; // "ORVNCAT"

} // namespace

// SQLite locks the whole file for a writer (BEGIN IMMEDIATE); PostgreSQL serialises the
// catalogue's writers with one advisory lock, which gives the same guarantee: a writer's
// checks and writes see no other writer's change in between, and a reader sees either all
// of a change or none of it (READ COMMITTED reads committed rows only).
CatalogStore::State::Transaction::Transaction(State& state, QString what)
    : mState(state), mWhat(std::move(what)) {
    if (mState.broken && mState.openTransactions == 0)
        mState.Reconnect();
    const WatchedStatement watched = mState.Watch();
    QSqlDatabase db = mState.Db();
    QSqlQuery begin(db);
    const bool sqlite = mState.engine == CatalogEngine::Sqlite;
    if (!begin.exec(sqlite ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN"))) {
        const bool lost = FaultOf(mState.engine, begin.lastError()) == Fault::Connection;
        mState.broken = lost;
        // A server that stopped answering is not asked again: it would take as long again.
        if (!lost || (mState.watchdog && mState.watchdog->Fired()))
            mState.Fail(ErrorNumber::DatabaseWrite, mWhat, begin.lastError());
        // A connection lost since the last call: nothing of ours was open; try once more.
        mState.Reconnect();
        begin = QSqlQuery(mState.Db());
        if (!begin.exec(QStringLiteral("BEGIN"))) {
            mState.broken = true;
            mState.Fail(ErrorNumber::DatabaseWrite, mWhat, begin.lastError());
        }
    }
    ++mState.openTransactions;
    if (!sqlite) {
        QSqlQuery lock(mState.Db());
        lock.prepare(QStringLiteral("SELECT pg_advisory_xact_lock(?)"));
        lock.bindValue(0, kWriteLockKey);
        if (!lock.exec()) {
            const QSqlError error = lock.lastError();
            Rollback();
            mState.Fail(ErrorNumber::DatabaseWrite, mWhat, error);
        }
    }
}

CatalogStore::State::Transaction::~Transaction() {
    if (!mDone)
        Rollback();
}

void CatalogStore::State::Transaction::Rollback() {
    if (mDone)
        return;
    mDone = true;
    --mState.openTransactions;
    const WatchedStatement watched = mState.Watch();
    QSqlQuery rollback(mState.Db());
    if (!rollback.exec(QStringLiteral("ROLLBACK")) &&
        FaultOf(mState.engine, rollback.lastError()) == Fault::Connection)
        mState.broken = true;
}

void CatalogStore::State::Transaction::Commit() {
    // Whatever this change touched is read again; other launchers see the stamp move.
    mState.rulesRead.clear();
    mState.BumpChangeStamp(mWhat);
    std::optional<QSqlError> failed;
    {
        const WatchedStatement watched = mState.Watch();
        QSqlQuery commit(mState.Db());
        if (!commit.exec(QStringLiteral("COMMIT")))
            failed = commit.lastError();
    }
    if (!failed) {
        mDone = true;
        --mState.openTransactions;
        return;
    }
    const bool lost = FaultOf(mState.engine, *failed) == Fault::Connection;
    if (lost)
        mState.broken = true;
    Rollback();
    if (!lost)
        mState.Fail(ErrorNumber::DatabaseWrite, mWhat, *failed);
    // The server either committed the whole change or nothing of it; which, the lost answer
    // would have said.
    mState.Fail(ErrorNumber::DatabaseWrite, mWhat,
                QStringLiteral("the connection to the server was lost while the change was being "
                               "saved (%1), so whether it was saved cannot be told; nothing was "
                               "saved in part. Reload the list to see, and make the change again "
                               "if it is not there.")
                    .arg(mState.LostConnectionText(*failed)));
}

void CatalogStore::State::BumpChangeStamp(const QString& what) {
    const QString key = QString::fromLatin1(kCatalogChangeKey);
    if (WriteNow(QStringLiteral("UPDATE catalog_meta"
                                " SET meta_value = CAST(CAST(meta_value AS BIGINT) + 1 AS TEXT)"
                                " WHERE meta_key = ?"),
                 {key}, what) == 0)
        WriteNow(QStringLiteral("INSERT INTO catalog_meta (meta_key, meta_value) VALUES (?, '1')"),
                 {key}, what);
}

std::optional<qint64>
CatalogStore::State::InTransaction(const QString& what,
                                   const std::function<std::optional<qint64>()>& write) {
    if (openTransactions > 0)
        return write();
    Transaction transaction(*this, what);
    const std::optional<qint64> changed = write();
    if (changed)
        transaction.Commit();
    return changed;
}

// The database's own tables, in lower case. On SQLite through a statement of ours, so that a
// locked file is an error rather than an empty list.
QStringList CatalogStore::State::Tables() {
    QStringList tables;
    if (engine == CatalogEngine::Sqlite) {
        const Recordset rs = Select(QStringLiteral("SELECT name FROM sqlite_master"
                                                   " WHERE type = 'table'"
                                                   " AND substr(name, 1, 7) <> 'sqlite_'"),
                                    {}, {QStringLiteral("name")}, {Col::Text},
                                    QStringLiteral("Reading the catalogue's tables"));
        for (const QVariantList& row : rs.Rows())
            tables.append(row.at(0).toString().toLower());
        return tables;
    }
    for (const QString& table : Db().tables(QSql::Tables))
        tables.append(table.toLower());
    return tables;
}

// SQLite's AUTOINCREMENT follows the largest key inserted by itself; a PostgreSQL identity
// column's sequence has to be told.
void CatalogStore::State::KeysCopied(const QString& table, const QString& key,
                                     const QString& what) {
    if (engine == CatalogEngine::Sqlite)
        return;
    // Table and column names come from the catalogue's own schema, never from input.
    Write(QStringLiteral("SELECT setval(pg_get_serial_sequence('%1', '%2'),"
                         " COALESCE((SELECT max(%2) FROM %1), 0) + 1, false)")
              .arg(table, key),
          {}, what);
}

void CatalogStore::State::OpenSqlite(const QString& path, bool fresh) {
    if (path.isEmpty())
        throw OrvError(ErrorNumber::DatabaseOpen, QStringLiteral("No catalogue file was given."),
                       kSource);
    const QFileInfo info(path);
    const QString file = info.absoluteFilePath();
    label = QDir::toNativeSeparators(file);
    if (!info.exists())
        throw OrvError(ErrorNumber::DatabaseOpen,
                       QStringLiteral("The catalogue %1 does not exist.").arg(label), kSource);
    if (info.isDir())
        throw OrvError(ErrorNumber::DatabaseOpen,
                       QStringLiteral("%1 is not a Tessaro Orvane catalogue: it is a "
                                      "directory.")
                           .arg(label),
                       kSource);
    // SQLite takes an empty file for a new database; a catalogue is never empty, so an empty
    // file is one that was cut short, and making it a new catalogue would hide the loss.
    if (!fresh && info.size() == 0)
        throw OrvError(ErrorNumber::DatabaseOpen,
                       QStringLiteral("The catalogue %1 is damaged: the file is empty (0 bytes). "
                                      "Restore it from a backup, or remove it to start again "
                                      "with a new, empty catalogue.")
                           .arg(label),
                       kSource);
    if (!info.isReadable())
        throw OrvError(ErrorNumber::PermissionDenied,
                       QStringLiteral("The catalogue %1 cannot be read: permission "
                                      "denied.")
                           .arg(label),
                       kSource);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
    if (!db.isValid())
        throw OrvError(ErrorNumber::DatabaseOpen,
                       QStringLiteral("The catalogue %1 cannot be opened: the SQLite "
                                      "driver of Qt (QSQLITE) is not installed.")
                           .arg(label),
                       kSource);
    db.setDatabaseName(file);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1%2")
                             .arg(kBusyTimeoutSeconds * 1000)
                             .arg(readOnly ? QStringLiteral(";QSQLITE_OPEN_READONLY") : QString()));
    // SQLite opens a file it may not write read-only by itself; reading then works and
    // the first write fails with "attempt to write a readonly database".
    if (!db.open())
        throw OrvError(ErrorNumber::DatabaseOpen,
                       QStringLiteral("The catalogue %1 cannot be opened: %2")
                           .arg(label, ErrorText(db.lastError())),
                       kSource);
    QSqlQuery query(db);
    // Reading the schema is the first access to the file's content: a file that is
    // not a database fails here, and so does one that another program holds locked
    // or that needs a recovery this user cannot make.
    if (!query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")))
        throw OpenFailure(label, file, query.lastError());
    query.finish();
    if (!query.exec(QStringLiteral("PRAGMA foreign_keys = ON")))
        Fail(ErrorNumber::DatabaseOpen, QStringLiteral("Enabling foreign keys"), query.lastError());
}
