#include "launcher/frmProperties.h"

#include "launcher/GeneralDate.h"
#include "launcher/LauncherPictures.h"
#include "launcher/Launching.h"
#include "platform/Text.h"
#include "services/AppContext.h"
#include "widgets/GlyphButton.h"
#include "widgets/LowColor.h"
#include "widgets/PlainText.h"
#include "widgets/ScreenFit.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

frmProperties::frmProperties(AppContext& ctx, QWidget* parent) : QWidget(parent), mCtx(ctx) {
    setWindowFlag(Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose);
    BuildControls();
    Form_Load();
    ScreenFit::Keep(this);
}

void frmProperties::BuildControls() {
    setObjectName(QStringLiteral("frmProperties"));
    Image1 = PlainLabel(this);
    Image1->setFixedSize(48, 48);
    Image1->setAlignment(Qt::AlignCenter);
    lblProgramName = PlainLabel(QStringLiteral("Program Name"), this);
    QFont bold = lblProgramName->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    lblProgramName->setFont(bold);
    lblProgramName->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Label2 = PlainLabel(QStringLiteral("Program Path:"), this);
    lblProgramPath = PlainLabel(QStringLiteral("Program Path"), this);
    lblProgramPath->setWordWrap(true);
    lblProgramPath->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Label1 = PlainLabel(QStringLiteral("Date Added:"), this);
    lblDateAdded = PlainLabel(QStringLiteral("DateAdded"), this);
    cmdLaunch = new GlyphButton(QStringLiteral("Launch"), this);
    cmdOk = new GlyphButton(QStringLiteral("OK"), this);
    cmdLaunch->setDefault(true);

    auto* heading = new QHBoxLayout;
    heading->addWidget(Image1);
    heading->addWidget(lblProgramName, 1);
    auto* details = new QGridLayout;
    details->addWidget(Label2, 0, 0, Qt::AlignTop);
    details->addWidget(lblProgramPath, 0, 1);
    details->addWidget(Label1, 1, 0);
    details->addWidget(lblDateAdded, 1, 1);
    details->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdLaunch);
    buttons->addWidget(cmdOk);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(heading);
    layout->addSpacing(8);
    layout->addLayout(details);
    layout->addStretch(1);
    layout->addLayout(buttons);
    resize(440, 200);

    connect(cmdLaunch, &QPushButton::clicked, this, &frmProperties::cmdLaunch_Click);
    connect(cmdOk, &QPushButton::clicked, this, &frmProperties::cmdOk_Click);
}

void frmProperties::Form_Load() {
    if (mCtx.gLowColor)
        ApplyLowColor(this);
}

void frmProperties::SetProgram(const QString& mStrName) {
    if (TrimSpaces(mStrName).isEmpty()) {
        mCtx.prompt->MsgBox(QStringLiteral("Invalid Program Name"), PromptButtons::Ok,
                            PromptIcon::Information, QStringLiteral("Error"));
        Unload();
        return;
    }
    mStrProgramName = TrimSpaces(mStrName);
    LoadProperties();
}

void frmProperties::LoadProperties() {
    Recordset rs = mCtx.Catalog().GetProgramProperties(mStrProgramName);
    if (rs.RecordCount() != 0) {
        rs.MoveFirst();
        setWindowTitle(QStringLiteral("Showing Properties For : ") + mStrProgramName);
        lblProgramName->setText(TrimSpaces(rs.Fields(QStringLiteral("ProgramName")).toString()));
        lblDateAdded->setText(GeneralDateText(rs.Fields(QStringLiteral("AddedDate"))));
        lblProgramPath->setText(TrimSpaces(rs.Fields(QStringLiteral("ProgramPath")).toString()));
        // The icon as the catalogue exports it; the default icon when that fails.
        PictureReader reader;
        const QIcon icon = modMain::ProgramPicture(
            mCtx, rs.Fields(QStringLiteral("ProgramName")).toString(), reader);
        Image1->setPixmap(icon.pixmap(QSize(32, 32), devicePixelRatioF()));
        rs.Close();
        return;
    }
    rs.Close();
    mCtx.prompt->MsgBox(QStringLiteral("No Properties Found For : ") + mStrProgramName,
                        PromptButtons::Ok, PromptIcon::Critical,
                        QStringLiteral("Closing Property Window"));
    Unload();
}

void frmProperties::cmdLaunch_Click() {
    const QString name = TrimSpaces(mStrProgramName);
    if (modMain::LaunchProgram(mCtx, name, QString(), QString()))
        emit Launched(name);
    Unload();
}

void frmProperties::cmdOk_Click() {
    Unload();
}

void frmProperties::Unload() {
    mUnloaded = true;
    close();
}

void frmProperties::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        cmdOk_Click();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // A focused button has taken its own Enter already.
        cmdLaunch_Click();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void frmProperties::closeEvent(QCloseEvent* event) {
    mUnloaded = true;
    QWidget::closeEvent(event);
}
