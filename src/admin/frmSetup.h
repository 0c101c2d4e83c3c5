#pragma once

#include <QDialog>

class AppContext;
class GlyphButton;
class QComboBox;
class QLabel;

// Chooses the domain whose groups the launcher uses and the group whose members administer
// it. Both lists start empty every time; Save writes them for the next start.
class frmSetup : public QDialog {
    Q_OBJECT
public:
    explicit frmSetup(AppContext& ctx, QWidget* parent = nullptr);

    // Fills cboDomains: the local computer's name first, then the directory's domains.
    void loadDomains();

    void cboDomains_Click();
    void cmdSave_Click();
    void cmdCancel_Click();

    QLabel* Label2 = nullptr;
    QComboBox* cboDomains = nullptr;
    QLabel* Label3 = nullptr;
    QComboBox* cboGroups = nullptr;
    GlyphButton* cmdSave = nullptr;
    GlyphButton* cmdCancel = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Picture1 = nullptr;
    QLabel* Image2 = nullptr;
    QLabel* imgEdit = nullptr;
    QLabel* imgServer = nullptr;
    QLabel* imgSync = nullptr;
    QLabel* imgTable = nullptr;

private:
    // A stored value, or an empty string when there is none.
    QString StoredValue(const QString& name) const;
    // True unless no group is chosen and the administrator does not confirm saving so.
    bool ConfirmNoGroup();
    void BuildControls();
    void Form_Load();
    void LoadGroups();

    AppContext& mCtx;
};
