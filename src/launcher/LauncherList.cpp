#include "launcher/LauncherList.h"

#include "access/LauncherItems.h"
#include "launcher/LauncherPictures.h"
#include "launcher/frmMain.h"
#include "platform/Text.h"
#include "services/AppContext.h"
#include "widgets/ImageList.h"
#include "widgets/ListView.h"

namespace modMain {
namespace {

void AttachPictures(frmMain& form) {
    form.ListView1->SetIcons(form.ImageList3.get());
    form.ListView1->SetSmallIcons(form.ImageList3.get());
}

// Pictures numbered from 1 in list order, every item in one batch: the views lay the list
// out once, however many programs there are. The image list holds the names; the build's
// pictures make each picture when it is first asked for.
void AddPrograms(frmMain& form, const QStringList& names, bool rebuild,
                 const std::shared_ptr<ProgramPictures>& pictures,
                 QList<ListView::NewItem>& items) {
    form.ImageList3->SetMaker(
        [pictures](int index, const QString& name) { return pictures->WhenShown(index, name); });
    items.reserve(names.size());
    for (qsizetype i = 1; i <= Count(names); ++i) {
        const QString& name = Item(names, i);
        const int index = static_cast<int>(i);
        form.ImageList3->AddMade(name, index);
        items.append({name, index, index, QString()});
    }
    // Attaching the pictures again after each of them shows nothing more than attaching
    // them once after the last.
    if (rebuild && !names.isEmpty())
        AttachPictures(form);
}

} // namespace

bool BuildLauncherList(AppContext& ctx, bool rebuild,
                       const std::optional<QStringList>& userGroups) {
    frmMain& form = MainForm(ctx);
    const QList<LauncherItem> launcherItems = LauncherItems(ctx, userGroups);
    QStringList names;
    names.reserve(launcherItems.size());
    for (const LauncherItem& item : launcherItems)
        if (!item.isFolder)
            names.append(item.name);
    // The list starts empty whoever calls; a build that follows another without a refresh in
    // between must not show every program twice.
    form.ImageList3->Clear();
    form.ListView1->Clear();
    QList<ListView::NewItem> items;
    const auto pictures = std::make_shared<ProgramPictures>(ctx, names);
    AddPrograms(form, names, rebuild, pictures, items);

    PictureReader reader;
    form.ImageList3->Add(FolderPicture(ctx, reader));
    if (rebuild)
        AttachPictures(form);
    const int folderPicture = form.ImageList3->Count();
    for (const LauncherItem& item : launcherItems)
        if (item.isFolder)
            items.append({item.name, folderPicture, folderPicture, item.folderPath});
    form.ListView1->AddItems(items);
    form.ListRebuilt();
    return true;
}

bool RefreshLauncherList(AppContext& ctx, const std::optional<QStringList>& userGroups) {
    frmMain& form = MainForm(ctx);
    form.ListView1->Clear();
    form.ListView1->SetIcons(nullptr);
    form.ListView1->SetSmallIcons(nullptr);
    form.ImageList3->Clear();
    return BuildLauncherList(ctx, true, userGroups);
}

} // namespace modMain
