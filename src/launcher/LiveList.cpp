#include "launcher/LiveList.h"

#include "access/AccessEvaluation.h"
#include "launcher/LauncherList.h"
#include "launcher/frmMain.h"
#include "platform/OrvError.h"
#include "services/AppContext.h"
#include "services/CatalogChanges.h"
#include "widgets/ListView.h"

#include <QAbstractItemView>
#include <QScrollBar>
#include <QSysInfo>
#include <QTimer>
#include <cstdio>
#include <optional>

namespace modMain {
namespace {

constexpr std::chrono::milliseconds kCatalogueEvery(1500);
constexpr std::chrono::milliseconds kGroupsEvery(10000);

// Builds the list again where the user left it: the same item selected (by its name), the
// same part of the list in view.
void RebuildKeepingPlace(AppContext& ctx, frmMain& form) {
    ListView& list = *form.ListView1;
    const int selected = list.SelectedItem();
    const QString selectedName = selected > 0 ? list.Text(selected) : QString();
    QAbstractItemView* view = list.CurrentView();
    const int across = view->horizontalScrollBar()->value();
    const int down = view->verticalScrollBar()->value();
    try {
        const CatalogStore::ReadScope scope(ctx.Catalog());
        std::optional<QStringList> groups;
        if (!ctx.gIsAdmin) {
            // Asked once, for the rules and the list.
            groups = CurrentUserGroups(ctx);
            ctx.permissions = std::make_unique<PermissionSet>();
            LoadPermissions(ctx, *groups);
        }
        RefreshLauncherList(ctx, groups);
    } catch (const OrvError& error) {
        // The list stays as it was; the next change or a window's own call reports a failure
        // that lasts.
        std::fprintf(stderr, "Tessaro Orvane: the list could not be built again: %s\n",
                     qPrintable(error.Description()));
        return;
    }
    for (int i = 1; !selectedName.isEmpty() && i <= list.Count(); ++i)
        if (list.Text(i) == selectedName) {
            list.SelectItem(i);
            break;
        }
    view = list.CurrentView();
    view->horizontalScrollBar()->setValue(across);
    view->verticalScrollBar()->setValue(down);
}

} // namespace

void StartLiveList(AppContext& ctx, frmMain& form, const QStringList& groups) {
    CatalogChanges::Watched watched;
    watched.catalogue = ctx.catalogAddress;
    if (watched.catalogue.path.isEmpty())
        watched.catalogue.path = ctx.paths.DatabaseFile();
    watched.stamp = ctx.Catalog().StampWhenOpened();
    if (ctx.registry) {
        watched.settings = *ctx.registry;
        watched.domain = GetDomain(ctx);
        watched.localName = QSysInfo::machineHostName();
        watched.user = ctx.gUserName.toString();
        watched.groups = groups;
    }
    auto* changes = new CatalogChanges(std::move(watched), kCatalogueEvery, kGroupsEvery);
    changes->setParent(&form);
    QObject::connect(changes, &CatalogChanges::Changed, &form,
                     [&ctx, &form] { RebuildKeepingPlace(ctx, form); });
    // Whatever the windows asked the catalogue server, its connection is closed again soon
    // after: an open launcher holds none while nobody uses it.
    auto* release = new QTimer(&form);
    QObject::connect(release, &QTimer::timeout, &form,
                     [&ctx] { ctx.Catalog().ReleaseConnection(); });
    release->start(kCatalogueEvery);
}

} // namespace modMain
