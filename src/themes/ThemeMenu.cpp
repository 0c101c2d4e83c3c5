#include "themes/ThemeMenu.h"

#include "launcher/frmMain.h"
#include "themes/frmThemeManage.h"

void RegisterThemeWindows(AppContext& ctx, frmMain& form, SetCurrentThemeFn setCurrentTheme) {
    form.SetMenuWindow(QStringLiteral("H20"), [&ctx, &form, setCurrentTheme] {
        frmThemeManage window(ctx, setCurrentTheme, &form);
        window.exec();
    });
}
