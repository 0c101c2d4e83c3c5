#include "launcher/LauncherSearchBar.h"

#include "launcher/LauncherFilter.h"
#include "widgets/PlainText.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

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

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(lblFind);
    layout->addWidget(txtFind, 1);
    layout->addSpacing(8);
    layout->addWidget(lblShow);
    layout->addWidget(optAll);
    layout->addWidget(optFavourites);
    layout->addWidget(optRecent);

    txtFind->installEventFilter(this);
    connect(txtFind, &QLineEdit::textChanged, this, &LauncherSearchBar::Changed);
    connect(txtFind, &QLineEdit::returnPressed, this, &LauncherSearchBar::Accepted);
    connect(mScope, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked)
            emit Changed();
    });
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
