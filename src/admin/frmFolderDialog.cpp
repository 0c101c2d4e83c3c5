#include "admin/frmFolderDialog.h"

#include "admin/AdminCommon.h"
#include "services/AppContext.h"
#include "widgets/GlyphButton.h"
#include "widgets/ItemViewFocus.h"

#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QStorageInfo>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

frmFolderDialog::frmFolderDialog(AppContext& ctx, QWidget* parent, const QStringList& drives)
    : QDialog(parent), mCtx(ctx) {
    setObjectName(QStringLiteral("frmFolderDialog"));
    UseDialogBorder(this);
    setWindowTitle(QStringLiteral("Select A Folder"));
    BuildControls();
    Form_Load(drives);
}

void frmFolderDialog::BuildControls() {
    ctlImages.insert(QStringLiteral("Drive"), style()->standardIcon(QStyle::SP_DriveHDIcon));
    ctlImages.insert(QStringLiteral("FolderClose"),
                     style()->standardIcon(QStyle::SP_DirClosedIcon));
    ctlImages.insert(QStringLiteral("FolderOpen"), style()->standardIcon(QStyle::SP_DirOpenIcon));

    ctlFolderList = new QTreeWidget(this);
    ctlFolderList->setHeaderHidden(true);
    ctlFolderList->setAccessibleName(QStringLiteral("Folders"));
    ItemViewFocus::Attach(ctlFolderList);
    ctlFolderList->setColumnCount(1);
    ctlFolderList->setSelectionMode(QAbstractItemView::SingleSelection);
    // A double click selects the node and opens it itself; the view must not close it again.
    ctlFolderList->setExpandsOnDoubleClick(false);
    // The one column is as wide as its longest name, so that a long folder name gets a
    // horizontal scroll bar instead of being cut; a stretched last column would fit the view.
    ctlFolderList->header()->setStretchLastSection(false);
    ctlFolderList->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    ctlFolderList->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    cmdOk = new GlyphButton(QStringLiteral("&Add"), this);
    cmdCancel = new GlyphButton(QStringLiteral("&Cancel"), this);
    cmdOk->setDefault(true);

    connect(ctlFolderList, &QTreeWidget::itemDoubleClicked, this,
            [this] { ctlFolderList_DblClick(); });
    connect(ctlFolderList, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* node) {
        if (node->childCount() == 0)
            AddSubFolders(node);
    });
    connect(cmdOk, &QPushButton::clicked, this, [this] { cmdOk_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ctlFolderList, 1);
    layout->addLayout(buttons);
    resize(320, 380);
}

QStringList frmFolderDialog::SystemDrives() {
    QStringList drives;
#ifdef Q_OS_WIN
    for (const QFileInfo& drive : QDir::drives()) {
        // An empty removable drive is not ready and is left out.
        const QStorageInfo storage(drive.absoluteFilePath());
        if (storage.isValid() && storage.isReady())
            drives.append(drive.absoluteFilePath().left(2));
    }
#else
    drives.append(QDir::rootPath());
#endif
    return drives;
}

void frmFolderDialog::Form_Load(const QStringList& drives) {
    for (const QString& drive : drives) {
        auto* node = new QTreeWidgetItem(ctlFolderList, {drive});
        node->setIcon(0, ctlImages.value(QStringLiteral("Drive")));
        node->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    }
}

QString frmFolderDialog::NodePath(const QTreeWidgetItem* node) {
    if (!node)
        return {};
    const QChar separator = QDir::separator();
    QString path = NodePath(node->parent()) + node->text(0);
    // A top node that is itself a root ("/") already ends in the separator.
    if (!path.isEmpty() && !path.endsWith(separator))
        path += separator;
    return path;
}

void frmFolderDialog::AddSubFolders(QTreeWidgetItem* node) {
    QIcon folder = ctlImages.value(QStringLiteral("FolderClose"));
    folder.addPixmap(ctlImages.value(QStringLiteral("FolderOpen")).pixmap(16, 16), QIcon::Selected);
    // Sorted by name, so that the tree reads the same on every file system. A folder that
    // cannot be listed (no access, removed medium) gives an empty list.
    const QStringList names =
        QDir(NodePath(node))
            .entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : names) {
        auto* child = new QTreeWidgetItem(node, {name});
        child->setIcon(0, folder);
        child->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    }
    if (names.isEmpty())
        node->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

void frmFolderDialog::LoadSubFolders(QTreeWidgetItem* node) {
    AddSubFolders(node);
    node->setExpanded(true);
}

void frmFolderDialog::ctlFolderList_DblClick() {
    QTreeWidgetItem* node = ctlFolderList->currentItem();
    if (!node)
        return;
    // A folder without subfolders is looked at again on the next double click; one whose
    // subfolders are listed already is opened again when it was closed.
    if (node->childCount() == 0)
        LoadSubFolders(node);
    else
        node->setExpanded(true);
    mSelectedFolder = node->text(0);
    mSelectedPath = NodePath(node);
}

void frmFolderDialog::cmdOk_Click() {
    const QList<QTreeWidgetItem*> selected = ctlFolderList->selectedItems();
    if (selected.isEmpty()) {
        mCtx.prompt->MsgBox(QStringLiteral("Please select a folder to add"), PromptButtons::Ok,
                            PromptIcon::Exclamation, QStringLiteral("Oops"));
        return;
    }
    QTreeWidgetItem* node = selected.first();
    RunTrapped(mCtx, [&] {
        const QString name = node->text(0);
        const QString path = NodePath(node);
        if (mCtx.Catalog().AddFolder(name, path)) {
            mCtx.prompt->MsgBox(QStringLiteral("Added Folder : ") + mSelectedFolder,
                                PromptButtons::Ok, PromptIcon::Information,
                                QStringLiteral("Add Folder"));
            emit FolderAdded(name, path);
        } else {
            mCtx.prompt->MsgBox(QStringLiteral("Couldn't Add Folder : ") + mSelectedFolder,
                                PromptButtons::Ok, PromptIcon::Exclamation,
                                QStringLiteral("Error"));
        }
        accept();
    });
}

void frmFolderDialog::cmdCancel_Click() {
    mCancelled = true;
    mSelectedFolder.clear();
    mSelectedPath.clear();
    reject();
}
