#pragma once

#include "admin/AdminCommon.h"

#include <QDialog>
#include <memory>

class AppContext;
class GlyphButton;
class ImageList;
class PrincipalList;
class QLabel;
class QLineEdit;

// The principal picker: the groups and then the users of the configured domain, users with
// their SIDs. Add opens the permission editor for the selected one and the picker's program,
// and closes the picker.
// The list is read with one directory query for the groups and one for the users; a filter
// box narrows it by name or SID, the arrow keys move through the list from it and Enter adds
// the selected one. A group reads "(group)" after its name: users and groups may share names.
class frmAddSecurity : public QDialog {
    Q_OBJECT
public:
    // `program` is the program the new rule is for.
    frmAddSecurity(AppContext& ctx, QString program, QWidget* parent = nullptr);
    ~frmAddSecurity() override;

    // False when the directory could not be read; the failure has been shown and the picker
    // has nothing to offer.
    bool Loaded() const { return mLoaded; }

    void cmdAdd_Click();
    void cmdCancel_Click();
    void txtFilter_Change();

    // How the permission editor is shown.
    ShowModal showModal = ExecModal;

    QLabel* lblFilter = nullptr;
    QLineEdit* txtFilter = nullptr;
    PrincipalList* lstPer = nullptr;
    std::unique_ptr<ImageList> ImageList1;
    GlyphButton* cmdAdd = nullptr;
    GlyphButton* cmdCancel = nullptr;

signals:
    // The editor stored the rule of `principal` (tag "G" or "U").
    void RuleStored(const QString& principal, const QString& tag);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void Form_Load();
    void loadPrincipals(const QString& domain);

    AppContext& mCtx;
    QString mProgram;
    bool mLoaded = false;
};
