#pragma once

class AppContext;
class frmMain;

// Makes the main window's side-menu item "Security" (H12) open the permissions window
// frmSecurity, modal and owned by the main window.
void RegisterSecurityWindows(AppContext& ctx, frmMain& form);
