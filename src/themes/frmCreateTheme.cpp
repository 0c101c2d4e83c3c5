#include "themes/frmCreateTheme.h"

#include "platform/Text.h"
#include "services/AppContext.h"
#include "themes/ThemeCommon.h"
#include "widgets/GlyphButton.h"
#include "widgets/LowColor.h"
#include "widgets/PlainText.h"

#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

const QString frmCreateTheme::kDialogTitle = QStringLiteral("Select a Image");
// The chooser keeps its original pattern text as the description and offers PNG (and the
// .jpeg spelling) beside it: the catalogue takes any picture Qt decodes.
const QString frmCreateTheme::kPictureFilter =
    QStringLiteral("*.bmp,*.jpg,*.gif (*.bmp *.jpg *.jpeg *.gif *.png)");

frmCreateTheme::frmCreateTheme(AppContext& ctx, QWidget* parent) : QDialog(parent), mCtx(ctx) {
    setObjectName(QStringLiteral("frmCreateTheme"));
    UseDialogBorder(this);
    BuildControls();
    Form_Load();
}

void frmCreateTheme::BuildControls() {
    Frame1 = new QGroupBox(QStringLiteral("Logo's"), this);
    auto* rows = new QGridLayout(Frame1);
    const auto row = [this, rows](int at, const QString& caption, const QString& size,
                                  QLabel*& label, QLineEdit*& box, GlyphButton*& button,
                                  QLabel*& hint) {
        label = PlainLabel(caption, Frame1);
        box = new QLineEdit(Frame1);
        box->setMinimumWidth(240);
        label->setBuddy(box);
        button = new GlyphButton(QStringLiteral("..."), Frame1);
        button->setFixedWidth(32);
        // Read with the logo it chooses and its caption.
        button->setAccessibleName(
            QStringLiteral("Choose the %1 logo...").arg(caption.trimmed().chopped(1).trimmed()));
        button->setToolTip(PlainToolTip(button->accessibleName()));
        hint = PlainLabel(size, Frame1);
        hint->setEnabled(false);
        rows->addWidget(label, at, 0);
        rows->addWidget(box, at, 1);
        rows->addWidget(button, at, 2);
        rows->addWidget(hint, at, 3);
    };
    row(0, QStringLiteral("Splash Screen:"), QStringLiteral("250x53"), Label1, txtSplashScreen,
        cmdButtonSplash, Label5);
    row(1, QStringLiteral("Add/Remove:"), QStringLiteral("200x42"), Label2, txtAddRemove,
        cmdAddRemove, Label6);
    row(2, QStringLiteral("Configure/Setup : "), QStringLiteral("200x42"), Label3, txtConfigure,
        cmdConfigure, Label7);
    rows->setColumnStretch(1, 1);

    cmdSave = new GlyphButton(QStringLiteral("Save"), this);
    cmdSave->setDefault(true);
    connect(cmdButtonSplash, &QPushButton::clicked, this, [this] { cmdButtonSplash_Click(); });
    connect(cmdAddRemove, &QPushButton::clicked, this, [this] { cmdAddRemove_Click(); });
    connect(cmdConfigure, &QPushButton::clicked, this, [this] { cmdConfigure_Click(); });
    connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdSave);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addLayout(buttons);
}

void frmCreateTheme::Form_Load() {
    if (mCtx.gLowColor)
        ApplyLowColor(this);
}

void frmCreateTheme::SetThemeName(const QString& strName) {
    const QString name = TrimSpaces(strName);
    mStrThemeName = name.isEmpty() ? QStringLiteral("Theme 1") : name;
    setWindowTitle(QStringLiteral("Creating Theme : ") + mStrThemeName);
}

void frmCreateTheme::ChoosePicture(QLineEdit* box) {
    const QString file = mCtx.prompt->OpenFileName(kDialogTitle, kPictureFilter, QDir::rootPath());
    if (!file.isEmpty())
        box->setText(file);
}

void frmCreateTheme::cmdButtonSplash_Click() {
    ChoosePicture(txtSplashScreen);
}

void frmCreateTheme::cmdAddRemove_Click() {
    ChoosePicture(txtAddRemove);
}

void frmCreateTheme::cmdConfigure_Click() {
    ChoosePicture(txtConfigure);
}

void frmCreateTheme::cmdSave_Click() {
    RunTrapped(*mCtx.prompt, [this] {
        if (txtSplashScreen->text().isEmpty() && txtAddRemove->text().isEmpty() &&
            txtConfigure->text().isEmpty()) {
            mCtx.prompt->MsgBox(QStringLiteral("Couldn't save, please select a image to use"),
                                PromptButtons::Ok, PromptIcon::Exclamation,
                                QStringLiteral("Error"));
            return;
        }
        // The catalogue reads and checks the files: it refuses what is not a picture.
        if (!mCtx.Catalog().CreateTheme(mStrThemeName, txtSplashScreen->text(),
                                        txtAddRemove->text(), txtConfigure->text())) {
            mCtx.prompt->MsgBox(QStringLiteral("Couldn't Create Theme ") + mStrThemeName,
                                PromptButtons::Ok, PromptIcon::Exclamation,
                                QStringLiteral("Error"));
            return;
        }
        mCtx.prompt->MsgBox(QStringLiteral("Created Theme ") + mStrThemeName, PromptButtons::Ok,
                            PromptIcon::Information, QStringLiteral("Created Theme"));
        emit ThemeCreated(mStrThemeName);
        accept();
    });
}
