#include "widgets/FirstPaint.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace {

class FirstPaintWatcher : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !mSeen) {
            mSeen = true;
            // Posted, so that it runs once the whole frame (the children too) is drawn.
            QTimer::singleShot(0, [] {
                std::fputs("painted\n", stdout);
                std::fflush(stdout);
                QCoreApplication::exit(0);
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool mSeen = false;
};

} // namespace

void ExitAfterFirstPaint(QWidget& window) {
    window.installEventFilter(new FirstPaintWatcher(&window));
}
