#include "widgets/ItemViewFocus.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFocusEvent>
#include <QItemSelectionModel>
#include <QPersistentModelIndex>
#include <QTimer>

namespace {

// The current item a view gave up when it lost the focus, kept with the selection model, which
// views may share (the list view's icon and report views).
constexpr char kRemembered[] = "orvRememberedCurrent";

class FocusRules : public QObject {
public:
    explicit FocusRules(QAbstractItemView* view) : QObject(view), mView(view) {
        // An item made current while another control has the focus (a list filled, or an
        // item selected by the program) waits until the view has the focus.
        if (QItemSelectionModel* selection = view->selectionModel())
            connect(selection, &QItemSelectionModel::currentChanged, this,
                    [this](const QModelIndex& current) {
                        if (current.isValid() && !HasFocus(mView->selectionModel()))
                            QTimer::singleShot(0, this, [this] { FocusOut(); });
                    });
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != mView)
            return false;
        // Acted on once the event is through: a view that is being deleted loses its focus
        // too, and must not be asked anything then (this filter goes with it).
        if (event->type() == QEvent::FocusOut &&
            static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
            QTimer::singleShot(0, this, [this] { FocusOut(); });
        else if (event->type() == QEvent::FocusIn)
            FocusIn(static_cast<QFocusEvent*>(event));
        return false;
    }

private:
    // A popup (the item menu) acts on the current item: it stays while one is open.
    void FocusOut() {
        QItemSelectionModel* selection = mView->selectionModel();
        if (!selection || HasFocus(selection))
            return;
        const QPersistentModelIndex current = selection->currentIndex();
        if (!current.isValid())
            return;
        selection->setProperty(kRemembered, QVariant::fromValue(current));
        selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }

    void FocusIn(QFocusEvent* event) {
        QItemSelectionModel* selection = mView->selectionModel();
        if (!selection || !mView->model())
            return;
        const auto remembered = selection->property(kRemembered).value<QPersistentModelIndex>();
        if (!selection->currentIndex().isValid() && remembered.isValid() &&
            remembered.model() == mView->model())
            selection->setCurrentIndex(remembered, QItemSelectionModel::NoUpdate);
        const Qt::FocusReason reason = event->reason();
        const bool byKeyboard = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
                                reason == Qt::ShortcutFocusReason;
        if (!byKeyboard || selection->hasSelection())
            return;
        QModelIndex row = selection->currentIndex();
        if (!row.isValid())
            row = mView->model()->index(0, 0, mView->rootIndex());
        if (!row.isValid())
            return;
        mView->setCurrentIndex(row);
        selection->select(row, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }

    // Whether a view showing `selection` (views may share one) has the focus.
    static bool HasFocus(const QItemSelectionModel* selection) {
        const auto* focused = qobject_cast<QAbstractItemView*>(QApplication::focusWidget());
        return focused && focused->selectionModel() == selection;
    }

    QAbstractItemView* mView;
};

} // namespace

namespace ItemViewFocus {

void Attach(QAbstractItemView* view) {
    view->installEventFilter(new FocusRules(view));
}

} // namespace ItemViewFocus
