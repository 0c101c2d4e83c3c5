#include "services/CatalogStore.h"

#include "platform/AppPaths.h"
#include "platform/OrvError.h"
#include "platform/Text.h"
#include "services/CatalogPictures.h"
#include "services/CatalogSchema.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <QUrlQuery>
#include <atomic>
#include <map>
#include <optional>

namespace {

const QString kSource = QStringLiteral("CatalogStore");
const QString kDefaultTheme = QStringLiteral("Default");
// A picture file larger than this is not taken into the catalogue.
constexpr qint64 kMaxPictureBytes = 32 * 1024 * 1024;
// How long a statement waits for another program's lock on the SQLite file before it gives
// up: long enough to ride out another administrator's change, short enough not to look hung.
constexpr int kBusyTimeoutSeconds = 3;

std::atomic<unsigned> gConnectionSerial{0};

// How a column is handed to the caller.
enum class Col {
    Text,  // QString; NULL stays a null QVariant
    Int,   // int; NULL stays a null QVariant
    Date,  // QDateTime in local time from ISO-8601 text
    Bytes, // QByteArray; NULL gives an empty QByteArray
};

QVariant Convert(const QVariant& value, Col col) {
    if (col == Col::Bytes)
        return value.isNull() ? QVariant(QByteArray()) : QVariant(value.toByteArray());
    if (value.isNull())
        return {};
    switch (col) {
    case Col::Text:
        return value.toString();
    case Col::Int:
        return value.toInt();
    case Col::Date: {
        const QDateTime date = QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
        return date.isValid() ? QVariant(date.toLocalTime()) : QVariant();
    }
    case Col::Bytes:
        break;
    }
    return {};
}

// The engine's own words when it has them ("attempt to write a readonly database"), else
// the driver's ("Unable to fetch row").
QString ErrorText(const QSqlError& error) {
    const QString database = error.databaseText().trimmed();
    return database.isEmpty() ? error.driverText().trimmed() : database;
}

// What went wrong, from the engine's error code (never from its message text, which changes
// with versions and languages).
enum class Fault {
    Other,
    Busy,         // another connection holds a lock
    Constraint,   // a uniqueness or foreign-key rule refused the change
    ReadOnly,     // the file or its folder cannot be written (or a journal cannot be opened)
    Io,           // reading or writing a file failed (deleting a journal, among others)
    NotADatabase, // the file is not a database, or is damaged
};

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

QString BusyText() {
    return QStringLiteral("it is in use by another program, which kept it locked for more than "
                          "%1 seconds. Try again when that program has finished")
        .arg(kBusyTimeoutSeconds);
}

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
        text =
            QStringLiteral("The catalogue %1 cannot be opened: %2.").arg(label, ErrorText(error));
        break;
    }
    return OrvError(ErrorNumber::DatabaseOpen, text, kSource);
}

// Creates a new, empty catalogue file (SQLite makes it a database) and its missing folders,
// readable by every user and writable by its owner whatever the umask. A file that another
// program creates meanwhile is left as it is.
void CreateCatalogueFile(const QString& file, const QString& label) {
    const QString folder = QFileInfo(file).absolutePath();
    if (!MakeDirectories(folder, FileMode::kSharedDir))
        throw OrvError(ErrorNumber::DatabaseOpen,
                       QStringLiteral("The catalogue %1 cannot be created: its folder %2 cannot "
                                      "be created. Check that your user may write there.")
                           .arg(label, QDir::toNativeSeparators(folder)),
                       kSource);
    QFile created(file);
    if (created.open(QIODevice::WriteOnly | QIODevice::NewOnly, FileMode::kPrivateFile)) {
        if (created.setPermissions(FileMode::kSharedFile))
            return;
    } else if (QFileInfo::exists(file)) {
        return;
    }
    const QString why = created.errorString();
    if (created.isOpen()) {
        created.close();
        created.remove();
    }
    throw OrvError(ErrorNumber::DatabaseOpen,
                   QStringLiteral("The catalogue %1 cannot be created: %2. Check that your user "
                                  "may write the folder %3.")
                       .arg(label, why, QDir::toNativeSeparators(folder)),
                   kSource);
}

QString ProgramKey(const QString& name) {
    return TrimSpaces(name).toUpper();
}

QVariant NullBytes() {
    return QVariant(QMetaType::fromType<QByteArray>());
}

bool IsPostgresUrl(const QString& path) {
    return path.startsWith(QStringLiteral("postgresql://"), Qt::CaseInsensitive) ||
           path.startsWith(QStringLiteral("postgres://"), Qt::CaseInsensitive);
}

enum class PictureRead { Ok, Unreadable, NotAPicture };

// The bytes of a picture file, checked to be a picture Qt can decode.
PictureRead ReadPictureFile(const QString& file, QByteArray& bytes) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly) || in.size() > kMaxPictureBytes)
        return PictureRead::Unreadable;
    bytes = in.readAll();
    if (in.error() != QFileDevice::NoError)
        return PictureRead::Unreadable;
    return DecodeCatalogPicture(bytes).isNull() ? PictureRead::NotAPicture : PictureRead::Ok;
}

// The canonical name of a theme logo field, empty when `field` names none.
QString LogoField(const QString& field, QString* column) {
    static const struct {
        const char* field;
        const char* column;
    } kFields[] = {{"Theme_LogoSplash", "logo_splash"},
                   {"Theme_LogoSetup", "logo_setup"},
                   {"Theme_LogoAddRemove", "logo_addremove"}};
    for (const auto& f : kFields)
        if (field.compare(QLatin1String(f.field), Qt::CaseInsensitive) == 0) {
            *column = QLatin1String(f.column);
            return QLatin1String(f.field);
        }
    return {};
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The open connection: its engine, its name in messages and its prepared statements.

struct CatalogStore::State {
    QString connection;
    CatalogEngine engine = CatalogEngine::Sqlite;
    QString label; // the file, or the server URL without its password
    // Prepared statements by SQL text, reused by every call.
    std::map<QString, std::unique_ptr<QSqlQuery>> statements;

    QSqlDatabase Db() const { return QSqlDatabase::database(connection, false); }

    [[noreturn]] void Fail(long number, const QString& what, const QString& detail) const {
        throw OrvError(
            number,
            QStringLiteral("%1 failed in the catalogue %2: %3").arg(what, label, detail.trimmed()),
            kSource);
    }

    // Fail with the engine's error, in words that say what to do about it.
    [[noreturn]] void Fail(long number, const QString& what, const QSqlError& error) const {
        switch (FaultOf(engine, error)) {
        case Fault::Busy:
            Fail(number, what, BusyText() + u'.');
        case Fault::ReadOnly:
            Fail(number, what,
                 QStringLiteral("%1. Only a user who may write the catalogue and its folder can "
                                "change it.")
                     .arg(ErrorText(error)));
        default:
            Fail(number, what, ErrorText(error));
        }
    }

    QSqlQuery& Prepared(const QString& sql, const QString& what, long number) {
        auto found = statements.find(sql);
        if (found != statements.end())
            return *found->second;
        auto query = std::make_unique<QSqlQuery>(Db());
        query->setForwardOnly(true);
        if (!query->prepare(sql))
            Fail(number, what, query->lastError());
        return *statements.emplace(sql, std::move(query)).first->second;
    }

    // Runs a statement with its values bound by position; the query is positioned before
    // its first row. False, with the query finished and `error` set, when it failed.
    bool Exec(const QString& sql, const QVariantList& values, const QString& what, long number,
              QSqlError& error) {
        QSqlQuery& query = Prepared(sql, what, number);
        for (qsizetype i = 0; i < values.size(); ++i)
            query.bindValue(static_cast<int>(i), values.at(i));
        if (query.exec())
            return true;
        error = query.lastError();
        query.finish();
        return false;
    }

    // As Exec; throws OrvError `number` on any failure.
    QSqlQuery& Run(const QString& sql, const QVariantList& values, const QString& what,
                   long number) {
        QSqlError error;
        if (!Exec(sql, values, what, number, error))
            Fail(number, what, error);
        return *statements.at(sql);
    }

    Recordset Select(const QString& sql, const QVariantList& values, const QStringList& fields,
                     const QList<Col>& cols, const QString& what) {
        QSqlQuery& query = Run(sql, values, what, ErrorNumber::DatabaseOpen);
        QList<QVariantList> rows;
        while (query.next()) {
            QVariantList row;
            row.reserve(cols.size());
            for (qsizetype c = 0; c < cols.size(); ++c)
                row.append(Convert(query.value(static_cast<int>(c)), cols.at(c)));
            rows.append(std::move(row));
        }
        const QSqlError error = query.lastError();
        query.finish();
        if (error.isValid())
            Fail(ErrorNumber::DatabaseOpen, what, error);
        return Recordset(fields, std::move(rows));
    }

    // The first row's values, raw, or nothing.
    std::optional<QVariantList> First(const QString& sql, const QVariantList& values,
                                      const QString& what) {
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

    // Runs a writing statement; the number of rows it changed.
    qint64 Write(const QString& sql, const QVariantList& values, const QString& what) {
        QSqlQuery& query = Run(sql, values, what, ErrorNumber::DatabaseWrite);
        const qint64 changed = query.numRowsAffected();
        query.finish();
        return changed;
    }

    // As Write, for a change that the catalogue's own rules may refuse because another
    // program changed it meanwhile (a name just taken, a program just removed): nothing
    // then. Inside a transaction, the caller then lets it roll back.
    std::optional<qint64> TryWrite(const QString& sql, const QVariantList& values,
                                   const QString& what) {
        QSqlError error;
        if (!Exec(sql, values, what, ErrorNumber::DatabaseWrite, error)) {
            if (FaultOf(engine, error) == Fault::Constraint)
                return std::nullopt;
            Fail(ErrorNumber::DatabaseWrite, what, error);
        }
        QSqlQuery& query = *statements.at(sql);
        const qint64 changed = query.numRowsAffected();
        query.finish();
        return changed;
    }

    qint64 ProgramId(const QString& name) {
        const QString key = ProgramKey(name);
        if (key.isEmpty())
            return 0;
        const auto row = First(QStringLiteral("SELECT program_id FROM programs WHERE name_key = ?"),
                               {key}, QStringLiteral("Looking up a program"));
        return row ? row->at(0).toLongLong() : 0;
    }

    qint64 ObjectId(const QString& name, int kind) {
        if ((kind != KindUser && kind != KindGroup) || name.isEmpty())
            return 0;
        const auto row = First(QStringLiteral("SELECT object_id FROM principals"
                                              " WHERE object_kind = ? AND object_name = ?"),
                               {kind, name}, QStringLiteral("Looking up a user or group"));
        return row ? row->at(0).toLongLong() : 0;
    }

    QStringList Tables();
    QString ProgramText(const char* column, const QString& name);
    Recordset ProgramRules(const QString& program, int kind, const QString& nameField);
    bool AddPrincipal(const QString& name, int kind, const QString& sid);
    Recordset RulesReport(int kind);

    void CheckOrCreateSchema();
    bool CreateSchemaIfEmpty();
    void EnsureDefaultTheme();

    class Transaction;
};

// One writing transaction; rolled back unless committed. What it reads is what it changes:
// on SQLite it takes the write lock at once (BEGIN IMMEDIATE), so no other program writes
// between its checks and its writes, and it never has to upgrade a read lock, which fails
// at once instead of waiting when another program is writing too.
class CatalogStore::State::Transaction {
public:
    Transaction(State& state, QString what) : mState(state), mWhat(std::move(what)) {
        QSqlDatabase db = mState.Db();
        if (mState.engine == CatalogEngine::Sqlite) {
            QSqlQuery begin(db);
            if (!begin.exec(QStringLiteral("BEGIN IMMEDIATE")))
                mState.Fail(ErrorNumber::DatabaseWrite, mWhat, begin.lastError());
        } else if (!db.transaction()) {
            mState.Fail(ErrorNumber::DatabaseWrite, mWhat, db.lastError());
        }
    }
    ~Transaction() {
        if (mDone)
            return;
        QSqlDatabase db = mState.Db();
        if (mState.engine == CatalogEngine::Sqlite)
            QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        else
            db.rollback();
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void Commit() {
        QSqlDatabase db = mState.Db();
        if (mState.engine == CatalogEngine::Sqlite) {
            QSqlQuery commit(db);
            if (!commit.exec(QStringLiteral("COMMIT")))
                mState.Fail(ErrorNumber::DatabaseWrite, mWhat, commit.lastError());
        } else if (!db.commit()) {
            mState.Fail(ErrorNumber::DatabaseWrite, mWhat, db.lastError());
        }
        mDone = true;
    }

private:
    State& mState;
    QString mWhat;
    bool mDone = false;
};

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

void CatalogStore::State::CheckOrCreateSchema() {
    if (CreateSchemaIfEmpty())
        return;
    const QStringList tables = Tables();
    const auto notCatalogue = [this](const QString& why) {
        return OrvError(ErrorNumber::DatabaseOpen,
                        QStringLiteral("%1 is not a Tessaro Orvane catalogue: %2.").arg(label, why),
                        kSource);
    };
    if (!tables.contains(QLatin1String(kCatalogMetaTable)))
        throw notCatalogue(QStringLiteral("it holds other tables (%1)").arg(tables.join(u", ")));
    const QString sql = QStringLiteral("SELECT meta_value FROM catalog_meta WHERE meta_key = ?");
    const auto format = First(sql, {QString::fromLatin1(kCatalogFormatKey)},
                              QStringLiteral("Reading the catalogue's format"));
    if (!format || format->at(0).toString() != QLatin1String(kCatalogFormatValue))
        throw notCatalogue(QStringLiteral("its format marker is missing"));
    const auto version = First(sql, {QString::fromLatin1(kCatalogVersionKey)},
                               QStringLiteral("Reading the catalogue's version"));
    const int schema = version ? version->at(0).toString().toInt() : 0;
    if (schema > kCatalogSchemaVersion)
        throw OrvError(ErrorNumber::DatabaseOpen,
                       QStringLiteral("The catalogue %1 was written by a newer version of "
                                      "Tessaro Orvane (schema %2; this version reads schema %3).")
                           .arg(label)
                           .arg(schema)
                           .arg(kCatalogSchemaVersion),
                       kSource);
    if (schema < 1)
        throw notCatalogue(QStringLiteral("its schema version is missing"));
    QStringList missing;
    for (const QString& table : CatalogTables())
        if (!tables.contains(table))
            missing.append(table);
    if (!missing.isEmpty())
        throw notCatalogue(QStringLiteral("the tables %1 are missing").arg(missing.join(u", ")));
    EnsureDefaultTheme();
}

// Creates the schema when the database has no tables; false when it has some.
bool CatalogStore::State::CreateSchemaIfEmpty() {
    if (!Tables().isEmpty())
        return false;
    const QString what = QStringLiteral("Creating the catalogue");
    Transaction transaction(*this, what);
    // Another program may have created it while this one waited for the write lock.
    if (!Tables().isEmpty())
        return false;
    {
        QSqlQuery query(Db());
        for (const QString& sql : CatalogSchemaStatements(engine))
            if (!query.exec(sql))
                Fail(ErrorNumber::DatabaseWrite, what, query.lastError());
    }
    const QString meta =
        QStringLiteral("INSERT INTO catalog_meta (meta_key, meta_value) VALUES (?, ?)");
    Write(meta, {QString::fromLatin1(kCatalogFormatKey), QString::fromLatin1(kCatalogFormatValue)},
          what);
    Write(meta, {QString::fromLatin1(kCatalogVersionKey), QString::number(kCatalogSchemaVersion)},
          what);
    Write(QStringLiteral("INSERT INTO themes (theme_name, is_default) VALUES (?, 1)"),
          {kDefaultTheme}, what);
    transaction.Commit();
    return true;
}

// A catalogue always has a default theme; an older or damaged one is repaired when it can be
// written (a read-only catalogue is left as it is: GetDefaultTheme then answers "Default").
void CatalogStore::State::EnsureDefaultTheme() {
    const auto flagged = First(QStringLiteral("SELECT theme_id FROM themes WHERE is_default = 1"),
                               {}, QStringLiteral("Reading the default theme"));
    if (flagged)
        return;
    try {
        const QString what = QStringLiteral("Restoring the default theme");
        Transaction transaction(*this, what);
        if (Write(QStringLiteral("UPDATE themes SET is_default = 1 WHERE theme_name = ?"),
                  {kDefaultTheme}, what) == 0)
            Write(QStringLiteral("INSERT INTO themes (theme_name, is_default) VALUES (?, 1)"),
                  {kDefaultTheme}, what);
        transaction.Commit();
    } catch (const OrvError&) {
    }
}

// ---------------------------------------------------------------------------------------------

CatalogStore::CatalogStore() = default;

CatalogStore::~CatalogStore() {
    CloseConnection();
}

QSqlDatabase CatalogStore::Db() const {
    if (!mState)
        throw OrvError(ErrorNumber::DatabaseOpen, QStringLiteral("The catalogue is not open."),
                       kSource);
    QSqlDatabase db = mState->Db();
    if (!db.isOpen())
        throw OrvError(ErrorNumber::DatabaseOpen,
                       QStringLiteral("The catalogue %1 is not open.").arg(mState->label), kSource);
    return db;
}

void CatalogStore::CloseConnection() {
    mState.reset(); // the prepared statements go before their connection
    if (mConnectionName.isEmpty())
        return;
    if (QSqlDatabase::contains(mConnectionName)) {
        {
            QSqlDatabase db = QSqlDatabase::database(mConnectionName, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(mConnectionName);
    }
    mConnectionName.clear();
}

QVariant CatalogStore::OpenDatabase(const QString& path) {
    CloseConnection();
    mConnectionName = QStringLiteral("orv-catalog-%1").arg(++gConnectionSerial);
    auto state = std::make_unique<State>();
    state->connection = mConnectionName;
    try {
        if (IsPostgresUrl(path)) {
            const QUrl url(path);
            state->engine = CatalogEngine::Postgres;
            state->label = url.toString(QUrl::RemovePassword);
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), mConnectionName);
            if (!db.isValid())
                throw OrvError(ErrorNumber::DatabaseOpen,
                               QStringLiteral("The catalogue %1 cannot be opened: the PostgreSQL "
                                              "driver of Qt (QPSQL) is not installed.")
                                   .arg(state->label),
                               kSource);
            db.setHostName(url.host());
            db.setPort(url.port(5432));
            db.setUserName(url.userName(QUrl::FullyDecoded));
            db.setPassword(url.password(QUrl::FullyDecoded));
            db.setDatabaseName(url.path(QUrl::FullyDecoded).mid(1));
            QStringList options;
            for (const auto& [key, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded))
                options.append(key + u'=' + value);
            db.setConnectOptions(options.join(u';'));
            if (!db.open())
                throw OrvError(ErrorNumber::DatabaseOpen,
                               QStringLiteral("The catalogue %1 cannot be reached: %2")
                                   .arg(state->label, ErrorText(db.lastError())),
                               kSource);
        } else {
            if (path.isEmpty())
                throw OrvError(ErrorNumber::DatabaseOpen,
                               QStringLiteral("No catalogue file was given."), kSource);
            const QFileInfo info(path);
            const QString file = info.absoluteFilePath();
            state->label = QDir::toNativeSeparators(file);
            const bool existed = info.exists();
            if (existed && info.isDir())
                throw OrvError(ErrorNumber::DatabaseOpen,
                               QStringLiteral("%1 is not a Tessaro Orvane catalogue: it is a "
                                              "directory.")
                                   .arg(state->label),
                               kSource);
            if (!existed)
                CreateCatalogueFile(file, state->label);
            if (existed && !info.isReadable())
                throw OrvError(ErrorNumber::PermissionDenied,
                               QStringLiteral("The catalogue %1 cannot be read: permission "
                                              "denied.")
                                   .arg(state->label),
                               kSource);
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), mConnectionName);
            if (!db.isValid())
                throw OrvError(ErrorNumber::DatabaseOpen,
                               QStringLiteral("The catalogue %1 cannot be opened: the SQLite "
                                              "driver of Qt (QSQLITE) is not installed.")
                                   .arg(state->label),
                               kSource);
            db.setDatabaseName(file);
            db.setConnectOptions(
                QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutSeconds * 1000));
            // SQLite opens a file it may not write read-only by itself; reading then works and
            // the first write fails with "attempt to write a readonly database".
            if (!db.open())
                throw OrvError(
                    ErrorNumber::DatabaseOpen,
                    QStringLiteral("The catalogue %1 cannot be %2: %3")
                        .arg(state->label,
                             existed ? QStringLiteral("opened") : QStringLiteral("created"),
                             ErrorText(db.lastError())),
                    kSource);
            QSqlQuery query(db);
            // Reading the schema is the first access to the file's content: a file that is
            // not a database fails here, and so does one that another program holds locked
            // or that needs a recovery this user cannot make.
            if (!query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")))
                throw OpenFailure(state->label, file, query.lastError());
            query.finish();
            if (!query.exec(QStringLiteral("PRAGMA foreign_keys = ON")))
                state->Fail(ErrorNumber::DatabaseOpen, QStringLiteral("Enabling foreign keys"),
                            query.lastError());
        }
        state->CheckOrCreateSchema();
    } catch (...) {
        state.reset();
        CloseConnection();
        throw;
    }
    mState = std::move(state);
    return true;
}

void CatalogStore::SetAppPath(const QString& pictureDir) {
    mPictureDir = pictureDir;
}

void CatalogStore::SetDefaultIcon(const QString& iconFile) {
    mDefaultIcon = iconFile;
}

QString CatalogStore::PictureFileOf(const QString& name) const {
    return AppPaths(QString(), mPictureDir).PictureFile(name);
}

void CatalogStore::RemovePictures(const QStringList& names) const {
    if (mPictureDir.isEmpty())
        return;
    QStringList done;
    for (const QString& name : names) {
        const QString file = PictureFileOf(name);
        if (done.contains(file))
            continue;
        done.append(file);
        QFile::remove(file);
    }
}

// ---------------------------------------------------------------------------------------------
// Programs

namespace {
const QString kProgramColumns =
    QStringLiteral("program_name, description, exe_path, start_in_dir, startup_parms, added_date");
const QStringList kProgramFields = {
    QStringLiteral("Program_Name"),         QStringLiteral("Program_Desc"),
    QStringLiteral("Program_Path"),         QStringLiteral("Program_StartInDir"),
    QStringLiteral("Program_StartUpParms"), QStringLiteral("Program_Added_Date")};
const QList<Col> kProgramCols = {Col::Text, Col::Text, Col::Text, Col::Text, Col::Text, Col::Date};
} // namespace

Recordset CatalogStore::GetPrograms() {
    Db();
    return mState->Select(QStringLiteral("SELECT %1 FROM programs ORDER BY name_key, program_id")
                              .arg(kProgramColumns),
                          {}, kProgramFields, kProgramCols, QStringLiteral("Listing the programs"));
}

Recordset CatalogStore::GetProgram(const QString& name) {
    Db();
    return mState->Select(
        QStringLiteral("SELECT %1 FROM programs WHERE name_key = ?").arg(kProgramColumns),
        {ProgramKey(name)}, kProgramFields, kProgramCols, QStringLiteral("Reading a program"));
}

Recordset CatalogStore::GetProgramProperties(const QString& name) {
    Db();
    return mState->Select(
        QStringLiteral(
            "SELECT program_name, added_date, exe_path FROM programs WHERE name_key = ?"),
        {ProgramKey(name)},
        {QStringLiteral("ProgramName"), QStringLiteral("AddedDate"), QStringLiteral("ProgramPath")},
        {Col::Text, Col::Date, Col::Text}, QStringLiteral("Reading a program's properties"));
}

QString CatalogStore::State::ProgramText(const char* column, const QString& name) {
    const auto row = First(
        QStringLiteral("SELECT %1 FROM programs WHERE name_key = ?").arg(QLatin1String(column)),
        {ProgramKey(name)}, QStringLiteral("Reading a program"));
    return row ? row->at(0).toString() : QString();
}

QString CatalogStore::GetProgramPath(const QString& name) {
    Db();
    return mState->ProgramText("exe_path", name);
}

QString CatalogStore::GetProgramStartInDir(const QString& name) {
    Db();
    return mState->ProgramText("start_in_dir", name);
}

QString CatalogStore::GetProgramStartUpParms(const QString& name) {
    Db();
    return mState->ProgramText("startup_parms", name);
}

bool CatalogStore::AddProgram(const QString& name, const QString& description, const QString& path,
                              const QString& iconFile, const QString& startInDir,
                              const QString& startUpParms) {
    Db();
    const QString trimmed = TrimSpaces(name);
    if (trimmed.isEmpty())
        return false;
    QVariant icon = NullBytes();
    QByteArray bytes;
    if (!iconFile.isEmpty() && ReadPictureFile(iconFile, bytes) == PictureRead::Ok)
        icon = bytes;
    const QString added = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    // A name taken, also by another program just now, leaves the row as it is.
    const auto inserted = mState->TryWrite(
        QStringLiteral("INSERT INTO programs (program_name, name_key, description,"
                       " exe_path, start_in_dir, startup_parms, icon, added_date)"
                       " VALUES (?, ?, COALESCE(?, ''), COALESCE(?, ''),"
                       " COALESCE(?, ''), COALESCE(?, ''), ?, ?)"
                       " ON CONFLICT DO NOTHING"),
        {trimmed, trimmed.toUpper(), description, path, startInDir, startUpParms, icon, added},
        QStringLiteral("Adding the program %1").arg(trimmed));
    if (inserted.value_or(0) == 0)
        return false;
    // A picture left behind under this name belongs to no program any more.
    RemovePictures({trimmed});
    return true;
}

bool CatalogStore::ModifyProgram(const QString& oldName, const QString& newName,
                                 const QString& description, const QString& path,
                                 const QString& startInDir, const QString& startUpParms) {
    Db();
    const QString oldKey = ProgramKey(oldName);
    const QString trimmed = TrimSpaces(newName);
    if (oldKey.isEmpty() || trimmed.isEmpty())
        return false;
    const QString what = QStringLiteral("Changing the program %1").arg(TrimSpaces(oldName));
    State::Transaction transaction(*mState, what);
    const auto row = mState->First(
        QStringLiteral("SELECT program_id, program_name FROM programs WHERE name_key = ?"),
        {oldKey}, QStringLiteral("Looking up a program"));
    if (!row)
        return false;
    const qint64 id = row->at(0).toLongLong();
    const QString storedName = row->at(1).toString();
    const qint64 other = mState->ProgramId(trimmed);
    if (other != 0 && other != id)
        return false;
    const auto changed = mState->TryWrite(
        QStringLiteral("UPDATE programs SET program_name = ?, name_key = ?,"
                       " description = COALESCE(?, ''), exe_path = COALESCE(?, ''),"
                       " start_in_dir = COALESCE(?, ''), startup_parms = COALESCE(?, '')"
                       " WHERE program_id = ?"),
        {trimmed, trimmed.toUpper(), description, path, startInDir, startUpParms, id}, what);
    if (changed.value_or(0) == 0)
        return false;
    transaction.Commit();
    if (storedName != trimmed)
        RemovePictures({storedName, TrimSpaces(oldName), oldName});
    return true;
}

bool CatalogStore::SetProgramIcon(const QString& name, const QString& pictureFile) {
    Db();
    const qint64 id = mState->ProgramId(name);
    if (id == 0)
        return false;
    QVariant icon = NullBytes();
    if (!pictureFile.isEmpty()) {
        QByteArray bytes;
        if (ReadPictureFile(pictureFile, bytes) != PictureRead::Ok)
            return false;
        icon = bytes;
    }
    mState->Write(QStringLiteral("UPDATE programs SET icon = ? WHERE program_id = ?"), {icon, id},
                  QStringLiteral("Changing the icon of the program %1").arg(TrimSpaces(name)));
    return true;
}

bool CatalogStore::DeleteProgram(const QString& name) {
    Db();
    if (ProgramKey(name).isEmpty())
        return false;
    const QString what = QStringLiteral("Removing the program %1").arg(TrimSpaces(name));
    State::Transaction transaction(*mState, what);
    const auto row = mState->First(
        QStringLiteral("SELECT program_id, program_name FROM programs WHERE name_key = ?"),
        {ProgramKey(name)}, QStringLiteral("Looking up a program"));
    if (!row)
        return false;
    const qint64 id = row->at(0).toLongLong();
    const QString storedName = row->at(1).toString();
    // The rules go with the program (also where the engine does not cascade).
    mState->Write(QStringLiteral("DELETE FROM permissions WHERE program_id = ?"), {id}, what);
    mState->Write(QStringLiteral("DELETE FROM programs WHERE program_id = ?"), {id}, what);
    transaction.Commit();
    RemovePictures({storedName, TrimSpaces(name), name});
    return true;
}

bool CatalogStore::ExportProgramIcon(const QString& name) {
    Db();
    const auto row = mState->First(QStringLiteral("SELECT icon FROM programs WHERE name_key = ?"),
                                   {ProgramKey(name)}, QStringLiteral("Reading a program's icon"));
    if (!row || ProgramKey(name).isEmpty() || mPictureDir.isEmpty())
        return false;
    QImage image = DecodeCatalogPicture(row->at(0).toByteArray());
    if (image.isNull() && !mDefaultIcon.isEmpty()) {
        QFile in(mDefaultIcon);
        if (in.open(QIODevice::ReadOnly))
            image = DecodeCatalogPicture(in.readAll());
    }
    return WriteCatalogBmp(image, PictureFileOf(name));
}

// ---------------------------------------------------------------------------------------------
// Rules and principals

Recordset CatalogStore::GetGroupPermissions(const QString& group) {
    Db();
    return mState->Select(QStringLiteral("SELECT p.program_name, r.status FROM principals o"
                                         " JOIN permissions r ON r.object_id = o.object_id"
                                         " JOIN programs p ON p.program_id = r.program_id"
                                         " WHERE o.object_kind = 2 AND o.object_name = ?"
                                         " ORDER BY r.permission_id"),
                          {group}, {QStringLiteral("Program_Name"), QStringLiteral("Status")},
                          {Col::Text, Col::Int}, QStringLiteral("Reading the rules of a group"));
}

Recordset CatalogStore::GetUserPermissions(const QString& user, const QString& userSid) {
    Db();
    return mState->Select(
        QStringLiteral("SELECT o.object_name, p.program_name, r.status FROM principals o"
                       " JOIN permissions r ON r.object_id = o.object_id"
                       " JOIN programs p ON p.program_id = r.program_id"
                       " WHERE o.object_kind = 1 AND o.object_name = ? AND o.object_sid = ?"
                       " ORDER BY r.permission_id"),
        {user, userSid.isNull() ? QStringLiteral("") : userSid},
        {QStringLiteral("Username"), QStringLiteral("PrgName"), QStringLiteral("Status")},
        {Col::Text, Col::Text, Col::Int}, QStringLiteral("Reading the rules of a user"));
}

std::optional<int> CatalogStore::GetGroupRuleStatus(const QString& group, const QString& program) {
    Db();
    const auto row =
        mState->First(QStringLiteral("SELECT r.status FROM principals o"
                                     " JOIN permissions r ON r.object_id = o.object_id"
                                     " JOIN programs p ON p.program_id = r.program_id"
                                     " WHERE o.object_kind = 2 AND o.object_name = ?"
                                     " AND p.name_key = ?"),
                      {group, ProgramKey(program)}, QStringLiteral("Reading the rule of a group"));
    if (!row || row->at(0).isNull())
        return std::nullopt;
    return row->at(0).toInt();
}

std::optional<int> CatalogStore::GetUserRuleStatus(const QString& user, const QString& userSid,
                                                   const QString& program) {
    Db();
    const auto row =
        mState->First(QStringLiteral("SELECT r.status FROM principals o"
                                     " JOIN permissions r ON r.object_id = o.object_id"
                                     " JOIN programs p ON p.program_id = r.program_id"
                                     " WHERE o.object_kind = 1 AND o.object_name = ?"
                                     " AND o.object_sid = ? AND p.name_key = ?"),
                      {user, userSid.isNull() ? QStringLiteral("") : userSid, ProgramKey(program)},
                      QStringLiteral("Reading the rule of a user"));
    if (!row || row->at(0).isNull())
        return std::nullopt;
    return row->at(0).toInt();
}

Recordset CatalogStore::State::ProgramRules(const QString& program, int kind,
                                            const QString& nameField) {
    return Select(QStringLiteral("SELECT o.object_name, r.status FROM programs p"
                                 " JOIN permissions r ON r.program_id = p.program_id"
                                 " JOIN principals o ON o.object_id = r.object_id"
                                 " WHERE p.name_key = ? AND o.object_kind = ?"
                                 " ORDER BY r.permission_id"),
                  {ProgramKey(program), kind}, {nameField, QStringLiteral("Status")},
                  {Col::Text, Col::Int}, QStringLiteral("Reading the rules of a program"));
}

Recordset CatalogStore::GetProgramGroupPermissions(const QString& program) {
    Db();
    return mState->ProgramRules(program, KindGroup, QStringLiteral("GroupName"));
}

Recordset CatalogStore::GetProgramUserPermissions(const QString& program) {
    Db();
    return mState->ProgramRules(program, KindUser, QStringLiteral("Username"));
}

long CatalogStore::GetProgramId(const QString& program) {
    Db();
    return static_cast<long>(mState->ProgramId(program));
}

long CatalogStore::GetObjectId(const QString& principal, int kind) {
    Db();
    return static_cast<long>(mState->ObjectId(principal, kind));
}

bool CatalogStore::AddPermission(const QString& principal, int status, const QString& program,
                                 int kind) {
    Db();
    if ((kind != KindUser && kind != KindGroup) || principal.isEmpty() ||
        ProgramKey(program).isEmpty())
        return false;
    const QString what = QStringLiteral("Storing the rule of %1 for the program %2")
                             .arg(principal, TrimSpaces(program));
    // The lookups belong to the transaction: a program or principal that another program
    // removes meanwhile makes a refusal, not a broken rule.
    State::Transaction transaction(*mState, what);
    const qint64 objectId = mState->ObjectId(principal, kind);
    const qint64 programId = mState->ProgramId(program);
    if (objectId == 0 || programId == 0)
        return false;
    mState->Write(QStringLiteral("DELETE FROM permissions WHERE object_id = ? AND program_id = ?"),
                  {objectId, programId}, what);
    if (!mState->TryWrite(QStringLiteral("INSERT INTO permissions (object_id, program_id, status)"
                                         " VALUES (?, ?, ?)"),
                          {objectId, programId, status}, what))
        return false;
    transaction.Commit();
    return true;
}

bool CatalogStore::DeletePermission(long principalId, long programId) {
    Db();
    return mState->Write(
               QStringLiteral("DELETE FROM permissions WHERE object_id = ? AND program_id = ?"),
               {qint64(principalId), qint64(programId)}, QStringLiteral("Removing a rule")) > 0;
}

bool CatalogStore::UserExists(const QString& name) {
    Db();
    return mState->ObjectId(name, KindUser) != 0;
}

bool CatalogStore::GroupExists(const QString& name) {
    Db();
    return mState->ObjectId(name, KindGroup) != 0;
}

bool CatalogStore::State::AddPrincipal(const QString& name, int kind, const QString& sid) {
    if (TrimSpaces(name).isEmpty())
        return false;
    // A name taken, also by another program just now, leaves the row as it is.
    const auto inserted = TryWrite(
        QStringLiteral("INSERT INTO principals (object_name, object_kind, object_sid)"
                       " VALUES (?, ?, COALESCE(?, '')) ON CONFLICT DO NOTHING"),
        {name, kind, sid},
        QStringLiteral("Adding the %1 %2")
            .arg(kind == CatalogStore::KindUser ? QStringLiteral("user") : QStringLiteral("group"),
                 name));
    return inserted.value_or(0) > 0;
}

bool CatalogStore::AddUser(const QString& name, const QString& sid) {
    Db();
    return mState->AddPrincipal(name, KindUser, sid);
}

bool CatalogStore::AddGroup(const QString& name) {
    Db();
    return mState->AddPrincipal(name, KindGroup, QString());
}

Recordset CatalogStore::State::RulesReport(int kind) {
    return Select(
        QStringLiteral("SELECT p.program_name, o.object_name, r.status"
                       " FROM permissions r"
                       " JOIN programs p ON p.program_id = r.program_id"
                       " JOIN principals o ON o.object_id = r.object_id"
                       " WHERE o.object_kind = ?"
                       " ORDER BY p.name_key, o.object_name, r.permission_id"),
        {kind}, {QStringLiteral("PrgName"), QStringLiteral("ObjectName"), QStringLiteral("Status")},
        {Col::Text, Col::Text, Col::Int}, QStringLiteral("Listing the rules"));
}

Recordset CatalogStore::GetPermissionsByGroup() {
    Db();
    return mState->RulesReport(KindGroup);
}

Recordset CatalogStore::GetPermissionsByUser() {
    Db();
    return mState->RulesReport(KindUser);
}

// ---------------------------------------------------------------------------------------------
// Folder entries

Recordset CatalogStore::GetFolders() {
    Db();
    return mState->Select(
        QStringLiteral("SELECT folder_name, folder_path FROM folders ORDER BY folder_id"), {},
        {QStringLiteral("Folder_Name"), QStringLiteral("Folder_Path")}, {Col::Text, Col::Text},
        QStringLiteral("Listing the folder entries"));
}

bool CatalogStore::AddFolder(const QString& name, const QString& path) {
    Db();
    if (TrimSpaces(name).isEmpty())
        return false;
    mState->Write(QStringLiteral("INSERT INTO folders (folder_name, folder_path)"
                                 " VALUES (?, COALESCE(?, ''))"),
                  {name, path}, QStringLiteral("Adding the folder entry %1").arg(name));
    return true;
}

bool CatalogStore::DeleteFolder(const QString& name) {
    Db();
    const QString what = QStringLiteral("Removing the folder entry %1").arg(name);
    if (mState->Write(QStringLiteral("DELETE FROM folders WHERE folder_name = ?"), {name}, what) >
        0)
        return true;
    // The windows show names trimmed: an entry stored with spaces around its name is found by
    // its trimmed name.
    const QString trimmed = TrimSpaces(name);
    if (trimmed.isEmpty())
        return false;
    State::Transaction transaction(*mState, what);
    QVariantList ids;
    {
        const Recordset all = mState->Select(
            QStringLiteral("SELECT folder_id, folder_name FROM folders ORDER BY folder_id"), {},
            {QStringLiteral("id"), QStringLiteral("name")}, {Col::Text, Col::Text},
            QStringLiteral("Listing the folder entries"));
        for (const QVariantList& row : all.Rows())
            if (TrimSpaces(row.at(1).toString()) == trimmed)
                ids.append(row.at(0).toLongLong());
    }
    qint64 removed = 0;
    for (const QVariant& id : ids)
        removed +=
            mState->Write(QStringLiteral("DELETE FROM folders WHERE folder_id = ?"), {id}, what);
    if (removed == 0)
        return false;
    transaction.Commit();
    return true;
}

// ---------------------------------------------------------------------------------------------
// Themes

namespace {
const QStringList kThemeFields = {QStringLiteral("Theme_Name"), QStringLiteral("Theme_LogoSplash"),
                                  QStringLiteral("Theme_LogoSetup"),
                                  QStringLiteral("Theme_LogoAddRemove")};
const QList<Col> kThemeCols = {Col::Text, Col::Bytes, Col::Bytes, Col::Bytes};
} // namespace

Recordset CatalogStore::GetThemes() {
    Db();
    return mState->Select(
        QStringLiteral("SELECT theme_name, logo_splash, logo_setup, logo_addremove"
                       " FROM themes ORDER BY theme_id"),
        {}, kThemeFields, kThemeCols, QStringLiteral("Listing the themes"));
}

Recordset CatalogStore::GetTheme(const QString& name) {
    Db();
    return mState->Select(
        QStringLiteral("SELECT theme_name, logo_splash, logo_setup, logo_addremove"
                       " FROM themes WHERE theme_name = ?"),
        {name}, kThemeFields, kThemeCols, QStringLiteral("Reading a theme"));
}

bool CatalogStore::ExportThemeLogo(const QString& theme, const QString& field) {
    Db();
    QString column;
    const QString canonical = LogoField(field, &column);
    if (canonical.isEmpty() || mPictureDir.isEmpty())
        return false;
    const auto row =
        mState->First(QStringLiteral("SELECT %1 FROM themes WHERE theme_name = ?").arg(column),
                      {theme}, QStringLiteral("Reading a theme's logo"));
    if (!row)
        return false;
    const QImage image = DecodeCatalogPicture(row->at(0).toByteArray());
    return !image.isNull() &&
           WriteCatalogBmp(image, AppPaths(QString(), mPictureDir).LogoFile(canonical));
}

bool CatalogStore::CreateTheme(const QString& name, const QString& splashFile,
                               const QString& addRemoveFile, const QString& setupFile) {
    Db();
    if (TrimSpaces(name).isEmpty())
        return false;
    QVariantList logos;
    for (const QString& file : {splashFile, setupFile, addRemoveFile}) {
        if (file.isEmpty()) {
            logos.append(NullBytes());
            continue;
        }
        QByteArray bytes;
        if (ReadPictureFile(file, bytes) != PictureRead::Ok)
            return false;
        logos.append(bytes);
    }
    // A name taken, also by another program just now, leaves the row as it is.
    const auto inserted =
        mState->TryWrite(QStringLiteral("INSERT INTO themes (theme_name, logo_splash, logo_setup,"
                                        " logo_addremove, is_default) VALUES (?, ?, ?, ?, 0)"
                                        " ON CONFLICT DO NOTHING"),
                         {name, logos.at(0), logos.at(1), logos.at(2)},
                         QStringLiteral("Creating the theme %1").arg(name));
    return inserted.value_or(0) > 0;
}

bool CatalogStore::DeleteTheme(const QString& name) {
    Db();
    if (name == kDefaultTheme)
        return false;
    const QString what = QStringLiteral("Deleting the theme %1").arg(name);
    State::Transaction transaction(*mState, what);
    const auto row = mState->First(
        QStringLiteral("SELECT theme_id, is_default FROM themes WHERE theme_name = ?"), {name},
        QStringLiteral("Looking up a theme"));
    if (!row || mState->Write(QStringLiteral("DELETE FROM themes WHERE theme_id = ?"), {row->at(0)},
                              what) == 0)
        return false;
    if (row->at(1).toInt() != 0)
        mState->Write(QStringLiteral("UPDATE themes SET is_default = 1 WHERE theme_name = ?"),
                      {kDefaultTheme}, what);
    transaction.Commit();
    return true;
}

bool CatalogStore::SetDefaultTheme(const QString& name) {
    Db();
    const QString what = QStringLiteral("Making %1 the default theme").arg(name);
    State::Transaction transaction(*mState, what);
    const auto row =
        mState->First(QStringLiteral("SELECT theme_id FROM themes WHERE theme_name = ?"), {name},
                      QStringLiteral("Looking up a theme"));
    if (!row)
        return false;
    mState->Write(QStringLiteral("UPDATE themes SET is_default = 0 WHERE is_default = 1"), {},
                  what);
    // Another program may set its own default at the same moment (PostgreSQL): one of them
    // is refused by the rule of a single default.
    if (mState
            ->TryWrite(QStringLiteral("UPDATE themes SET is_default = 1 WHERE theme_id = ?"),
                       {row->at(0)}, what)
            .value_or(0) == 0)
        return false;
    transaction.Commit();
    return true;
}

QString CatalogStore::GetDefaultTheme() {
    Db();
    const auto row = mState->First(
        QStringLiteral("SELECT theme_name FROM themes WHERE is_default = 1 ORDER BY theme_id"), {},
        QStringLiteral("Reading the default theme"));
    return row ? row->at(0).toString() : kDefaultTheme;
}
