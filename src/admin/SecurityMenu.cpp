#include "admin/SecurityMenu.h"

#include "admin/frmSecurity.h"
#include "launcher/frmMain.h"

void RegisterSecurityWindows(AppContext& ctx, frmMain& form) {
    form.SetMenuWindow(QStringLiteral("H12"), [&ctx, &form] {
        frmSecurity window(ctx, &form);
        window.exec();
    });
}
