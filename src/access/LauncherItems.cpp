#include "access/LauncherItems.h"

#include "access/PermittedEntries.h"
#include "services/AppContext.h"

namespace modMain {

QList<LauncherItem> LauncherItems(AppContext& ctx, const std::optional<QStringList>& userGroups) {
    QList<LauncherItem> items;
    if (ctx.gIsAdmin) {
        // The names alone, in the catalogue's order: an administrator's list needs nothing else.
        const QStringList programs = ctx.Catalog().GetProgramNames();
        items.reserve(programs.size());
        for (const QString& name : programs)
            items.append({TrimSpaces(name), {}, false});
    } else {
        for (const clsProgram& entry : PermittedEntries(ctx, userGroups))
            items.append({entry.ProgramName(), {}, false});
    }

    Recordset rs = ctx.Catalog().GetFolders();
    const long count = rs.RecordCount();
    if (count > 0) {
        const qsizetype name = rs.FieldIndex(QStringLiteral("Folder_Name"));
        const qsizetype path = rs.FieldIndex(QStringLiteral("Folder_Path"));
        rs.MoveFirst();
        for (long r = 0; r < count; ++r) {
            items.append({TrimSpaces(rs.Field(name).toString()),
                          TrimSpaces(rs.Field(path).toString()), true});
            rs.MoveNext();
        }
    }
    rs.Close();
    return items;
}

} // namespace modMain
