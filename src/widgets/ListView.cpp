#include "widgets/ListView.h"

#include "widgets/ImageList.h"

#include <QAbstractTableModel>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QKeyEvent>
#include <QListView>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QVBoxLayout>

namespace {
constexpr int kTagRole = Qt::UserRole + 1;
constexpr int kIconRole = Qt::UserRole + 2;
constexpr int kSmallIconRole = Qt::UserRole + 3;
constexpr QSize kSmallIconSize(16, 16);
} // namespace

// The items as rows of plain values: a list of thousands is filled and emptied without an
// object per cell, and reads no slower than a list of ten.
class ListViewItems : public QAbstractTableModel {
public:
    struct Row {
        QString text;
        int icon = 0;
        int smallIcon = 0;
        QString tag;
        QStringList subItems; // report columns 2, 3, ...
        QVariant font;
        QString toolTip;
    };

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(mRows.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(std::max<qsizetype>(1, mHeaders.size()));
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= mRows.size())
            return {};
        const Row& row = mRows.at(index.row());
        if (index.column() > 0) {
            if (role == Qt::DisplayRole || role == Qt::EditRole)
                return row.subItems.value(index.column() - 1);
            return {};
        }
        switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return row.text;
        case kTagRole:
            return row.tag;
        case kIconRole:
            return row.icon;
        case kSmallIconRole:
            return row.smallIcon;
        case Qt::FontRole:
            return row.font;
        case Qt::ToolTipRole:
            return row.toolTip.isEmpty() ? QVariant() : QVariant(row.toolTip);
        default:
            return {};
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
            section < mHeaders.size())
            return mHeaders.at(section);
        return QAbstractTableModel::headerData(section, orientation, role);
    }

    const QStringList& Headers() const { return mHeaders; }
    void SetHeaders(const QStringList& headers) {
        beginResetModel();
        mHeaders = headers;
        endResetModel();
    }
    void EnsureColumns(int count) {
        if (count <= columnCount())
            return;
        beginInsertColumns({}, columnCount(), count - 1);
        while (mHeaders.size() < count)
            mHeaders.append(QString());
        endInsertColumns();
    }

    const Row* At(int row) const {
        return row >= 0 && row < mRows.size() ? &mRows.at(row) : nullptr;
    }
    // Changes one row in place and tells the views.
    template <class F> void Change(int row, F&& change) {
        if (row < 0 || row >= mRows.size())
            return;
        change(mRows[row]);
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    }
    void Append(QList<Row> rows) {
        if (rows.isEmpty())
            return;
        const int first = static_cast<int>(mRows.size());
        beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
        mRows.append(std::move(rows));
        endInsertRows();
    }
    void Remove(int row) {
        if (row < 0 || row >= mRows.size())
            return;
        beginRemoveRows({}, row, row);
        mRows.removeAt(row);
        endRemoveRows();
    }
    void Clear() {
        if (mRows.isEmpty())
            return;
        // Removed rather than reset: a reset would also forget the report's column widths.
        beginRemoveRows({}, 0, static_cast<int>(mRows.size()) - 1);
        mRows.clear();
        endRemoveRows();
    }

private:
    QStringList mHeaders;
    QList<Row> mRows;
};

// Hands the views the picture each item names in the image list of the current view.
class ListViewPictures : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    ImageList* pictures = nullptr;
    int role = kIconRole;

    QVariant data(const QModelIndex& index, int dataRole) const override {
        if (dataRole == Qt::DecorationRole && index.column() == 0) {
            if (!pictures)
                return {};
            const QIcon icon = pictures->Item(QIdentityProxyModel::data(index, role).toInt());
            return icon.isNull() ? QVariant() : QVariant(icon);
        }
        return QIdentityProxyModel::data(index, dataRole);
    }
};

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

// In the icon view every item takes its whole grid cell, where its name wraps and, when too
// long, ends in an ellipsis: no item needs measuring, which for thousands of names would mean
// laying out every one of them before the first frame.
class ListViewCells : public QStyledItemDelegate {
public:
    explicit ListViewCells(QListView* view) : QStyledItemDelegate(view), mView(view) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        if (mView->viewMode() == QListView::IconMode && mView->gridSize().isValid())
            return mView->gridSize();
        return QStyledItemDelegate::sizeHint(option, index);
    }

private:
    QListView* mView;
};

ListView::ListView(QWidget* parent) : QWidget(parent) {
    mModel = new ListViewItems(this);
    mPictures = new ListViewPictures(this);
    mPictures->setSourceModel(mModel);

    mList = new ListViewItemsView(this);
    mList->setObjectName(QStringLiteral("ListViewItems"));
    mList->setModel(mPictures);
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
    mReport->setModel(mPictures);
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
    ApplyColumnWidths();
    mStack->addWidget(mReport);
    ConnectView(mReport);
    return mReport;
}

void ListView::ApplyColumnWidths() {
    for (int c = 0; c + 1 < mModel->Headers().size(); ++c)
        mReport->setColumnWidth(c, 220);
}

ListView::~ListView() = default;

void ListView::ConnectView(QAbstractItemView* view) {
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    view->installEventFilter(this);
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
        emit KeyDown(static_cast<QKeyEvent*>(event)->key());
    return QWidget::eventFilter(watched, event);
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
    mStack->setCurrentWidget(mView == lvwReport ? static_cast<QWidget*>(Report()) : mList);
    Repaint();
}

void ListView::ApplyIconSizes() {
    const bool large = mView == lvwIcon;
    mPictures->pictures = large ? mIcons : mSmallIcons;
    mPictures->role = large ? kIconRole : kSmallIconRole;
    if (large) {
        const QSize icon = mIcons ? mIcons->ImageSize() : QSize(32, 32);
        mList->setIconSize(icon);
        mList->setGridSize(QSize(icon.width() + 64, icon.height() + 40));
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

void ListView::SetToolTipText(int index, const QString& text) {
    mModel->Change(index - 1, [&](ListViewItems::Row& row) { row.toolTip = text; });
}

QIcon ListView::ShownPicture(int index) const {
    return mPictures->data(mPictures->index(index - 1, 0), Qt::DecorationRole).value<QIcon>();
}

int ListView::SelectedItem() const {
    const QModelIndexList selected = mList->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? 0 : selected.first().row() + 1;
}

void ListView::SelectItem(int index) {
    const QModelIndex item = mPictures->index(index - 1, 0);
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
    return CurrentView()->visualRect(mPictures->index(index - 1, 0));
}
