#include "widgets/NavPane.h"

#include "platform/OrvError.h"
#include "platform/Text.h"
#include "widgets/ImageList.h"

#include "widgets/ItemViewFocus.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QListWidget>
#include <QPalette>
#include <QShortcut>
#include <QToolBox>
#include <QVBoxLayout>

namespace {
constexpr int kItemIndexRole = Qt::UserRole + 1;
}

NavPane::NavPane(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    mBox = new QToolBox(this);
    mBox->setObjectName(QStringLiteral("NavPaneBox"));
    layout->addWidget(mBox);
    connect(mBox, &QToolBox::currentChanged, this, &NavPane::CurrentChanged);
    setMinimumWidth(170);
}

void NavPane::SetSpeed(int speed) {
    mSpeed = speed;
    setUpdatesEnabled(speed != 0);
    if (speed != 0)
        update();
}

int NavPane::GroupIndex(const QString& key) const {
    for (qsizetype i = 0; i < mGroups.size(); ++i)
        if (mGroups.at(i).key == key)
            return static_cast<int>(i);
    return -1;
}

void NavPane::AddMenuGroup(const QString& key, const QString& caption, long style, bool expanded,
                           int picture) {
    auto* holder = new QWidget(mBox);
    holder->setObjectName(key);
    auto* layout = new QVBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    const QIcon icon = GroupImages ? GroupImages->Item(picture) : QIcon();
    // Known before the box adds it: the first group added becomes current then, and the
    // current group's list is made at once.
    mGroups.append({key, caption, style, expanded, picture});
    mPages.append(nullptr);
    const int index = mBox->addItem(holder, icon, caption);
    mBox->setItemToolTip(index, caption);
    // The box makes a header button per group; it takes no focus of its own.
    QAbstractButton* header = nullptr;
    for (QAbstractButton* button : mBox->findChildren<QAbstractButton*>())
        if (!mHeaders.contains(button) && button->text() == caption)
            header = button;
    mHeaders.append(header);
    if (header) {
        header->setObjectName(key + QStringLiteral("Header"));
        header->setAccessibleName(caption);
        header->setFocusPolicy(index == mBox->currentIndex() ? Qt::StrongFocus : Qt::NoFocus);
        header->installEventFilter(this);
    }
    if (index < 9) {
        auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | (Qt::Key_1 + index)), this);
        connect(shortcut, &QShortcut::activated, this, [this, index] { OpenAndFocusItems(index); });
        if (header)
            header->setAccessibleDescription(
                QStringLiteral("Group %1 of the side menu, Ctrl+%1").arg(index + 1));
    }
    if (expanded && !mExpandedChosen) {
        mExpandedChosen = true;
        mBox->setCurrentIndex(index);
    } else if (!mExpandedChosen) {
        mBox->setCurrentIndex(0);
    }
}

QListWidget* NavPane::Page(int group) {
    if (group < 0 || group >= mPages.size())
        return nullptr;
    if (QListWidget* page = mPages.at(group))
        return page;
    QWidget* holder = mBox->widget(group);
    auto* page = new QListWidget(holder);
    page->setObjectName(mGroups.at(group).key);
    page->setAccessibleName(mGroups.at(group).caption);
    page->setFrameShape(QFrame::NoFrame);
    page->setSelectionMode(QAbstractItemView::NoSelection);
    page->setFocusPolicy(Qt::TabFocus);
    page->setMouseTracking(true);
    page->setWordWrap(true);
    page->setSpacing(2);
    if (ItemImages)
        page->setIconSize(ItemImages->ImageSize());
    if (mGroups.at(group).style == 1) {
        QPalette tinted = page->palette();
        const QColor base = tinted.color(QPalette::Base);
        const QColor accent = tinted.color(QPalette::Highlight);
        tinted.setColor(QPalette::Base, QColor((base.red() * 9 + accent.red()) / 10,
                                               (base.green() * 9 + accent.green()) / 10,
                                               (base.blue() * 9 + accent.blue()) / 10));
        page->setPalette(tinted);
    }
    connect(page, &QListWidget::itemClicked, this, &NavPane::ItemClicked);
    page->installEventFilter(this);
    ItemViewFocus::Attach(page);
    mPages[group] = page;
    // Items go to the first group of their key, as AddMenuItem places them.
    const QString& key = mGroups.at(group).key;
    if (GroupIndex(key) == group)
        for (qsizetype i = 0; i < mItems.size(); ++i)
            if (mItems.at(i).groupKey == key)
                AddItemWidget(page, i);
    holder->layout()->addWidget(page);
    // Made after the pane was shown, it shows now, not on Qt's next turn: a shortcut's focus
    // lands on it at once.
    page->show();
    if (group == mBox->currentIndex() && mHeaders.value(group))
        setTabOrder(mHeaders.at(group), page);
    return page;
}

void NavPane::CurrentChanged(int group) {
    // One stop in the Tab chain for the headers: the open group's, then its items.
    for (qsizetype i = 0; i < mHeaders.size(); ++i)
        if (QAbstractButton* header = mHeaders.at(i))
            header->setFocusPolicy(i == group ? Qt::StrongFocus : Qt::NoFocus);
    QListWidget* page = Page(group);
    if (page && mHeaders.value(group))
        setTabOrder(mHeaders.at(group), page);
}

void NavPane::OpenAndFocusItems(int group) {
    if (group < 0 || group >= mGroups.size())
        return;
    mBox->setCurrentIndex(group);
    if (QListWidget* page = Page(group)) {
        if (!page->currentItem() && page->count() > 0)
            page->setCurrentRow(0);
        page->setFocus(Qt::ShortcutFocusReason);
    }
}

bool NavPane::HeaderKey(int group, int key) {
    int next = group;
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Left:
        next = group - 1;
        break;
    case Qt::Key_Down:
    case Qt::Key_Right:
        next = group + 1;
        break;
    case Qt::Key_Home:
        next = 0;
        break;
    case Qt::Key_End:
        next = static_cast<int>(mGroups.size()) - 1;
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        OpenAndFocusItems(group);
        return true;
    default:
        return false;
    }
    next = std::clamp(next, 0, static_cast<int>(mGroups.size()) - 1);
    mBox->setCurrentIndex(next);
    if (QAbstractButton* header = mHeaders.value(next))
        header->setFocus(Qt::OtherFocusReason);
    return true;
}

void NavPane::AddItemWidget(QListWidget* page, qsizetype item) {
    const Item& entry = mItems.at(item);
    auto* widgetItem = new QListWidgetItem(entry.caption);
    if (ItemImages)
        widgetItem->setIcon(ItemImages->Item(entry.picture));
    widgetItem->setToolTip(entry.descriptiveText);
    widgetItem->setStatusTip(entry.descriptiveText);
    widgetItem->setData(Qt::AccessibleDescriptionRole, entry.descriptiveText);
    widgetItem->setData(kItemIndexRole, static_cast<int>(item));
    widgetItem->setFlags(entry.enabled ? Qt::ItemIsEnabled : Qt::NoItemFlags);
    page->addItem(widgetItem);
    mItemWidgets[item] = widgetItem;
}

void NavPane::AddMenuItem(const QString& key, const QString& groupKey, const QString& caption,
                          bool enabled, long value, int picture, const QString& descriptiveText) {
    const int group = GroupIndex(groupKey);
    if (group < 0)
        throw OrvError(35601, QStringLiteral("Element not found: menu group %1").arg(groupKey),
                       QStringLiteral("NavPane"));
    mItems.append({key, groupKey, caption, enabled, value, picture, descriptiveText});
    mItemWidgets.append(nullptr);
    if (QListWidget* page = mPages.at(group))
        AddItemWidget(page, mItems.size() - 1);
}

bool NavPane::eventFilter(QObject* watched, QEvent* event) {
    // The keyboard's way of clicking the current item.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        for (qsizetype header = 0; header < mHeaders.size(); ++header)
            if (watched == mHeaders.at(header) &&
                static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier)
                return HeaderKey(static_cast<int>(header), key);
        auto* page = qobject_cast<QListWidget*>(watched);
        if (page && (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space)) {
            ItemClicked(page->currentItem());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void NavPane::ItemClicked(QListWidgetItem* item) {
    if (!item || !(item->flags() & Qt::ItemIsEnabled))
        return;
    const int index = item->data(kItemIndexRole).toInt();
    if (index >= 0 && index < mItems.size())
        emit ItemClick(mItems.at(index).key);
}

QList<NavPane::Item> NavPane::ItemsOf(const QString& groupKey) const {
    QList<Item> items;
    for (const Item& item : mItems)
        if (item.groupKey == groupKey)
            items.append(item);
    return items;
}

QString NavPane::CurrentGroup() const {
    const int index = mBox->currentIndex();
    return index >= 0 && index < mGroups.size() ? mGroups.at(index).key : QString();
}

void NavPane::OpenGroup(const QString& groupKey) {
    const int index = GroupIndex(groupKey);
    if (index >= 0)
        mBox->setCurrentIndex(index);
}

QAbstractButton* NavPane::GroupHeader(const QString& groupKey) const {
    return mHeaders.value(GroupIndex(groupKey));
}

QListWidget* NavPane::GroupItems(const QString& groupKey) {
    return Page(GroupIndex(groupKey));
}

QListWidget* NavPane::ItemHost(int index) {
    if (index < 1 || index > mItems.size())
        return nullptr;
    return Page(GroupIndex(::Item(mItems, index).groupKey));
}

QRect NavPane::ItemRect(int index) {
    QListWidget* host = ItemHost(index);
    return host ? host->visualItemRect(::Item(mItemWidgets, index)) : QRect();
}
