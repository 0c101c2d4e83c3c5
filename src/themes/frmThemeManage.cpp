#include "themes/frmThemeManage.h"

#include "platform/Text.h"
#include "services/AppContext.h"
#include "themes/frmCreateTheme.h"
#include "widgets/GlyphButton.h"
#include "widgets/ImageList.h"
#include "widgets/ListView.h"
#include "widgets/LowColor.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QStyle>
#include <QVBoxLayout>

frmThemeManage::frmThemeManage(AppContext& ctx, SetCurrentThemeFn setCurrentTheme, QWidget* parent)
    : QDialog(parent), mCtx(ctx), mSetCurrentTheme(std::move(setCurrentTheme)) {
    setObjectName(QStringLiteral("frmThemeManage"));
    UseDialogBorder(this);
    setWindowTitle(QStringLiteral("Theme Management..."));
    BuildControls();
    Form_Load();
}

frmThemeManage::~frmThemeManage() = default;

void frmThemeManage::BuildControls() {
    ImageList1 = std::make_unique<ImageList>(QSize(16, 16));
    ImageList1->Add(style()->standardIcon(QStyle::SP_DesktopIcon));

    Frame1 = new QGroupBox(QStringLiteral("Current Themes"), this);
    lstTheme = new ListView(Frame1);
    lstTheme->SetAccessibleName(QStringLiteral("Current Themes"));
    lstTheme->SetIcons(ImageList1.get());
    lstTheme->SetSmallIcons(ImageList1.get());
    lstTheme->SetColumnHeaders({QStringLiteral("Theme Name")});
    lstTheme->SetView(ListView::lvwReport);
    // The view stays in report form, so its click is the item click.
    connect(lstTheme->CurrentView(), &QAbstractItemView::clicked, this,
            [this] { lstTheme_Click(); });
    auto* frame = new QVBoxLayout(Frame1);
    frame->addWidget(lstTheme);

    cmdApply = new GlyphButton(QStringLiteral("Apply Theme"), this);
    cmdDelete = new GlyphButton(QStringLiteral("Delete Theme"), this);
    cmdCreate = new GlyphButton(QStringLiteral("Create Theme"), this);
    cmdApply->setDefault(true);
    connect(cmdApply, &QPushButton::clicked, this, [this] { cmdApply_Click(); });
    connect(cmdDelete, &QPushButton::clicked, this, [this] { cmdDelete_Click(); });
    connect(cmdCreate, &QPushButton::clicked, this, [this] { cmdCreate_Click(); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdApply);
    buttons->addWidget(cmdDelete);
    buttons->addStretch();
    buttons->addWidget(cmdCreate);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame1, 1);
    layout->addLayout(buttons);
    resize(380, 300);
}

void frmThemeManage::Form_Load() {
    if (mCtx.gLowColor)
        ApplyLowColor(this);
    RunTrapped(*mCtx.prompt, [this] { LoadThemes(); });
}

void frmThemeManage::LoadThemes() {
    Recordset rs = mCtx.Catalog().GetThemes();
    lstTheme->Clear();
    // A count that is not a row count (negative) lists nothing.
    const long count = rs.RecordCount();
    for (long i = 1; i <= count; ++i) {
        const QString name = TrimSpaces(rs.Fields(QStringLiteral("Theme_Name")).toString());
        const int item = lstTheme->AddItem(name, 1, 1);
        lstTheme->SetToolTipText(item, name);
        rs.MoveNext();
    }
    rs.Close();
}

QString frmThemeManage::SelectedTheme() const {
    const int selected = lstTheme->SelectedItem();
    return selected == 0 ? QString() : lstTheme->Text(selected);
}

void frmThemeManage::lstTheme_Click() {
    mStrSelectedTheme = SelectedTheme();
}

void frmThemeManage::cmdApply_Click() {
    RunTrapped(*mCtx.prompt, [this] {
        if (lstTheme->Count() == 0) {
            mCtx.prompt->MsgBox(QStringLiteral("There are no theme created, please create one."),
                                PromptButtons::Ok, PromptIcon::Information,
                                QStringLiteral("No Theme"));
            return;
        }
        const QString name = SelectedTheme();
        if (name.isEmpty())
            return;
        if (mCtx.Catalog().SetDefaultTheme(name)) {
            bool useGiven = true;
            mSetCurrentTheme(mCtx, name, useGiven);
            return;
        }
        // The message names the item last clicked, as the user pointed at it.
        mCtx.prompt->MsgBox(QStringLiteral("Cannot Set Default Theme To ") + mStrSelectedTheme,
                            PromptButtons::Ok, PromptIcon::Exclamation, QStringLiteral("Error"));
    });
}

void frmThemeManage::cmdDelete_Click() {
    RunTrapped(*mCtx.prompt, [this] {
        const QString name = SelectedTheme();
        if (name.isEmpty())
            return;
        if (name == QLatin1String("Default")) {
            mCtx.prompt->MsgBox(QStringLiteral("You cannot delete the default theme"),
                                PromptButtons::Ok, PromptIcon::Exclamation,
                                QStringLiteral("Error"));
            return;
        }
        if (mCtx.prompt->MsgBox(QStringLiteral("Are you sure ? "), PromptButtons::YesNo,
                                PromptIcon::Question,
                                QStringLiteral("Confirmation")) != PromptAnswer::Yes)
            return;
        if (!mCtx.Catalog().DeleteTheme(name)) {
            mCtx.prompt->MsgBox(QStringLiteral("Cannot Delete Theme ") + name, PromptButtons::Ok,
                                PromptIcon::Critical, QStringLiteral("Error"));
            return;
        }
        mCtx.prompt->MsgBox(QStringLiteral("Theme ") + name + QStringLiteral(", Has Been Deleted"),
                            PromptButtons::Ok, PromptIcon::Information, QStringLiteral("Deleted"));
        LoadThemes();
    });
}

void frmThemeManage::cmdCreate_Click() {
    const std::optional<QString> answer =
        mCtx.prompt->InputBox(QStringLiteral("Enter a theme name"), QStringLiteral("Theme Manager"),
                              QStringLiteral("Theme 1"));
    // A cancelled prompt still opens the editor, which proposes a name of its own.
    frmCreateTheme editor(mCtx, this);
    // The list shows the new theme while the editor is still open.
    connect(&editor, &frmCreateTheme::ThemeCreated, this,
            [this] { RunTrapped(*mCtx.prompt, [this] { LoadThemes(); }); });
    editor.SetThemeName(answer.value_or(QString()));
    showEditor(editor);
}
