#include "widgets/ListViewCells.h"

#include <QApplication>
#include <QListView>
#include <QPainter>
#include <QTextLayout>

namespace {
constexpr int kPad = 3;
} // namespace

ListViewCells::ListViewCells(QListView* view) : QStyledItemDelegate(view), mView(view) {}

QSize ListViewCells::GridSize(QSize icon, const QFont& font) {
    const int line = QFontMetrics(font).lineSpacing();
    return {icon.width() + 64, icon.height() + 4 * kPad + kTextLines * line};
}

QStringList ListViewCells::WrappedLines(const QString& text, const QFont& font, int width) {
    QStringList lines;
    if (text.isEmpty() || width <= 0)
        return lines;
    const QFontMetrics metrics(font);
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    while (lines.size() < kTextLines) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width);
        const int from = line.textStart();
        if (lines.size() == kTextLines - 1) {
            // The last line takes the rest of the name, elided when it does not fit.
            lines.append(metrics.elidedText(text.mid(from).trimmed(), Qt::ElideRight, width));
            break;
        }
        lines.append(text.mid(from, line.textLength()).trimmed());
    }
    layout.endLayout();
    return lines;
}

QSize ListViewCells::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    if (mView->viewMode() == QListView::IconMode && mView->gridSize().isValid())
        return mView->gridSize();
    return QStyledItemDelegate::sizeHint(option, index);
}

void ListViewCells::paint(QPainter* painter, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const {
    if (mView->viewMode() != QListView::IconMode) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const QWidget* widget = cell.widget;
    const QStyle* style = widget ? widget->style() : QApplication::style();
    const bool selected = cell.state & QStyle::State_Selected;
    const QPalette::ColorGroup group = !(cell.state & QStyle::State_Enabled) ? QPalette::Disabled
                                       : (cell.state & QStyle::State_Active) ? QPalette::Active
                                                                             : QPalette::Inactive;

    const QSize icon = cell.decorationSize;
    const QRect iconRect(cell.rect.center().x() - icon.width() / 2 + 1, cell.rect.top() + kPad,
                         icon.width(), icon.height());
    cell.icon.paint(painter, iconRect, Qt::AlignCenter, selected ? QIcon::Selected : QIcon::Normal);

    const int width = cell.rect.width() - 2 * kPad;
    const QStringList lines = WrappedLines(cell.text, cell.font, width);
    const QFontMetrics metrics(cell.font);
    int widest = 0;
    for (const QString& line : lines)
        widest = std::max(widest, metrics.horizontalAdvance(line));
    const int lineHeight = metrics.lineSpacing();
    const QRect textBox(cell.rect.center().x() - widest / 2 - kPad + 1, iconRect.bottom() + kPad,
                        widest + 2 * kPad, static_cast<int>(lines.size()) * lineHeight + 2);
    painter->save();
    if (selected)
        painter->fillRect(textBox, cell.palette.brush(group, QPalette::Highlight));
    painter->setFont(cell.font);
    painter->setPen(
        cell.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    for (qsizetype i = 0; i < lines.size(); ++i)
        painter->drawText(QRect(cell.rect.left(), textBox.top() + 1 + int(i) * lineHeight,
                                cell.rect.width(), lineHeight),
                          Qt::AlignHCenter | Qt::AlignVCenter, lines.at(i));
    painter->restore();
    if (cell.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(cell);
        focus.rect = textBox;
        focus.backgroundColor =
            cell.palette.color(group, selected ? QPalette::Highlight : QPalette::Base);
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
    }
}
