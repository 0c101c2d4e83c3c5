#include "mail/frmEmailSupport.h"

#include "mail/MailSender.h"
#include "platform/ProductBanner.h"
#include "platform/Text.h"
#include "services/AppContext.h"
#include "widgets/DialogCommon.h"
#include "widgets/GlyphButton.h"
#include "widgets/LowColor.h"
#include "widgets/PlainText.h"
#include "widgets/ProgressBar.h"
#include "widgets/ScreenFit.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace {

// The band at the top of the window: the product's banner without a title.
QPixmap Banner(qreal ratio) {
    return ProductBanner(QSize(440, 12), ratio);
}

} // namespace

frmEmailSupport::frmEmailSupport(AppContext& ctx, QWidget* parent) : QDialog(parent), mCtx(ctx) {
    setObjectName(QStringLiteral("frmEmailSupport"));
    setWindowTitle(QStringLiteral("Email Support..."));
    BuildControls();
    ScreenFit::Keep(this);
    Form_Load();
}

frmEmailSupport::~frmEmailSupport() = default;

void frmEmailSupport::BuildControls() {
    Picture1 = PlainLabel(this);
    Picture1->setPixmap(Banner(devicePixelRatioF()));
    Image1 = Decoration(QStringLiteral("network-server"), 32, this);
    Image2 = Decoration(QStringLiteral("dialog-information"), 32, this);
    lblStatus = PlainLabel(this);

    Label4 = PlainLabel(QStringLiteral("From (Email)"), this);
    txtFrom = new QLineEdit(this);
    Label1 = PlainLabel(QStringLiteral("From :"), this);
    txtFromName = new QLineEdit(this);
    Label2 = PlainLabel(QStringLiteral("Subject :"), this);
    txtSubject = new QLineEdit(this);
    Label3 = PlainLabel(QStringLiteral("Message"), this);
    txtMessage = new QPlainTextEdit(this);
    // Tab goes on to the buttons; a message needs no tab characters.
    txtMessage->setTabChangesFocus(true);
    Label4->setBuddy(txtFrom);
    Label1->setBuddy(txtFromName);
    Label2->setBuddy(txtSubject);
    Label3->setBuddy(txtMessage);
    prgBarSending = new ProgressBar(this);
    cmdSend = new GlyphButton(QStringLiteral("Send.."), this);
    cmdCancel = new GlyphButton(QStringLiteral("Cancel"), this);
    cmdSend->setDefault(true);

    connect(cmdSend, &QPushButton::clicked, this, [this] { cmdSend_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });

    auto* fields = new QGridLayout;
    fields->addWidget(Label4, 0, 0);
    fields->addWidget(txtFrom, 0, 1);
    fields->addWidget(Label1, 1, 0);
    fields->addWidget(txtFromName, 1, 1);
    fields->addWidget(Label2, 2, 0);
    fields->addWidget(txtSubject, 2, 1);
    fields->setColumnStretch(1, 1);

    auto* pictures = new QVBoxLayout;
    pictures->addWidget(Image1);
    pictures->addWidget(Image2);
    pictures->addStretch();

    auto* top = new QHBoxLayout;
    top->addLayout(pictures);
    top->addSpacing(8);
    top->addLayout(fields, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblStatus);
    buttons->addWidget(prgBarSending, 1);
    buttons->addWidget(cmdSend);
    buttons->addWidget(cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Picture1);
    layout->addLayout(top);
    layout->addWidget(Label3);
    layout->addWidget(txtMessage, 1);
    layout->addLayout(buttons);
    resize(460, 380);
}

void frmEmailSupport::Form_Load() {
    if (mCtx.gLowColor)
        ApplyLowColor(this);
    txtFrom->clear();
    prgBarSending->SetMax(100);
    prgBarSending->SetValue(0);
    prgBarSending->setVisible(false);
}

void frmEmailSupport::cmdSend_Click() {
    prgBarSending->SetValue(1);
    prgBarSending->setVisible(true);
    // One send at a time; the button comes back when this one has ended.
    cmdSend->setEnabled(false);

    SilenceMail();
    mMail = std::make_unique<MailSender>();
    connect(mMail.get(), &MailSender::Progress, this, &frmEmailSupport::mMail_Progress);
    connect(mMail.get(), &MailSender::SendFailed, this, &frmEmailSupport::mMail_SendFailed);
    connect(mMail.get(), &MailSender::SendSuccesful, this, &frmEmailSupport::mMail_SendSuccesful);
    connect(mMail.get(), &MailSender::Finished, this, &frmEmailSupport::SendEnded);

    MailMessage mail;
    mail.fromAddress = TrimSpaces(txtFrom->text());
    mail.fromName = TrimSpaces(txtFromName->text());
    mail.subject = TrimSpaces(txtSubject->text());
    mail.body = txtMessage->toPlainText();
    mMail->Send(*mCtx.registry, mail);
}

void frmEmailSupport::SendEnded() {
    prgBarSending->setVisible(false);
    cmdCancel->SetCaption(QStringLiteral("Done"));
    cmdSend->setEnabled(true);
}

void frmEmailSupport::mMail_Progress(int percent) {
    prgBarSending->SetValue(percent);
}

void frmEmailSupport::mMail_SendFailed(const QString& explanation) {
    mCtx.prompt->MsgBox(QStringLiteral("Failed to send, error follows"), PromptButtons::Ok,
                        PromptIcon::Critical, QStringLiteral("Error"));
    mCtx.prompt->MsgBox(explanation, PromptButtons::Ok, PromptIcon::Critical,
                        QStringLiteral("Error"));
}

void frmEmailSupport::mMail_SendSuccesful() {
    mCtx.prompt->MsgBox(QStringLiteral("Message has been sent"), PromptButtons::Ok,
                        PromptIcon::Information, QStringLiteral("Sent"));
    accept();
}

void frmEmailSupport::cmdCancel_Click() {
    reject();
}

void frmEmailSupport::done(int result) {
    SilenceMail();
    QDialog::done(result);
}

// A closed window hears no more of its mail, which stops. The mail may be in the middle of
// telling the window something, so it is deleted only by the next send or with the window.
void frmEmailSupport::SilenceMail() {
    if (!mMail)
        return;
    mMail->disconnect(this);
    mMail->Abort();
}
