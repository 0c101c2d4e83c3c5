#pragma once

#include <QProgressBar>

// A progress bar that shows a value between 0 and its maximum and, when given, a text. It is
// drawn flat, in the palette's colours: the style's bar (a rounded, stroked gradient) cost more
// than the rest of a start-up stage's repaint, and the splash repaints its bar at every stage.
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

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString mText;
};
