#pragma once

#include <QProgressBar>

// A progress bar that shows a value between 0 and its maximum and, when given, a text.
class ProgressBar : public QProgressBar {
    Q_OBJECT
public:
    explicit ProgressBar(QWidget* parent = nullptr);
    void SetMax(int max) { setMaximum(max); }
    void SetValue(int value) { setValue(value); }
    // An empty text shows the bar alone.
    void SetText(const QString& text);
    QString Text() const { return mText; }
    QString text() const override;

private:
    QString mText;
};
