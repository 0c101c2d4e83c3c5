#include "admin/frmExpandTextArea.h"

#include "admin/AdminCommon.h"
#include "services/AppContext.h"
#include "widgets/LowColor.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

frmExpandTextArea::frmExpandTextArea(AppContext& ctx, QWidget* parent)
    : QDialog(parent), mCtx(ctx) {
    setObjectName(QStringLiteral("frmExpandTextArea"));
    UseDialogBorder(this);
    txtTypingArea = new QPlainTextEdit(this);
    txtTypingArea->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    txtTypingArea->setTabChangesFocus(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(txtTypingArea);
    resize(420, 160);
    Form_Load();
}

void frmExpandTextArea::Form_Load() {
    if (mCtx.gLowColor)
        ApplyLowColor(this);
    txtTypingArea->clear();
}

void frmExpandTextArea::SetTextBox(QLineEdit* textBox) {
    mTextBox = textBox;
    if (textBox && textBox->text().size() >= 1)
        txtTypingArea->setPlainText(textBox->text());
}

void frmExpandTextArea::Form_Unload() {
    if (mTextBox)
        mTextBox->setText(txtTypingArea->toPlainText());
    txtTypingArea->clear();
}

void frmExpandTextArea::done(int result) {
    Form_Unload();
    QDialog::done(result);
}
