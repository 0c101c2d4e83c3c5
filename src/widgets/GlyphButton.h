#pragma once

#include <QPushButton>

// The push button of every window: a caption and a click. Enter presses the button that has
// the focus, as Space does; a window marks its default button (setDefault), which Enter
// presses from anywhere else in it.
class GlyphButton : public QPushButton {
    Q_OBJECT
public:
    explicit GlyphButton(const QString& caption, QWidget* parent = nullptr);
    QString Caption() const { return text(); }
    void SetCaption(const QString& caption) { setText(caption); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
