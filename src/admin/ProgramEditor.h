#pragma once

#include "admin/AdminCommon.h"

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>

class AppContext;
class GlyphButton;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QFrame;
class clsResourceViewer;
class frmExpandTextArea;

// What the two program editors (frmAddProgram, frmModifyProgram) share: the fields of one
// catalogue program, the browse and enlarge buttons, the theme logo, the validation of name
// and path, and the icon picked in the resource viewer.
//
// The icon travels from the viewer to the catalogue as the picked-icon file of the user's
// picture directory (AppPaths::TempPicture). Every editor starts with no icon picked; only a
// viewer that reports a saved selection in this editor marks the icon as picked, so a file
// left by an earlier editor never becomes the icon of another program.
class ProgramEditor : public QDialog {
    Q_OBJECT
public:
    // Opens the resource viewer on a program's path and returns whether the viewer saved a
    // selected icon to the picked-icon file. Defaults to the program's resource viewer.
    std::function<bool(const QString& programPath)> pickIcon;
    // How the enlarged text window is shown.
    ShowModal showModal = ExecModal;

    void cmdExePath_Click();
    void cmdDropDir_Click();
    void cmdDropStartUp_Click();

    // The enlarged text window, null until an enlarge button was pressed; both buttons share it.
    frmExpandTextArea* ExpandTextArea() const { return mExpand.get(); }
    bool IconPicked() const { return mIconPicked; }

    QFrame* Picture1 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Image2 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* txtProgramName = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* txtProgramPath = nullptr;
    GlyphButton* cmdExePath = nullptr;
    QLabel* Label5 = nullptr;
    QPlainTextEdit* txtProgramDescription = nullptr;
    QLabel* lblStartInDir = nullptr;
    QLineEdit* txtDropStartIn = nullptr;
    GlyphButton* cmdDropDir = nullptr;
    QLabel* lblParms = nullptr;
    QLineEdit* txtDropStartUp = nullptr;
    GlyphButton* cmdDropStartUp = nullptr;
    GlyphButton* cmdIcon = nullptr;
    GlyphButton* cmdAdd = nullptr;

protected:
    struct Fields {
        QString name, description, path, startInDir, startUpParms;
    };

    ProgramEditor(AppContext& ctx, QWidget* parent, const QString& caption, const QString& heading,
                  const QString& iconCaption, const QString& addCaption);
    ~ProgramEditor() override;

    // Low-colour rule and theme logo, the first steps of both editors' load.
    void LoadCommon();
    // The fields as they go to the catalogue: name, description and path trimmed of spaces,
    // start-in directory and parameters as typed. Nothing (after "Please fill all fields in.")
    // when the trimmed name or path is empty.
    std::optional<Fields> ValidatedFields();
    // Runs the viewer on the typed path; true when it saved an icon for this editor.
    bool PickIcon();
    // A path was chosen with the browse button.
    virtual void PathChosen() {}

    AppContext& mCtx;
    // The row of the icon button, and the row of the buttons that close the editor.
    QHBoxLayout* mIconRow = nullptr;
    QHBoxLayout* mButtonRow = nullptr;

private:
    void BuildControls(const QString& heading, const QString& iconCaption,
                       const QString& addCaption);
    void Expand(QLineEdit* textBox, const QString& caption);

    std::unique_ptr<frmExpandTextArea> mExpand;
    std::unique_ptr<clsResourceViewer> mResourceViewer;
    bool mIconPicked = false;
};
