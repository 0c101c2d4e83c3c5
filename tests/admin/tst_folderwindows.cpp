#include "AdminFixture.h"
#include "admin/frmAddRemoveFolder.h"
#include "admin/frmFolderDialog.h"
#include "support/DataRow.h"
#include "support/Gallery.h"
#include "widgets/GlyphButton.h"

#include <QDir>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidget>

namespace {

QStringList Children(const QTreeWidgetItem* node) {
    QStringList names;
    for (int i = 0; i < node->childCount(); ++i)
        names.append(node->child(i)->text(0));
    return names;
}

// Double-clicks its way down from the top node to `path`, as a user opens the tree.
QTreeWidgetItem* OpenPath(frmFolderDialog& picker, const QString& path) {
    QTreeWidgetItem* node = picker.ctlFolderList->topLevelItem(0);
    picker.ctlFolderList->setCurrentItem(node);
    picker.ctlFolderList_DblClick();
    for (const QString& part : path.split('/', Qt::SkipEmptyParts)) {
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; i < node->childCount() && !next; ++i)
            if (node->child(i)->text(0) == part)
                next = node->child(i);
        if (!next)
            return nullptr;
        node = next;
        picker.ctlFolderList->setCurrentItem(node);
        picker.ctlFolderList_DblClick();
    }
    return node;
}

QStringList Folders(CatalogStore& store) {
    QStringList rows;
    Recordset rs = store.GetFolders();
    for (long i = 0; i < rs.RecordCount(); ++i, rs.MoveNext())
        rows.append(rs.Fields("Folder_Name").toString() + '=' +
                    rs.Fields("Folder_Path").toString());
    return rows;
}

} // namespace

class tst_folderwindows : public QObject {
    Q_OBJECT

    // A folder tree inside the test's directory: tree/{b, A, Ünï code, "   "}, tree/b/deep and
    // tree/b/<kLongName>.
    const QString kLongName = QString(200, u'x') + "-end";
    QString MakeTree(AdminFixture& f) {
        const QString tree = QDir(f.t.dir.path()).absoluteFilePath("tree");
        for (const QString& dir : QStringList{"b/deep", "b/" + kLongName, "A", "Ünï code", "   "})
            QDir().mkpath(tree + '/' + dir);
        QFile file(tree + "/file.txt");
        file.open(QIODevice::WriteOnly);
        return tree;
    }

private Q_SLOTS:
    void pickerGrowsFromTheRoot() {
        AdminFixture f;
        const QString tree = MakeTree(f);
        frmFolderDialog picker(f.t.ctx);
        QTreeWidget* view = picker.ctlFolderList;
        QCOMPARE(picker.windowTitle(), QStringLiteral("Select A Folder"));
        QCOMPARE(picker.cmdOk->Caption() + picker.cmdCancel->Caption(),
                 QStringLiteral("&Add&Cancel"));
        QCOMPARE(view->topLevelItemCount(), 1);
        QTreeWidgetItem* root = view->topLevelItem(0);
        QCOMPARE(root->text(0), QStringLiteral("/"));
        QCOMPARE(root->childCount(), 0); // nothing read before it is opened
        QCOMPARE(frmFolderDialog::NodePath(root), QStringLiteral("/"));
        picker.show();
        QVERIFY(QTest::qWaitForWindowExposed(&picker));

        QTreeWidgetItem* node = OpenPath(picker, tree);
        QVERIFY(node);
        QCOMPARE(Children(node), (QStringList{"   ", "A", "b", "Ünï code"}));
        QCOMPARE(picker.SelectedFolder(), QStringLiteral("tree"));
        QCOMPARE(picker.SelectedPath(), tree + '/');
        QVERIFY(node->isExpanded());
        node->setExpanded(false);
        // Opened again with the mouse, listed once only. The view reports a double click only
        // on the node the button went down on.
        view->scrollToItem(node);
        const QPoint at = view->visualItemRect(node).center();
        QTest::mousePress(view->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
        QVERIFY(node->isExpanded());
        QCOMPARE(node->childCount(), 4);
        QCOMPARE(picker.SelectedPath(), tree + '/');

        QTreeWidgetItem* b = node->child(2);
        b->setExpanded(true); // opening with the arrow lists the folders too
        QCOMPARE(Children(b), (QStringList{"deep", kLongName}));
        QCOMPARE(frmFolderDialog::NodePath(b->child(0)), tree + "/b/deep/");
        // The column holds the whole long name, and the view scrolls sideways to reach it (it
        // shows its scroll bar on a queued signal from the range change).
        QTRY_VERIFY(view->columnWidth(0) > view->fontMetrics().horizontalAdvance(kLongName));
        QTRY_VERIFY(view->horizontalScrollBar()->isVisible());
        SaveToGallery(&picker, "frmFolderDialog-tree");

        // A folder that can no longer be read adds nothing and says nothing.
        QTreeWidgetItem* a = node->child(1);
        QVERIFY(QDir(tree + "/A").removeRecursively());
        view->setCurrentItem(a);
        picker.ctlFolderList_DblClick();
        QCOMPARE(a->childCount(), 0);
        QVERIFY(f.prompt().transcript.isEmpty());
    }

    void addStoresTheSelectedNode_data() {
        QTest::addColumn<QString>("select"); // below the tree; "-" selects nothing
        AddColumns<bool, QString>("cancel", "message");
        QTest::addColumn<QString>("stored"); // name=path relative to the tree's parent
        AddRow("folder", "Ünï code", false, "Added Folder : Ünï code|Add Folder|Information",
               "Ünï code=tree/Ünï code/");
        AddRow("tree itself", "", false, "Added Folder : tree|Add Folder|Information",
               "tree=tree/");
        AddRow("name of blanks", "   ", false, "Couldn't Add Folder :    |Error|Exclamation", "");
        AddRow("nothing selected", "-", false, "Please select a folder to add|Oops|Exclamation",
               "");
        AddRow("cancelled", "A", true, "", "");
    }
    void addStoresTheSelectedNode() {
        QFETCH(QString, select);
        QFETCH(bool, cancel);
        QFETCH(QString, message);
        QFETCH(QString, stored);
        AdminFixture f;
        const QString tree = MakeTree(f);
        const QString base = QFileInfo(tree).absolutePath() + '/';
        frmAddRemoveFolder entries(f.t.ctx);
        QVERIFY(f.store().AddFolder("Earlier", "/srv/earlier/")); // shown after the next rebuild
        bool accepted = false;
        entries.showModal = [&](QDialog& dialog) {
            auto& picker = dynamic_cast<frmFolderDialog&>(dialog);
            QTreeWidgetItem* node =
                OpenPath(picker, select == "-" || select.isEmpty() ? tree : tree + '/' + select);
            QVERIFY(node);
            if (select == "-")
                picker.ctlFolderList->clearSelection();
            if (cancel) {
                picker.cmdCancel_Click();
                QVERIFY(picker.Cancelled());
                QCOMPARE(picker.SelectedFolder() + picker.SelectedPath(), QString());
            } else {
                picker.cmdOk_Click();
            }
            accepted = picker.result() == QDialog::Accepted;
        };
        entries.cmdAdd_Click();
        QCOMPARE(Messages(f.prompt()), message.isEmpty() ? QStringList() : QStringList{message});
        QStringList expected{"Earlier=/srv/earlier/"};
        if (!stored.isEmpty())
            expected.append(stored.section('=', 0, 0) + '=' + base + stored.section('=', 1));
        QCOMPARE(Folders(f.store()), expected);
        QCOMPARE(accepted, message.startsWith("Added") || message.startsWith("Couldn't"));
        // The picker refilled the entries after an add; the main window is rebuilt after
        // every showing of the picker.
        QCOMPARE(Texts(entries.ListView1).size(), stored.isEmpty() ? 0 : 2);
        QCOMPARE(f.main->ListView1->Count(), expected.size());
        QCOMPARE(f.main->ListView1->Tag(1), QStringLiteral("/srv/earlier/"));
    }

    void entriesListAndDelete_data() {
        AddColumns<bool, QString, QStringList>("goneBefore", "message", "left");
        AddRow("deleted", false, "Folder : Tools. Has been removed|Deleted Folder|Information",
               QStringList{"Docs"});
        AddRow("refused", true, "Cannot Delete Folder : Tools.|Error|Exclamation",
               QStringList{"Tools", "Docs"});
    }
    void entriesListAndDelete() {
        QFETCH(bool, goneBefore);
        QFETCH(QString, message);
        QFETCH(QStringList, left);
        AdminFixture f;
        {
            frmAddRemoveFolder empty(f.t.ctx);
            empty.cmdDelete_Click();
            QVERIFY(f.prompt().transcript.isEmpty());
        }
        QVERIFY(f.store().AddFolder("  Tools ", " /opt/tools/ "));
        QVERIFY(f.store().AddFolder("Docs", "/home/docs/"));
        modMain::RefreshLauncherList(f.t.ctx);
        frmAddRemoveFolder entries(f.t.ctx);
        QCOMPARE(entries.windowTitle(), QStringLiteral("Add/Remove Folder(Menu)"));
        QCOMPARE(entries.cmdAdd->Caption() + entries.cmdDelete->Caption(),
                 QStringLiteral("&Add&Delete"));
        QCOMPARE(Texts(entries.ListView1), (QStringList{"Tools", "Docs"}));
        QCOMPARE(entries.ListView1->ToolTipText(1), QStringLiteral("/opt/tools/"));
        QCOMPARE(entries.ListView1->Icon(2), 1);
        SaveToGallery(&entries, "frmAddRemoveFolder-entries");
        if (goneBefore)
            QVERIFY(f.store().DeleteFolder("Tools"));
        entries.ListView1->SelectItem(1);
        entries.cmdDelete_Click();
        QCOMPARE(Messages(f.prompt()), QStringList{message});
        QCOMPARE(Texts(entries.ListView1), left);
        if (!goneBefore)
            QCOMPARE(Texts(f.main->ListView1), left);
    }
};

QTEST_MAIN(tst_folderwindows)
#include "tst_folderwindows.moc"
