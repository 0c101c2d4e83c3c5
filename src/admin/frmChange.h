#pragma once

#include "admin/AdminCommon.h"

#include <QDialog>

class AppContext;
class GlyphButton;
class QLabel;
class QRadioButton;

// The permission editor: Allow or Deny one user or group a program. Save stores the principal
// when the catalogue does not know him yet (a user with his SID from the directory), replaces
// his earlier rule for the program and reports it with RuleStored.
class frmChange : public QDialog {
    Q_OBJECT
public:
    explicit frmChange(AppContext& ctx, QWidget* parent = nullptr);

    // Fills the dialog for the rule of `objName` (tag "G" or "U") for `strPrgName` and shows
    // it modally; returns when it has closed. `strStatus` "Allow" or "Denied" preselects
    // that permission, any other text neither.
    void CreateMe(const QString& strPrgName, const QString& objName, const QString& strStatus,
                  const QString& strTag);

    void cmdSave_Click();

    // How CreateMe shows the dialog.
    ShowModal showModal = ExecModal;

    QLabel* Label1 = nullptr;
    QLabel* lblItem = nullptr;
    QLabel* Label2 = nullptr;
    QRadioButton* opAllow = nullptr;
    QRadioButton* opDeny = nullptr;
    GlyphButton* cmdSave = nullptr;

signals:
    // The rule of `principal` (tag "G" or "U") was stored; sent before the editor closes.
    void RuleStored(const QString& principal, const QString& tag);

private:
    void BuildControls();
    void Form_Load();
    // Stores the principal when needed and replaces the rule; false when the catalogue
    // refused the rule.
    bool StoreRule();

    AppContext& mCtx;
    QString mStrPrgName;
    QString mStrObjName;
    QString mStrTag;
};
