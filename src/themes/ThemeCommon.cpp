#include "themes/ThemeCommon.h"

#include "platform/OrvError.h"
#include "services/AppContext.h"

bool RunThemeHandler(AppContext& ctx, const std::function<void()>& handler) {
    try {
        handler();
        return true;
    } catch (const OrvError& error) {
        ctx.prompt->MsgBox(error.Description(), PromptButtons::Ok, PromptIcon::Critical,
                           QStringLiteral("Error"));
        return false;
    }
}

void UseThemeDialogBorder(QDialog* dialog) {
    dialog->setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
}
