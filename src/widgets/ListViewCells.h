#pragma once

#include <QStyledItemDelegate>

class QListView;

// How the list view draws its items. In the icon view every item takes its whole grid cell:
// the picture on top and the name below it, wrapped onto two lines and only then ended with
// an ellipsis, so that names sharing a long beginning still differ on screen. No item needs
// measuring, which for thousands of names would mean laying out every one of them before the
// first frame. The other views draw as Qt does.
class ListViewCells : public QStyledItemDelegate {
public:
    static constexpr int kTextLines = 2;

    explicit ListViewCells(QListView* view);

    // The icon view's grid cell for pictures of `icon` and text in `font`.
    static QSize GridSize(QSize icon, const QFont& font);
    // `text` as it shows in a cell `width` pixels wide: at most kTextLines lines, wrapped at
    // word boundaries (or anywhere in a word longer than the line), the last one elided.
    static QStringList WrappedLines(const QString& text, const QFont& font, int width);

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    QListView* mView;
};
