#pragma once

#include <QWidget>

class AppContext;
class GlyphButton;
class QLabel;

// One catalogue program's name, path, date added and icon, with a button that starts it.
// Assigning Program fills the window; an empty name or a program the catalogue does not
// know is reported and closes (unloads) the window. Enter starts the program (or presses the
// button that has the focus), Escape closes the window.
class frmProperties : public QWidget {
    Q_OBJECT
public:
    explicit frmProperties(AppContext& ctx, QWidget* parent = nullptr);

    QString Program() const { return mStrProgramName; }
    void SetProgram(const QString& mStrName);
    // False once the window has unloaded itself.
    bool IsLoaded() const { return !mUnloaded; }

    void cmdLaunch_Click();
    void cmdOk_Click();

    QLabel* lblProgramName = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* lblProgramPath = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* lblDateAdded = nullptr;
    QLabel* Image1 = nullptr;
    GlyphButton* cmdLaunch = nullptr;
    GlyphButton* cmdOk = nullptr;

signals:
    // The program was started from this window.
    void Launched(const QString& name);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildControls();
    void Form_Load();
    void LoadProperties();
    void Unload();

    AppContext& mCtx;
    QString mStrProgramName;
    bool mUnloaded = false;
};
