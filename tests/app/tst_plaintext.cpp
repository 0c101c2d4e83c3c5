#include "launcher/LauncherList.h"
#include "launcher/frmFolderMenu.h"
#include "launcher/frmMain.h"
#include "launcher/frmProperties.h"
#include "platform/Prompt.h"
#include "support/DataRow.h"
#include "support/Gallery.h"
#include "support/TestContext.h"
#include "widgets/ListView.h"
#include "widgets/QtPrompt.h"

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <sys/inotify.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

// Names that look like markup are shown as they are. Rendered as rich text, the name below
// would make Qt open the picture it names (with /dev/zero, fill the memory; with a FIFO, hang
// the window): the test watches that picture and fails on any opening of it.
class tst_plaintext : public QObject {
    Q_OBJECT

    QTemporaryDir mDir;
    int mWatch = -1;
    const QString kName = u"<img src=probe.png><b>x</b>"_s;

    // The windows' every label that holds the name shows it literally, and nothing opened the
    // picture.
    void CheckShownLiterally(QWidget* window, const QString& what) {
        window->show();
        QApplication::processEvents();
        window->grab(); // paints every label
        bool shown = false;
        for (const QLabel* label : window->findChildren<QLabel*>()) {
            if (!label->text().contains(kName))
                continue;
            shown = true;
            QVERIFY2(label->textFormat() == Qt::PlainText, qPrintable(what));
        }
        QVERIFY2(shown, qPrintable(what + u": the name is not shown in a label"_s));
        char events[4096];
        QVERIFY2(read(mWatch, events, sizeof events) < 0,
                 qPrintable(what + u": the picture named in the name was opened"_s));
    }

private Q_SLOTS:
    void initTestCase() {
        QImage(8, 8, QImage::Format_RGB32).save(mDir.filePath("probe.png"));
        QVERIFY(QDir::setCurrent(mDir.path())); // where the name's relative picture would be
        mWatch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        QVERIFY(mWatch >= 0);
        QVERIFY(inotify_add_watch(mWatch, QFile::encodeName(mDir.filePath("probe.png")).constData(),
                                  IN_OPEN | IN_ACCESS) >= 0);
    }
    void cleanupTestCase() { close(mWatch); }

    void windowsShowNamesLiterally() {
        TestContext t;
        t.ctx.gIsAdmin = true;
        QVERIFY(t.ctx.Catalog().AddProgram(kName, kName, kName, {}, {}, {}));
        QVERIFY(QDir().mkpath(mDir.filePath("folder")));
        QFile(mDir.filePath("folder/") + kName).open(QIODevice::WriteOnly);
        QVERIFY(t.ctx.Catalog().AddFolder(kName, mDir.filePath("folder")));
        QVERIFY(modMain::BuildLauncherList(t.ctx, false));
        frmMain& form = modMain::MainForm(t.ctx);
        form.show();
        QApplication::processEvents();
        form.EndProgram = [] {};

        form.ListView1->SelectItem(1);
        form.ShowSelectedProperties();
        QVERIFY(form.Properties());
        CheckShownLiterally(form.Properties(), u"Properties"_s);

        frmFolderMenu folder(t.ctx);
        folder.LoadFolder(kName, mDir.filePath("folder"));
        folder.show();
        QApplication::processEvents();
        folder.grab();
        char events[4096];
        QVERIFY(read(mWatch, events, sizeof events) < 0);
        QCOMPARE(folder.windowTitle().contains(kName), true);
        delete &form;
    }

    // The real message and input boxes, which every window's messages go through.
    void promptsShowTextLiterally_data() {
        AddBoolTable("input", {{"message box", false}, {"input box", true}});
    }
    void promptsShowTextLiterally() {
        QFETCH(bool, input);
        QtPrompt prompt;
        QTimer::singleShot(0, this, [this, input] {
            QWidget* box = QApplication::activeModalWidget();
            QVERIFY(box);
            CheckShownLiterally(box, input ? u"input box"_s : u"message box"_s);
            box->close();
        });
        if (input)
            prompt.InputBox(u"Name: "_s + kName, u"Title"_s, QString());
        else
            prompt.MsgBox(u"Unable to execute program : "_s + kName, PromptButtons::Ok,
                          PromptIcon::Critical, u"Error"_s);
    }
};

QTEST_MAIN(tst_plaintext)
#include "tst_plaintext.moc"
