#include "widgets/ListViewModel.h"

#include "widgets/ImageList.h"
#include "widgets/PlainText.h"

int ListViewItems::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(mRows.size());
}

int ListViewItems::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(std::max<qsizetype>(1, mHeaders.size()));
}

Qt::ItemFlags ListViewItems::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

QVariant ListViewItems::data(const QModelIndex& index, int role) const {
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
        return row.mark.isEmpty() ? row.text : row.text + u' ' + row.mark;
    case Qt::EditRole:
        return row.text;
    case ListViewRole::Tag:
        return row.tag;
    case ListViewRole::Icon:
        return row.icon;
    case ListViewRole::SmallIcon:
        return row.smallIcon;
    case Qt::FontRole:
        return row.font;
    case Qt::ToolTipRole:
        return row.toolTip.isEmpty() ? QVariant() : QVariant(row.toolTip);
    default:
        return {};
    }
}

QVariant ListViewItems::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < mHeaders.size())
        return mHeaders.at(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

void ListViewItems::SetHeaders(const QStringList& headers) {
    beginResetModel();
    mHeaders = headers;
    endResetModel();
}

void ListViewItems::EnsureColumns(int count) {
    if (count <= columnCount())
        return;
    beginInsertColumns({}, columnCount(), count - 1);
    while (mHeaders.size() < count)
        mHeaders.append(QString());
    endInsertColumns();
}

void ListViewItems::Append(QList<Row> rows) {
    if (rows.isEmpty())
        return;
    const int first = static_cast<int>(mRows.size());
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    mRows.append(std::move(rows));
    endInsertRows();
}

void ListViewItems::Remove(int row) {
    if (row < 0 || row >= mRows.size())
        return;
    beginRemoveRows({}, row, row);
    mRows.removeAt(row);
    endRemoveRows();
}

void ListViewItems::Clear() {
    if (mRows.isEmpty())
        return;
    // Removed rather than reset: a reset would also forget the report's column widths.
    beginRemoveRows({}, 0, static_cast<int>(mRows.size()) - 1);
    mRows.clear();
    endRemoveRows();
}

ListViewRows::ListViewRows(ListViewItems* items, QObject* parent) : QAbstractProxyModel(parent) {
    QAbstractProxyModel::setSourceModel(items);
    Connect();
}

void ListViewRows::Connect() {
    ListViewItems* items = Items();
    connect(items, &QAbstractItemModel::modelAboutToBeReset, this, [this] { beginResetModel(); });
    connect(items, &QAbstractItemModel::modelReset, this, [this] { endResetModel(); });
    connect(items, &QAbstractItemModel::headerDataChanged, this,
            &QAbstractItemModel::headerDataChanged);
    connect(items, &QAbstractItemModel::columnsAboutToBeInserted, this,
            [this](const QModelIndex&, int first, int last) {
                if (mAllColumns)
                    beginInsertColumns({}, first, last);
            });
    connect(items, &QAbstractItemModel::columnsInserted, this, [this] {
        if (mAllColumns)
            endInsertColumns();
    });
    connect(items, &QAbstractItemModel::rowsAboutToBeInserted, this,
            [this](const QModelIndex&, int first, int last) {
                if (mShowsAll)
                    beginInsertRows({}, first, last);
            });
    // Rows added while only some are shown stay hidden until the owner picks again.
    connect(items, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) {
                if (mShowsAll) {
                    endInsertRows();
                    return;
                }
                for (int& row : mShown)
                    if (row >= first)
                        row += last - first + 1;
                Positions();
            });
    connect(items, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex&, int first, int last) {
                if (mShowsAll)
                    beginRemoveRows({}, first, last);
                else
                    beginResetModel();
            });
    connect(items, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex&, int first, int last) {
                if (mShowsAll) {
                    endRemoveRows();
                    return;
                }
                QList<int> kept;
                kept.reserve(mShown.size());
                for (int row : mShown)
                    if (row < first)
                        kept.append(row);
                    else if (row > last)
                        kept.append(row - (last - first + 1));
                mShown = std::move(kept);
                Positions();
                endResetModel();
            });
    connect(items, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& from, const QModelIndex& to, const QList<int>& roles) {
                const int lastColumn = columnCount() - 1;
                for (int source = from.row(); source <= to.row(); ++source) {
                    const int row = RowOf(source);
                    if (row >= 0)
                        emit dataChanged(index(row, 0), index(row, lastColumn), roles);
                }
            });
}

void ListViewRows::Positions() {
    mPosition = QList<int>(Items()->rowCount(), -1);
    for (qsizetype i = 0; i < mShown.size(); ++i)
        mPosition[mShown.at(i)] = static_cast<int>(i);
}

void ListViewRows::ShowAll() {
    beginResetModel();
    mShowsAll = true;
    mShown.clear();
    mPosition.clear();
    endResetModel();
}

void ListViewRows::ShowOnly(const QList<int>& rows) {
    beginResetModel();
    mShowsAll = false;
    const int count = Items()->rowCount();
    mShown.clear();
    mShown.reserve(rows.size());
    mPosition = QList<int>(count, -1);
    for (int row : rows)
        if (row >= 0 && row < count && mPosition.at(row) < 0) {
            mPosition[row] = static_cast<int>(mShown.size());
            mShown.append(row);
        }
    endResetModel();
}

int ListViewRows::SourceRow(int row) const {
    if (mShowsAll)
        return row >= 0 && row < Items()->rowCount() ? row : -1;
    return row >= 0 && row < mShown.size() ? mShown.at(row) : -1;
}

int ListViewRows::RowOf(int sourceRow) const {
    if (mShowsAll)
        return sourceRow >= 0 && sourceRow < Items()->rowCount() ? sourceRow : -1;
    return sourceRow >= 0 && sourceRow < mPosition.size() ? mPosition.at(sourceRow) : -1;
}

void ListViewRows::SetAllColumns(bool all) {
    if (all == mAllColumns)
        return;
    const int extra = Items()->columnCount() - 1;
    if (extra <= 0) {
        mAllColumns = all;
        return;
    }
    if (all) {
        beginInsertColumns({}, 1, extra);
        mAllColumns = true;
        endInsertColumns();
    } else {
        beginRemoveColumns({}, 1, extra);
        mAllColumns = false;
        endRemoveColumns();
    }
}

QModelIndex ListViewRows::mapToSource(const QModelIndex& proxy) const {
    if (!proxy.isValid())
        return {};
    const int row = SourceRow(proxy.row());
    return row < 0 ? QModelIndex() : Items()->index(row, proxy.column());
}

QModelIndex ListViewRows::mapFromSource(const QModelIndex& source) const {
    if (!source.isValid() || source.column() >= columnCount())
        return {};
    const int row = RowOf(source.row());
    return row < 0 ? QModelIndex() : createIndex(row, source.column());
}

QModelIndex ListViewRows::index(int row, int column, const QModelIndex& parent) const {
    if (parent.isValid() || row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return {};
    return createIndex(row, column);
}

int ListViewRows::rowCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    return mShowsAll ? Items()->rowCount() : static_cast<int>(mShown.size());
}

int ListViewRows::columnCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    return mAllColumns ? Items()->columnCount() : 1;
}

bool ListViewRows::hasChildren(const QModelIndex& parent) const {
    return !parent.isValid() && rowCount() > 0;
}

// The columns are the items' own: a header is read even while no row is shown.
QVariant ListViewRows::headerData(int section, Qt::Orientation orientation, int role) const {
    return Items()->headerData(section, orientation, role);
}

QVariant ListViewRows::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.column() != 0)
        return QAbstractProxyModel::data(index, role);
    const int row = SourceRow(index.row());
    switch (role) {
    case Qt::DecorationRole: {
        if (!pictures)
            return {};
        const QIcon icon =
            pictures->Item(Items()->data(Items()->index(row, 0), pictureRole).toInt());
        return icon.isNull() ? QVariant() : QVariant(icon);
    }
    case Qt::ToolTipRole: {
        QString tip = Items()->At(row)->toolTip;
        if (describe) {
            const QString description = describe(row);
            tip = description.isEmpty() ? Items()->At(row)->text
                                        : Items()->At(row)->text + u'\n' + description;
        }
        return tip.isEmpty() ? QVariant() : QVariant(PlainToolTip(tip));
    }
    case Qt::AccessibleDescriptionRole:
        return describe ? QVariant(describe(row)) : QVariant();
    default:
        return QAbstractProxyModel::data(index, role);
    }
}
