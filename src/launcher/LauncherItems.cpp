#include "launcher/LauncherItems.h"

#include "launcher/Candidates.h"
#include "services/AppContext.h"

namespace modMain {

QList<LauncherItem> LauncherItems(AppContext& ctx) {
    QList<LauncherItem> items;
    if (ctx.gIsAdmin) {
        Recordset rs = ctx.Catalog().GetPrograms();
        const long count = rs.RecordCount();
        if (count != 0) {
            rs.MoveFirst();
            for (long i = 1; i <= count; ++i) {
                items.append(
                    {TrimSpaces(rs.Fields(QStringLiteral("Program_Name")).toString()), {}, false});
                rs.MoveNext();
            }
        }
        rs.Close();
    } else {
        for (const clsProgram& entry : PermittedEntries(ctx))
            items.append({entry.ProgramName(), {}, false});
    }

    Recordset rs = ctx.Catalog().GetFolders();
    const long count = rs.RecordCount();
    if (count > 0)
        rs.MoveFirst();
    for (long r = 0; r < count; ++r) {
        items.append({TrimSpaces(rs.Fields(QStringLiteral("Folder_Name")).toString()),
                      TrimSpaces(rs.Fields(QStringLiteral("Folder_Path")).toString()), true});
        rs.MoveNext();
    }
    rs.Close();
    return items;
}

} // namespace modMain
