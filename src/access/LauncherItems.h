#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class AppContext;

namespace modMain {

// One item of the launcher list: a program, or a folder entry with its path.
struct LauncherItem {
    QString name;
    QString folderPath;
    bool isFolder = false;
};

// The items of the current user's launcher list, in the order the list shows them: the
// programs he may run (every catalogue program for an administrator, in catalogue order;
// otherwise the permitted entries in candidate order), then the folder entries in catalogue
// order. Names and paths are trimmed. A catalogue failure throws OrvError. `userGroups`: as
// for PermittedEntries.
QList<LauncherItem> LauncherItems(AppContext& ctx,
                                  const std::optional<QStringList>& userGroups = {});

} // namespace modMain
