#include "widgets/ScreenFit.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace ScreenFit {
namespace {

constexpr char kKeeperName[] = "ScreenFitKeeper";

class Keeper : public QObject {
public:
    Keeper(QWidget* window, Placement placement) : QObject(window), mPlacement(placement) {
        setObjectName(QLatin1String(kKeeperName));
    }
    void SetPlacement(Placement placement) { mPlacement = placement; }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched == parent())
            FitNow(static_cast<QWidget*>(watched), mPlacement);
        return false;
    }

private:
    Placement mPlacement;
};

QScreen* ScreenOf(QWidget* window) {
    if (QWidget* owner = window->parentWidget())
        if (QScreen* screen = owner->window()->screen())
            return screen;
    QScreen* screen = window->screen();
    return screen ? screen : QGuiApplication::primaryScreen();
}

// The frame the window system draws around the window: what it says once it knows, and never
// less than the allowance on a side (before a window is first shown, the frame it will get is
// not known).
QMargins FrameOf(QWidget* window) {
    const QRect frame = window->frameGeometry();
    const QRect inner = window->geometry();
    const QMargins known(inner.left() - frame.left(), inner.top() - frame.top(),
                         frame.right() - inner.right(), frame.bottom() - inner.bottom());
    if (window->windowFlags().testFlag(Qt::FramelessWindowHint))
        return known;
    return QMargins(std::max(known.left(), kFrameAllowance.left()),
                    std::max(known.top(), kFrameAllowance.top()),
                    std::max(known.right(), kFrameAllowance.right()),
                    std::max(known.bottom(), kFrameAllowance.bottom()));
}

} // namespace

QRect Inside(const QRect& frame, const QRect& available) {
    QRect fitted(frame.topLeft(), frame.size().boundedTo(available.size()));
    if (fitted.right() > available.right())
        fitted.moveRight(available.right());
    if (fitted.bottom() > available.bottom())
        fitted.moveBottom(available.bottom());
    if (fitted.left() < available.left())
        fitted.moveLeft(available.left());
    if (fitted.top() < available.top())
        fitted.moveTop(available.top());
    return fitted;
}

void Keep(QWidget* window, Placement placement) {
    // Asked again (a dialog's border, then the dialog itself), the last placement holds.
    // Found by name: a class without a meta-object of its own cannot be looked up by type.
    if (auto* keeper =
            window->findChild<QObject*>(QLatin1String(kKeeperName), Qt::FindDirectChildrenOnly)) {
        static_cast<Keeper*>(keeper)->SetPlacement(placement);
        return;
    }
    window->installEventFilter(new Keeper(window, placement));
}

void FitNow(QWidget* window, Placement placement) {
    QScreen* screen = ScreenOf(window);
    if (!screen || !window->isWindow())
        return;
    const QRect available = screen->availableGeometry();
    const QMargins frame = FrameOf(window);
    const QSize room = available.size().shrunkBy(frame);
    const QSize size = window->size();
    if (size.width() > room.width() || size.height() > room.height())
        window->resize(size.boundedTo(room).expandedTo(window->minimumSize()));
    QRect outer = window->geometry().marginsAdded(frame);
    if (placement == Placement::CentredOnScreen)
        outer.moveCenter(available.center());
    outer = Inside(outer, available);
    // The contents where the frame leaves them: Qt knows the frame only once the window
    // system has drawn one.
    const QRect inner = outer.marginsRemoved(frame);
    if (inner != window->geometry())
        window->setGeometry(inner);
}

} // namespace ScreenFit
