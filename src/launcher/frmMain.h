#pragma once

#include "launcher/UserState.h"

#include <QHash>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

class AppContext;
class ImageList;
class LauncherSearch;
class LauncherSearchBar;
class ListView;
class NavPane;
class frmFolderMenu;
class frmProperties;
class QMenu;

// The launcher's main window: the side menu and the list of the programs and folder entries
// the user may start, with a Find box and the choice of all items, favourites or recently used
// above it. Closing it ends the program. Where the window stood, its size and the list's view
// are the user's (UserState), read once when the window is made and written when it closes.
class frmMain : public QWidget {
    Q_OBJECT
public:
    // Loads the window (side menu, views) without showing it and makes it ctx.mainWindow.
    explicit frmMain(AppContext& ctx, QWidget* parent = nullptr);
    ~frmMain() override;

    NavPane* NavPane1 = nullptr;
    std::unique_ptr<ImageList> ImageList3; // program pictures, 32 x 32
    ListView* ListView1 = nullptr;
    std::unique_ptr<ImageList> ImageList1; // side-menu item pictures, 16 x 16
    std::unique_ptr<ImageList> ImageList2; // side-menu group pictures, 32 x 32
    QMenu* mnuItem = nullptr;              // the list's context menu
    LauncherSearchBar* searchBar = nullptr;

    void NavPane1_ItemClick(const QString& key);
    void ListView1_DblClick();
    void ListView1_KeyDown(int key);
    void ShowReportView();

    // The list was built (again): the search and the tabs apply to the new items. On the first
    // build the view the user left the window in comes back.
    void ListRebuilt();
    // Starts the first item the Find box shows, as a double click would.
    void OpenFirstMatch();
    // The item menu's favourite entry for the selected item.
    void ToggleFavourite();
    LauncherSearch* Search() const { return mSearch; }
    const UserState& State() const { return mState; }

    // Routines on the selected item.
    void CloseLauncher();
    void LaunchSelected();
    void ShowSelectedProperties();

    // The windows of the administration, print and support items live in folders built on
    // top of this one; the start-up sequence says here how to open each, by item key. An
    // item without one does nothing, and none of them does anything for a user who is not
    // an administrator.
    void SetMenuWindow(const QString& key, std::function<void()> open);

    // What ends the program once the window has closed; tests watch it.
    std::function<void()> EndProgram;

    // The shared folder contents window and the properties window, when loaded.
    frmFolderMenu* FolderMenu() const;
    frmProperties* Properties() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void Form_Load();
    void Form_Unload();
    void OpenSelected();
    void ShowItemMenu(const QPoint& globalPos);
    frmFolderMenu& LoadFolderMenu();
    void PlaceWindow();
    void SaveState();

    AppContext& mCtx;
    UserState mState;
    LauncherSearch* mSearch = nullptr;
    int mViewToRestore = -1;
    QHash<QString, std::function<void()>> mMenuWindows;
    QPointer<frmFolderMenu> mFolderMenu;
    QPointer<frmProperties> mProperties;
    bool mUnloaded = false;
};

namespace modMain {
// The main window, loaded (not shown) on first use.
frmMain& MainForm(AppContext& ctx);
} // namespace modMain
