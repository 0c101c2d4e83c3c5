#pragma once

#include "admin/ProgramEditor.h"

class QLabel;

// Changes one catalogue program, the one named by Program. The name itself may be changed:
// the record is found by the name the editor was opened on.
class frmModifyProgram : public ProgramEditor {
    Q_OBJECT
public:
    explicit frmModifyProgram(AppContext& ctx, QWidget* parent = nullptr);

    // Stores the name trimmed of spaces and fills the editor with that program.
    void SetProgram(const QString& name);
    const QString& Program() const { return mStrProgram; }

    void cmdIcon_Click();
    void cmdAdd_Click();

    QLabel* Label3 = nullptr;
    // The program's icon, or the icon picked in this editor.
    QLabel* Picture2 = nullptr;

signals:
    // The program was stored under `name`; sent after "Program Modified" and before the editor
    // closes.
    void ProgramModified(const QString& name);

private:
    void Form_Load();
    void loadProgramInfo(const QString& name);
    void ShowIcon(const QString& pictureFile);

    QString mStrProgram;
};
