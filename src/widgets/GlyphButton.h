#pragma once

#include <QPushButton>

// The push button of every window: a caption and a click.
class GlyphButton : public QPushButton {
    Q_OBJECT
public:
    explicit GlyphButton(const QString& caption, QWidget* parent = nullptr);
    QString Caption() const { return text(); }
    void SetCaption(const QString& caption) { setText(caption); }
};
