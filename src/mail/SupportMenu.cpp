#include "mail/SupportMenu.h"

#include "launcher/frmMain.h"
#include "mail/frmEmailSupport.h"

#include <QLineEdit>

void RegisterSupportWindows(AppContext& ctx, frmMain& form) {
    form.SetMenuWindow(QStringLiteral("H1"), [&ctx, &form] {
        frmEmailSupport window(ctx, &form);
        window.exec();
    });
    form.SetMenuWindow(QStringLiteral("H2"), [&ctx, &form] {
        frmEmailSupport window(ctx, &form);
        window.txtSubject->setText(QStringLiteral("Bug/Error"));
        window.exec();
    });
}
