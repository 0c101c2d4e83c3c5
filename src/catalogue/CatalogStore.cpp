#include "catalogue/CatalogStore.h"

#include "catalogue/CatalogState.h"
#include "platform/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

// Opening and closing the catalogue. The operations live in one file per concern:
// CatalogPrograms, CatalogRules (rules and principals), CatalogRuleEdit, CatalogFolders,
// CatalogThemes, CatalogPictures, CatalogSchema (schema and upgrades), and CatalogEngine
// (what differs between SQLite and PostgreSQL).

using namespace catalog;

namespace {
std::atomic<unsigned> gConnectionSerial{0};
} // namespace

CatalogStore::CatalogStore() = default;

CatalogStore::~CatalogStore() {
    CloseConnection();
}

QSqlDatabase CatalogStore::Db() const {
    if (!mState)
        throw OrvError(ErrorNumber::DatabaseOpen, QStringLiteral("The catalogue is not open."),
                       kSource);
    QSqlDatabase db = mState->Db();
    // A server connection that a failed reconnect left closed is tried once more per call.
    if (!db.isOpen() && mState->engine == CatalogEngine::Postgres) {
        mState->Reconnect();
        db = mState->Db();
    }
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
    return OpenDatabase(path, QString());
}

namespace {

[[noreturn]] void CannotCreate(const QString& file, const QString& why) {
    const QString folder = QDir::toNativeSeparators(QFileInfo(file).absolutePath());
    throw OrvError(ErrorNumber::DatabaseOpen,
                   QStringLiteral("The catalogue %1 cannot be created: %2. Check that your user "
                                  "may write the folder %3.")
                       .arg(QDir::toNativeSeparators(file), why, folder),
                   kSource);
}

} // namespace

// A new catalogue is built whole in a file of its own beside the final one and then linked
// into place: no program ever sees a half-made catalogue, two programs starting at once both
// end with the same complete one, and an empty file at the catalogue's name can only be
// damage.
void CatalogStore::CreateSqliteCatalogue(const QString& file) {
    const QString folder = QFileInfo(file).absolutePath();
    if (!MakeDirectories(folder, FileMode::kSharedDir))
        CannotCreate(file, QStringLiteral("its folder cannot be created"));
    QByteArray scratch = QFile::encodeName(folder + QStringLiteral("/.Orvane.mdb-XXXXXX"));
    const int fd = mkstemp(scratch.data());
    if (fd < 0)
        CannotCreate(file, QString::fromLocal8Bit(std::strerror(errno)));
    ::close(fd);
    const auto cleanUp = qScopeGuard([&scratch] {
        unlink(scratch.constData());
        unlink((scratch + "-journal").constData());
    });
    {
        CatalogStore fresh;
        fresh.mConnectionName = QStringLiteral("orv-catalog-%1").arg(++gConnectionSerial);
        fresh.mState = std::make_unique<State>();
        fresh.mState->connection = fresh.mConnectionName;
        fresh.mState->OpenSqlite(QFile::decodeName(scratch), true);
        // Qt's strings are UTF-16: text kept that way is read on every start without
        // converting each name. Only an empty database takes an encoding.
        fresh.mState->Run(QStringLiteral("PRAGMA encoding = 'UTF-16'"), {},
                          QStringLiteral("Choosing the catalogue's text encoding"),
                          ErrorNumber::DatabaseOpen);
        fresh.mState->CheckOrCreateSchema();
    }
    if (chmod(scratch.constData(), 0644) != 0)
        CannotCreate(file, QString::fromLocal8Bit(std::strerror(errno)));
    const QByteArray target = QFile::encodeName(file);
    if (link(scratch.constData(), target.constData()) == 0 || errno == EEXIST)
        return; // made meanwhile by another program: that one is used
    // File systems without hard links: a rename, unless another program was quicker.
    if (!QFileInfo::exists(file) && rename(scratch.constData(), target.constData()) != 0)
        CannotCreate(file, QString::fromLocal8Bit(std::strerror(errno)));
}

bool CatalogStore::IsServerAddress(const QString& path) {
    return IsPostgresUrl(path);
}

void CatalogStore::OpenReadOnly(const QString& path, const QString& password) {
    Open(path, password, true);
}

QVariant CatalogStore::OpenDatabase(const QString& path, const QString& password) {
    Open(path, password, false);
    return true;
}

void CatalogStore::Open(const QString& path, const QString& password, bool readOnly) {
    CloseConnection();
    if (!readOnly && !IsPostgresUrl(path) && !path.isEmpty() && !QFileInfo(path).exists() &&
        !QFileInfo(path).isSymLink())
        CreateSqliteCatalogue(QFileInfo(path).absoluteFilePath());
    mConnectionName = QStringLiteral("orv-catalog-%1").arg(++gConnectionSerial);
    auto state = std::make_unique<State>();
    state->connection = mConnectionName;
    state->timeoutSeconds = mServerTimeoutSeconds;
    state->readOnly = readOnly;
    try {
        if (IsPostgresUrl(path))
            state->OpenPostgres(path, password);
        else
            state->OpenSqlite(path, false);
        state->CheckOrCreateSchema();
    } catch (...) {
        state.reset();
        CloseConnection();
        throw;
    }
    mState = std::move(state);
}

void CatalogStore::SetAppPath(const QString& pictureDir) {
    mPictureDir = pictureDir;
}

void CatalogStore::SetDefaultIcon(const QString& iconFile) {
    mDefaultIcon = iconFile;
}

CatalogStore::ReadScope::ReadScope(CatalogStore& store) : mStore(store) {
    mStore.Db();
    ++mStore.mState->readScopes;
}

CatalogStore::ReadScope::~ReadScope() {
    if (mStore.mState && --mStore.mState->readScopes == 0)
        mStore.mState->rulesRead.clear();
}

qint64 CatalogStore::ChangeStamp() {
    QSqlDatabase db = Db();
    // Asked every second or two by every open launcher: one round trip, no statement to
    // prepare (it binds nothing, the key is the program's own).
    const WatchedStatement watched = mState->Watch();
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT meta_value FROM catalog_meta WHERE meta_key = '%1'")
                        .arg(QLatin1String(kCatalogChangeKey)))) {
        if (FaultOf(mState->engine, query.lastError()) == Fault::Connection)
            mState->broken = true;
        mState->Fail(ErrorNumber::DatabaseOpen,
                     QStringLiteral("Reading the catalogue's change stamp"), query.lastError());
    }
    return query.next() ? query.value(0).toString().toLongLong() : 0;
}

qint64 CatalogStore::StampWhenOpened() const {
    return mState ? mState->openedStamp : 0;
}

void CatalogStore::ReleaseConnection() {
    if (!mState || mState->engine != CatalogEngine::Postgres || mState->openTransactions > 0 ||
        mState->readScopes > 0)
        return;
    mState->statements.clear(); // prepared on this connection
    QSqlDatabase db = mState->Db();
    db.close();
    mState->broken = false;
}
