#include "widgets/DialogCommon.h"

#include "platform/OrvError.h"
#include "platform/Prompt.h"
#include "platform/ThemeIcon.h"
#include "widgets/PlainText.h"
#include "widgets/ScreenFit.h"

#include <QLabel>

bool RunTrapped(Prompt& prompt, const std::function<void()>& handler) {
    try {
        handler();
        return true;
    } catch (const OrvError& error) {
        prompt.MsgBox(error.Description(), PromptButtons::Ok, PromptIcon::Critical,
                      QStringLiteral("Error"));
        return false;
    }
}

void UseDialogBorder(QDialog* dialog) {
    dialog->setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    ScreenFit::Keep(dialog);
}

void UseFixedDialogBorder(QDialog* dialog, QSize designed) {
    UseDialogBorder(dialog);
    dialog->setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    dialog->setSizeGripEnabled(false);
    dialog->setFixedSize(designed.expandedTo(dialog->minimumSizeHint()));
}

QLabel* Decoration(const QString& iconName, int size, QWidget* parent) {
    auto* picture = PlainLabel(parent);
    picture->setPixmap(ThemeIcon::Named(iconName).pixmap(size, size));
    return picture;
}
