#pragma once

#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <functional>

class ImageList;
class QAbstractItemView;
class QKeyEvent;
class QListView;
class QStackedWidget;
class QTreeView;
class ListViewItems;
class ListViewRows;

// The list view control: items with a text, a tag, sub-items shown as report columns, a
// picture number for the large and one for the small icons, in four presentations (icon,
// small icon, list, report). Items and pictures are numbered from 1. Pictures are taken from
// the attached image lists when the items are painted, so a picture list may be refilled
// while the items stay; an item whose picture the list does not hold shows none.
//
// The owner may show only some of the items (ShowOnly), in an order of its own; items keep
// their numbers whether shown or not. Tooltips are always plain text.
//
// Keyboard: Enter and the other keys reach the owner through KeyDown; the menu key and
// Shift+F10 ask for the item menu like a right click; with SetTypeToSearch, typed text goes to
// the owner (TextTyped) instead of jumping to an item.
class ListView : public QWidget {
    Q_OBJECT
public:
    enum ViewMode { lvwIcon = 0, lvwSmallIcon = 1, lvwList = 2, lvwReport = 3 };

    explicit ListView(QWidget* parent = nullptr);
    ~ListView() override;

    // The report view's column titles; column 1 is the item's text, the others its
    // sub-items.
    void SetColumnHeaders(const QStringList& headers);
    QStringList ColumnHeaders() const;

    int View() const { return mView; }
    void SetView(int view);

    // Large icons (icon view) and small icons (the other views); nullptr detaches.
    void SetIcons(ImageList* pictures);
    void SetSmallIcons(ImageList* pictures);
    ImageList* Icons() const { return mIcons; }
    ImageList* SmallIcons() const { return mSmallIcons; }

    // One item of AddItems.
    struct NewItem {
        QString text;
        int icon = 0;
        int smallIcon = 0;
        QString tag;
    };

    int Count() const;
    // Appends an item; returns its number.
    int AddItem(const QString& text, int icon = 0, int smallIcon = 0);
    // Appends the items in their order, telling the views once: a list of thousands is laid
    // out once instead of once per item.
    void AddItems(const QList<NewItem>& items);
    void RemoveItem(int index);
    void Clear();

    QString Text(int index) const;
    QString Tag(int index) const;
    void SetTag(int index, const QString& tag);
    // Sub-item `column` (1 = the second report column).
    QString SubItem(int index, int column) const;
    void SetSubItem(int index, int column, const QString& text);
    int Icon(int index) const;
    int SmallIcon(int index) const;
    bool Bold(int index) const;
    void SetBold(int index, bool bold);
    QString ToolTipText(int index) const;
    void SetToolTipText(int index, const QString& text);
    // A mark shown after the item's text in every view ("(group)"); Text() leaves it out.
    void SetMark(int index, const QString& mark);
    QString ShownText(int index) const;
    // The picture an item shows in the current view (null when it has none).
    QIcon ShownPicture(int index) const;
    // When set, the description of item `index`: its tooltip reads the item's text and the
    // description on two lines, and a screen reader reads the description.
    void SetDescriber(std::function<QString(int index)> describe);

    // Shows the items numbered `items`, in that order (others hidden), or all of them. The
    // selection stays on its item when that is still shown.
    void ShowOnly(const QList<int>& items);
    void ShowAll();
    bool ShowsAll() const;
    // How many items are shown, and the number of the one shown at `position` (from 1); 0
    // when there is none.
    int ShownCount() const;
    int ShownItem(int position) const;

    // The name a screen reader gives the list in every view.
    void SetAccessibleName(const QString& name);
    // Typed text (letters, digits, punctuation) is reported through TextTyped and not used to
    // jump to an item.
    void SetTypeToSearch(bool on) { mTypeToSearch = on; }

    // The selected item's number, 0 when none is selected.
    int SelectedItem() const;
    void SelectItem(int index);

    // The view that shows the items now, and where item `index` is drawn in its viewport.
    QAbstractItemView* CurrentView() const;
    QRect ItemRect(int index) const;

signals:
    void DblClick();
    void KeyDown(int key);
    // Right click, the menu key or Shift+F10, at a global position.
    void ContextMenu(const QPoint& globalPos);
    void TextTyped(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Repaint();
    void ApplyIconSizes();
    void ConnectView(QAbstractItemView* view);
    QTreeView* Report();
    void ApplyColumnWidths();
    bool KeyPressed(QAbstractItemView* view, QKeyEvent* event);
    template <class F> void KeepingSelection(F&& change);

    int mView = lvwIcon;
    bool mTypeToSearch = false;
    QString mAccessibleName;
    ImageList* mIcons = nullptr;
    ImageList* mSmallIcons = nullptr;
    ListViewItems* mModel = nullptr;
    ListViewRows* mRows = nullptr;
    QStackedWidget* mStack = nullptr;
    QListView* mList = nullptr;
    QTreeView* mReport = nullptr;
};
