#include "widgets/ListView.h"

#include "widgets/ImageList.h"
#include "widgets/ItemViewFocus.h"
#include "widgets/ListViewCells.h"
#include "widgets/ListViewModel.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QListView>
#include <QStackedWidget>
#include <QTreeView>
#include <QVBoxLayout>

namespace {
constexpr QSize kSmallIconSize(16, 16);
} // namespace

// Lays its items out as soon as it has its size, until it is first painted. Qt puts a layout
// off until the next paint, and a layout made while painting marks the whole view dirty
// again: the first frame would paint the list twice.
class ListViewItemsView : public QListView {
public:
    using QListView::QListView;

protected:
    void resizeEvent(QResizeEvent* event) override {
        QListView::resizeEvent(event);
        if (!mPainted)
            executeDelayedItemsLayout();
    }
    void paintEvent(QPaintEvent* event) override {
        mPainted = true;
        QListView::paintEvent(event);
    }

private:
    bool mPainted = false;
};

ListView::ListView(QWidget* parent) : QWidget(parent) {
    mModel = new ListViewItems(this);
    mRows = new ListViewRows(mModel, this);

    mList = new ListViewItemsView(this);
    mList->setObjectName(QStringLiteral("ListViewItems"));
    mList->setModel(mRows);
    mList->setItemDelegate(new ListViewCells(mList));
    mList->setMovement(QListView::Static);
    mList->setResizeMode(QListView::Adjust);
    mList->setLayoutMode(QListView::Batched);
    mList->setBatchSize(500);
    mList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mList->setSelectionMode(QAbstractItemView::SingleSelection);

    mStack = new QStackedWidget(this);
    mStack->addWidget(mList);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(mStack);

    ConnectView(mList);
    SetView(lvwIcon);
}

// The report view is made when it is first shown: most lists never show it, and a hidden
// view still lays its items and header out.
QTreeView* ListView::Report() {
    if (mReport)
        return mReport;
    mReport = new QTreeView(this);
    mReport->setObjectName(QStringLiteral("ListViewReport"));
    mReport->setModel(mRows);
    QItemSelectionModel* unused = mReport->selectionModel();
    mReport->setSelectionModel(mList->selectionModel());
    delete unused;
    mReport->setRootIsDecorated(false);
    mReport->setItemsExpandable(false);
    mReport->setUniformRowHeights(true);
    mReport->setAllColumnsShowFocus(true);
    mReport->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mReport->setSelectionMode(QAbstractItemView::SingleSelection);
    mReport->setIconSize(kSmallIconSize);
    mReport->header()->setStretchLastSection(true);
    mReport->header()->setSectionsMovable(false);
    if (!mAccessibleName.isEmpty())
        mReport->setAccessibleName(mAccessibleName);
    mStack->addWidget(mReport);
    ConnectView(mReport);
    return mReport;
}

void ListView::ApplyColumnWidths() {
    if (!mReport)
        return;
    for (int c = 0; c + 1 < mModel->Headers().size(); ++c)
        mReport->setColumnWidth(c, 220);
}

ListView::~ListView() = default;

void ListView::ConnectView(QAbstractItemView* view) {
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    view->installEventFilter(this);
    ItemViewFocus::Attach(view);
    connect(view, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            emit DblClick();
    });
    connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& pos) {
        emit ContextMenu(view->viewport()->mapToGlobal(pos));
    });
}

bool ListView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && (watched == mList || watched == mReport))
        return KeyPressed(static_cast<QAbstractItemView*>(watched), static_cast<QKeyEvent*>(event));
    return QWidget::eventFilter(watched, event);
}

bool ListView::KeyPressed(QAbstractItemView* view, QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_Menu ||
        (event->key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier)) {
        // The item menu, beside the item it is for.
        QModelIndex at = view->currentIndex();
        if (!at.isValid() && SelectedItem() != 0)
            at = mRows->index(mRows->RowOf(SelectedItem() - 1), 0);
        const QRect place = at.isValid() ? view->visualRect(at) : QRect();
        const QPoint local = place.isValid() ? place.center() : view->viewport()->rect().center();
        emit ContextMenu(view->viewport()->mapToGlobal(local));
        return true;
    }
    const QString text = event->text();
    if (mTypeToSearch && !text.isEmpty() && text.at(0).isPrint() && !text.at(0).isSpace() &&
        !(modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        emit TextTyped(text);
        return true;
    }
    emit KeyDown(event->key());
    return false;
}

void ListView::SetColumnHeaders(const QStringList& headers) {
    mModel->SetHeaders(headers);
    if (mReport)
        ApplyColumnWidths();
}

QStringList ListView::ColumnHeaders() const {
    QStringList headers = mModel->Headers();
    if (headers.isEmpty())
        headers.append(QString());
    return headers;
}

void ListView::SetView(int view) {
    const int selected = SelectedItem();
    mView = view;
    switch (view) {
    case lvwIcon:
        mList->setViewMode(QListView::IconMode);
        mList->setFlow(QListView::LeftToRight);
        mList->setWrapping(true);
        mList->setWordWrap(true);
        mList->setTextElideMode(Qt::ElideRight);
        break;
    case lvwSmallIcon:
        mList->setViewMode(QListView::ListMode);
        mList->setFlow(QListView::LeftToRight);
        mList->setWrapping(true);
        mList->setWordWrap(false);
        break;
    case lvwList:
        mList->setViewMode(QListView::ListMode);
        mList->setFlow(QListView::TopToBottom);
        mList->setWrapping(true);
        mList->setWordWrap(false);
        break;
    default:
        mView = lvwReport;
        break;
    }
    ApplyIconSizes();
    // The report alone shows the sub-items; the other views offer one column.
    mRows->SetAllColumns(mView == lvwReport);
    if (mView == lvwReport) {
        Report();
        ApplyColumnWidths();
    }
    const bool hadFocus = mStack->currentWidget() && mStack->currentWidget()->hasFocus();
    mStack->setCurrentWidget(mView == lvwReport ? static_cast<QWidget*>(mReport) : mList);
    if (selected != 0)
        SelectItem(selected);
    if (hadFocus)
        mStack->currentWidget()->setFocus();
    Repaint();
}

void ListView::ApplyIconSizes() {
    const bool large = mView == lvwIcon;
    mRows->pictures = large ? mIcons : mSmallIcons;
    mRows->pictureRole = large ? ListViewRole::Icon : ListViewRole::SmallIcon;
    if (large) {
        const QSize icon = mIcons ? mIcons->ImageSize() : QSize(32, 32);
        mList->setIconSize(icon);
        mList->setGridSize(ListViewCells::GridSize(icon, mList->font()));
        mList->setSpacing(0);
    } else {
        mList->setIconSize(kSmallIconSize);
        mList->setGridSize(QSize());
        mList->setSpacing(mView == lvwSmallIcon ? 4 : 1);
    }
}

void ListView::Repaint() {
    // The views ask for pictures while painting; a repaint picks up the image lists as they
    // are now.
    mList->viewport()->update();
    if (mReport)
        mReport->viewport()->update();
}

void ListView::SetIcons(ImageList* pictures) {
    mIcons = pictures;
    ApplyIconSizes();
    Repaint();
}

void ListView::SetSmallIcons(ImageList* pictures) {
    mSmallIcons = pictures;
    ApplyIconSizes();
    Repaint();
}

int ListView::Count() const {
    return mModel->rowCount();
}

void ListView::AddItems(const QList<NewItem>& items) {
    QList<ListViewItems::Row> rows;
    rows.reserve(items.size());
    for (const NewItem& item : items) {
        ListViewItems::Row row;
        row.text = item.text;
        row.icon = item.icon;
        row.smallIcon = item.smallIcon;
        row.tag = item.tag;
        rows.append(std::move(row));
    }
    mModel->Append(std::move(rows));
}

int ListView::AddItem(const QString& text, int icon, int smallIcon) {
    AddItems({{text, icon, smallIcon, QString()}});
    return mModel->rowCount();
}

void ListView::RemoveItem(int index) {
    mModel->Remove(index - 1);
}

void ListView::Clear() {
    mModel->Clear();
}

QString ListView::Text(int index) const {
    const auto* row = mModel->At(index - 1);
    return row ? row->text : QString();
}

QString ListView::Tag(int index) const {
    const auto* row = mModel->At(index - 1);
    return row ? row->tag : QString();
}

void ListView::SetTag(int index, const QString& tag) {
    mModel->Change(index - 1, [&](ListViewItems::Row& row) { row.tag = tag; });
}

QString ListView::SubItem(int index, int column) const {
    if (column <= 0)
        return column == 0 ? Text(index) : QString();
    const auto* row = mModel->At(index - 1);
    return row ? row->subItems.value(column - 1) : QString();
}

void ListView::SetSubItem(int index, int column, const QString& text) {
    if (column < 0 || !mModel->At(index - 1))
        return;
    mModel->EnsureColumns(column + 1);
    mModel->Change(index - 1, [&](ListViewItems::Row& row) {
        if (column == 0) {
            row.text = text;
            return;
        }
        while (row.subItems.size() < column)
            row.subItems.append(QString());
        row.subItems[column - 1] = text;
    });
}

int ListView::Icon(int index) const {
    const auto* row = mModel->At(index - 1);
    return row ? row->icon : 0;
}

int ListView::SmallIcon(int index) const {
    const auto* row = mModel->At(index - 1);
    return row ? row->smallIcon : 0;
}

bool ListView::Bold(int index) const {
    const auto* row = mModel->At(index - 1);
    return row && row->font.value<QFont>().bold();
}

void ListView::SetBold(int index, bool bold) {
    QFont font = this->font();
    font.setBold(bold);
    mModel->Change(index - 1, [&](ListViewItems::Row& row) { row.font = font; });
}

QString ListView::ToolTipText(int index) const {
    const auto* row = mModel->At(index - 1);
    return row ? row->toolTip : QString();
}

void ListView::SetMark(int index, const QString& mark) {
    mModel->Change(index - 1, [&](ListViewItems::Row& row) { row.mark = mark; });
}

QString ListView::ShownText(int index) const {
    return mModel->data(mModel->index(index - 1, 0), Qt::DisplayRole).toString();
}

void ListView::SetToolTipText(int index, const QString& text) {
    mModel->Change(index - 1, [&](ListViewItems::Row& row) { row.toolTip = text; });
}

QIcon ListView::ShownPicture(int index) const {
    const ListViewItems::Row* row = mModel->At(index - 1);
    ImageList* pictures = mRows->pictures;
    if (!row || !pictures)
        return {};
    return pictures->Item(mView == lvwIcon ? row->icon : row->smallIcon);
}

void ListView::SetDescriber(std::function<QString(int index)> describe) {
    if (!describe) {
        mRows->describe = nullptr;
        return;
    }
    mRows->describe = [describe = std::move(describe)](int row) { return describe(row + 1); };
}

template <class F> void ListView::KeepingSelection(F&& change) {
    const int selected = SelectedItem();
    change();
    if (selected != 0)
        SelectItem(selected);
}

void ListView::ShowOnly(const QList<int>& items) {
    QList<int> rows;
    rows.reserve(items.size());
    for (int item : items)
        rows.append(item - 1);
    KeepingSelection([&] { mRows->ShowOnly(rows); });
}

void ListView::ShowAll() {
    if (mRows->ShowsAll())
        return;
    KeepingSelection([&] { mRows->ShowAll(); });
}

bool ListView::ShowsAll() const {
    return mRows->ShowsAll();
}

int ListView::ShownCount() const {
    return mRows->rowCount();
}

int ListView::ShownItem(int position) const {
    return mRows->SourceRow(position - 1) + 1;
}

void ListView::SetAccessibleName(const QString& name) {
    mAccessibleName = name;
    setAccessibleName(name);
    mList->setAccessibleName(name);
    if (mReport)
        mReport->setAccessibleName(name);
}

int ListView::SelectedItem() const {
    const QModelIndexList selected = mList->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? 0 : mRows->SourceRow(selected.first().row()) + 1;
}

void ListView::SelectItem(int index) {
    const QModelIndex item = mRows->index(mRows->RowOf(index - 1), 0);
    if (!item.isValid())
        return;
    CurrentView()->setCurrentIndex(item);
    mList->selectionModel()->select(item, QItemSelectionModel::ClearAndSelect |
                                              QItemSelectionModel::Rows);
}

QAbstractItemView* ListView::CurrentView() const {
    return mView == lvwReport ? static_cast<QAbstractItemView*>(mReport) : mList;
}

QRect ListView::ItemRect(int index) const {
    return CurrentView()->visualRect(mRows->index(mRows->RowOf(index - 1), 0));
}
