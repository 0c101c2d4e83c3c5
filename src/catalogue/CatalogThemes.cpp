#include "catalogue/CatalogStore.h"

#include "catalogue/CatalogState.h"

using namespace catalog;

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
