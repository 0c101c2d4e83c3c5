// Every window opens inside the screen's available area. CTest runs this test once per screen
// (ORV_SCREEN names it): a laptop of 1024 x 600 pixels at 150 % and one of 1280 x 900 at 200 %,
// each through the offscreen platform's screen file and QT_SCALE_FACTOR. Gallery pictures show
// each window on each screen.
#include "AllWindows.h"
#include "access/AccessEvaluation.h"
#include "launcher/LauncherList.h"
#include "launcher/LauncherSearchBar.h"
#include "launcher/UserState.h"
#include "launcher/frmMain.h"
#include "support/DataRow.h"
#include "support/Gallery.h"
#include "widgets/NavPane.h"
#include "widgets/ScreenFit.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QScreen>
#include <QTest>

namespace {

// Where `window` stands with the frame a window manager would put around it, against the
// screen's available area.
QString Outside(QWidget* window) {
    const QRect available = window->screen()->availableGeometry();
    const QRect frame = window->geometry().marginsAdded(ScreenFit::kFrameAllowance);
    if (window->windowFlags().testFlag(Qt::FramelessWindowHint))
        return available.contains(window->geometry()) ? QString() : window->objectName();
    if (available.contains(frame))
        return {};
    return QStringLiteral("%1: %2,%3 %4x%5 (with its frame) outside %6x%7")
        .arg(window->objectName())
        .arg(frame.x())
        .arg(frame.y())
        .arg(frame.width())
        .arg(frame.height())
        .arg(available.width())
        .arg(available.height());
}

QString Screen() {
    return qEnvironmentVariable("ORV_SCREEN", QStringLiteral("default"));
}

} // namespace

class tst_screensizes : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        const QScreen* screen = QGuiApplication::primaryScreen();
        qInfo("%s: available %dx%d logical pixels at %.2f device pixels each", qPrintable(Screen()),
              screen->availableGeometry().width(), screen->availableGeometry().height(),
              screen->devicePixelRatio());
    }

    // The main window at its designed size (the first start), and where the user left it on
    // a larger screen; its lower side-menu headers in sight.
    void mainWindow_data() {
        AddColumns<bool, QRect>("admin", "saved");
        QTest::newRow("user, first start") << false << QRect();
        QTest::newRow("administrator, first start") << true << QRect();
        QTest::newRow("left on a larger screen") << true << QRect(1500, 900, 1200, 800);
    }
    void mainWindow() {
        QFETCH(bool, admin);
        QFETCH(QRect, saved);
        TestContext t;
        QVERIFY(FillCatalogue(t, admin));
        if (saved.isValid()) {
            UserState state;
            state.geometry = saved;
            QVERIFY(state.Write(t.ctx.paths.StateFile()));
        }
        QVERIFY(LoadRules(t));
        frmMain form(t.ctx);
        form.EndProgram = [] {};
        QVERIFY(modMain::BuildLauncherList(t.ctx, false));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(Outside(&form), QString());
        const QString last = admin ? "P5" : "P3";
        QWidget* header = form.NavPane1->GroupHeader(last);
        const QRect shown = QRect(header->mapTo(&form, QPoint(0, 0)), header->size());
        QVERIFY2(form.rect().contains(shown), qPrintable(last + " header out of the window"));
        const QLineEdit* find = form.searchBar->txtFind;
        QVERIFY2(find->width() > find->fontMetrics().horizontalAdvance(find->placeholderText()),
                 "the Find box cuts its hint short");
        const QString name = QStringLiteral("frmMain-%1-%2")
                                 .arg(admin ? "admin" : "user", Screen())
                                 .append(saved.isValid() ? "-saved" : "");
        QVERIFY(!SaveToGallery(&form, name).isEmpty());
    }

    void everyOtherWindow_data() {
        QTest::addColumn<QString>("window");
        for (const QString& window : kWindows)
            QTest::newRow(qPrintable(window)) << window;
    }
    void everyOtherWindow() {
        QFETCH(QString, window);
        TestContext t;
        QVERIFY(FillCatalogue(t));
        const std::unique_ptr<QWidget> shown = MakeWindow(t, window, t.dir.filePath("share"));
        shown->show();
        QVERIFY(QTest::qWaitForWindowExposed(shown.get()));
        QCOMPARE(Outside(shown.get()), QString());
        QVERIFY(!SaveToGallery(shown.get(), window + '-' + Screen()).isEmpty());
    }
};

QTEST_MAIN(tst_screensizes)
#include "tst_screensizes.moc"
