#pragma once

#include <QDialog>
#include <memory>

class AppContext;
class GlyphButton;
class MailSender;
class ProgressBar;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

// Writes one message to the vendor's support address: the sender's address and name, a
// subject and the text, sent as one mail while a bar shows the progress. A failed send leaves
// the fields as they are for another try; a successful one closes the window.
class frmEmailSupport : public QDialog {
    Q_OBJECT
public:
    explicit frmEmailSupport(AppContext& ctx, QWidget* parent = nullptr);
    ~frmEmailSupport() override;

    void cmdSend_Click();
    void cmdCancel_Click();

    // What the mail reports while it is sent.
    void mMail_Progress(int percent);
    void mMail_SendFailed(const QString& explanation);
    void mMail_SendSuccesful();

    QLabel* Label4 = nullptr;
    QLineEdit* txtFrom = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* txtFromName = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* txtSubject = nullptr;
    QLabel* Label3 = nullptr;
    QPlainTextEdit* txtMessage = nullptr;
    ProgressBar* prgBarSending = nullptr;
    GlyphButton* cmdSend = nullptr;
    GlyphButton* cmdCancel = nullptr;
    QLabel* lblStatus = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Image2 = nullptr;
    QLabel* Picture1 = nullptr;

    // The mail of the send in progress or of the last one; a new one for every send.
    MailSender* Mail() const { return mMail.get(); }

    void done(int result) override;

private:
    void BuildControls();
    void Form_Load();
    void SendEnded();
    void SilenceMail();

    AppContext& mCtx;
    std::unique_ptr<MailSender> mMail;
};
