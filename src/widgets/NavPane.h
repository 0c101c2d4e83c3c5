#pragma once

#include <QList>
#include <QString>
#include <QWidget>

class ImageList;
class QListWidget;
class QAbstractButton;
class QListWidgetItem;
class QToolBox;

// The side menu: groups that open one at a time, each a column of clickable items with a
// picture and a caption. Built over QToolBox; keys need not be unique (a click reports the
// key of the item clicked, whichever it is).
//
// AddMenuGroup(key, caption, style, expanded, picture):
//   style     0 an ordinary group, 1 an administration group (its items stand on a tinted
//             background);
//   expanded  true opens this group; when no group asks, the first one added is open;
//   picture   number of the header picture in GroupImages; 0 or a number the list does not
//             hold shows the caption alone.
// AddMenuItem(key, groupKey, caption, enabled, value, picture, descriptiveText):
//   enabled   false shows the item greyed and never reports a click;
//   value     a number kept with the item for its owner (Items());
//   picture   number of the item's picture in ItemImages (0: none);
//   descriptiveText  the item's tool tip and accessible description.
//
// Keyboard: the open group's header is one stop of the Tab chain, followed by its items; on a
// header the arrow keys (and Home, End) open the group before or after it; Ctrl+1 ... Ctrl+9
// open group 1 ... 9 and put the focus on its items, where Enter or Space clicks one.
class NavPane : public QWidget {
    Q_OBJECT
public:
    struct Group {
        QString key;
        QString caption;
        long style = 0;
        bool expanded = false;
        int picture = 0;
    };
    struct Item {
        QString key;
        QString groupKey;
        QString caption;
        bool enabled = true;
        long value = 0;
        int picture = 0;
        QString descriptiveText;
    };

    explicit NavPane(QWidget* parent = nullptr);

    // The pictures of the items and of the group headers; the owner keeps the lists alive.
    ImageList* ItemImages = nullptr;
    ImageList* GroupImages = nullptr;

    // 0 holds the pane still while it is being filled (no repainting); any other value lets
    // it repaint and is the pace, in percent, at which it follows the user.
    int Speed() const { return mSpeed; }
    void SetSpeed(int speed);

    void AddMenuGroup(const QString& key, const QString& caption, long style, bool expanded,
                      int picture);
    // Throws OrvError when no group has the key `groupKey`.
    void AddMenuItem(const QString& key, const QString& groupKey, const QString& caption,
                     bool enabled, long value, int picture, const QString& descriptiveText);

    const QList<Group>& Groups() const { return mGroups; }
    // Every item, in the order added.
    const QList<Item>& Items() const { return mItems; }
    // The items of one group, in the order added.
    QList<Item> ItemsOf(const QString& groupKey) const;
    // The open group's key.
    QString CurrentGroup() const;
    void OpenGroup(const QString& groupKey);
    // The header of group `groupKey` (the button that opens it), and the list of its items
    // (made now if the group was never opened).
    QAbstractButton* GroupHeader(const QString& groupKey) const;
    QListWidget* GroupItems(const QString& groupKey);
    // Where item number `index` (1-based over Items()) is drawn, for clicking it: the list
    // widget of its group (made now if the group was never opened) and the item's rectangle in
    // that widget's viewport.
    QListWidget* ItemHost(int index);
    QRect ItemRect(int index);

signals:
    void ItemClick(const QString& key);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int GroupIndex(const QString& key) const;
    // The list of group `group`, made with its items when the group is first opened or asked
    // for: a closed group is only a header, which keeps a start from building lists nobody
    // has opened yet.
    QListWidget* Page(int group);
    void AddItemWidget(QListWidget* page, qsizetype item);
    void ItemClicked(QListWidgetItem* item);
    void CurrentChanged(int group);
    bool HeaderKey(int group, int key);
    void OpenAndFocusItems(int group);

    QToolBox* mBox = nullptr;
    int mSpeed = 100;
    bool mExpandedChosen = false;
    QList<Group> mGroups;
    // Per group, the list inside the box's page once made.
    QList<QListWidget*> mPages;
    QList<QAbstractButton*> mHeaders;
    QList<Item> mItems;
    QList<QListWidgetItem*> mItemWidgets;
};
