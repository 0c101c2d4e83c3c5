#pragma once

class AppContext;
class frmMain;

// Makes the main window's side-menu items "Add/Remove Program" (H13) and "Add/Remove
// Folder" (H19) open frmAddRemove and frmAddRemoveFolder, modal and owned by the main window.
void RegisterCatalogueWindows(AppContext& ctx, frmMain& form);
