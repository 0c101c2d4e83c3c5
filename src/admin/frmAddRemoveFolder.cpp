#include "admin/frmAddRemoveFolder.h"

#include "admin/frmFolderDialog.h"
#include "launcher/LauncherList.h"
#include "platform/Text.h"
#include "services/AppContext.h"
#include "widgets/GlyphButton.h"
#include "widgets/ImageList.h"
#include "widgets/ListView.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QVBoxLayout>

frmAddRemoveFolder::frmAddRemoveFolder(AppContext& ctx, QWidget* parent)
    : QDialog(parent), mCtx(ctx) {
    setObjectName(QStringLiteral("frmAddRemoveFolder"));
    setWindowTitle(QStringLiteral("Add/Remove Folder(Menu)"));
    setWindowIcon(QIcon(QStringLiteral(":/orvane/folder.ico")));
    BuildControls();
    UseFixedDialogBorder(this, QSize(345, 253)); // 5175 x 3795 twips
    Form_Load();
}

frmAddRemoveFolder::~frmAddRemoveFolder() = default;

void frmAddRemoveFolder::BuildControls() {
    ImageList1 = std::make_unique<ImageList>(QSize(32, 32));
    ImageList1->Add(QIcon(QStringLiteral(":/orvane/folder.ico")));

    ListView1 = new ListView(this);
    ListView1->SetAccessibleName(QStringLiteral("Folder entries"));
    ListView1->SetIcons(ImageList1.get());
    ListView1->SetSmallIcons(ImageList1.get());
    ListView1->SetView(ListView::lvwList);
    cmdAdd = new GlyphButton(QStringLiteral("&Add"), this);
    cmdDelete = new GlyphButton(QStringLiteral("&Delete"), this);
    cmdAdd->setDefault(true);

    connect(cmdAdd, &QPushButton::clicked, this, [this] { cmdAdd_Click(); });
    connect(cmdDelete, &QPushButton::clicked, this, [this] { cmdDelete_Click(); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdAdd);
    buttons->addStretch();
    buttons->addWidget(cmdDelete);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ListView1, 1);
    layout->addLayout(buttons);
}

// The folder windows keep their colours on a low-colour display.
void frmAddRemoveFolder::Form_Load() {
    LoadFolderView();
}

void frmAddRemoveFolder::LoadFolderView() {
    ListView1->Clear();
    Recordset rs = mCtx.Catalog().GetFolders();
    const long count = rs.RecordCount();
    for (long i = 1; i <= count; ++i) {
        const int item = ListView1->AddItem(
            TrimSpaces(rs.Fields(QStringLiteral("Folder_Name")).toString()), 1, 1);
        ListView1->SetToolTipText(item,
                                  TrimSpaces(rs.Fields(QStringLiteral("Folder_Path")).toString()));
        rs.MoveNext();
    }
    if (count > 0)
        ListView1->SelectItem(1);
    rs.Close();
}

void frmAddRemoveFolder::cmdAdd_Click() {
    RunTrapped(mCtx, [this] {
        {
            frmFolderDialog picker(mCtx, this);
            // The list shows the new entry while the picker is still open.
            connect(&picker, &frmFolderDialog::FolderAdded, this,
                    [this] { RunTrapped(mCtx, [this] { LoadFolderView(); }); });
            showModal(picker);
        }
        modMain::RefreshLauncherList(mCtx);
    });
}

void frmAddRemoveFolder::cmdDelete_Click() {
    RunTrapped(mCtx, [this] {
        const int selected = ListView1->SelectedItem();
        if (selected == 0)
            return;
        const QString name = ListView1->Text(selected);
        if (!mCtx.Catalog().DeleteFolder(name)) {
            mCtx.prompt->MsgBox(
                QStringLiteral("Cannot Delete Folder : ") + name + QStringLiteral("."),
                PromptButtons::Ok, PromptIcon::Exclamation, QStringLiteral("Error"));
            return;
        }
        mCtx.prompt->MsgBox(
            QStringLiteral("Folder : ") + name + QStringLiteral(". Has been removed"),
            PromptButtons::Ok, PromptIcon::Information, QStringLiteral("Deleted Folder"));
        LoadFolderView();
        modMain::RefreshLauncherList(mCtx);
    });
}
