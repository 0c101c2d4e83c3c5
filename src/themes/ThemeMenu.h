#pragma once

#include "themes/ThemeCommon.h"

class AppContext;
class frmMain;

// Makes the main window's side-menu item "Theme Management" (H20) open frmThemeManage, modal
// and owned by the main window; Apply uses `setCurrentTheme`.
void RegisterThemeWindows(AppContext& ctx, frmMain& form, SetCurrentThemeFn setCurrentTheme);
