#include "resources/ResourceTree.h"

#include "widgets/ImageList.h"
#include "widgets/ItemViewFocus.h"

#include <QHeaderView>

namespace {
constexpr int kKeyRole = Qt::UserRole + 1;
constexpr int kImageRole = Qt::UserRole + 2;
constexpr int kSelectedImageRole = Qt::UserRole + 3;
} // namespace

ResourceTree::ResourceTree(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(1);
    header()->hide();
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAccessibleName(QStringLiteral("Icons of the file"));
    ItemViewFocus::Attach(this);
}

QTreeWidgetItem* ResourceTree::AddNode(QTreeWidgetItem* relative, const QString& key,
                                       const QString& text, int image, int selectedImage) {
    auto* node = new QTreeWidgetItem(QStringList{text});
    node->setData(0, kKeyRole, key);
    node->setData(0, kImageRole, image);
    node->setData(0, kSelectedImageRole, selectedImage);
    if (mImages && image > 0) {
        QIcon icon;
        const QSize size = mImages->ImageSize();
        icon.addPixmap(mImages->Item(image).pixmap(size), QIcon::Normal);
        icon.addPixmap(mImages->Item(selectedImage > 0 ? selectedImage : image).pixmap(size),
                       QIcon::Selected);
        node->setIcon(0, icon);
    }
    if (relative)
        relative->addChild(node);
    else
        addTopLevelItem(node);
    return node;
}

void ResourceTree::RemoveNode(QTreeWidgetItem* node) {
    delete node;
}

QString ResourceTree::Key(const QTreeWidgetItem* node) {
    return node->data(0, kKeyRole).toString();
}

int ResourceTree::Image(const QTreeWidgetItem* node) {
    return node->data(0, kImageRole).toInt();
}

int ResourceTree::SelectedImage(const QTreeWidgetItem* node) {
    return node->data(0, kSelectedImageRole).toInt();
}
