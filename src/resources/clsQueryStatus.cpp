#include "resources/clsQueryStatus.h"

#include "platform/Text.h"

#include "widgets/ProgressBar.h"

#include <QCoreApplication>

namespace {
QString Fit(const QString& text) {
    return TrimSpaces(text)
        .left(clsQueryStatus::kStatusLength)
        .leftJustified(clsQueryStatus::kStatusLength, QLatin1Char(' '));
}
} // namespace

clsQueryStatus::clsQueryStatus(bool lowColor)
    : mStatusText(kStatusLength, QLatin1Char(' ')), mLowColor(lowColor) {}

clsQueryStatus::~clsQueryStatus() {
    // Widgets can only go while the application object lives; at program exit it is gone.
    if (mWait && mWait->isVisible() && QCoreApplication::instance())
        delete mWait;
}

void clsQueryStatus::SetStatusText(const QString& text) {
    mStatusText = Fit(text);
}

void clsQueryStatus::SetProgressValue(int value) {
    mValue = value;
    UpdateBar(value);
}

frmWait& clsQueryStatus::Wait() {
    if (!mWait)
        mWait = new frmWait(mLowColor);
    return *mWait;
}

void clsQueryStatus::UpdateBar(int value) {
    Wait().prgbar->SetValue(value);
}

void clsQueryStatus::showProgress() {
    frmWait& wait = Wait();
    if (wait.isVisible())
        return;
    wait.prgbar->SetMax(mMax);
    wait.prgbar->SetText(mStatusText);
    mStatusText = Fit(wait.prgbar->Text());
    wait.prgbar->SetValue(mValue);
    // Shown without blocking, and painted before the caller goes on with its work.
    wait.show();
    wait.raise();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void clsQueryStatus::hideProgress() {
    delete mWait;
}
