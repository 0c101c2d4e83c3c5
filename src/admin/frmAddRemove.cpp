#include "admin/frmAddRemove.h"

#include "admin/frmAddProgram.h"
#include "admin/frmModifyProgram.h"
#include "launcher/LauncherList.h"
#include "platform/Text.h"
#include "services/AppContext.h"
#include "widgets/GlyphButton.h"
#include "widgets/ImageList.h"
#include "widgets/ListView.h"
#include "widgets/LowColor.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QVBoxLayout>

frmAddRemove::frmAddRemove(AppContext& ctx, QWidget* parent) : QDialog(parent), mCtx(ctx) {
    setObjectName(QStringLiteral("frmAddRemove"));
    setWindowTitle(QStringLiteral("Add/Remove Programs."));
    BuildControls();
    UseFixedDialogBorder(this, QSize(400, 260)); // 6000 x 3900 twips
    Form_Load();
}

frmAddRemove::~frmAddRemove() = default;

void frmAddRemove::BuildControls() {
    ImageList1 = std::make_unique<ImageList>(QSize(32, 32));
    ImageList1->Add(QIcon(QStringLiteral(":/orvane/default.ico")));

    lstView = new ListView(this);
    lstView->SetAccessibleName(QStringLiteral("Programs"));
    lstView->SetColumnHeaders({QStringLiteral("Program Name")});
    lstView->SetIcons(ImageList1.get());
    lstView->SetSmallIcons(ImageList1.get());
    lstView->SetView(ListView::lvwReport);
    cmdAdd = new GlyphButton(QStringLiteral("Add Program"), this);
    cmdChange = new GlyphButton(QStringLiteral("Change Program"), this);
    cmdRemove = new GlyphButton(QStringLiteral("Remove"), this);
    cmdChange->setDefault(true);

    connect(cmdAdd, &QPushButton::clicked, this, [this] { cmdAdd_Click(); });
    connect(cmdChange, &QPushButton::clicked, this, [this] { cmdChange_Click(); });
    connect(cmdRemove, &QPushButton::clicked, this, [this] { cmdRemove_Click(); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdAdd);
    buttons->addWidget(cmdChange);
    buttons->addStretch();
    buttons->addWidget(cmdRemove);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lstView, 1);
    layout->addLayout(buttons);
}

void frmAddRemove::Form_Load() {
    if (mCtx.gLowColor)
        ApplyLowColor(this);
    loadPrograms();
}

void frmAddRemove::loadPrograms() {
    Recordset rs = mCtx.Catalog().GetPrograms();
    lstView->Clear();
    const long count = rs.RecordCount();
    if (count > 0) {
        rs.MoveFirst();
        for (long i = 1; i <= count; ++i) {
            lstView->AddItem(TrimSpaces(rs.Fields(QStringLiteral("Program_Name")).toString()), 1,
                             1);
            rs.MoveNext();
        }
        // As in the list controls of the platform, the first item starts out selected.
        lstView->SelectItem(1);
    }
    rs.Close();
}

void frmAddRemove::cmdAdd_Click() {
    RunTrapped(mCtx, [this] {
        {
            frmAddProgram editor(mCtx, this);
            // The list shows the new program while the editor is still open.
            connect(&editor, &frmAddProgram::ProgramAdded, this,
                    [this] { RunTrapped(mCtx, [this] { loadPrograms(); }); });
            showModal(editor);
        }
        modMain::RefreshLauncherList(mCtx);
    });
}

void frmAddRemove::cmdChange_Click() {
    RunTrapped(mCtx, [this] {
        if (lstView->Count() == 0) {
            mCtx.prompt->MsgBox(QStringLiteral("You must add a program first!"), PromptButtons::Ok,
                                PromptIcon::Critical, QStringLiteral("Error"));
            return;
        }
        const int selected = lstView->SelectedItem();
        if (selected == 0) {
            mCtx.prompt->MsgBox(QStringLiteral("Please select a program to continue"),
                                PromptButtons::Ok, PromptIcon::Exclamation, QStringLiteral("Oops"));
            return;
        }
        QString program;
        {
            frmModifyProgram editor(mCtx, this);
            // The main window shows the change while the editor is still open.
            connect(&editor, &frmModifyProgram::ProgramModified, this, [this] {
                RunTrapped(mCtx, [this] { modMain::BuildLauncherList(mCtx, true); });
            });
            editor.SetProgram(lstView->Text(selected));
            showModal(editor);
            program = editor.Program();
        }
        modMain::RefreshLauncherList(mCtx);
        // A renamed program shows its new name here at once, and stays selected.
        loadPrograms();
        for (int i = 1; i <= lstView->Count(); ++i)
            if (lstView->Text(i) == program)
                lstView->SelectItem(i);
    });
}

void frmAddRemove::cmdRemove_Click() {
    RunTrapped(mCtx, [this] {
        const int selected = lstView->SelectedItem();
        if (selected == 0)
            return;
        const QString name = lstView->Text(selected);
        if (TrimSpaces(name).isEmpty()) {
            mCtx.prompt->MsgBox(QStringLiteral("Please select a program to continue"),
                                PromptButtons::Ok, PromptIcon::Exclamation, QStringLiteral("Oops"));
            return;
        }
        if (mCtx.prompt->MsgBox(QStringLiteral("Are you sure?"), PromptButtons::YesNo,
                                PromptIcon::Question,
                                QStringLiteral("Confirm")) != PromptAnswer::Yes)
            return;
        if (!mCtx.Catalog().DeleteProgram(name)) {
            mCtx.prompt->MsgBox(QStringLiteral("Couldn't Delete ") + name + QStringLiteral(" !"),
                                PromptButtons::Ok, PromptIcon::Critical, QStringLiteral("Oops"));
            return;
        }
        mCtx.prompt->MsgBox(QStringLiteral("Program ") + name + QStringLiteral(" has been removed"),
                            PromptButtons::Ok, PromptIcon::Information, QStringLiteral("Removed"));
        loadPrograms();
        modMain::RefreshLauncherList(mCtx);
    });
}
