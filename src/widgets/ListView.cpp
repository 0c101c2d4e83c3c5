#include "widgets/ListView.h"

#include "widgets/ImageList.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QKeyEvent>
#include <QListView>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QTreeView>
#include <QVBoxLayout>

namespace {
constexpr int kTagRole = Qt::UserRole + 1;
constexpr int kIconRole = Qt::UserRole + 2;
constexpr int kSmallIconRole = Qt::UserRole + 3;
constexpr QSize kSmallIconSize(16, 16);
} // namespace

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

ListView::ListView(QWidget* parent) : QWidget(parent) {
    mModel = new QStandardItemModel(0, 1, this);
    mPictures = new ListViewPictures(this);
    mPictures->setSourceModel(mModel);

    mList = new QListView(this);
    mList->setObjectName(QStringLiteral("ListViewItems"));
    mList->setModel(mPictures);
    mList->setMovement(QListView::Static);
    mList->setResizeMode(QListView::Adjust);
    mList->setLayoutMode(QListView::Batched);
    mList->setBatchSize(500);
    mList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mList->setSelectionMode(QAbstractItemView::SingleSelection);

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
    mReport->header()->setStretchLastSection(true);
    mReport->header()->setSectionsMovable(false);

    mStack = new QStackedWidget(this);
    mStack->addWidget(mList);
    mStack->addWidget(mReport);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(mStack);

    ConnectView(mList);
    ConnectView(mReport);
    SetView(lvwIcon);
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
    mModel->setColumnCount(std::max<qsizetype>(1, headers.size()));
    mModel->setHorizontalHeaderLabels(headers);
    for (int c = 0; c + 1 < headers.size(); ++c)
        mReport->setColumnWidth(c, 220);
}

QStringList ListView::ColumnHeaders() const {
    QStringList headers;
    for (int c = 0; c < mModel->columnCount(); ++c)
        headers.append(mModel->headerData(c, Qt::Horizontal).toString());
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
    mStack->setCurrentWidget(mView == lvwReport ? static_cast<QWidget*>(mReport) : mList);
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
    mReport->setIconSize(kSmallIconSize);
}

void ListView::Repaint() {
    // The views ask for pictures while painting; a repaint picks up the image lists as they
    // are now.
    mList->viewport()->update();
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

namespace {

QStandardItem* NewModelItem(const QString& text, int icon, int smallIcon) {
    auto* item = new QStandardItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setData(icon, kIconRole);
    item->setData(smallIcon, kSmallIconRole);
    return item;
}

} // namespace

void ListView::AddItems(const QList<NewItem>& items) {
    if (items.isEmpty())
        return;
    QList<QStandardItem*> column;
    column.reserve(items.size());
    for (const NewItem& added : items) {
        QStandardItem* item = NewModelItem(added.text, added.icon, added.smallIcon);
        if (!added.tag.isEmpty())
            item->setData(added.tag, kTagRole);
        column.append(item);
    }
    // The sub-items stay empty until SetSubItem fills them; an empty cell reads as "".
    mModel->invisibleRootItem()->appendRows(column);
}

int ListView::AddItem(const QString& text, int icon, int smallIcon) {
    QList<QStandardItem*> row{NewModelItem(text, icon, smallIcon)};
    for (int c = 1; c < mModel->columnCount(); ++c) {
        auto* sub = new QStandardItem;
        sub->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        row.append(sub);
    }
    mModel->appendRow(row);
    return mModel->rowCount();
}

void ListView::RemoveItem(int index) {
    if (index >= 1 && index <= Count())
        mModel->removeRow(index - 1);
}

void ListView::Clear() {
    mModel->removeRows(0, mModel->rowCount());
}

QString ListView::Text(int index) const {
    return mModel->data(mModel->index(index - 1, 0)).toString();
}

QString ListView::Tag(int index) const {
    return mModel->data(mModel->index(index - 1, 0), kTagRole).toString();
}

void ListView::SetTag(int index, const QString& tag) {
    mModel->setData(mModel->index(index - 1, 0), tag, kTagRole);
}

QString ListView::SubItem(int index, int column) const {
    return mModel->data(mModel->index(index - 1, column)).toString();
}

void ListView::SetSubItem(int index, int column, const QString& text) {
    if (column >= mModel->columnCount())
        mModel->setColumnCount(column + 1);
    QStandardItem* item = mModel->item(index - 1, column);
    if (!item) {
        item = new QStandardItem;
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        mModel->setItem(index - 1, column, item);
    }
    item->setText(text);
}

int ListView::Icon(int index) const {
    return mModel->data(mModel->index(index - 1, 0), kIconRole).toInt();
}

int ListView::SmallIcon(int index) const {
    return mModel->data(mModel->index(index - 1, 0), kSmallIconRole).toInt();
}

bool ListView::Bold(int index) const {
    return mModel->data(mModel->index(index - 1, 0), Qt::FontRole).value<QFont>().bold();
}

void ListView::SetBold(int index, bool bold) {
    QFont font = this->font();
    font.setBold(bold);
    mModel->setData(mModel->index(index - 1, 0), font, Qt::FontRole);
}

QString ListView::ToolTipText(int index) const {
    return mModel->data(mModel->index(index - 1, 0), Qt::ToolTipRole).toString();
}

void ListView::SetToolTipText(int index, const QString& text) {
    mModel->setData(mModel->index(index - 1, 0), text, Qt::ToolTipRole);
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
