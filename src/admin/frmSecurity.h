#pragma once

#include "admin/AdminCommon.h"

#include <QDialog>
#include <memory>

class AppContext;
class GlyphButton;
class ImageList;
class ListView;
class QComboBox;
class QFrame;
class QLabel;

// The administrators' window of the access rules: pick a program, see every group rule and
// then every user rule for it, remove one, change one (double click or Enter) or give a new
// user or group a rule (Add, through the principal picker). A group's name reads "(group)"
// after it. A rule just stored has the focus.
class frmSecurity : public QDialog {
    Q_OBJECT
public:
    explicit frmSecurity(AppContext& ctx, QWidget* parent = nullptr);
    ~frmSecurity() override;

    // Empties the list and fills it with the rules of `programName`.
    void loadPermissionData(const QString& programName);
    // The program whose rules are shown (the combo box's text).
    QString ProgramText() const;

    // "Allow" for 1, "Denied" for 0, nothing for any other status.
    static QString PermissionText(int status);

    void cboProgram_Click();
    void lstView_DblClick();
    void cmdAdd_Click();
    void cmdRemove_Click();
    // Selects the rule of `principal` (tag "G" or "U") and gives the list the focus.
    void FocusRule(const QString& principal, const QString& tag);

    // How the principal picker and the permission editor are shown; handed on to the picker,
    // which opens the editor.
    ShowModal showModal = ExecModal;

    QLabel* Label1 = nullptr;
    QComboBox* cboProgram = nullptr;
    QFrame* Frame1 = nullptr;
    ListView* lstView = nullptr;
    std::unique_ptr<ImageList> ImageList1;
    GlyphButton* cmdAdd = nullptr;
    GlyphButton* cmdRemove = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void Form_Load();
    void loadProgramNames();
    void RemoveSelectedRule();
    // Refills the list after a rule was stored; a failing catalogue is reported.
    void RefreshRules();

    AppContext& mCtx;
};
