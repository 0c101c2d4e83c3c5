#include "widgets/ListViewCells.h"

#include <QApplication>
#include <QListView>
#include <QPainter>
#include <QTextLayout>
#include <optional>

namespace {
constexpr int kPad = 3;
} // namespace

ListViewCells::ListViewCells(QListView* view) : QStyledItemDelegate(view), mView(view) {}

QSize ListViewCells::GridSize(QSize icon, const QFont& font) {
    const int line = QFontMetrics(font).lineSpacing();
    return {icon.width() + 64, icon.height() + 4 * kPad + kTextLines * line};
}

namespace {

// A name as it shows under its picture, laid out once: the layout's lines are measured and
// drawn without shaping the text again, which for a screenful of icons was most of a frame.
// A name longer than the lines ends in an ellipsis on the last one, laid out on its own.
class CellLines {
public:
    CellLines(const QString& text, const QFont& font, int width) : mLayout(text, font) {
        if (text.isEmpty() || width <= 0)
            return;
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        mLayout.setTextOption(option);
        mLayout.setCacheEnabled(true);
        mLayout.beginLayout();
        for (int i = 0; i < ListViewCells::kTextLines; ++i) {
            QTextLine line = mLayout.createLine();
            if (!line.isValid())
                break;
            line.setLineWidth(width);
        }
        mLayout.endLayout();
        mCount = mLayout.lineCount();
        if (mCount < ListViewCells::kTextLines)
            return;
        const QTextLine last = mLayout.lineAt(mCount - 1);
        if (last.textStart() + last.textLength() >= text.size())
            return;
        const QString rest = text.mid(last.textStart()).trimmed();
        mElided.emplace(QFontMetrics(font).elidedText(rest, Qt::ElideRight, width), font);
        mElided->setCacheEnabled(true);
        mElided->beginLayout();
        mElided->createLine().setLineWidth(width);
        mElided->endLayout();
    }

    int Count() const { return mCount; }
    QString Text(int i) const {
        const QTextLine line = Line(i);
        return Of(i).text().mid(line.textStart(), line.textLength()).trimmed();
    }
    // The width the line's text covers, spaces at either end left out.
    qreal Width(int i) const { return Line(i).naturalTextWidth(); }
    // Draws line `i` centred in `box`, as QPainter::drawText centres one line.
    void Draw(QPainter* painter, int i, const QRect& box) const {
        const QTextLine line = Line(i);
        const qreal x = (box.width() - line.naturalTextWidth()) / 2 - line.x();
        const qreal y = (box.height() - (line.ascent() + line.descent())) / 2 - line.y();
        line.draw(painter, QPointF(box.x() + x, box.y() + y));
    }

private:
    bool IsElided(int i) const { return mElided && i == mCount - 1; }
    const QTextLayout& Of(int i) const { return IsElided(i) ? *mElided : mLayout; }
    QTextLine Line(int i) const { return Of(i).lineAt(IsElided(i) ? 0 : i); }

    QTextLayout mLayout;
    std::optional<QTextLayout> mElided;
    int mCount = 0;
};

} // namespace

QStringList ListViewCells::WrappedLines(const QString& text, const QFont& font, int width) {
    const CellLines lines(text, font, width);
    QStringList texts;
    for (int i = 0; i < lines.Count(); ++i)
        texts.append(lines.Text(i));
    return texts;
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
    const CellLines lines(cell.text, cell.font, width);
    qreal widest = 0;
    for (int i = 0; i < lines.Count(); ++i)
        widest = std::max(widest, lines.Width(i));
    const int lineHeight = QFontMetrics(cell.font).lineSpacing();
    const int textWidth = qRound(widest);
    const QRect textBox(cell.rect.center().x() - textWidth / 2 - kPad + 1, iconRect.bottom() + kPad,
                        textWidth + 2 * kPad, lines.Count() * lineHeight + 2);
    painter->save();
    if (selected)
        painter->fillRect(textBox, cell.palette.brush(group, QPalette::Highlight));
    painter->setPen(
        cell.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    for (int i = 0; i < lines.Count(); ++i)
        lines.Draw(painter, i,
                   QRect(cell.rect.left(), textBox.top() + 1 + i * lineHeight, cell.rect.width(),
                         lineHeight));
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
