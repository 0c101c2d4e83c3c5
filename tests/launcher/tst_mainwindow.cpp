#include "launcher/GeneralDate.h"
#include "launcher/LauncherList.h"
#include "launcher/frmFolderMenu.h"
#include "launcher/frmMain.h"
#include "launcher/frmProperties.h"
#include "support/DataRow.h"
#include "support/Gallery.h"
#include "support/RuleFixture.h"
#include "widgets/GlyphButton.h"
#include "widgets/ImageList.h"
#include "widgets/ListView.h"
#include "widgets/LowColor.h"
#include "widgets/NavPane.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

using namespace fixture;

namespace {

// A window over a catalogue with two programs and a folder entry, for a user who may run both
// programs or for an administrator.
struct MainFixture {
    explicit MainFixture(bool admin) {
        t.directory->AddGroup("Staff", {"tester"});
        SignIn(t, admin);
        AddProgram(t, "Editor", "/home/tester/work", "--new \"my file.txt\"");
        AddProgram(t, "Mail", "", "");
        AddGroupRule(t, "Staff", "Editor", kAllow);
        AddGroupRule(t, "Staff", "Mail", kAllow);
        QDir().mkpath(t.dir.filePath("share/sub"));
        QFile(t.dir.filePath("share/readme.txt")).open(QIODevice::WriteOnly);
        t.ctx.Catalog().AddFolder("Share", t.dir.filePath("share"));
        LoadRules(t);
        form = std::make_unique<frmMain>(t.ctx);
        form->EndProgram = [this] { ++ended; };
        modMain::BuildLauncherList(t.ctx, false);
    }
    ~MainFixture() { form.reset(); }

    // Shows the window and waits until item `index` has its place on the screen.
    QPoint PlaceOf(int index) {
        form->resize(800, 500);
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get()))
            return {};
        QDeadlineTimer deadline(2000);
        while (!form->ListView1->ItemRect(index).isValid() && !deadline.hasExpired())
            QTest::qWait(10);
        return form->ListView1->ItemRect(index).center();
    }

    TestContext t;
    std::unique_ptr<frmMain> form;
    int ended = 0;
};

// The keys of the side menu's groups, then "group/item" of its items.
QStringList MenuKeys(const NavPane& pane) {
    QStringList keys;
    for (const NavPane::Group& g : pane.Groups())
        keys << g.key;
    for (const NavPane::Item& i : pane.Items())
        keys << i.groupKey + '/' + i.key;
    return keys;
}

// A round badge with a letter, as a program's icon.
QString Badge(TestContext& t, const QString& letter, QColor colour) {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(colour);
    p.setPen(colour.darker(140));
    p.drawEllipse(QRectF(2, 2, 28, 28));
    QFont font;
    font.setPixelSize(18);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, 32, 32), Qt::AlignCenter, letter);
    p.end();
    const QString file = t.dir.filePath(letter + ".png");
    return image.save(file) ? file : QString();
}

void Catalogue(TestContext& t) {
    const struct {
        const char* name;
        QColor colour;
    } programs[] = {
        {"Calculator", QColor(0x2f, 0x6f, 0xc4)}, {"Editor", QColor(0x3f, 0xa3, 0x5b)},
        {"Mail", QColor(0xc8, 0x3c, 0x3c)},       {"Spreadsheet", QColor(0x1e, 0x8c, 0x7e)},
        {"Terminal", QColor(0x33, 0x3d, 0x4d)},   {"Web Browser", QColor(0xe8, 0x8b, 0x1c)}};
    for (const auto& p : programs)
        AddProgram(t, p.name, "/home/tester", "",
                   Badge(t, QString(QLatin1Char(p.name[0])), p.colour));
    AddProgram(t, "Legacy Report Tool"); // no icon of its own
    t.directory->AddGroup("Staff", {"tester"});
    for (const char* p : {"Editor", "Mail", "Web Browser", "Legacy Report Tool"})
        AddGroupRule(t, "Staff", p, kAllow);
    QDir().mkpath(t.dir.filePath("Shared Documents/Projects"));
    QDir().mkpath(t.dir.filePath("Shared Documents/Templates"));
    for (const char* f :
         {"Shared Documents/budget.ods", "Shared Documents/notes.txt", "Shared Documents/plan.pdf"})
        QFile(t.dir.filePath(f)).open(QIODevice::WriteOnly);
    t.ctx.Catalog().AddFolder("Shared Documents", t.dir.filePath("Shared Documents"));
    t.ctx.Catalog().AddFolder("Handbooks", "/usr/share/doc");
}

QIcon Solid(QColor colour) {
    QPixmap pixmap(16, 16);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

QStringList Entries(const ListView& list) {
    QStringList lines;
    for (int i = 1; i <= list.Count(); ++i)
        lines << QStringLiteral("%1%2 [%3] %4 (%5)")
                     .arg(list.Bold(i) ? "*" : "", list.Text(i))
                     .arg(list.Icon(i))
                     .arg(list.Tag(i), list.ToolTipText(i));
    return lines;
}

void Touch(const QString& file) {
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
}

QList<frmFolderMenu*> FolderWindows() {
    QList<frmFolderMenu*> windows;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* folder = qobject_cast<frmFolderMenu*>(w); folder && folder->isVisible())
            windows << folder;
    return windows;
}

} // namespace

class tst_mainwindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // The captions are the gallery's (frmMain-user-*, frmMain-admin-*); the order of the
    // administration items is the keyboard walk's (tst_keyboard).
    void sideMenu_data() {
        AddColumns<bool, QStringList>("admin", "expected");
        const QStringList user{"P1",    "P2",    "P3",    "P1/H3",  "P2/H4",
                               "P2/H4", "P3/H8", "P3/H9", "P3/H10", "P3/H11"};
        QStringList admin = user;
        admin.insert(3, "P4");
        admin.insert(4, "P5");
        admin << "P1/H1"
              << "P1/H2"
              << "P4/H12"
              << "P4/H13"
              << "P4/H19"
              << "P4/H14"
              << "P4/H20"
              << "P5/H17"
              << "P5/H18";
        QTest::newRow("user: three groups, seven items") << false << user;
        QTest::newRow("administrator: five groups, sixteen items") << true << admin;
    }
    void sideMenu() {
        QFETCH(bool, admin);
        QFETCH(QStringList, expected);
        MainFixture f(admin);
        QCOMPARE(MenuKeys(*f.form->NavPane1), expected);
        QCOMPARE(f.form->NavPane1->Items().at(1).caption + '|' +
                     f.form->NavPane1->Items().at(2).caption,
                 QStringLiteral("Domain : CORP|User : tester"));
        // Its icon draws, and X11 is not sent sizes no taskbar shows with every new window.
        QVERIFY(!f.form->windowIcon().pixmap(32).isNull());
        QVERIFY(!f.form->windowIcon().availableSizes().contains(QSize(192, 192)));
    }

    void withoutDomainOnALowColourDisplay() {
        TestContext t;
        SignIn(t, false, "");
        t.ctx.gLowColor = true;
        frmMain form(t.ctx);
        QCOMPARE(form.NavPane1->Items().at(1).caption, QStringLiteral("Domain : "));
        QVERIFY(IsLowColorWindow(&form));
    }

    // Only administrators reach the windows of the administration, print and support items.
    void administrationItems_data() {
        AddBoolTable("admin", {{"user", false}, {"administrator", true}});
    }
    void administrationItems() {
        QFETCH(bool, admin);
        MainFixture f(admin);
        const QStringList keys{"H1", "H2", "H12", "H13", "H14", "H17", "H18", "H19", "H20"};
        QStringList opened;
        for (const QString& key : keys)
            f.form->SetMenuWindow(key, [&opened, key] { opened << key; });
        for (const QString& key : keys + QStringList{"H3", "H4", "H99"})
            f.form->NavPane1_ItemClick(key);
        QCOMPARE(opened, admin ? keys : QStringList{});
        QVERIFY(f.t.shell->executed.isEmpty());
    }

    void reportViewShowsDatesOfPrograms() {
        MainFixture f(true);
        f.form->NavPane1_ItemClick("H11");
        for (int i = 1; i <= 2; ++i) {
            Recordset rs = f.t.ctx.Catalog().GetProgram(f.form->ListView1->Text(i));
            const QDateTime added = rs.Fields("Program_Added_Date").toDateTime();
            QVERIFY(added.isValid());
            QCOMPARE(f.form->ListView1->SubItem(i, 1), FormatGeneralDate(added));
        }
        QCOMPARE(f.form->ListView1->SubItem(3, 1), QString()); // the folder entry
    }

    void generalDates_data() {
        AddColumns<QVariant, QString>("field", "text");
        AddRow("date and time", QVariant(QDateTime(QDate(2024, 1, 5), QTime(15, 4, 5))),
               "1/5/2024 3:04:05 PM");
        AddRow("midnight shows the date alone",
               QVariant(QDateTime(QDate(2023, 12, 24), QTime(0, 0))), "12/24/2023");
        QTest::newRow("ISO text") << QVariant(" 2024-02-29T08:30:00 ") << "2/29/2024 8:30:00 AM";
        QTest::newRow("other text") << QVariant("  soon ") << "soon";
        QTest::newRow("null") << QVariant() << "";
    }
    void generalDates() {
        QFETCH(QVariant, field);
        QFETCH(QString, text);
        QCOMPARE(GeneralDateText(field), text);
    }

    // A double click, Enter and the context menu's Open start the program with its stored
    // start-in directory and parameters, or open a folder entry. The list belongs to the
    // catalogue: Delete changes nothing.
    void openingTheSelectedItem_data() {
        AddColumns<QString, int, QString, QString>("how", "item", "startIn", "parameters");
        for (const char* how : {"double click", "Return", "Enter", "Open"}) {
            QTest::addRow("%s, program with settings", how)
                << how << 1 << QStringLiteral("/home/tester/work") << "--new \"my file.txt\"";
            QTest::addRow("%s, program without", how) << how << 2 << QString() << "";
            QTest::addRow("%s, folder entry", how) << how << 3 << QString() << "";
        }
    }
    void openingTheSelectedItem() {
        QFETCH(QString, how);
        QFETCH(int, item);
        QFETCH(QString, startIn);
        QFETCH(QString, parameters);
        MainFixture f(false);
        const QPoint at = f.PlaceOf(item);
        QVERIFY(!at.isNull());
        QAbstractItemView* view = f.form->ListView1->CurrentView();
        if (how != "double click")
            f.form->ListView1->SelectItem(item);
        if (how == "double click") {
            // The first press selects, the second arrives as the double click.
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, at);
        } else if (how == "Open") {
            f.form->mnuItem->actions().at(0)->trigger();
        } else {
            QTest::keyClick(view, how == "Enter" ? Qt::Key_Enter : Qt::Key_Return);
        }
        const bool folder = f.form->ListView1->Tag(item).size() > 0;
        QCOMPARE(bool(f.form->FolderMenu() && f.form->FolderMenu()->isVisible()), folder);
        if (folder)
            QCOMPARE(f.form->FolderMenu()->windowTitle(),
                     "Viewing Folder : Share (" + f.t.dir.filePath("share") + ")");
        QCOMPARE(f.t.shell->executed.size(), folder ? 0 : 1);
        if (!folder) {
            QCOMPARE(f.t.shell->executed.at(0).path,
                     f.t.ctx.Catalog().GetProgramPath(f.form->ListView1->Text(item)));
            QCOMPARE(f.t.shell->executed.at(0).startIn, startIn);
            QCOMPARE(f.t.shell->executed.at(0).parameters, parameters);
        }
        QTest::keyClick(view, Qt::Key_Delete);
        QCOMPARE(f.form->ListView1->Count(), 3);
        QCOMPARE(f.t.ctx.Catalog().GetPrograms().RecordCount(), 2L);
        QCOMPARE(f.t.shell->executed.size(), folder ? 0 : 1);
        QVERIFY(f.t.prompt->transcript.isEmpty());
    }

    void propertiesThenClosingEndsTheProgram() {
        MainFixture f(false);
        f.form->show();
        f.form->ListView1->SelectItem(3);
        f.form->ListView1_DblClick();
        // The context menu's Properties shows the selected program's.
        const QList<QAction*> actions = f.form->mnuItem->actions();
        f.form->ListView1->SelectItem(1);
        actions.at(1)->trigger();
        QPointer<frmFolderMenu> folder = f.form->FolderMenu();
        QPointer<frmProperties> properties = f.form->Properties();
        QVERIFY(folder && folder->isVisible() && properties && properties->isVisible());
        QCOMPARE(properties->lblProgramPath->text(), QStringLiteral("/usr/bin/editor"));
        f.form->CloseLauncher();
        QCOMPARE(f.ended, 1);
        QVERIFY(!f.form->isVisible());
        QVERIFY(!folder || !folder->isVisible());
        QVERIFY(!properties || !properties->isVisible());
        QVERIFY(!f.t.ctx.catalog);
        QVERIFY(!f.t.ctx.registry);
        QVERIFY(!f.t.ctx.permissions);
        QVERIFY(f.t.ctx.directory);
    }

    // The gallery: the main window of a user and of an administrator in each view the side
    // menu picks (its Brindlecove item leaves the view), the properties and the folder
    // contents.
    void gallery_data() { AddBoolTable("admin", {{"user", false}, {"admin", true}}); }
    void gallery() {
        QFETCH(bool, admin);
        TestContext t;
        SignIn(t, admin);
        Catalogue(t);
        QVERIFY(LoadRules(t));
        frmMain form(t.ctx);
        form.EndProgram = [] {};
        QVERIFY(modMain::BuildLauncherList(t.ctx, false));
        QCOMPARE(form.ListView1->Count(), admin ? 9 : 6);
        form.resize(820, 520);
        if (admin)
            form.NavPane1->OpenGroup("P4");
        const QString who = admin ? "admin" : "user";
        const struct {
            const char* key;
            const char* name;
            int view;
        } views[] = {{"H9", "smallicon", ListView::lvwSmallIcon},
                     {"H10", "list", ListView::lvwList},
                     {"H11", "report", ListView::lvwReport},
                     {"H8", "icon", ListView::lvwIcon}};
        for (const auto& [key, name, view] : views) {
            form.NavPane1_ItemClick(key);
            form.NavPane1_ItemClick("H3");
            QCOMPARE(form.ListView1->View(), view);
            form.ListView1->SelectItem(2);
            QVERIFY(
                !SaveToGallery(&form, QStringLiteral("frmMain-%1-%2").arg(who, name)).isEmpty());
        }
        if (admin)
            return;
        frmProperties properties(t.ctx);
        properties.SetProgram("Web Browser");
        QVERIFY(properties.IsLoaded());
        QVERIFY(!SaveToGallery(&properties, "frmProperties").isEmpty());
        frmFolderMenu folder(t.ctx);
        folder.LoadFolder("Shared Documents", t.dir.filePath("Shared Documents"));
        QCOMPARE(folder.ListView1->Count(), 5);
        QVERIFY(!SaveToGallery(&folder, "frmFolderMenu").isEmpty());
    }

    // The side menu's own control, NavPane: a click reports the key of the item under the mouse,
    // one of two items of the same key, in a group that is not the first. The keyboard's click
    // goes the same way (tst_keyboard).
    void paneClickReportsTheItemsKey() {
        ImageList items(QSize(16, 16));
        items.Add(Solid(Qt::red));
        NavPane pane;
        pane.ItemImages = &items;
        pane.SetSpeed(0);
        pane.AddMenuGroup("P1", "One", 0, false, 1);
        pane.AddMenuGroup("P2", "Two", 1, false, 1);
        pane.AddMenuItem("H3", "P1", "First", true, 0, 1, "First item");
        pane.AddMenuItem("H4", "P2", "Second", true, 0, 1, "Second item");
        pane.AddMenuItem("H4", "P2", "Third", true, 0, 1, "Third item");
        pane.SetSpeed(100);
        pane.resize(220, 400);
        pane.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pane));
        pane.OpenGroup("P2");
        QApplication::processEvents();

        QSignalSpy clicks(&pane, &NavPane::ItemClick);
        QListWidget* host = pane.ItemHost(3);
        QVERIFY(host);
        const QPoint at = pane.ItemRect(3).center();
        QListWidgetItem* hit = host->itemAt(at);
        QVERIFY(hit); // the click lands on the item
        QTest::mouseClick(host->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(clicks.size(), 1);
        QCOMPARE(clicks.at(0).at(0).toString(), QStringLiteral("H4"));
        QCOMPARE(hit->toolTip(), QStringLiteral("Third item"));
    }

    // The open group's header is the one stop of the headers in the Tab chain; on it the
    // arrows, Home and End open another group, Enter goes into the items.
    void paneKeyboard_data() {
        QTest::addColumn<QString>("keys"); // from the first group's header
        QTest::addColumn<QString>("open");
        QTest::addColumn<QString>("focus"); // "header" or "items"
        AddRow("Right, Right, Right: stops at the last", "Right Right Right", "P3", "header");
        AddRow("Up at the first", "Up", "P1", "header");
        AddRow("End, then Left", "End Left", "P2", "header");
        AddRow("Down, Home", "Down Home", "P1", "header");
        AddRow("Enter goes into the items", "Down Return", "P2", "items");
    }
    void paneKeyboard() {
        QFETCH(QString, keys);
        QFETCH(QString, open);
        QFETCH(QString, focus);
        NavPane pane;
        for (const char* group : {"P1", "P2", "P3"}) {
            pane.AddMenuGroup(group, QStringLiteral("Group %1").arg(group), 0, false, 0);
            pane.AddMenuItem("H", group, "Item", true, 0, 0, "An item");
        }
        pane.show();
        QVERIFY(QTest::qWaitForWindowActive(&pane));
        pane.GroupHeader("P1")->setFocus(Qt::TabFocusReason);
        for (const QString& key : keys.split(' '))
            QTest::keyClick(QApplication::focusWidget(), QKeySequence::fromString(key)[0].key());
        QCOMPARE(pane.CurrentGroup(), open);
        QCOMPARE(QApplication::focusWidget(), focus == "header"
                                                  ? static_cast<QWidget*>(pane.GroupHeader(open))
                                                  : pane.GroupItems(open));
        for (const char* group : {"P1", "P2", "P3"})
            QCOMPARE(pane.GroupHeader(group)->focusPolicy(),
                     group == open ? Qt::StrongFocus : Qt::NoFocus);
        QCOMPARE(pane.GroupItems(open)->accessibleName(), "Group " + open);
    }

    // The folder contents and properties windows on their own.
    void subfoldersBoldAndFirst() {
        TestContext t;
        const QString root = t.dir.filePath("share");
        for (const char* d : {"share/beta", "share/Alpha"})
            QDir().mkpath(t.dir.filePath(d));
        for (const char* f : {"share/zeta.txt", "share/a.txt", "share/.profile"})
            Touch(t.dir.filePath(f));
        frmFolderMenu window(t.ctx);
        window.LoadFolder("Share", root);
        QCOMPARE(window.windowTitle(), "Viewing Folder : Share (" + root + ")");
        QCOMPARE(
            Entries(*window.ListView1),
            (QStringList{"*Alpha [2] " + root + " (Alpha)", "*beta [2] " + root + " (beta)",
                         ".profile [1] " + root + "/.profile ()", "a.txt [1] " + root + "/a.txt ()",
                         "zeta.txt [1] " + root + "/zeta.txt ()"}));
    }

    void invalidFolders_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("vanished") << "gone";
        QTest::newRow("a file") << "file.txt";
        QTest::newRow("empty") << "";
    }
    void invalidFolders() {
        QFETCH(QString, path);
        TestContext t;
        QDir().mkpath(t.dir.filePath("empty"));
        Touch(t.dir.filePath("file.txt"));
        frmFolderMenu window(t.ctx);
        window.LoadFolder("Empty", t.dir.filePath("empty"));
        QCOMPARE(window.ListView1->Count(), 0);
        QVERIFY(t.prompt->transcript.isEmpty());
        const QString full = path.isEmpty() ? QString() : t.dir.filePath(path);
        window.LoadFolder("Lost", full);
        QCOMPARE(window.windowTitle(), "Viewing Folder : Lost (" + full + ")");
        QCOMPARE(Messages(*t.prompt), QStringList{"Invalid Folder!!!|Error|Critical"});
    }

    void doubleClicks() {
        TestContext t;
        const QString root = t.dir.filePath("share");
        QDir().mkpath(root + "/sub/deeper");
        Touch(root + "/sub/inner.txt");
        Touch(root + "/top.txt");
        auto* window = new frmFolderMenu(t.ctx);
        window->show();
        window->LoadFolder("Share", root);

        window->ListView1->SelectItem(2); // top.txt
        window->ListView1_DblClick();
        QCOMPARE(t.shell->opened, QStringList{root + "/top.txt"});
        QCOMPARE(FolderWindows().size(), 1);

        window->ListView1->SelectItem(1); // sub
        window->ListView1_DblClick();
        const QList<frmFolderMenu*> windows = FolderWindows();
        QCOMPARE(windows.size(), 2);
        frmFolderMenu* sub = windows.at(0) == window ? windows.at(1) : windows.at(0);
        QCOMPARE(sub->windowTitle(), "Viewing Folder : sub (" + root + "/sub)");
        QCOMPARE(sub->ListView1->Count(), 2);
        QVERIFY(sub->ListView1->Bold(1));
        QCOMPARE(window->ListView1->Count(), 2);

        // Each window lives until it is closed; closing the first leaves the second.
        QPointer<frmFolderMenu> first(window);
        window->close();
        QTRY_VERIFY(!first);
        QVERIFY(sub->isVisible());
        sub->close();
    }

    void properties_data() {
        AddColumns<QString, QString>("name", "message");
        AddRow("spaces only", "   ", "Invalid Program Name|Error|Information");
        AddRow("unknown", " Ghost ",
               "No Properties Found For : Ghost|Closing Property Window|Critical");
        AddRow("known, with spaces", "  Editor  ", "");
    }
    void properties() {
        QFETCH(QString, name);
        QFETCH(QString, message);
        TestContext t;
        AddProgram(t, "Editor", "/work", "-x");
        QPointer<frmProperties> window = new frmProperties(t.ctx);
        window->SetProgram(name);
        if (message.isEmpty()) {
            QVERIFY(t.prompt->transcript.isEmpty());
            QVERIFY(window->IsLoaded());
            QCOMPARE(window->windowTitle(), QStringLiteral("Showing Properties For : Editor"));
            QCOMPARE(window->Program(), QStringLiteral("Editor"));
            QCOMPARE(window->lblProgramPath->text(), QStringLiteral("/usr/bin/editor"));
            // Launch starts the program without its stored settings and closes the window.
            window->show();
            QTest::mouseClick(window->cmdLaunch, Qt::LeftButton);
            QCOMPARE(t.shell->executed.size(), 1);
            QCOMPARE(t.shell->executed.at(0).path, QStringLiteral("/usr/bin/editor"));
            QCOMPARE(t.shell->executed.at(0).startIn + t.shell->executed.at(0).parameters,
                     QString());
            QTRY_VERIFY(!window);
            return;
        }
        QCOMPARE(Messages(*t.prompt), QStringList{message});
        QVERIFY(!window || !window->IsLoaded());
        QTRY_VERIFY(!window);
    }
};

QTEST_MAIN(tst_mainwindow)
#include "tst_mainwindow.moc"
