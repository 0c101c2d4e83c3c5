#include "widgets/ItemViewFocus.h"

#include <QAbstractItemView>
#include <QFocusEvent>
#include <QItemSelectionModel>
#include <QPersistentModelIndex>
#include <QTimer>

namespace {

class FocusRules : public QObject {
public:
    explicit FocusRules(QAbstractItemView* view) : QObject(view), mView(view) {}

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
        if (!selection || mView->hasFocus())
            return;
        mCurrent = selection->currentIndex();
        if (mCurrent.isValid())
            selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }

    void FocusIn(QFocusEvent* event) {
        QItemSelectionModel* selection = mView->selectionModel();
        if (!selection || !mView->model())
            return;
        if (!selection->currentIndex().isValid() && mCurrent.isValid() &&
            mCurrent.model() == mView->model())
            selection->setCurrentIndex(mCurrent, QItemSelectionModel::NoUpdate);
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

    QAbstractItemView* mView;
    QPersistentModelIndex mCurrent;
};

} // namespace

namespace ItemViewFocus {

void Attach(QAbstractItemView* view) {
    view->installEventFilter(new FocusRules(view));
}

} // namespace ItemViewFocus
