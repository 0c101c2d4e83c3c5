#include "launcher/LauncherList.h"

#include "launcher/Candidates.h"
#include "launcher/LauncherPictures.h"
#include "widgets/ListView.h"
#include "launcher/frmMain.h"
#include "services/AppContext.h"
#include "widgets/ImageList.h"

namespace modMain {
namespace {

void AttachPictures(frmMain& form) {
    form.ListView1->SetIcons(form.ImageList3.get());
    form.ListView1->SetSmallIcons(form.ImageList3.get());
}

void AddProgram(AppContext& ctx, frmMain& form, const std::shared_ptr<PictureReader>& reader,
                const QString& name, int index, bool rebuild) {
    form.ImageList3->Add(ProgramPictureWhenShown(ctx, name, reader), index);
    if (rebuild)
        AttachPictures(form);
    form.ListView1->AddItem(name, index, index);
}

} // namespace

bool BuildLauncherList(AppContext& ctx, bool rebuild) {
    frmMain& form = MainForm(ctx);
    const auto reader = std::make_shared<PictureReader>();

    if (ctx.gIsAdmin) {
        Recordset rs = ctx.Catalog().GetPrograms();
        const long count = rs.RecordCount();
        // The list starts empty whoever calls; a build that follows another without a
        // refresh in between must not show every program twice.
        form.ListView1->Clear();
        form.ImageList3->Clear();
        if (count != 0) {
            rs.MoveFirst();
            for (long i = 1; i <= count; ++i) {
                const QString name =
                    TrimSpaces(rs.Fields(QStringLiteral("Program_Name")).toString());
                AddProgram(ctx, form, reader, name, static_cast<int>(i), rebuild);
                rs.MoveNext();
            }
        }
        rs.Close();
    } else {
        const QList<clsProgram> permitted = PermittedEntries(ctx);
        form.ImageList3->Clear();
        form.ListView1->Clear();
        for (qsizetype i = 1; i <= Count(permitted); ++i)
            AddProgram(ctx, form, reader, Item(permitted, i).ProgramName(), static_cast<int>(i),
                       rebuild);
    }

    form.ImageList3->Add(FolderPicture(ctx, *reader));
    if (rebuild)
        AttachPictures(form);
    Recordset rs = ctx.Catalog().GetFolders();
    const long count = rs.RecordCount();
    if (count > 0)
        rs.MoveFirst();
    for (long r = 0; r < count; ++r) {
        const int folderPicture = form.ImageList3->Count();
        const int item =
            form.ListView1->AddItem(TrimSpaces(rs.Fields(QStringLiteral("Folder_Name")).toString()),
                                    folderPicture, folderPicture);
        form.ListView1->SetTag(item,
                               TrimSpaces(rs.Fields(QStringLiteral("Folder_Path")).toString()));
        rs.MoveNext();
    }
    rs.Close();
    return true;
}

bool RefreshLauncherList(AppContext& ctx) {
    frmMain& form = MainForm(ctx);
    form.ListView1->Clear();
    form.ListView1->SetIcons(nullptr);
    form.ListView1->SetSmallIcons(nullptr);
    form.ImageList3->Clear();
    return BuildLauncherList(ctx, true);
}

} // namespace modMain
