#include "platform/OrvError.h"
#include "support/DataRow.h"
#include "widgets/ImageList.h"
#include "widgets/NavPane.h"

#include <QAbstractButton>
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
        AddColumns<int, QString>("item", "key");
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
        // An item of a group that is not there is refused.
        QVERIFY_THROWS_EXCEPTION(OrvError,
                                 pane.AddMenuItem("H1", "P9", "Lost", true, 0, 0, "Nowhere"));
        QVERIFY(pane.Items().isEmpty());
    }

    // The open group's header is the one stop of the headers in the Tab chain; on it the
    // arrows, Home and End open another group, Enter goes into the items; Ctrl+digit opens a
    // group with the focus on its items.
    void keyboard_data() {
        QTest::addColumn<QString>("keys"); // from the first group's header
        QTest::addColumn<QString>("open");
        QTest::addColumn<QString>("focus"); // "header" or "items"
        AddRow("Down", "Down", "P2", "header");
        AddRow("Right, Right, Right: stops at the last", "Right Right Right", "P3", "header");
        AddRow("Up at the first", "Up", "P1", "header");
        AddRow("End, then Left", "End Left", "P2", "header");
        AddRow("Down, Home", "Down Home", "P1", "header");
        AddRow("Enter goes into the items", "Down Return", "P2", "items");
        AddRow("Ctrl+3", "Ctrl+3", "P3", "items");
    }
    void keyboard() {
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
        for (const QString& key : keys.split(' ')) {
            QWidget* target = QApplication::focusWidget();
            if (key == "Ctrl+3")
                QTest::keyClick(target, Qt::Key_3, Qt::ControlModifier);
            else
                QTest::keyClick(target, QKeySequence::fromString(key)[0].key());
        }
        QCOMPARE(pane.CurrentGroup(), open);
        QCOMPARE(QApplication::focusWidget(), focus == "header"
                                                  ? static_cast<QWidget*>(pane.GroupHeader(open))
                                                  : pane.GroupItems(open));
        for (const char* group : {"P1", "P2", "P3"})
            QCOMPARE(pane.GroupHeader(group)->focusPolicy(),
                     group == open ? Qt::StrongFocus : Qt::NoFocus);
        QCOMPARE(pane.GroupItems(open)->accessibleName(), "Group " + open);
    }
};

QTEST_MAIN(tst_navpane)
#include "tst_navpane.moc"
