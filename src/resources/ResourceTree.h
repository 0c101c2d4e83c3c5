#pragma once

#include <QTreeWidget>

class ImageList;

// The tree view of the resource viewer: nodes with a key, a text, an image and a selected
// image (numbers into the attached image list, from 1), added under a relative node as the
// common-controls tree does. The image shows while a node is not selected, the selected image
// while it is.
class ResourceTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit ResourceTree(QWidget* parent = nullptr);

    void SetImageList(const ImageList* images) { mImages = images; }

    // Adds a node as the last child of `relative`, or as a top node when it is null.
    QTreeWidgetItem* AddNode(QTreeWidgetItem* relative, const QString& key, const QString& text,
                             int image = 0, int selectedImage = 0);
    // The first node of the tree (the program), or null.
    QTreeWidgetItem* FirstNode() const { return topLevelItem(0); }
    // Removes `node` and its children.
    void RemoveNode(QTreeWidgetItem* node);

    static QString Key(const QTreeWidgetItem* node);
    static QString Text(const QTreeWidgetItem* node) { return node->text(0); }
    static int Image(const QTreeWidgetItem* node);
    static int SelectedImage(const QTreeWidgetItem* node);

private:
    const ImageList* mImages = nullptr;
};
