#pragma once

#include "admin/AdminCommon.h"

#include <QDialog>
#include <memory>

class AppContext;
class GlyphButton;
class ImageList;
class ListView;

// The administrators' list of every catalogue program, from which programs are added,
// changed and removed. After each change the main window's list is rebuilt.
class frmAddRemove : public QDialog {
    Q_OBJECT
public:
    explicit frmAddRemove(AppContext& ctx, QWidget* parent = nullptr);
    ~frmAddRemove() override;

    // Empties the list and refills it from the catalogue.
    void loadPrograms();

    void cmdAdd_Click();
    void cmdChange_Click();
    void cmdRemove_Click();

    // How the program editors are shown.
    ShowModal showModal = ExecModal;

    ListView* lstView = nullptr;
    std::unique_ptr<ImageList> ImageList1;
    GlyphButton* cmdAdd = nullptr;
    GlyphButton* cmdChange = nullptr;
    GlyphButton* cmdRemove = nullptr;

private:
    void BuildControls();
    void Form_Load();

    AppContext& mCtx;
};
