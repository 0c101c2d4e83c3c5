#include "widgets/FirstPaint.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace {

class FirstPaintWatcher : public QObject {
public:
    FirstPaintWatcher(QObject* parent, std::function<void()> thereafter)
        : QObject(parent), mThereafter(std::move(thereafter)) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !mSeen) {
            mSeen = true;
            // Posted, so that it runs once the whole frame (the children too) is drawn.
            QTimer::singleShot(0, [this] {
                std::fputs("painted\n", stdout);
                std::fflush(stdout);
                if (mThereafter)
                    mThereafter();
                QCoreApplication::exit(0);
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> mThereafter;
    bool mSeen = false;
};

} // namespace

void ExitAfterFirstPaint(QWidget& window, std::function<void()> thereafter) {
    window.installEventFilter(new FirstPaintWatcher(&window, std::move(thereafter)));
}
