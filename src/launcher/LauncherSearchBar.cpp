#include "launcher/LauncherSearchBar.h"

#include "launcher/LauncherFilter.h"
#include "widgets/PlainText.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QResizeEvent>
#include <QSpacerItem>
#include <QStyle>
#include <QStyleOptionFrame>

namespace {

constexpr int kGap = 8; // between Find and the choice, when they share a row

} // namespace

LauncherSearchBar::LauncherSearchBar(QWidget* parent) : QWidget(parent) {
    lblFind = PlainLabel(QStringLiteral("&Find:"), this);
    txtFind = new QLineEdit(this);
    txtFind->setObjectName(QStringLiteral("txtFind"));
    // No clear button: Qt looks its picture up in the icon theme, which cost the start-up 3 ms;
    // Escape clears the box.
    txtFind->setPlaceholderText(QStringLiteral("name or description (Ctrl+F)"));
    txtFind->setAccessibleName(QStringLiteral("Find programs by name or description"));
    lblFind->setBuddy(txtFind);
    lblShow = PlainLabel(QStringLiteral("Show:"), this);
    optAll = new QRadioButton(QStringLiteral("&All"), this);
    optAll->setObjectName(QStringLiteral("optAll"));
    optFavourites = new QRadioButton(QStringLiteral("Fa&vourites"), this);
    optFavourites->setObjectName(QStringLiteral("optFavourites"));
    optRecent = new QRadioButton(QStringLiteral("&Recently Used"), this);
    optRecent->setObjectName(QStringLiteral("optRecent"));
    optRecent->setToolTip(PlainToolTip(QStringLiteral("The last 10 you started")));
    mScope = new QButtonGroup(this);
    mScope->addButton(optAll, LauncherFilter::AllItems);
    mScope->addButton(optFavourites, LauncherFilter::Favourites);
    mScope->addButton(optRecent, LauncherFilter::Recent);
    optAll->setChecked(true);

    mFindRow = new QHBoxLayout;
    mFindRow->addWidget(lblFind);
    mFindRow->addWidget(txtFind, 1);
    mShowRow = new QHBoxLayout;
    mShowRow->addWidget(lblShow);
    mShowRow->addWidget(optAll);
    mShowRow->addWidget(optFavourites);
    mShowRow->addWidget(optRecent);
    mShowRow->addStretch();
    mRows = new QBoxLayout(QBoxLayout::LeftToRight, this);
    mRows->setContentsMargins(0, 0, 0, 0);
    mRows->addLayout(mFindRow, 1);
    mGap = new QSpacerItem(kGap, 0, QSizePolicy::Fixed, QSizePolicy::Minimum);
    mRows->addItem(mGap);
    mRows->addLayout(mShowRow);

    txtFind->installEventFilter(this);
    connect(txtFind, &QLineEdit::textChanged, this, &LauncherSearchBar::Changed);
    connect(txtFind, &QLineEdit::returnPressed, this, &LauncherSearchBar::Accepted);
    connect(mScope, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked)
            emit Changed();
    });
}

int LauncherSearchBar::OneRowWidth() const {
    QStyleOptionFrame frame;
    frame.initFrom(txtFind);
    const QSize hint(txtFind->fontMetrics().horizontalAdvance(txtFind->placeholderText()) +
                         txtFind->fontMetrics().averageCharWidth() * 2,
                     txtFind->sizeHint().height());
    const int field = style()->sizeFromContents(QStyle::CT_LineEdit, &frame, hint, txtFind).width();
    return lblFind->sizeHint().width() + mFindRow->spacing() + field + mRows->spacing() + kGap +
           mShowRow->sizeHint().width();
}

void LauncherSearchBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const auto direction =
        event->size().width() >= OneRowWidth() ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom;
    if (mRows->direction() == direction)
        return;
    mGap->changeSize(direction == QBoxLayout::LeftToRight ? kGap : 0, 0, QSizePolicy::Fixed,
                     QSizePolicy::Minimum);
    mRows->setDirection(direction);
}

QString LauncherSearchBar::Text() const {
    return txtFind->text();
}

int LauncherSearchBar::Scope() const {
    return mScope->checkedId();
}

void LauncherSearchBar::SetScope(int scope) {
    if (QAbstractButton* button = mScope->button(scope))
        button->setChecked(true);
}

void LauncherSearchBar::Clear() {
    txtFind->clear();
}

void LauncherSearchBar::StartTyping(const QString& typed) {
    txtFind->setFocus(Qt::ShortcutFocusReason);
    txtFind->insert(typed);
}

void LauncherSearchBar::FocusFind() {
    txtFind->setFocus(Qt::ShortcutFocusReason);
    txtFind->selectAll();
}

bool LauncherSearchBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched != txtFind || event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    switch (static_cast<QKeyEvent*>(event)->key()) {
    case Qt::Key_Down:
    case Qt::Key_PageDown:
        emit LeaveForList();
        return true;
    case Qt::Key_Escape:
        if (txtFind->text().isEmpty())
            emit LeaveForList();
        else
            txtFind->clear();
        return true;
    default:
        return QWidget::eventFilter(watched, event);
    }
}
