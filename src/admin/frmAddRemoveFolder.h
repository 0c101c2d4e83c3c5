#pragma once

#include "admin/AdminCommon.h"

#include <QDialog>
#include <memory>

class AppContext;
class GlyphButton;
class ImageList;
class ListView;

// The administrators' list of the catalogue's folder entries. New entries come from the
// folder picker; Delete removes the selected entry at once. After each change the main
// window's list is rebuilt.
class frmAddRemoveFolder : public QDialog {
    Q_OBJECT
public:
    explicit frmAddRemoveFolder(AppContext& ctx, QWidget* parent = nullptr);
    ~frmAddRemoveFolder() override;

    // Empties the list and refills it from the catalogue.
    void LoadFolderView();

    void cmdAdd_Click();
    void cmdDelete_Click();

    // How the folder picker is shown.
    ShowModal showModal = ExecModal;

    ListView* ListView1 = nullptr;
    std::unique_ptr<ImageList> ImageList1;
    GlyphButton* cmdAdd = nullptr;
    GlyphButton* cmdDelete = nullptr;

private:
    void BuildControls();
    void Form_Load();

    AppContext& mCtx;
};
