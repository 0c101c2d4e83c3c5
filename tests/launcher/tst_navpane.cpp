#include "platform/OrvError.h"
#include "widgets/ImageList.h"
#include "widgets/NavPane.h"

#include <QListWidget>
#include <QSignalSpy>
#include <QTest>
#include <QToolBox>

namespace {

QIcon Solid(QColor colour) {
    QPixmap pixmap(16, 16);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

} // namespace

class tst_navpane : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void clicksReportTheItemsKey_data() {
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("key");
        QTest::newRow("first") << 1 << "H3";
        QTest::newRow("repeated key, first of two") << 2 << "H4";
        QTest::newRow("repeated key, second of two") << 3 << "H4";
        QTest::newRow("second group") << 4 << "H8";
        QTest::newRow("disabled: no click") << 5 << "";
    }
    void clicksReportTheItemsKey() {
        QFETCH(int, item);
        QFETCH(QString, key);
        ImageList items(QSize(16, 16));
        items.Add(Solid(Qt::red));
        items.Add(Solid(Qt::blue));
        NavPane pane;
        pane.ItemImages = &items;
        pane.SetSpeed(0);
        pane.AddMenuGroup("P1", "One", 0, false, 1);
        pane.AddMenuGroup("P2", "Two", 1, false, 2);
        pane.AddMenuItem("H3", "P1", "First", true, 0, 1, "First item");
        pane.AddMenuItem("H4", "P1", "Second", true, 0, 2, "Second item");
        pane.AddMenuItem("H4", "P1", "Third", true, 0, 2, "Third item");
        pane.AddMenuItem("H8", "P2", "Fourth", true, 0, 1, "Fourth item");
        pane.AddMenuItem("H1", "P1", "Off", false, 0, 0, "Disabled");
        pane.SetSpeed(100);
        pane.resize(220, 400);
        pane.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pane));
        pane.OpenGroup(pane.Items().at(item - 1).groupKey);
        QApplication::processEvents();

        QSignalSpy clicks(&pane, &NavPane::ItemClick);
        QListWidget* host = pane.ItemHost(item);
        QVERIFY(host);
        const QPoint at = pane.ItemRect(item).center();
        QListWidgetItem* hit = host->itemAt(at);
        QVERIFY(hit); // the click lands on the item
        QTest::mouseClick(host->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(clicks.size(), key.isEmpty() ? 0 : 1);
        if (key.isEmpty())
            return;
        QCOMPARE(clicks.at(0).at(0).toString(), key);
        QCOMPARE(hit->toolTip(), pane.Items().at(item - 1).descriptiveText);
        // The keyboard clicks the current item too.
        host->setCurrentItem(hit);
        QTest::keyClick(host, Qt::Key_Return);
        QCOMPARE(clicks.size(), 2);
        QCOMPARE(clicks.at(1).at(0).toString(), key);
    }

    void groupsAndPictures() {
        ImageList groups(QSize(32, 32));
        groups.Add(Solid(Qt::green));
        NavPane pane;
        pane.GroupImages = &groups;
        pane.AddMenuGroup("P1", "One", 0, false, 1);
        pane.AddMenuGroup("P2", "Two", 0, true, 1);
        pane.AddMenuGroup("P3", "Three", 0, false, 7); // no such picture: caption alone
        auto* box = pane.findChild<QToolBox*>();
        QVERIFY(box);
        QCOMPARE(box->count(), 3);
        QCOMPARE(box->itemText(2), QStringLiteral("Three"));
        QVERIFY(!box->itemIcon(0).isNull());
        QVERIFY(box->itemIcon(2).isNull());
        QCOMPARE(pane.CurrentGroup(), QStringLiteral("P2"));
        QCOMPARE(pane.Groups().size(), 3);
    }

    void itemOfUnknownGroupIsRefused() {
        NavPane pane;
        pane.AddMenuGroup("P1", "One", 0, false, 0);
        QVERIFY_THROWS_EXCEPTION(OrvError,
                                 pane.AddMenuItem("H1", "P9", "Lost", true, 0, 0, "Nowhere"));
        QVERIFY(pane.Items().isEmpty());
    }
};

QTEST_MAIN(tst_navpane)
#include "tst_navpane.moc"
