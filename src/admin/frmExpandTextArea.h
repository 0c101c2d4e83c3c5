#pragma once

#include <QDialog>
#include <QPointer>

class AppContext;
class QLineEdit;
class QPlainTextEdit;

// A larger typing area for one text box of the program editors. The caller positions it,
// gives it a caption and binds its text box; whatever is in the typing area when the window
// closes goes back into that text box.
class frmExpandTextArea : public QDialog {
    Q_OBJECT
public:
    explicit frmExpandTextArea(AppContext& ctx, QWidget* parent = nullptr);

    // Binds the caller's text box and copies its text into the typing area when there is any.
    void SetTextBox(QLineEdit* textBox);

    // However the window is closed, the typing area goes back into the bound text box.
    void done(int result) override;

    QPlainTextEdit* txtTypingArea = nullptr;

private:
    void Form_Load();
    void Form_Unload();

    AppContext& mCtx;
    QPointer<QLineEdit> mTextBox;
};
