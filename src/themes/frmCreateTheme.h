#pragma once

#include <QDialog>

class AppContext;
class GlyphButton;
class QGroupBox;
class QLabel;
class QLineEdit;

// Creates a theme: a picture file for each of the three logos (any of them may stay empty)
// stored in the catalogue under the theme's name. A save is reported with ThemeCreated, then
// the editor closes.
class frmCreateTheme : public QDialog {
    Q_OBJECT
public:
    explicit frmCreateTheme(AppContext& ctx, QWidget* parent = nullptr);

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

signals:
    // The theme `name` was stored; sent after "Created Theme" and before the editor closes.
    void ThemeCreated(const QString& name);

private:
    void BuildControls();
    void Form_Load();
    // Puts the picture file the user chooses into `box`; a cancelled choice keeps the box.
    void ChoosePicture(QLineEdit* box);

    AppContext& mCtx;
    QString mStrThemeName;
};
