#pragma once

#include <QDialog>
#include <QString>
#include <functional>

class AppContext;

// What the theme windows share.

// How a theme window shows a dialog it opens modally; tests drive the dialog instead.
using ShowThemeDialog = std::function<void(QDialog&)>;
inline void ExecThemeDialog(QDialog& dialog) {
    dialog.exec();
}

// Makes `name` the current theme when `useGiven` is true, else the catalogue's default; the
// start-up sequence owns the routine and hands it to the theme manager.
using SetCurrentThemeFn = std::function<void(AppContext&, const QString& name, bool& useGiven)>;

// Runs one handler of a theme window. A catalogue failure (database gone, read-only or
// damaged) is shown with its description under the title "Error" and the window stays as it
// was, instead of the program ending. False when a failure was trapped.
bool RunThemeHandler(AppContext& ctx, const std::function<void()>& handler);

// The border of the theme windows: title bar with a close box only.
void UseThemeDialogBorder(QDialog* dialog);
