#pragma once

#include <QDialog>

class AppContext;
class GlyphButton;
class ImageList;
class PictureBox;
class QGroupBox;
class QTreeWidgetItem;
class ResourceTree;

// The resource viewer: the icons of an executable in a tree, a preview of the one clicked,
// and Select, which writes it as a bitmap to the per-user temp.bmp the program editors read.
//
// CreateMe fills the window without showing it, so that tests drive the handlers directly;
// clsResourceViewer::ShowResources runs it modally.
class frmViewer : public QDialog {
    Q_OBJECT
public:
    explicit frmViewer(AppContext& ctx, QWidget* parent = nullptr);
    ~frmViewer() override;

    // Shows the wait window, fills the tree from the trimmed path and hides the wait window
    // again before the viewer itself is shown.
    void CreateMe(const QString& programPath);
    // True when Select wrote the file; false after Close, or when writing failed. A cursor,
    // bitmap or icon that gives no picture is refused with the reason, and the window stays
    // open.
    bool Selected() const { return mSelected; }

    void TreeView1_Expand(QTreeWidgetItem* node);
    void TreeView1_Collapse(QTreeWidgetItem* node);
    void TreeView1_NodeClick(QTreeWidgetItem* node);
    void cmdOk_Click();
    void cmdCancel_Click();

    ResourceTree* TreeView1 = nullptr;
    ImageList* ImageList1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    PictureBox* Picture1 = nullptr;
    PictureBox* Picture2 = nullptr;
    GlyphButton* cmdOk = nullptr;
    GlyphButton* cmdCancel = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void Form_Load();
    void Form_Unload();
    void ClearPreview();
    // Prints why the clicked resource shows no picture into the preview.
    void ShowProblem(const QString& problem);
    // Unloads the window: releases the executable and ends a modal run.
    void Unload();

    AppContext& mCtx;
    std::unique_ptr<ImageList> mImages;
    bool mUnloaded = false;
    bool mSelected = false;
};
