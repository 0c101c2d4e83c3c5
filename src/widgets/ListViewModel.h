#pragma once

#include <QAbstractProxyModel>
#include <QAbstractTableModel>
#include <QFont>
#include <QStringList>
#include <functional>

class ImageList;

namespace ListViewRole {
constexpr int Tag = Qt::UserRole + 1;
constexpr int Icon = Qt::UserRole + 2;
constexpr int SmallIcon = Qt::UserRole + 3;
} // namespace ListViewRole

// The list view's items as rows of plain values: a list of thousands is filled and emptied
// without an object per cell, and reads no slower than a list of ten.
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
        QString mark; // shown after the text, not part of it
    };

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const QStringList& Headers() const { return mHeaders; }
    void SetHeaders(const QStringList& headers);
    void EnsureColumns(int count);

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
    void Append(QList<Row> rows);
    void Remove(int row);
    void Clear();

private:
    QStringList mHeaders;
    QList<Row> mRows;
};

// What the views see of the items: all of them, or only those the owner picked, in the order
// it picked them; the first column alone outside the report view (a screen reader is offered
// one object per item, not one per column); each item's picture, from the image list of the
// current view, and its tooltip, always as plain text.
class ListViewRows : public QAbstractProxyModel {
public:
    ListViewRows(ListViewItems* items, QObject* parent);

    ImageList* pictures = nullptr;
    int pictureRole = ListViewRole::Icon;
    // When set, an item's description (by row of the items): its tooltip then reads the text
    // and the description on two lines, and a screen reader reads the description.
    std::function<QString(int row)> describe;

    void ShowAll();
    // Rows of the items, in the order to show; rows out of range are left out.
    void ShowOnly(const QList<int>& rows);
    bool ShowsAll() const { return mShowsAll; }
    // The row of the items shown at `row`, and back (-1 when not shown).
    int SourceRow(int row) const;
    int RowOf(int sourceRow) const;
    void SetAllColumns(bool all);

    QModelIndex mapToSource(const QModelIndex& proxy) const override;
    QModelIndex mapFromSource(const QModelIndex& source) const override;
    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex&) const override { return {}; }
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void Connect();
    void Positions();
    ListViewItems* Items() const { return static_cast<ListViewItems*>(sourceModel()); }

    bool mShowsAll = true;
    bool mAllColumns = false;
    QList<int> mShown;    // source rows, in the order shown, when not all
    QList<int> mPosition; // per source row: its row here, or -1
};
