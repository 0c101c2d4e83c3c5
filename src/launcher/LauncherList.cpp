#include "launcher/LauncherList.h"

#include "launcher/LauncherItems.h"
#include "launcher/LauncherPictures.h"
#include "launcher/ListView.h"
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
    const QList<LauncherItem> items = LauncherItems(ctx);

    // The list starts empty whoever calls; a build that follows another without a refresh in
    // between must not show every program twice.
    form.ImageList3->Clear();
    form.ListView1->Clear();
    int picture = 0;
    for (const LauncherItem& item : items)
        if (!item.isFolder)
            AddProgram(ctx, form, reader, item.name, ++picture, rebuild);

    form.ImageList3->Add(FolderPicture(ctx, *reader));
    if (rebuild)
        AttachPictures(form);
    for (const LauncherItem& item : items) {
        if (!item.isFolder)
            continue;
        const int folderPicture = form.ImageList3->Count();
        const int row = form.ListView1->AddItem(item.name, folderPicture, folderPicture);
        form.ListView1->SetTag(row, item.folderPath);
    }
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
