// The resource viewer window and its facade, driven through their handlers on the fixtures:
// what the tree and the preview show, what Select writes to temp.bmp, the messages, the wait
// window, and the modal run through ShowResources.

#include "CraftedPe.h"
#include "ResourceFixtures.h"
#include "resources/PictureBox.h"
#include "resources/ResourceTree.h"
#include "resources/clsQueryStatus.h"
#include "resources/clsResourceViewer.h"
#include "resources/frmViewer.h"
#include "resources/mGlobal.h"
#include "resources/mMain.h"
#include "support/DataRow.h"
#include "support/Gallery.h"
#include "support/TestContext.h"
#include "support/TestFiles.h"
#include "widgets/GlyphButton.h"
#include "widgets/LowColor.h"
#include "widgets/ProgressBar.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QTimer>

using namespace CraftedPe;
using namespace Qt::StringLiterals;

namespace {

QTreeWidgetItem* IconType(frmViewer& viewer) {
    return viewer.TreeView1->FirstNode()->child(0);
}

// The icon node with this text, after expanding the icon type through the window.
QTreeWidgetItem* IconNode(frmViewer& viewer, const QString& text) {
    QTreeWidgetItem* type = IconType(viewer);
    type->setExpanded(true);
    for (int i = 0; i < type->childCount(); ++i)
        if (type->child(i)->text(0) == text)
            return type->child(i);
    return nullptr;
}

} // namespace

class tst_resourceviewer : public QObject {
    Q_OBJECT

    std::unique_ptr<TestContext> mTest;
    QString Fixture(const QString& name) const { return kFixtures + "/" + name; }
    // Fills `viewer` from `path` (icons.exe when empty), shows it and clicks the icon `node`.
    bool Open(frmViewer& viewer, const QString& node = {}, const QString& path = {}) {
        viewer.CreateMe(path.isEmpty() ? Fixture("icons.exe") : path);
        viewer.show();
        QTreeWidgetItem* icon = node.isEmpty() ? nullptr : IconNode(viewer, node);
        if (icon)
            viewer.TreeView1_NodeClick(icon);
        return node.isEmpty() || icon;
    }

private slots:
    void init() {
        if (kFixtures.isEmpty())
            QFAIL(kNoFixtures);
        mTest = std::make_unique<TestContext>();
        mGlobal::gResType.clear();
        mGlobal::gResName.clear();
    }

    void cleanup() {
        mTest.reset();
        // Every window freed the executable it loaded.
        QCOMPARE(PeModule::LoadedModuleCount(), 0);
    }

    void opensWithTheWaitWindowOnlyWhileFilling_data() {
        AddBoolTable("lowColour", {{"full colour", false}, {"low colour", true}});
    }
    void opensWithTheWaitWindowOnlyWhileFilling() {
        QFETCH(bool, lowColour);
        mTest->ctx.gLowColor = lowColour;
        frmViewer viewer(mTest->ctx);
        QCOMPARE(IsLowColorWindow(&viewer), lowColour);
        QCOMPARE(viewer.windowTitle(), u"Resource Viewer..."_s);
        bool waitShownWhileFilling = false;
        connect(viewer.TreeView1->model(), &QAbstractItemModel::rowsInserted, this, [&] {
            const frmWait* wait = mGlobal::gQueryStatus(mTest->ctx).WaitWindow();
            waitShownWhileFilling = wait && wait->isVisible() && wait->prgbar->value() == 1 &&
                                    wait->prgbar->maximum() == 2 &&
                                    IsLowColorWindow(wait) == lowColour;
            if (waitShownWhileFilling && !lowColour)
                SaveToGallery(const_cast<frmWait*>(wait), u"frmWait-reading"_s);
        });
        viewer.CreateMe("  " + Fixture("icons.exe") + "  ");
        QVERIFY(waitShownWhileFilling);
        QVERIFY(!mGlobal::gQueryStatus(mTest->ctx).WaitWindow());
        QVERIFY(!viewer.isVisible());
        // The trimmed path is the program node's key and text.
        QTreeWidgetItem* root = viewer.TreeView1->FirstNode();
        QCOMPARE(root->text(0), Fixture("icons.exe"));
        QCOMPARE(ResourceTree::Key(root), Fixture("icons.exe"));
    }

    void expandingTwiceReadsNamesOnce() {
        frmViewer viewer(mTest->ctx);
        viewer.CreateMe(Fixture("icons.exe"));
        QTreeWidgetItem* type = IconType(viewer);
        type->setExpanded(true); // through the tree's signal, as a click on the button does
        QCOMPARE(type->childCount(), 12);
        QCOMPARE(type->child(0)->text(0), Fixture::kUnicodeIconName);
        type->setExpanded(false);
        type->setExpanded(true);
        viewer.TreeView1_Expand(type);
        QCOMPARE(type->childCount(), 12);
    }

    void clickingAnIconPreviewsIt_data() {
        AddColumns<QString, QString, QString>("node", "name", "syze");
        AddRow("32 px", "2", "#2", "Syze: 32 x 32");
        AddRow("named", "NAMEDICON", "NAMEDICON", "Syze: 24 x 24");
    }
    void clickingAnIconPreviewsIt() {
        QFETCH(QString, node);
        QFETCH(QString, name);
        QFETCH(QString, syze);
        frmViewer viewer(mTest->ctx);
        QVERIFY(Open(viewer, node));
        QCOMPARE(mGlobal::gResType, u"3"_s);
        QCOMPARE(mGlobal::gResName, name);
        QCOMPARE(viewer.Picture2->PrintedLines(),
                 QStringList({"Image info:", "", "Type: Icon/cursor (*.ico/*.cur)", syze}));
        QCOMPARE(viewer.cursor().shape(), Qt::ArrowCursor);
        // Collapsing the icons clears the preview.
        const QImage shown = viewer.Picture2->Image();
        IconType(viewer)->setExpanded(false);
        QVERIFY(viewer.Picture2->PrintedLines().isEmpty());
        QVERIFY(viewer.Picture2->Image() != shown);
        QCOMPARE(viewer.Picture2->Image().pixel(viewer.Picture2->Image().rect().center()),
                 qRgb(255, 255, 255));
    }

    // Select writes the icon over an earlier pick as a bitmap, Close leaves the earlier pick;
    // a pick that cannot be written (a folder in its place) is told once the window closed.
    void selectOrClose_data() {
        AddColumns<bool, QString, bool>("select", "node", "writable");
        AddRow("Select", true, "2", true);
        AddRow("Close", false, "2", true);
        AddRow("Select onto a folder", true, "2", false);
    }
    void selectOrClose() {
        QFETCH(bool, select);
        QFETCH(QString, node);
        QFETCH(bool, writable);
        const QString path = mTest->ctx.paths.TempPicture();
        QVERIFY(writable ? WriteFile(path, "an earlier pick") : QDir().mkpath(path));
        frmViewer viewer(mTest->ctx);
        QVERIFY(Open(viewer, node));
        const auto module = mMain::hResModule;
        select ? viewer.cmdOk_Click() : viewer.cmdCancel_Click();
        QCOMPARE(Messages(*mTest->prompt, true),
                 writable ? QStringList() : QStringList{"Unable to save resource|Error|Critical"});
        QCOMPARE(viewer.Selected(), select && writable);
        QVERIFY(!viewer.isVisible());
        QVERIFY(!PeModule::ModuleImage(module)); // released when the window unloaded
        if (!writable) {
            QVERIFY(QFileInfo(path).isDir());
            return;
        }
        if (!select) {
            QCOMPARE(ReadAll(path), QByteArray("an earlier pick"));
            return;
        }
        QVERIFY(path.startsWith(mTest->ctx.paths.PictureDir()));
        QVERIFY(ReadAll(path).startsWith("BM"));
        const QImage saved(path, "BMP");
        QCOMPARE(saved.size(), QSize(32, 32));
        QCOMPARE(saved.pixel(31, 31), Fixture::kAppIcon.at(1).color);
        // The transparent pixel takes the preview's white background.
        QCOMPARE(saved.pixel(0, 0), qRgb(255, 255, 255));
    }

    // Select without a picture to save says why, and leaves the window open and an earlier
    // pick as it was: no resource chosen (the program's or the icons' node clicked after an
    // icon), or an icon that is no picture. Each reason the module gives is checked in
    // tst_resourcemodules; here the window shows one and adds its own words.
    void selectIsRefused_data() {
        QTest::addColumn<QString>("node"); // "": the program's node, "type": the icons' node
        QTest::addColumn<QString>("problem");
        AddRow("program node", "", "");
        AddRow("icon type node", "type", "");
        AddRow("garbage bytes", "301",
               "The icon 301 holds no picture that can be shown: its data is damaged or in a "
               "format that is not supported.");
    }
    void selectIsRefused() {
        QFETCH(QString, node);
        QFETCH(QString, problem);
        const QString picked = mTest->ctx.paths.TempPicture();
        QVERIFY(WriteFile(picked, "an earlier pick"));
        frmViewer viewer(mTest->ctx);
        const bool resource = node != "" && node != "type";
        QVERIFY(Open(viewer, resource ? node : u"2"_s));
        if (!resource) { // the earlier selection is forgotten
            viewer.TreeView1_NodeClick(node.isEmpty() ? viewer.TreeView1->FirstNode()
                                                      : IconType(viewer));
            QCOMPARE(mGlobal::gResType, node.isEmpty() ? QString() : u"3"_s);
            QCOMPARE(mGlobal::gResName, QString());
        }
        // The preview says why, in lines that fit the box.
        QCOMPARE(viewer.Picture2->PrintedLines().join(u' '), problem);
        for (const QString& line : viewer.Picture2->PrintedLines())
            QVERIFY(viewer.Picture2->fontMetrics().horizontalAdvance(line) <=
                        viewer.Picture2->contentsRect().width() ||
                    !line.contains(u' '));
        viewer.cmdOk_Click();
        const QString message = resource ? problem + " Nothing was saved; choose another one."
                                         : "No resource selected!";
        QCOMPARE(Messages(*mTest->prompt, true), QStringList{message + "|Error|Critical"});
        QCOMPARE(mTest->prompt->transcript.first().buttons, PromptButtons::Ok);
        // Nothing written, and the window stays open for another choice, its executable loaded.
        QCOMPARE(ReadAll(picked), QByteArray("an earlier pick"));
        QVERIFY(viewer.isVisible());
        QVERIFY(!viewer.Selected());
        QVERIFY(mMain::hResModule != 0 && PeModule::ModuleImage(mMain::hResModule));
    }

    void showResourcesReportsTheOutcome() {
        clsResourceViewer resources(mTest->ctx);
        resources.SetProgramName("  Notepad  ");
        resources.SetIconPath("  /opt/notepad.ico ");
        QCOMPARE(mGlobal::gProgramName, u"Notepad"_s);
        QCOMPARE(mGlobal::gIconPath, u"/opt/notepad.ico"_s);
        QVERIFY(!resources.ResourceShowing());
        // Twice in a row, selecting and closing: each run frees the module it loaded.
        for (const bool select : {true, false, true}) {
            bool showing = false;
            bool waitGone = false;
            // Acts once the viewer runs modally (the wait window lets events through earlier).
            QTimer poll;
            poll.setInterval(5);
            connect(&poll, &QTimer::timeout, this, [&] {
                frmViewer* viewer = resources.Viewer();
                if (!viewer || QApplication::activeModalWidget() != viewer)
                    return;
                poll.stop();
                showing = resources.ResourceShowing() && viewer->isModal();
                waitGone = !mGlobal::gQueryStatus(mTest->ctx).WaitWindow();
                viewer->TreeView1_NodeClick(IconNode(*viewer, select ? "3" : "1"));
                (select ? viewer->cmdOk : viewer->cmdCancel)->click();
            });
            poll.start();
            QFile::remove(mTest->ctx.paths.TempPicture());
            QCOMPARE(resources.ShowResources(Fixture("icons.exe")), select);
            QVERIFY(showing);
            QVERIFY(waitGone);
            QVERIFY(!resources.ResourceShowing());
            QVERIFY(!resources.Viewer());
            QCOMPARE(PeModule::LoadedModuleCount(), 0);
            QCOMPARE(QFile::exists(mTest->ctx.paths.TempPicture()), select);
            if (select)
                QCOMPARE(QImage(mTest->ctx.paths.TempPicture()).size(), QSize(48, 48));
        }
    }

    void gallery() {
        frmViewer viewer(mTest->ctx);
        viewer.CreateMe(Fixture("icons.exe"));
        viewer.resize(720, 460);
        viewer.show();
        QTreeWidgetItem* icon = IconNode(viewer, "3");
        viewer.TreeView1->setCurrentItem(icon);
        viewer.TreeView1_NodeClick(icon);
        QVERIFY(!SaveToGallery(&viewer, "frmViewer-icon-selected").isEmpty());
    }
};

QTEST_MAIN(tst_resourceviewer)
#include "tst_resourceviewer.moc"
