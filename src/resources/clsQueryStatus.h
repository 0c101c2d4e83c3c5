#pragma once

#include <QPointer>
#include <QString>

#include "resources/frmWait.h"

// A status text, a maximum and a value, mirrored onto the progress bar of a wait window that
// each status object creates when first needed.
class clsQueryStatus {
public:
    static constexpr int kStatusLength = 25;

    explicit clsQueryStatus(bool lowColor = false);
    // Unloads a wait window that is still visible.
    ~clsQueryStatus();
    clsQueryStatus(const clsQueryStatus&) = delete;
    clsQueryStatus& operator=(const clsQueryStatus&) = delete;

    // Stored trimmed, left-aligned in 25 characters: shorter text is padded with blanks,
    // longer text cut.
    void SetStatusText(const QString& text);
    void SetProgressMax(int max) { mMax = max; }
    // Stores the value and moves the bar at once.
    void SetProgressValue(int value);
    QString StatusText() const { return mStatusText; }
    int ProgressMax() const { return mMax; }
    int ProgressValue() const { return mValue; }

    // Hands maximum, text and value to the bar and shows the wait window, unless it is shown
    // already.
    void showProgress();
    // Unloads the wait window.
    void hideProgress();

    // Whether the windows created from now on use the low-colour display.
    void SetLowColor(bool lowColor) { mLowColor = lowColor; }
    // The wait window, or null while it is not loaded.
    frmWait* WaitWindow() const { return mWait; }

private:
    void UpdateBar(int value);
    frmWait& Wait();

    QString mStatusText;
    int mMax = 100;
    int mValue = 0;
    bool mLowColor = false;
    QPointer<frmWait> mWait;
};
