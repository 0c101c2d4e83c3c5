#pragma once

#include <QDialog>
#include <QSize>
#include <functional>

class Prompt;
class QLabel;
class QWidget;

// What the dialogs of the administration and theme windows share.

// How a window shows a dialog it opens modally and waits for. The program runs the dialog's
// own event loop; a test replaces it with a function that drives the dialog's handlers.
using ShowModal = std::function<void(QDialog&)>;
inline void ExecModal(QDialog& dialog) {
    dialog.exec();
}

// Runs one handler of a window. A catalogue failure (the database gone, read-only or damaged)
// is shown with its description and the title "Error", and the window stays as it was
// instead of the program ending. Returns false when it trapped a failure.
bool RunTrapped(Prompt& prompt, const std::function<void()>& handler);

// The window border of the administration windows: title bar with a close box, no minimise or
// maximise box, no context-help button. The dialog opens inside its screen (ScreenFit).
void UseDialogBorder(QDialog* dialog);
// The fixed-dialog border: as UseDialogBorder, and the window cannot be resized. Its size is
// the designed client area, grown where the contents need more (larger fonts). Call it once
// the layout is complete.
void UseFixedDialogBorder(QDialog* dialog, QSize designed);

// A decoration picture by freedesktop icon name (ThemeIcon), `size` pixels square.
QLabel* Decoration(const QString& iconName, int size, QWidget* parent);
