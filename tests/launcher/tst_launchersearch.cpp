#include "launcher/LauncherFilter.h"
#include "launcher/LauncherList.h"
#include "launcher/LauncherSearch.h"
#include "launcher/LauncherSearchBar.h"
#include "launcher/UserState.h"
#include "launcher/frmMain.h"
#include "platform/FileTrust.h"
#include "support/DataRow.h"
#include "support/Gallery.h"
#include "support/RuleFixture.h"
#include "widgets/ListView.h"
#include "widgets/ListViewCells.h"
#include "widgets/PlainText.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

using namespace fixture;

namespace {

// A user of the group Staff, which may run every program below; the folder entry Share.
struct SearchFixture {
    SearchFixture() {
        t.directory->AddGroup("Staff", {"tester"});
        SignIn(t);
        const struct {
            const char* name;
            const char* description;
        } programs[] = {{"Résumé Builder", "Write CVs"},
                        {"Editor", "Edits plain text"},
                        {"Mail", "Reads your e-mail"},
                        {"Legacy Business Application Suite", "The <b>old</b> ledger"},
                        {"Legacy Business Accounts", "Invoices"}};
        for (const auto& p : programs) {
            QVERIFY(t.ctx.Catalog().AddProgram(p.name, p.description, "/usr/bin/x", {},
                                               "/home/tester", "--from-launcher"));
            AddGroupRule(t, "Staff", p.name, kAllow);
        }
        QVERIFY(QDir().mkpath(t.dir.filePath("share")));
        t.ctx.Catalog().AddFolder("Share", t.dir.filePath("share"));
        Open();
    }
    ~SearchFixture() { form.reset(); }

    // A new main window for the same user, as at the next start.
    void Open() {
        form.reset();
        t.ctx.permissions = std::make_unique<PermissionSet>();
        QVERIFY(LoadRules(t));
        form = std::make_unique<frmMain>(t.ctx);
        form->EndProgram = [] {};
        QVERIFY(modMain::BuildLauncherList(t.ctx, false));
    }

    QStringList Shown() const {
        QStringList names;
        for (int i = 1; i <= form->ListView1->ShownCount(); ++i)
            names << form->ListView1->Text(form->ListView1->ShownItem(i));
        return names;
    }
    int ItemNamed(const QString& name) const {
        for (int i = 1; i <= form->ListView1->Count(); ++i)
            if (form->ListView1->Text(i) == name)
                return i;
        return 0;
    }
    void Find(const QString& text) { form->searchBar->txtFind->setText(text); }
    void Show(LauncherFilter::Scope scope) { form->searchBar->SetScope(scope); }
    // Starts a program or folder as a double click does.
    void Start(const QString& name) {
        form->ListView1->SelectItem(ItemNamed(name));
        form->ListView1_DblClick();
    }
    QByteArray StateFile() const {
        QFile file(t.ctx.paths.StateFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    TestContext t;
    std::unique_ptr<frmMain> form;
};

// The user's list, in the order of his rules, then the folder entry.
const QStringList kAll{
    "Résumé Builder",           "Editor", "Mail", "Legacy Business Application Suite",
    "Legacy Business Accounts", "Share"};

} // namespace

class tst_launchersearch : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void folding_data() {
        AddColumns<QString, QString>("text", "folded");
        AddRow("ligature and full-width letters", "ﬁle ＡＢＣ", "file abc");
        AddRow("Greek and Cyrillic case", "ΣΟΦΙΑ Дом", "σοφια дом");
    }
    void folding() {
        QFETCH(QString, text);
        QFETCH(QString, folded);
        QCOMPARE(LauncherFilter::Fold(text), folded);
    }

    // The Find box narrows the list by name and description in every view, whatever the
    // letter case and accents; a search selects its first match.
    void findNarrowsTheList_data() {
        AddColumns<QString, QStringList>("text", "shown");
        QTest::newRow("blanks alone: everything") << "   " << kAll;
        QTest::newRow("accents typed, other case") << "RÉSUMÉ" << QStringList{"Résumé Builder"};
        QTest::newRow("description") << "cvs" << QStringList{"Résumé Builder"};
        AddRow("markup in a description is text", "<b>old",
               QStringList{"Legacy Business Application Suite"});
        AddRow("words in name and description", "legacy ledger",
               QStringList{"Legacy Business Application Suite"});
        AddRow("words of one prefix", "legacy b",
               QStringList{"Legacy Business Application Suite", "Legacy Business Accounts"});
        QTest::newRow("folder entry by path") << "/share" << QStringList{"Share"};
        QTest::newRow("nothing") << "zzz" << QStringList{};
    }
    void findNarrowsTheList() {
        QFETCH(QString, text);
        QFETCH(QStringList, shown);
        SearchFixture f;
        for (const char* key : {"H8", "H9", "H10", "H11"}) {
            f.form->NavPane1_ItemClick(key);
            f.Find(text);
            QCOMPARE(f.Shown(), shown);
            const int selected = f.form->ListView1->SelectedItem();
            if (!text.trimmed().isEmpty())
                QCOMPARE(selected ? f.form->ListView1->Text(selected) : QString(), shown.value(0));
            f.Find("");
            QCOMPARE(f.Shown(), kAll);
        }
    }

    // Typing in the list starts the search, Enter starts the first match with its stored
    // parameters, Escape empties the box, Ctrl+F comes back to it; a rebuild keeps it.
    void findByKeyboard() {
        SearchFixture f;
        f.form->show();
        QApplication::setActiveWindow(f.form.get());
        QAbstractItemView* list = f.form->ListView1->CurrentView();
        list->setFocus();
        QTest::keyClicks(QApplication::focusWidget(), "cv");
        QCOMPARE(f.form->searchBar->txtFind->text(), QStringLiteral("cv"));
        QCOMPARE(QApplication::focusWidget(), f.form->searchBar->txtFind);
        QVERIFY(modMain::RefreshLauncherList(f.t.ctx));
        QCOMPARE(f.Shown(), QStringList{"Résumé Builder"});
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(f.t.shell->executed.size(), 1);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QCOMPARE(f.Shown(), kAll);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QCOMPARE(QApplication::focusWidget(), list);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), f.form->searchBar->txtFind);
        QTest::keyClicks(QApplication::focusWidget(), "zzz");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
        QCOMPARE(f.t.shell->executed.size(), 1);
        QVERIFY(f.t.prompt->transcript.isEmpty());
    }

    // Favourites and recently used programs are the user's, kept in his state file.
    void favouritesAndRecent() {
        SearchFixture f;
        QMenu* menu = f.form->mnuItem;
        QAction* favourite = menu->findChild<QAction*>("mnuFavourite");
        QVERIFY(favourite);
        for (const char* name : {"Mail", "Editor", "Share"}) {
            f.form->ListView1->SelectItem(f.ItemNamed(name));
            favourite->trigger();
        }
        f.form->ListView1->SelectItem(f.ItemNamed("Share"));
        favourite->trigger(); // again: no longer a favourite
        f.Show(LauncherFilter::Favourites);
        QCOMPARE(f.Shown(), (QStringList{"Editor", "Mail"}));
        QCOMPARE(Messages(*f.t.prompt), QStringList{});
        f.Find("ED");
        QCOMPARE(f.Shown(), QStringList{"Editor"});
        f.Find("");
        QVERIFY(f.StateFile().contains("favourite=program:MAIL\nfavourite=program:EDITOR\n"));
        f.Show(LauncherFilter::AllItems);

        for (const char* name : {"Mail", "Share", "Editor", "Mail"})
            f.Start(name);
        f.Show(LauncherFilter::Recent);
        QCOMPARE(Messages(*f.t.prompt), QStringList{});
        QCOMPARE(f.Shown(), (QStringList{"Mail", "Editor", "Share"}));
    }

    // The state file names items; it cannot add one, nor keep one the rules now refuse.
    void stateFileGrantsNothing_data() {
        AddColumns<QByteArray, QStringList, QStringList>("file", "favourites", "recent");
        AddRow("a program not in the catalogue and one denied",
               QByteArray("favourite=program:SECRET\nfavourite=program:MAIL\n"
                          "favourite=program:LEGACY BUSINESS ACCOUNTS\nrecent=program:SECRET\n"
                          "recent=program:LEGACY BUSINESS ACCOUNTS\nrecent=folder:Nowhere\n"),
               QStringList{"Mail"}, QStringList{});
        AddRow("names in any letter case are one program",
               QByteArray("favourite=program:mail\nrecent=program:EDITOR\nrecent=program:editor\n"),
               QStringList{}, QStringList{"Editor"});
        AddRow("quoted values with escapes",
               QByteArray("favourite=\"program:R\\xc9SUM\\xc9 BUILDER\"\n"),
               QStringList{"Résumé Builder"}, QStringList{});
        AddRow("too large: ignored whole",
               QByteArray("favourite=program:MAIL\n") + QByteArray(70 * 1024, '#'), QStringList{},
               QStringList{});
    }
    void stateFileGrantsNothing() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, favourites);
        QFETCH(QStringList, recent);
        SearchFixture f;
        QVERIFY(QDir().mkpath(QFileInfo(f.t.ctx.paths.StateFile()).path()));
        QFile out(f.t.ctx.paths.StateFile());
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(file) == file.size());
        out.close();
        AddUserRule(f.t, "Legacy Business Accounts", kDeny);
        f.Open();
        f.Show(LauncherFilter::Favourites);
        QCOMPARE(f.Shown(), favourites);
        f.Show(LauncherFilter::Recent);
        QCOMPARE(f.Shown(), recent);
    }

    // Written whole, by its owner only, and read back as written.
    void stateFileRoundTrip() {
        UserState state;
        state.maximized = true;
        state.SetFavourite("program:A=B", true);
        state.SetFavourite("folder:Line\nbreak \"quoted\"", true);
        for (int i = 0; i < 12; ++i)
            state.Used(QStringLiteral("program:P%1").arg(i));
        state.Used("program:P5");
        QTemporaryDir dir;
        const QString file = dir.filePath("config/tessaro-orvane/state.ini");
        QVERIFY(state.Write(file));
        QCOMPARE(QFile::permissions(file) & 0x0FFF, QFile::ReadUser | QFile::WriteUser);
        const UserState read = UserState::Read(file);
        QCOMPARE(read.favourites, state.favourites);
        QCOMPARE(read.recent.size(), UserState::kRecentKept);
        QCOMPARE(read.recent.first(), QStringLiteral("program:P5"));
        QCOMPARE(read.recent, state.recent);
        QVERIFY(read.maximized);
    }

    // The window comes back where, as large and in the view the user left it.
    void windowRemembered() {
        SearchFixture f;
        f.form->NavPane1_ItemClick("H10");
        f.form->show();
        f.form->setGeometry(40, 60, 700, 420);
        f.form->CloseLauncher();
        const UserState state = UserState::Read(f.t.ctx.paths.StateFile());
        QCOMPARE(state.view, int(ListView::lvwList));
        QCOMPARE(state.geometry.size(), QSize(700, 420));
        f.t.ctx.catalog.reset(); // the close released it
        f.t.ctx.Catalog().OpenDatabase(f.t.ctx.paths.DatabaseFile());
        f.t.ctx.registry =
            std::make_unique<RegistryStore>(f.t.dir.filePath("system.ini"), EffectiveUid());
        f.t.ctx.permissions = std::make_unique<PermissionSet>();
        f.Open();
        QCOMPARE(f.form->ListView1->View(), int(ListView::lvwList));
        QCOMPARE(f.form->size(), QSize(700, 420));
        QCOMPARE(f.form->pos(), state.geometry.topLeft());
    }

    // Every view shows a program's name and description as a plain-text tooltip; a screen
    // reader reads the description.
    void tooltips() {
        SearchFixture f;
        const int item = f.ItemNamed("Legacy Business Application Suite");
        const QString tip = PlainToolTip(
            QStringLiteral("Legacy Business Application Suite\nThe <b>old</b> ledger"));
        for (const char* key : {"H8", "H9", "H10", "H11"}) {
            f.form->NavPane1_ItemClick(key);
            QAbstractItemView* view = f.form->ListView1->CurrentView();
            const QModelIndex index = view->model()->index(item - 1, 0);
            QCOMPARE(index.data(Qt::ToolTipRole).toString(), tip);
            QCOMPARE(index.data(Qt::AccessibleDescriptionRole).toString(),
                     QStringLiteral("The <b>old</b> ledger"));
        }
        const QModelIndex share = f.form->ListView1->CurrentView()->model()->index(5, 0);
        QCOMPARE(share.data(Qt::ToolTipRole).toString(),
                 PlainToolTip("Share\n" + f.t.dir.filePath("share")));
    }

    void iconViewNames_data() {
        AddColumns<QString, int, bool>("name", "lines", "elided");
        QTest::newRow("short") << "Mail" << 1 << false;
        QTest::newRow("two words wrap") << "Legacy Business" << 2 << false;
        AddRow("long: two lines, then elided", "Legacy Business Application Suite Enterprise", 2,
               true);
        QTest::newRow("one long word breaks anywhere") << "Supercalifragilistic" << 2 << false;
    }
    void iconViewNames() {
        QFETCH(QString, name);
        QFETCH(int, lines);
        QFETCH(bool, elided);
        QFont font;
        font.setPixelSize(12);
        const QStringList wrapped = ListViewCells::WrappedLines(name, font, 90);
        QCOMPARE(wrapped.size(), lines);
        QCOMPARE(wrapped.last().endsWith(QChar(0x2026)), elided);
        if (!elided)
            QCOMPARE(wrapped.join("").remove(' '), QString(name).remove(' '));
        for (const QString& line : wrapped)
            QVERIFY(QFontMetrics(font).horizontalAdvance(line) <= 90);
    }

    // The gallery: a search, the favourites tab and a long name's tooltip text.
    void gallery() {
        SearchFixture f;
        f.form->resize(780, 400);
        f.Find("legacy");
        QVERIFY(!SaveToGallery(f.form.get(), "frmMain-search").isEmpty());
        f.Find("");
        f.form->ListView1->SelectItem(f.ItemNamed("Mail"));
        f.form->ToggleFavourite();
        f.Show(LauncherFilter::Favourites);
        QVERIFY(!SaveToGallery(f.form.get(), "frmMain-favourites").isEmpty());
    }
};

QTEST_MAIN(tst_launchersearch)
#include "tst_launchersearch.moc"
