#pragma once

// What the parts of CatalogStore share: the open connection, its prepared statements and
// transactions, and how engine errors read. Private to CatalogStore's own files.

#include "catalogue/CatalogSchema.h"
#include "catalogue/CatalogStore.h"
#include "catalogue/StatementWatchdog.h"
#include "platform/OrvError.h"
#include "platform/Text.h"

#include <QByteArray>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <utility>

namespace catalog {

inline const QString kSource = QStringLiteral("CatalogStore");
inline const QString kDefaultTheme = QStringLiteral("Default");
// A picture file larger than this is not taken into the catalogue.
constexpr qint64 kMaxPictureBytes = 32 * 1024 * 1024;
// How long a statement waits for another program's lock before it gives up: long enough to
// ride out another administrator's change, short enough not to look hung.
constexpr int kBusyTimeoutSeconds = 3;

// How a column is handed to the caller.
enum class Col {
    Text,  // QString; NULL stays a null QVariant
    Int,   // int; NULL stays a null QVariant
    Date,  // QDateTime in local time from ISO-8601 text
    Bytes, // QByteArray; NULL gives an empty QByteArray
};
QVariant Convert(const QVariant& value, Col col);

// The engine's own words when it has them ("attempt to write a readonly database"), else
// the driver's ("Unable to fetch row").
QString ErrorText(const QSqlError& error);

// What went wrong, from the engine's error code (never from its message text, which changes
// with versions and languages). CatalogEngine.cpp.
enum class Fault {
    Other,
    Busy,         // another connection holds a lock
    Constraint,   // a uniqueness or foreign-key rule refused the change
    ReadOnly,     // the file or its folder cannot be written (or a journal cannot be opened)
    Io,           // reading or writing a file failed (deleting a journal, among others)
    NotADatabase, // the file is not a database, or is damaged
    Connection,   // the server cannot be reached or dropped the connection
};
Fault FaultOf(CatalogEngine engine, const QSqlError& error);
QString BusyText();

inline QString ProgramKey(const QString& name) {
    return TrimSpaces(name).toUpper();
}

inline QVariant NullBytes() {
    return QVariant(QMetaType::fromType<QByteArray>());
}

bool IsPostgresUrl(const QString& path);

enum class PictureRead { Ok, Unreadable, NotAPicture };
// The bytes of a picture file, checked to be a picture Qt can decode. CatalogPictures.cpp.
PictureRead ReadPictureFile(const QString& file, QByteArray& bytes);
// The canonical name of a theme logo field, empty when `field` names none; its column.
QString LogoField(const QString& field, QString* column);

} // namespace catalog

// ---------------------------------------------------------------------------------------------
// The open connection: its engine, its name in messages and its prepared statements.

struct CatalogStore::State {
    using Col = catalog::Col;
    using Fault = catalog::Fault;
    QString connection;
    CatalogEngine engine = CatalogEngine::Sqlite;
    QString label; // the file, or the server URL without its password
    QUrl address;  // the server's address without its password
    // How long a statement may take on a server, and after how long more an unanswered one
    // ends its connection (CatalogPostgres.cpp).
    int timeoutSeconds = CatalogStore::kDefaultServerTimeoutSeconds;
    std::unique_ptr<StatementWatchdog> watchdog;
    // The server connection's socket, -1 on SQLite. (CatalogPostgres.cpp)
    int Socket() const;
    // Watches the statements of the calling scope for a server that stops answering.
    WatchedStatement Watch() const;
    // Prepared statements by SQL text, reused by every call.
    std::map<QString, std::unique_ptr<QSqlQuery>> statements;

    QSqlDatabase Db() const { return QSqlDatabase::database(connection, false); }

    int openTransactions = 0;
    // The row of each program (by name key) as this store last read it, its key and version:
    // an edit of a program that someone else changed since, or removed and added again under
    // the same name (another row), is refused (CatalogPrograms.cpp).
    struct SeenRow {
        qint64 id = 0;
        qint64 version = 0;
    };
    std::map<QString, SeenRow> seenPrograms;
    // The server connection failed: the next statement reconnects first.
    bool broken = false;
    // Within a read scope (CatalogStore::ReadScope) the rules of each principal are read once:
    // a start asks for a user's group rules for his permission set and again for his list.
    // Outside one every read goes to the catalogue. A change made here forgets them.
    bool readOnly = false; // opened by OpenReadOnly
    int schemaVersion = kCatalogSchemaVersion;
    int readScopes = 0;
    qint64 openedStamp = 0; // the change stamp when the catalogue was opened
    std::map<QString, CatalogStore::Rules> rulesRead;
    CatalogStore::Rules CachedRules(const QString& key,
                                    const std::function<CatalogStore::Rules()>& read);

    [[noreturn]] void Fail(long number, const QString& what, const QString& detail) const;
    // Fail with the engine's error, in words that say what to do about it.
    [[noreturn]] void Fail(long number, const QString& what, const QSqlError& error) const;
    // What became of a lost connection: the watchdog's limit when it ended it, else the
    // client library's words.
    QString LostConnectionText(const QSqlError& error) const;

    QSqlQuery& Prepared(const QString& sql, const QString& what, long number);
    // The prepared statement, or null with `error` set.
    QSqlQuery* TryPrepare(const QString& sql, QSqlError& error);
    // A query object for a statement without values, run as it is each time.
    QSqlQuery* Unprepared(const QString& sql);

    // Runs a statement with its values bound by position; the query is positioned before
    // its first row. False, with the query finished and `error` set, when it failed. A lost
    // server connection is reopened once and the statement run again, unless a transaction
    // was open (its work is gone: the caller fails).
    bool Exec(const QString& sql, const QVariantList& values, const QString& what, long number,
              QSqlError& error);

    // Closes and opens the connection again, forgetting its prepared statements; throws
    // OrvError naming the server when it cannot be reached. (CatalogPostgres.cpp)
    void Reconnect();

    // As Exec; throws OrvError `number` on any failure.
    QSqlQuery& Run(const QString& sql, const QVariantList& values, const QString& what,
                   long number) {
        QSqlError error;
        if (!Exec(sql, values, what, number, error))
            Fail(number, what, error);
        return *statements.at(sql);
    }

    // Runs a reading statement and hands `row` the query on each of its rows in turn.
    template <class Row>
    void ForEachRow(const QString& sql, const QVariantList& values, const QString& what,
                    Row&& row) {
        const WatchedStatement watched = Watch(); // the rows may come while they are read
        QSqlQuery& query = Run(sql, values, what, ErrorNumber::DatabaseOpen);
        while (query.next())
            row(std::as_const(query));
        const QSqlError error = query.lastError();
        query.finish();
        if (error.isValid())
            Fail(ErrorNumber::DatabaseOpen, what, error);
    }

    // The rows of `cols`; columns after those go to `extra`, called once per row.
    Recordset Select(const QString& sql, const QVariantList& values, const QStringList& fields,
                     const QList<Col>& cols, const QString& what,
                     const std::function<void(const QSqlQuery&)>& extra = {}) {
        QList<QVariantList> rows;
        ForEachRow(sql, values, what, [&](const QSqlQuery& query) {
            QVariantList row;
            row.reserve(cols.size());
            for (qsizetype c = 0; c < cols.size(); ++c)
                row.append(catalog::Convert(query.value(static_cast<int>(c)), cols.at(c)));
            rows.append(std::move(row));
            if (extra)
                extra(query);
        });
        return Recordset(fields, std::move(rows));
    }

    // The first row's values, raw, or nothing.
    std::optional<QVariantList> First(const QString& sql, const QVariantList& values,
                                      const QString& what) {
        const WatchedStatement watched = Watch();
        QSqlQuery& query = Run(sql, values, what, ErrorNumber::DatabaseOpen);
        std::optional<QVariantList> row;
        if (query.next()) {
            row.emplace();
            const int columns = query.record().count();
            for (int c = 0; c < columns; ++c)
                row->append(query.value(c));
        } else if (query.lastError().isValid()) {
            const QSqlError error = query.lastError();
            query.finish();
            Fail(ErrorNumber::DatabaseOpen, what, error);
        }
        query.finish();
        return row;
    }

    // Runs a writing statement; the number of rows it changed. Outside a transaction it makes
    // one of its own: a lost connection is then found at BEGIN and opened again, and the
    // statement never runs twice (whether a lost reply's change was committed is unknown).
    qint64 Write(const QString& sql, const QVariantList& values, const QString& what) {
        return *InTransaction(what, [&] { return std::optional(WriteNow(sql, values, what)); });
    }

    // As Write, for a change that the catalogue's own rules may refuse because another
    // program changed it meanwhile (a name just taken, a program just removed): nothing
    // then. Inside a transaction, the caller then lets it roll back.
    std::optional<qint64> TryWrite(const QString& sql, const QVariantList& values,
                                   const QString& what) {
        return InTransaction(what, [&] { return TryWriteNow(sql, values, what); });
    }

    qint64 WriteNow(const QString& sql, const QVariantList& values, const QString& what) {
        QSqlQuery& query = Run(sql, values, what, ErrorNumber::DatabaseWrite);
        const qint64 changed = query.numRowsAffected();
        query.finish();
        return changed;
    }

    std::optional<qint64> TryWriteNow(const QString& sql, const QVariantList& values,
                                      const QString& what) {
        QSqlError error;
        if (!Exec(sql, values, what, ErrorNumber::DatabaseWrite, error)) {
            if (catalog::FaultOf(engine, error) == Fault::Constraint)
                return std::nullopt;
            Fail(ErrorNumber::DatabaseWrite, what, error);
        }
        QSqlQuery& query = *statements.at(sql);
        const qint64 changed = query.numRowsAffected();
        query.finish();
        return changed;
    }

    // Makes the catalogue's change stamp larger, in the open transaction.
    void BumpChangeStamp(const QString& what);

    // Runs `write` in the open transaction, or in one of its own committed when it returns
    // a value.
    std::optional<qint64> InTransaction(const QString& what,
                                        const std::function<std::optional<qint64>()>& write);

    qint64 ProgramId(const QString& name) {
        const QString key = catalog::ProgramKey(name);
        if (key.isEmpty())
            return 0;
        const auto row = First(QStringLiteral("SELECT program_id FROM programs WHERE name_key = ?"),
                               {key}, QStringLiteral("Looking up a program"));
        return row ? row->at(0).toLongLong() : 0;
    }

    qint64 ObjectId(const QString& name, int kind) {
        if ((kind != CatalogStore::KindUser && kind != CatalogStore::KindGroup) || name.isEmpty())
            return 0;
        const auto row = First(QStringLiteral("SELECT object_id FROM principals"
                                              " WHERE object_kind = ? AND object_name = ?"),
                               {kind, name}, QStringLiteral("Looking up a user or group"));
        return row ? row->at(0).toLongLong() : 0;
    }

    QStringList Tables();
    QString ProgramText(const char* column, const QString& name);
    void RememberProgramVersion(const QSqlQuery& row);
    void RequireUnchanged(const QString& key, SeenRow now, const QString& name);
    Recordset ProgramRules(const QString& program, int kind, const QString& nameField);
    bool AddPrincipal(const QString& name, int kind, const QString& sid);
    Recordset RulesReport(int kind);

    // CatalogEngine.cpp: the connection of each engine.
    // `fresh`: a file just made for a new catalogue, still empty.
    void OpenSqlite(const QString& path, bool fresh);
    void OpenPostgres(const QString& url, const QString& password);
    void SetUpPostgresSession();
    // After rows were inserted with their keys given: new rows get keys after them.
    void KeysCopied(const QString& table, const QString& key, const QString& what);

    // CatalogSchema.cpp
    void CheckOrCreateSchema();
    bool IsCurrentCatalogue();
    bool CreateSchemaIfEmpty();
    int SchemaVersion();
    void Upgrade(int from);
    void EnsureDefaultTheme();

    class Transaction;
};

// One writing transaction; rolled back unless committed. What it reads is what it changes:
// on SQLite it takes the write lock at once (BEGIN IMMEDIATE), so no other program writes
// between its checks and its writes, and it never has to upgrade a read lock, which fails

// One writing transaction; rolled back unless committed. What it reads is what it changes:
// writers take the catalogue's write lock at once, so no other program writes between their
// checks and their writes (CatalogEngine.cpp says how each engine does it). Readers see
// only committed transactions.
class CatalogStore::State::Transaction {
public:
    Transaction(State& state, QString what);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void Commit();

private:
    void Rollback();

    State& mState;
    QString mWhat;
    bool mDone = false;
};
