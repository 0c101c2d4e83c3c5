#include "admin/PrincipalList.h"

#include "widgets/ImageList.h"
#include "widgets/ItemViewFocus.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QKeyEvent>

// All items, and the numbers of those the filter lets through.
class PrincipalModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    QList<PrincipalList::Item> items;
    QList<int> shown;
    QStringList headers;
    ImageList* pictures = nullptr;
    QString filter;

    static bool IsGroup(const PrincipalList::Item& item) { return item.tag == QLatin1String("G"); }

    const PrincipalList::Item* At(int row) const {
        return row >= 0 && row < shown.size() ? &items.at(shown.at(row)) : nullptr;
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(shown.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : 2;
    }

    QVariant data(const QModelIndex& index, int role) const override {
        const PrincipalList::Item* item = At(index.row());
        if (!item)
            return {};
        if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
            if (index.column() != 0)
                return item->sid;
            // A user and a group may share a name (every user has a personal group).
            return IsGroup(*item) ? item->text + QStringLiteral(" (group)") : item->text;
        }
        if (role == Qt::AccessibleDescriptionRole)
            return IsGroup(*item) ? QStringLiteral("group") : QStringLiteral("user");
        if (role == Qt::DecorationRole && index.column() == 0 && pictures) {
            const QIcon icon = pictures->Item(item->picture);
            return icon.isNull() ? QVariant() : QVariant(icon);
        }
        return {};
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < headers.size())
            return headers.at(section);
        return {};
    }

    void Refilter() {
        beginResetModel();
        shown.clear();
        shown.reserve(items.size());
        for (int i = 0; i < items.size(); ++i) {
            const PrincipalList::Item& item = items.at(i);
            if (filter.isEmpty() || item.text.contains(filter, Qt::CaseInsensitive) ||
                item.sid.contains(filter, Qt::CaseInsensitive))
                shown.append(i);
        }
        endResetModel();
    }
};

PrincipalList::PrincipalList(QWidget* parent) : QTreeView(parent) {
    mModel = new PrincipalModel(this);
    setModel(mModel);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    // Row heights are not measured item by item: a list of 10,000 accounts lays out at once.
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setIconSize(QSize(16, 16));
    header()->setStretchLastSection(true);
    header()->setSectionsMovable(false);
    ItemViewFocus::Attach(this);
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            emit Activated();
    });
}

PrincipalList::~PrincipalList() = default;

void PrincipalList::SetColumnHeaders(const QStringList& headers) {
    mModel->headers = headers;
    emit mModel->headerDataChanged(Qt::Horizontal, 0, mModel->columnCount() - 1);
    setColumnWidth(0, 190);
}

QStringList PrincipalList::ColumnHeaders() const {
    return mModel->headers;
}

void PrincipalList::SetSmallIcons(ImageList* pictures) {
    mModel->pictures = pictures;
    viewport()->update();
}

void PrincipalList::SetItems(QList<Item> items) {
    mModel->items = std::move(items);
    mModel->Refilter();
    SelectItem(1);
}

void PrincipalList::Filter(const QString& text) {
    if (text == mModel->filter)
        return;
    mModel->filter = text;
    mModel->Refilter();
    SelectItem(1);
}

int PrincipalList::Count() const {
    return mModel->rowCount();
}

QString PrincipalList::Text(int index) const {
    const Item* item = mModel->At(index - 1);
    return item ? item->text : QString();
}

QString PrincipalList::Tag(int index) const {
    const Item* item = mModel->At(index - 1);
    return item ? item->tag : QString();
}

QString PrincipalList::SubItem(int index, int column) const {
    const Item* item = mModel->At(index - 1);
    return item && column == 1 ? item->sid : QString();
}

int PrincipalList::Icon(int index) const {
    const Item* item = mModel->At(index - 1);
    return item ? item->picture : 0;
}

QIcon PrincipalList::ShownPicture(int index) const {
    return mModel->data(mModel->index(index - 1, 0), Qt::DecorationRole).value<QIcon>();
}

int PrincipalList::SelectedItem() const {
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? 0 : rows.first().row() + 1;
}

void PrincipalList::SelectItem(int index) {
    const QModelIndex item = mModel->index(index - 1, 0);
    if (!item.isValid())
        return;
    setCurrentIndex(item);
    selectionModel()->select(item, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void PrincipalList::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && SelectedItem() != 0) {
        event->accept();
        emit Activated();
        return;
    }
    QTreeView::keyPressEvent(event);
}
