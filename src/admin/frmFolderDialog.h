#pragma once

#include <QDialog>
#include <QHash>
#include <QIcon>

class AppContext;
class GlyphButton;
class QTreeWidget;
class QTreeWidgetItem;

// "Select A Folder": the machine's ready drives and their folders as a tree that grows as
// nodes are opened. Add stores the selected folder as a folder entry of the catalogue and
// reports it with FolderAdded; Cancel writes nothing.
class frmFolderDialog : public QDialog {
    Q_OBJECT
public:
    // `drives` are the top nodes, SystemDrives() unless a caller names others.
    explicit frmFolderDialog(AppContext& ctx, QWidget* parent = nullptr,
                             const QStringList& drives = SystemDrives());

    // The ready drives as "C:" on Windows; the file-system root "/" elsewhere.
    static QStringList SystemDrives();
    // The node's path: the texts from its top node down to it, each followed by the
    // separator ("C:\Windows\", "/usr/share/"). Empty for no node.
    static QString NodePath(const QTreeWidgetItem* node);

    void ctlFolderList_DblClick();
    void cmdOk_Click();
    void cmdCancel_Click();

    const QString& SelectedPath() const { return mSelectedPath; }
    const QString& SelectedFolder() const { return mSelectedFolder; }
    bool Cancelled() const { return mCancelled; }

    QTreeWidget* ctlFolderList = nullptr;
    // "Drive", "FolderClose" and "FolderOpen".
    QHash<QString, QIcon> ctlImages;
    GlyphButton* cmdOk = nullptr;
    GlyphButton* cmdCancel = nullptr;

signals:
    // The folder entry `name` for `path` was stored; sent after "Added Folder" and before the
    // picker closes.
    void FolderAdded(const QString& name, const QString& path);

private:
    void BuildControls();
    void Form_Load(const QStringList& drives);
    // Adds the node's subfolders as its children; a folder that cannot be read adds none.
    void AddSubFolders(QTreeWidgetItem* node);
    // Adds the subfolders and opens the node.
    void LoadSubFolders(QTreeWidgetItem* node);

    AppContext& mCtx;
    QString mSelectedPath;
    QString mSelectedFolder;
    bool mCancelled = false;
};
