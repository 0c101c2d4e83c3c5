#pragma once

class AppContext;
class frmMain;

// Makes the main window's side-menu items "Email Support" (H1) and "Submit Bug/Error Report"
// (H2, subject "Bug/Error") open frmEmailSupport, modal and owned by the main window.
void RegisterSupportWindows(AppContext& ctx, frmMain& form);
