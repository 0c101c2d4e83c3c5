#pragma once

#include "admin/ProgramEditor.h"

// Adds a new program to the catalogue. The icon button, the start-in and parameter boxes and
// their enlarge buttons wait for an executable path.
class frmAddProgram : public ProgramEditor {
    Q_OBJECT
public:
    explicit frmAddProgram(AppContext& ctx, QWidget* parent = nullptr);

    void cmdIcon_Click();
    void cmdAdd_Click();
    void cmdCancel_Click();
    // The path box lost the focus.
    void txtProgramPath_Validate();

    GlyphButton* cmdCancel = nullptr;
    // Shows the icon picked in this editor, empty until one is picked.
    QLabel* Image3 = nullptr;

signals:
    // The program `name` was stored; sent after "Program Added" and before the editor closes.
    void ProgramAdded(const QString& name);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void PathChosen() override;

private:
    void Form_Load();
    // The icon button, the start-in and parameter boxes and their enlarge buttons.
    void SetPathControlsEnabled(bool enabled);
};
