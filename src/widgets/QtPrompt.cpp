#include "widgets/QtPrompt.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>

namespace {
QMessageBox::Icon ToQtIcon(PromptIcon icon) {
    switch (icon) {
    case PromptIcon::Information:
        return QMessageBox::Information;
    case PromptIcon::Exclamation:
        return QMessageBox::Warning;
    case PromptIcon::Critical:
        return QMessageBox::Critical;
    case PromptIcon::Question:
        return QMessageBox::Question;
    case PromptIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQtButtons(PromptButtons buttons) {
    switch (buttons) {
    case PromptButtons::Ok:
        return QMessageBox::Ok;
    case PromptButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case PromptButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case PromptButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QString TitleOrDefault(const QString& title) {
    return title.isEmpty() ? Prompt::kApplicationTitle : title;
}
} // namespace

PromptAnswer QtPrompt::MsgBox(const QString& text, PromptButtons buttons, PromptIcon icon,
                              const QString& title) {
    QMessageBox box(ToQtIcon(icon), TitleOrDefault(title), text, ToQtButtons(buttons),
                    QApplication::activeWindow());
    // Texts hold names and paths from the catalogue: shown as they are, never as markup.
    box.setTextFormat(Qt::PlainText);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return PromptAnswer::Yes;
    case QMessageBox::No:
        return PromptAnswer::No;
    case QMessageBox::Cancel:
        return PromptAnswer::Cancel;
    default:
        return PromptAnswer::Ok;
    }
}

std::optional<QString> QtPrompt::InputBox(const QString& prompt, const QString& title,
                                          const QString& defaultValue) {
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(TitleOrDefault(title));
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultValue);
    for (QLabel* label : dialog.findChildren<QLabel*>())
        label->setTextFormat(Qt::PlainText);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

QString QtPrompt::OpenFileName(const QString& title, const QString& filter,
                               const QString& directory) {
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), TitleOrDefault(title),
                                        directory, filter);
}

QString QtPrompt::SaveFileName(const QString& title, const QString& filter,
                               const QString& suggested) {
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), TitleOrDefault(title),
                                        suggested, filter);
}
