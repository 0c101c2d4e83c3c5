#include "services/CatalogStore.h"

#include "platform/AppPaths.h"
#include "services/CatalogState.h"

#include <QFile>
#include <atomic>

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

QVariant CatalogStore::OpenDatabase(const QString& path, const QString& password) {
    CloseConnection();
    mConnectionName = QStringLiteral("orv-catalog-%1").arg(++gConnectionSerial);
    auto state = std::make_unique<State>();
    state->connection = mConnectionName;
    try {
        if (IsPostgresUrl(path))
            state->OpenPostgres(path, password);
        else
            state->OpenSqlite(path);
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
