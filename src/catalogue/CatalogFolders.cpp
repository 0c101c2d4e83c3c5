#include "catalogue/CatalogStore.h"

#include "catalogue/CatalogState.h"

using namespace catalog;

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
