#pragma once

class AppContext;
class QWidget;
class frmMain;
class frmReportPreview;

// Reads every group rule (or every user rule) from the catalogue and opens its report in a
// print preview owned by `owner`, without making it modal: the routine returns at once.
// A catalogue failure is shown and opens nothing; the result is then null.
frmReportPreview* PrintPermissionsByGroup(AppContext& ctx, QWidget* owner);
frmReportPreview* PrintPermissionsByUser(AppContext& ctx, QWidget* owner);

// Makes the main window's side-menu items "Permission By Group" (H17) and "Permission By
// User" (H18) open the two reports.
void RegisterReportWindows(AppContext& ctx, frmMain& form);
