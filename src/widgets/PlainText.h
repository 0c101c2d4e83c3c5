#pragma once

#include <QLabel>
#include <QString>
#include <QTextDocument>

// Text from data (names, paths, descriptions, server replies) is shown as it is, never as
// markup: a name such as "<img src=/dev/zero>" rendered as rich text would make Qt read that
// file into the window. Every label of the windows is made here; tooltips, which Qt renders as
// rich text whenever they look like it, are escaped.

inline QLabel* PlainLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

inline QLabel* PlainLabel(QWidget* parent) {
    return PlainLabel(QString(), parent);
}

// A tooltip that shows `text` literally, line breaks kept, long lines wrapped.
inline QString PlainToolTip(const QString& text) {
    return text.isEmpty() ? QString()
                          : QStringLiteral("<p style='white-space:pre-wrap'>") +
                                text.toHtmlEscaped() + QStringLiteral("</p>");
}
