#include "launcher/LauncherSearchBar.h"

#include "launcher/LauncherFilter.h"
#include "widgets/PlainText.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>

LauncherSearchBar::LauncherSearchBar(QWidget* parent) : QWidget(parent) {
    lblFind = PlainLabel(QStringLiteral("&Find:"), this);
    txtFind = new QLineEdit(this);
    txtFind->setObjectName(QStringLiteral("txtFind"));
    txtFind->setClearButtonEnabled(true);
    txtFind->setPlaceholderText(QStringLiteral("name or description (Ctrl+F)"));
    txtFind->setAccessibleName(QStringLiteral("Find programs by name or description"));
    lblFind->setBuddy(txtFind);
    tabScope = new QTabBar(this);
    tabScope->setObjectName(QStringLiteral("tabScope"));
    tabScope->setAccessibleName(QStringLiteral("Show"));
    tabScope->setDrawBase(false);
    tabScope->setExpanding(false);
    tabScope->insertTab(LauncherFilter::AllItems, QStringLiteral("All"));
    tabScope->insertTab(LauncherFilter::Favourites, QStringLiteral("Favourites"));
    tabScope->insertTab(LauncherFilter::Recent, QStringLiteral("Recently Used"));
    tabScope->setTabToolTip(LauncherFilter::Recent,
                            PlainToolTip(QStringLiteral("The last 10 you started")));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(lblFind);
    layout->addWidget(txtFind, 1);
    layout->addWidget(tabScope);

    txtFind->installEventFilter(this);
    connect(txtFind, &QLineEdit::textChanged, this, &LauncherSearchBar::Changed);
    connect(txtFind, &QLineEdit::returnPressed, this, &LauncherSearchBar::Accepted);
    connect(tabScope, &QTabBar::currentChanged, this, &LauncherSearchBar::Changed);
}

QString LauncherSearchBar::Text() const {
    return txtFind->text();
}

int LauncherSearchBar::Scope() const {
    return tabScope->currentIndex();
}

void LauncherSearchBar::SetScope(int scope) {
    tabScope->setCurrentIndex(scope);
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
