#include "admin/ReportMenu.h"

#include "admin/AdminCommon.h"
#include "admin/frmReportPreview.h"
#include "launcher/frmMain.h"
#include "services/AppContext.h"

#include <optional>

namespace {

frmReportPreview* OpenReport(AppContext& ctx, QWidget* owner, PermissionReport::Kind kind) {
    std::optional<PermissionReport> report;
    const bool read = RunTrapped(ctx, [&] {
        Recordset rs = kind == PermissionReport::ByGroup ? ctx.Catalog().GetPermissionsByGroup()
                                                         : ctx.Catalog().GetPermissionsByUser();
        report.emplace(kind, rs);
    });
    frmReportPreview* preview = nullptr;
    if (read &&
        RunTrapped(ctx, [&] { preview = new frmReportPreview(ctx, std::move(*report), owner); })) {
        // In front with the focus: the keyboard goes on in the preview (Escape closes it).
        preview->show();
        preview->raise();
        preview->activateWindow();
    }
    return preview;
}

} // namespace

frmReportPreview* PrintPermissionsByGroup(AppContext& ctx, QWidget* owner) {
    return OpenReport(ctx, owner, PermissionReport::ByGroup);
}

frmReportPreview* PrintPermissionsByUser(AppContext& ctx, QWidget* owner) {
    return OpenReport(ctx, owner, PermissionReport::ByUser);
}

void RegisterReportWindows(AppContext& ctx, frmMain& form) {
    form.SetMenuWindow(QStringLiteral("H17"),
                       [&ctx, &form] { PrintPermissionsByGroup(ctx, &form); });
    form.SetMenuWindow(QStringLiteral("H18"),
                       [&ctx, &form] { PrintPermissionsByUser(ctx, &form); });
}
