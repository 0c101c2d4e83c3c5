#include "launcher/frmMain.h"

#include "access/AccessEvaluation.h"
#include "launcher/GeneralDate.h"
#include "launcher/LauncherSearch.h"
#include "launcher/LauncherSearchBar.h"
#include "launcher/Launching.h"
#include "launcher/MenuArt.h"
#include "launcher/frmFolderMenu.h"
#include "launcher/frmProperties.h"
#include "platform/OrvError.h"
#include "platform/Text.h"
#include "platform/ThemeIcon.h"
#include "services/AppContext.h"
#include "widgets/ImageList.h"
#include "widgets/ListView.h"
#include "widgets/LowColor.h"
#include "widgets/NavPane.h"
#include "widgets/ScreenFit.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QMenu>
#include <QShortcut>
#include <QSplitter>
#include <QVBoxLayout>

namespace {

// The items that open administration, print and support windows: administrators only.
const QStringList kAdministrationKeys = {
    QStringLiteral("H1"),  QStringLiteral("H2"),  QStringLiteral("H12"),
    QStringLiteral("H13"), QStringLiteral("H14"), QStringLiteral("H17"),
    QStringLiteral("H18"), QStringLiteral("H19"), QStringLiteral("H20")};

// The window's size when the user has not chosen one, in logical pixels.
constexpr QSize kDesignedSize(780, 500);

} // namespace

frmMain::frmMain(AppContext& ctx, QWidget* parent)
    : QWidget(parent), mCtx(ctx), mState(UserState::Read(ctx.paths.StateFile())) {
    EndProgram = [] { QCoreApplication::quit(); };
    BuildControls();
    mCtx.mainWindow = this;
    Form_Load();
    PlaceWindow();
}

frmMain::~frmMain() {
    // The list view refers to ImageList3 until it goes.
    delete ListView1;
    ListView1 = nullptr;
}

void frmMain::BuildControls() {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Brindlecove Tessaro"));
    setWindowIcon(ThemeIcon::ForWindow(MenuArt::Picture(MenuArt::Kind::Group, 2)));

    NavPane1 = new NavPane(this);
    NavPane1->setObjectName(QStringLiteral("NavPane1"));
    ImageList3 = std::make_unique<ImageList>(QSize(32, 32));
    auto* listSide = new QWidget(this);
    searchBar = new LauncherSearchBar(listSide);
    ListView1 = new ListView(listSide);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->SetAccessibleName(QStringLiteral("Programs"));
    ListView1->SetTypeToSearch(true);
    auto* listLayout = new QVBoxLayout(listSide);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->addWidget(searchBar);
    listLayout->addWidget(ListView1, 1);
    ListView1->SetColumnHeaders({QStringLiteral("Application Name"), QStringLiteral("Date Added")});
    ListView1->SetIcons(ImageList3.get());
    ListView1->SetSmallIcons(ImageList3.get());
    ImageList1 = std::make_unique<ImageList>(QSize(16, 16));
    MenuArt::FillItemImages(*ImageList1);
    ImageList2 = std::make_unique<ImageList>(QSize(32, 32));
    MenuArt::FillGroupImages(*ImageList2);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(NavPane1);
    splitter->addWidget(listSide);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({200, 580});
    splitter->setChildrenCollapsible(false);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(splitter);

    mnuItem = new QMenu(this);
    QAction* open = mnuItem->addAction(QStringLiteral("Open"));
    open->setObjectName(QStringLiteral("mnuOpen"));
    mnuItem->setDefaultAction(open);
    QAction* properties = mnuItem->addAction(QStringLiteral("Properties"));
    properties->setObjectName(QStringLiteral("mnuProperties"));
    QAction* favourite = mnuItem->addAction(QStringLiteral("Add to Favourites"));
    favourite->setObjectName(QStringLiteral("mnuFavourite"));
    connect(open, &QAction::triggered, this, [this] { OpenSelected(); });
    connect(properties, &QAction::triggered, this, [this] { ShowSelectedProperties(); });
    connect(favourite, &QAction::triggered, this, [this] { ToggleFavourite(); });

    auto* quit = new QShortcut(QKeySequence::Quit, this);
    connect(quit, &QShortcut::activated, this, [this] { CloseLauncher(); });
    auto* find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, searchBar, &LauncherSearchBar::FocusFind);

    mSearch = new LauncherSearch(
        mCtx, ListView1, searchBar, mState, [this] { SaveState(); }, this);
    connect(ListView1, &ListView::TextTyped, searchBar, &LauncherSearchBar::StartTyping);
    connect(searchBar, &LauncherSearchBar::Accepted, this, &frmMain::OpenFirstMatch);
    connect(searchBar, &LauncherSearchBar::LeaveForList, this,
            [this] { ListView1->CurrentView()->setFocus(Qt::TabFocusReason); });

    connect(NavPane1, &NavPane::ItemClick, this, &frmMain::NavPane1_ItemClick);
    connect(ListView1, &ListView::DblClick, this, &frmMain::ListView1_DblClick);
    connect(ListView1, &ListView::KeyDown, this, &frmMain::ListView1_KeyDown);
    connect(ListView1, &ListView::ContextMenu, this, &frmMain::ShowItemMenu);
}

void frmMain::Form_Load() {
    if (mCtx.gLowColor)
        ApplyLowColor(this);
    NavPane1->ItemImages = ImageList1.get();
    NavPane1->GroupImages = ImageList2.get();
    NavPane1->SetSpeed(0);

    NavPane1->AddMenuGroup(QStringLiteral("P1"), QStringLiteral("Brindlecove"), 0, false, 1);
    NavPane1->AddMenuGroup(QStringLiteral("P2"), QStringLiteral("Tessaro Orvane"), 0, false, 2);
    NavPane1->AddMenuGroup(QStringLiteral("P3"), QStringLiteral("Views"), 0, false, 3);
    NavPane1->AddMenuItem(QStringLiteral("H3"), QStringLiteral("P1"), QStringLiteral("Brindlecove"),
                          true, 0, 6, QStringLiteral("Load Web Browser"));
    NavPane1->AddMenuItem(QStringLiteral("H4"), QStringLiteral("P2"),
                          QStringLiteral("Domain : ") + modMain::GetDomain(mCtx), true, 0, 11,
                          QStringLiteral("Domain"));
    NavPane1->AddMenuItem(QStringLiteral("H4"), QStringLiteral("P2"),
                          QStringLiteral("User : ") + mCtx.gUserName.toString(), true, 0, 11,
                          QStringLiteral("User"));
    NavPane1->AddMenuItem(QStringLiteral("H8"), QStringLiteral("P3"), QStringLiteral("Icon"), true,
                          0, 3, QStringLiteral("Icon View"));
    NavPane1->AddMenuItem(QStringLiteral("H9"), QStringLiteral("P3"), QStringLiteral("Small Icon"),
                          true, 0, 3, QStringLiteral("Small Icon View"));
    NavPane1->AddMenuItem(QStringLiteral("H10"), QStringLiteral("P3"), QStringLiteral("List"), true,
                          0, 3, QStringLiteral("List View"));
    NavPane1->AddMenuItem(QStringLiteral("H11"), QStringLiteral("P3"), QStringLiteral("Report"),
                          true, 0, 3, QStringLiteral("Report View"));

    if (mCtx.gIsAdmin) {
        NavPane1->AddMenuItem(QStringLiteral("H1"), QStringLiteral("P1"),
                              QStringLiteral("Email Support"), true, 0, 7,
                              QStringLiteral("Email Support"));
        NavPane1->AddMenuItem(QStringLiteral("H2"), QStringLiteral("P1"),
                              QStringLiteral("Submit Bug/Error Report"), true, 0, 13,
                              QStringLiteral("Submit Bug/Error Report"));
        NavPane1->AddMenuGroup(QStringLiteral("P4"), QStringLiteral("Administration"), 1, false, 4);
        NavPane1->AddMenuItem(QStringLiteral("H12"), QStringLiteral("P4"),
                              QStringLiteral("Security"), true, 0, 15, QStringLiteral("Security"));
        NavPane1->AddMenuItem(QStringLiteral("H13"), QStringLiteral("P4"),
                              QStringLiteral("Add/Remove Program"), true, 0, 16,
                              QStringLiteral("Add/Remove Program"));
        NavPane1->AddMenuItem(QStringLiteral("H19"), QStringLiteral("P4"),
                              QStringLiteral("Add/Remove Folder"), true, 0, 17,
                              QStringLiteral("Add/Remove Folder(Menu)"));
        NavPane1->AddMenuItem(QStringLiteral("H14"), QStringLiteral("P4"),
                              QStringLiteral("Configure/Setup"), true, 0, 2,
                              QStringLiteral("Configure Tessaro"));
        NavPane1->AddMenuItem(QStringLiteral("H20"), QStringLiteral("P4"),
                              QStringLiteral("Theme Management"), true, 0, 18,
                              QStringLiteral("Add/Change Application Themes"));
        NavPane1->AddMenuGroup(QStringLiteral("P5"), QStringLiteral("Print Security"), 1, false, 5);
        NavPane1->AddMenuItem(QStringLiteral("H17"), QStringLiteral("P5"),
                              QStringLiteral("Permission By Group"), true, 0, 8,
                              QStringLiteral("Print By Group"));
        NavPane1->AddMenuItem(QStringLiteral("H18"), QStringLiteral("P5"),
                              QStringLiteral("Permission By User"), true, 0, 8,
                              QStringLiteral("Print By User"));
    }
    NavPane1->SetSpeed(100);
}

void frmMain::PlaceWindow() {
    mViewToRestore = mState.view;
    if (mState.geometry.isValid()) {
        resize(mState.geometry.size());
        move(mState.geometry.topLeft());
        ScreenFit::Keep(this);
    } else {
        resize(kDesignedSize);
        ScreenFit::Keep(this, ScreenFit::Placement::CentredOnScreen);
    }
    if (mState.maximized)
        setWindowState(windowState() | Qt::WindowMaximized);
}

void frmMain::SaveState() {
    mState.Write(mCtx.paths.StateFile());
}

void frmMain::ListRebuilt() {
    mSearch->Rebuilt();
    if (mViewToRestore < 0)
        return;
    static const QString keys[] = {QStringLiteral("H8"), QStringLiteral("H9"),
                                   QStringLiteral("H10"), QStringLiteral("H11")};
    NavPane1_ItemClick(keys[std::clamp(mViewToRestore, 0, 3)]);
    mViewToRestore = -1;
}

void frmMain::OpenFirstMatch() {
    const int first = ListView1->ShownItem(1);
    if (first == 0)
        return;
    ListView1->SelectItem(first);
    OpenSelected();
}

void frmMain::ToggleFavourite() {
    const int selected = ListView1->SelectedItem();
    if (selected != 0)
        mSearch->SetFavourite(selected, !mSearch->IsFavourite(selected));
}

void frmMain::SetMenuWindow(const QString& key, std::function<void()> open) {
    mMenuWindows.insert(key, std::move(open));
}

void frmMain::NavPane1_ItemClick(const QString& key) {
    if (key == QLatin1String("H8")) {
        ListView1->SetView(ListView::lvwIcon);
    } else if (key == QLatin1String("H9")) {
        ListView1->SetView(ListView::lvwSmallIcon);
    } else if (key == QLatin1String("H10")) {
        ListView1->SetView(ListView::lvwList);
    } else if (key == QLatin1String("H11")) {
        ShowReportView();
    } else if (kAdministrationKeys.contains(key)) {
        if (!mCtx.gIsAdmin)
            return;
        const auto open = mMenuWindows.constFind(key);
        if (open != mMenuWindows.constEnd() && *open)
            (*open)();
    }
}

void frmMain::ShowReportView() {
    for (int i = 1; i <= ListView1->Count(); ++i) {
        // A failure for one item (a folder entry has no catalogue row) leaves its column as
        // it was and goes on with the next.
        try {
            Recordset rs = mCtx.Catalog().GetProgram(TrimSpaces(ListView1->Text(i)));
            if (rs.RecordCount() > 0) {
                rs.MoveFirst();
                ListView1->SetSubItem(
                    i, 1, GeneralDateText(rs.Fields(QStringLiteral("Program_Added_Date"))));
            }
            rs.Close();
        } catch (const std::exception&) {
        }
    }
    ListView1->SetView(ListView::lvwReport);
}

frmFolderMenu* frmMain::FolderMenu() const {
    return mFolderMenu;
}

frmProperties* frmMain::Properties() const {
    return mProperties;
}

frmFolderMenu& frmMain::LoadFolderMenu() {
    if (!mFolderMenu)
        mFolderMenu = new frmFolderMenu(mCtx, this);
    return *mFolderMenu;
}

void frmMain::ListView1_DblClick() {
    const int selected = ListView1->SelectedItem();
    if (selected == 0)
        return;
    const QString tag = ListView1->Tag(selected);
    if (tag.size() > 0) {
        frmFolderMenu& folder = LoadFolderMenu();
        folder.LoadFolder(ListView1->Text(selected), tag);
        folder.show();
        folder.raise();
        folder.activateWindow();
        mSearch->Used(selected);
        return;
    }
    const QString name = ListView1->Text(selected);
    const QString startIn = mCtx.Catalog().GetProgramStartInDir(name);
    const QString parameters = mCtx.Catalog().GetProgramStartUpParms(name);
    if (modMain::LaunchProgram(mCtx, name, startIn, parameters))
        mSearch->Used(selected);
}

void frmMain::OpenSelected() {
    // Enter and Open do what a double click does: a folder entry opens, a program starts with
    // its stored start-in directory and parameters.
    ListView1_DblClick();
}

void frmMain::ListView1_KeyDown(int key) {
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        OpenSelected();
        break;
    case Qt::Key_Delete:
        // The list belongs to the catalogue; it is changed in the administration windows only.
        break;
    default:
        break;
    }
}

void frmMain::ShowItemMenu(const QPoint& globalPos) {
    const int selected = ListView1->SelectedItem();
    if (selected == 0)
        return;
    const bool program = ListView1->Tag(selected).isEmpty();
    mnuItem->actions().at(1)->setEnabled(program);
    mnuItem->actions().at(2)->setText(mSearch->IsFavourite(selected)
                                          ? QStringLiteral("Remove from Favourites")
                                          : QStringLiteral("Add to Favourites"));
    mnuItem->popup(globalPos);
}

void frmMain::CloseLauncher() {
    close();
}

void frmMain::LaunchSelected() {
    const int selected = ListView1->SelectedItem();
    if (selected == 0)
        return;
    modMain::LaunchProgram(mCtx, ListView1->Text(selected), QString(), QString());
}

void frmMain::ShowSelectedProperties() {
    const int selected = ListView1->SelectedItem();
    if (selected == 0)
        return;
    if (!mProperties || !mProperties->IsLoaded()) {
        mProperties = new frmProperties(mCtx, this);
        connect(mProperties, &frmProperties::Launched, this, [this](const QString& name) {
            for (int i = 1; i <= ListView1->Count(); ++i)
                if (ListView1->Tag(i).isEmpty() && ListView1->Text(i).toUpper() == name.toUpper()) {
                    mSearch->Used(i);
                    return;
                }
        });
    }
    frmProperties& properties = *mProperties;
    properties.SetProgram(ListView1->Text(selected));
    // An invalid name or a program without a catalogue row has closed the window already.
    if (properties.IsLoaded()) {
        properties.show();
        properties.raise();
    }
}

void frmMain::closeEvent(QCloseEvent* event) {
    event->accept();
    Form_Unload();
}

void frmMain::Form_Unload() {
    if (mUnloaded)
        return;
    mUnloaded = true;
    mState.geometry = normalGeometry();
    mState.maximized = isMaximized();
    mState.view = ListView1->View();
    SaveState();
    // Every other window goes with the main window: folder contents, properties, previews.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        QPointer<QWidget> alive(window);
        if (alive && alive != this && alive->isVisible())
            alive->close();
    }
    mCtx.registry.reset();
    mCtx.catalog.reset();
    mCtx.permissions.reset();
    if (EndProgram)
        EndProgram();
}

namespace modMain {

frmMain& MainForm(AppContext& ctx) {
    if (auto* loaded = qobject_cast<frmMain*>(ctx.mainWindow.data()))
        return *loaded;
    auto* form = new frmMain(ctx);
    form->setAttribute(Qt::WA_DeleteOnClose);
    return *form;
}

} // namespace modMain
