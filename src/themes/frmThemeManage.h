#pragma once

#include "themes/ThemeCommon.h"

#include <QDialog>
#include <memory>

class AppContext;
class GlyphButton;
class ImageList;
class ListView;
class QGroupBox;

// The administrators' list of themes: Apply makes the selected theme the catalogue's default
// and the current theme (windows loaded afterwards show its logos), Delete removes it after a
// confirmation, Create asks for a name and opens the theme editor.
class frmThemeManage : public QDialog {
    Q_OBJECT
public:
    frmThemeManage(AppContext& ctx, SetCurrentThemeFn setCurrentTheme, QWidget* parent = nullptr);
    ~frmThemeManage() override;

    // Empties the list and refills it from the catalogue.
    void LoadThemes();

    void lstTheme_Click();
    void cmdApply_Click();
    void cmdDelete_Click();
    void cmdCreate_Click();

    // How the theme editor is shown.
    ShowModal showEditor = ExecModal;

    QGroupBox* Frame1 = nullptr;
    ListView* lstTheme = nullptr;
    std::unique_ptr<ImageList> ImageList1;
    GlyphButton* cmdApply = nullptr;
    GlyphButton* cmdDelete = nullptr;
    GlyphButton* cmdCreate = nullptr;

    // The theme item last clicked; empty until the first click.
    QString mStrSelectedTheme;

private:
    void BuildControls();
    void Form_Load();
    // The selected item's text; empty when none is selected.
    QString SelectedTheme() const;

    AppContext& mCtx;
    SetCurrentThemeFn mSetCurrentTheme;
};
