#pragma once

#include <QDialog>

class AppContext;
class GlyphButton;
class QGroupBox;
class QLabel;
class QLineEdit;
class frmThemeManage;

// Creates a theme: a picture file for each of the three logos (any of them may stay empty)
// stored in the catalogue under the theme's name. After a save the theme manager that opened
// it lists the new theme and the editor closes.
class frmCreateTheme : public QDialog {
    Q_OBJECT
public:
    // `manager`, when given, owns the editor and is refreshed after a save.
    explicit frmCreateTheme(AppContext& ctx, frmThemeManage* manager = nullptr);

    // The theme's name, trimmed of spaces; an empty name becomes "Theme 1". Setting it sets
    // the title too.
    void SetThemeName(const QString& strName);
    QString ThemeName() const { return mStrThemeName; }

    void cmdButtonSplash_Click();
    void cmdAddRemove_Click();
    void cmdConfigure_Click();
    void cmdSave_Click();

    QGroupBox* Frame1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* txtSplashScreen = nullptr;
    GlyphButton* cmdButtonSplash = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* txtAddRemove = nullptr;
    GlyphButton* cmdAddRemove = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* txtConfigure = nullptr;
    GlyphButton* cmdConfigure = nullptr;
    QLabel* Label7 = nullptr;
    GlyphButton* cmdSave = nullptr;

    // The file chooser's title and the pictures it offers.
    static const QString kDialogTitle;
    static const QString kPictureFilter;

private:
    void BuildControls();
    void Form_Load();
    // Puts the picture file the user chooses into `box`; a cancelled choice keeps the box.
    void ChoosePicture(QLineEdit* box);

    AppContext& mCtx;
    frmThemeManage* mManager;
    QString mStrThemeName;
};
