#include "LauncherFixture.h"
#include "launcher/frmFolderMenu.h"
#include "launcher/frmProperties.h"
#include "support/DataRow.h"
#include "widgets/GlyphButton.h"
#include "widgets/ListView.h"

#include <QApplication>
#include <QLabel>
#include <QTest>

using namespace fixture;

namespace {

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

class tst_launcherwindows : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void subfoldersBoldAndFirst() {
        TestContext t;
        const QString root = t.dir.filePath("share");
        for (const char* d : {"share/beta", "share/Alpha"})
            QDir().mkpath(t.dir.filePath(d));
        for (const char* f : {"share/zeta.txt", "share/a.txt", "share/.profile"})
            Touch(t.dir.filePath(f));
        frmFolderMenu window(t.ctx);
        QCOMPARE(window.windowTitle(), QStringLiteral("Folder Menu.."));
        window.LoadFolder("Share", root);
        QCOMPARE(window.windowTitle(), "Viewing Folder : Share (" + root + ")");
        QCOMPARE(
            Entries(*window.ListView1),
            (QStringList{"*Alpha [2] " + root + " (Alpha)", "*beta [2] " + root + " (beta)",
                         ".profile [1] " + root + "/.profile ()", "a.txt [1] " + root + "/a.txt ()",
                         "zeta.txt [1] " + root + "/zeta.txt ()"}));

        // The list is emptied only when the window is loaded: a second folder adds to it.
        QDir().mkpath(t.dir.filePath("other"));
        Touch(t.dir.filePath("other/b.txt"));
        window.LoadFolder("Other", t.dir.filePath("other"));
        QCOMPARE(window.ListView1->Count(), 6);
        QCOMPARE(window.ListView1->Text(6), QStringLiteral("b.txt"));
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

    void joinFolderPath_data() {
        AddColumns<QString, QString, QString>("folder", "name", "path");
        AddRow("root", "/", "usr", "/usr");
        AddRow("plain", "/srv/share", "docs", "/srv/share/docs");
        AddRow("trailing separator", "/srv/share/", "docs", "/srv/share/docs");
    }
    void joinFolderPath() {
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QFETCH(QString, path);
        QCOMPARE(JoinFolderPath(folder, name), path);
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
            QCOMPARE(window->lblProgramName->text(), QStringLiteral("Editor"));
            QCOMPARE(window->lblProgramPath->text(), QStringLiteral("/usr/bin/editor"));
            QVERIFY(!window->lblDateAdded->text().isEmpty());
            QVERIFY(!window->Image1->pixmap().isNull());
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

    void propertiesIcon() {
        TestContext t;
        QImage red(32, 32, QImage::Format_ARGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(t.dir.filePath("red.png")));
        AddProgram(t, "Editor", {}, {}, t.dir.filePath("red.png"));
        frmProperties window(t.ctx);
        window.SetProgram("Editor");
        QCOMPARE(window.Image1->pixmap().toImage().pixelColor(16, 16), QColor(Qt::red));

        // Nothing can be exported and the default icon is unreadable: the window still opens.
        QVERIFY(QDir(t.ctx.paths.PictureDir()).removeRecursively());
        Touch(t.ctx.paths.PictureDir());
        QVERIFY(QFile::remove(t.ctx.paths.DefaultIcon()));
        window.SetProgram("Editor");
        QVERIFY(window.IsLoaded());
        QVERIFY(t.prompt->transcript.isEmpty());
    }
};

QTEST_MAIN(tst_launcherwindows)
#include "tst_launcherwindows.moc"
