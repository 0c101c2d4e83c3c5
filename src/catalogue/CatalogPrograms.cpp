#include "catalogue/CatalogStore.h"

#include "catalogue/CatalogState.h"

#include "platform/OrvError.h"

#include <QDateTime>
#include <QDir>
#include <QSqlError>
#include <QSqlQuery>

using namespace catalog;

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
    mState->seenPrograms.clear();
    return mState->Select(
        QStringLiteral("SELECT %1, name_key, program_id, row_version FROM programs"
                       " ORDER BY name_key, program_id")
            .arg(kProgramColumns),
        {}, kProgramFields, kProgramCols, QStringLiteral("Listing the programs"),
        [this](const QSqlQuery& row) { mState->RememberProgramVersion(row); });
}

Recordset CatalogStore::GetProgram(const QString& name) {
    Db();
    mState->seenPrograms.erase(ProgramKey(name));
    return mState->Select(
        QStringLiteral("SELECT %1, name_key, program_id, row_version FROM programs"
                       " WHERE name_key = ?")
            .arg(kProgramColumns),
        {ProgramKey(name)}, kProgramFields, kProgramCols, QStringLiteral("Reading a program"),
        [this](const QSqlQuery& row) { mState->RememberProgramVersion(row); });
}

// The row a listing just read; the columns after the program's fields.
void CatalogStore::State::RememberProgramVersion(const QSqlQuery& row) {
    const int first = static_cast<int>(kProgramCols.size());
    seenPrograms[row.value(first).toString()] = {row.value(first + 1).toLongLong(),
                                                 row.value(first + 2).toLongLong()};
}

// Two administrators who opened the same program each save what they saw: the second save
// would silently undo the first, so it is refused and he reloads. A program this store never
// read is changed as asked.
void CatalogStore::State::RequireUnchanged(const QString& key, SeenRow now, const QString& name) {
    const auto seen = seenPrograms.find(key);
    if (seen == seenPrograms.end() ||
        (seen->second.id == now.id && seen->second.version == now.version))
        return;
    throw OrvError(ErrorNumber::DatabaseWrite,
                   QStringLiteral("The program %1 was changed by someone else after you opened it. "
                                  "Reload the list and make your change again.")
                       .arg(name),
                   kSource);
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
    const auto row = mState->First(QStringLiteral("SELECT program_id, program_name, row_version"
                                                  " FROM programs WHERE name_key = ?"),
                                   {oldKey}, QStringLiteral("Looking up a program"));
    if (!row)
        return false;
    const qint64 id = row->at(0).toLongLong();
    const QString storedName = row->at(1).toString();
    const qint64 version = row->at(2).toLongLong();
    mState->RequireUnchanged(oldKey, {id, version}, storedName);
    const qint64 other = mState->ProgramId(trimmed);
    if (other != 0 && other != id)
        return false;
    const auto changed = mState->TryWrite(
        QStringLiteral("UPDATE programs SET program_name = ?, name_key = ?,"
                       " description = COALESCE(?, ''), exe_path = COALESCE(?, ''),"
                       " start_in_dir = COALESCE(?, ''), startup_parms = COALESCE(?, ''),"
                       " row_version = row_version + 1 WHERE program_id = ?"),
        {trimmed, trimmed.toUpper(), description, path, startInDir, startUpParms, id}, what);
    if (changed.value_or(0) == 0)
        return false;
    transaction.Commit();
    // This store's own change is not someone else's: a further edit of it goes through.
    mState->seenPrograms.erase(oldKey);
    mState->seenPrograms[trimmed.toUpper()] = {id, version + 1};
    if (storedName != trimmed)
        RemovePictures({storedName, TrimSpaces(oldName), oldName});
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

// ---------------------------------------------------------------------------------------------
// The launcher's reads of every program: names and descriptions, without Recordset

namespace {

// Runs a read of the programs table, handing each row to `row`.
template <class Row> void ReadPrograms(const QSqlDatabase& db, const QString& sql, Row&& row) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (query.exec(sql)) {
        while (query.next())
            row(query);
    }
    const QSqlError error = query.lastError();
    if (error.isValid()) {
        const QString detail = error.databaseText().trimmed().isEmpty()
                                   ? error.driverText().trimmed()
                                   : error.databaseText().trimmed();
        throw OrvError(ErrorNumber::DatabaseOpen,
                       QStringLiteral("Listing the programs failed in the catalogue %1: %2")
                           .arg(QDir::toNativeSeparators(db.databaseName()), detail),
                       QStringLiteral("CatalogStore"));
    }
}

} // namespace

QStringList CatalogStore::GetProgramNames() {
    // One column and no date conversion: an administrator's start lists every program, and
    // the six columns of GetPrograms (with a local-time conversion per date) cost more than
    // the list itself.
    QStringList names;
    ReadPrograms(Db(),
                 QStringLiteral("SELECT program_name FROM programs ORDER BY name_key, program_id"),
                 [&names](const QSqlQuery& query) { names.append(query.value(0).toString()); });
    return names;
}

QHash<QString, QString> CatalogStore::GetProgramDescriptions() {
    QHash<QString, QString> descriptions;
    ReadPrograms(Db(), QStringLiteral("SELECT program_name, description FROM programs"),
                 [&descriptions](const QSqlQuery& query) {
                     descriptions.insert(query.value(0).toString(), query.value(1).toString());
                 });
    return descriptions;
}
