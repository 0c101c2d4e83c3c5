#include "admin/CatalogueMenu.h"

#include "admin/frmAddRemove.h"
#include "admin/frmAddRemoveFolder.h"
#include "launcher/frmMain.h"

void RegisterCatalogueWindows(AppContext& ctx, frmMain& form) {
    form.SetMenuWindow(QStringLiteral("H13"), [&ctx, &form] {
        frmAddRemove window(ctx, &form);
        window.exec();
    });
    form.SetMenuWindow(QStringLiteral("H19"), [&ctx, &form] {
        frmAddRemoveFolder window(ctx, &form);
        window.exec();
    });
}
