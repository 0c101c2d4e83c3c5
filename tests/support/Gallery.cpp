#include "support/Gallery.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QTest>
#include <QTextDocument>
#include <QWidget>

QString GalleryDir() {
    QString buildDir = qEnvironmentVariable("ORV_BUILD_DIR");
    if (buildDir.isEmpty())
        buildDir = QDir::currentPath();
    const QString dir = buildDir + QStringLiteral("/gallery");
    QDir().mkpath(dir);
    return dir;
}

QString SaveToGallery(QWidget* window, const QString& name) {
    // Every window pictured here shows its labels and tooltips as plain text: a name that
    // looks like markup must never be rendered.
    for (const QLabel* label : window->findChildren<QLabel*>())
        if (label->textFormat() != Qt::PlainText)
            QTest::qFail(qPrintable(QStringLiteral("%1: the label %2 (\"%3\") may render markup")
                                        .arg(name, label->objectName(), label->text())),
                         __FILE__, __LINE__);
    for (const QWidget* widget : window->findChildren<QWidget*>()) {
        const QString tip = widget->toolTip();
        if (Qt::mightBeRichText(tip) &&
            !tip.startsWith(QLatin1String("<p style='white-space:pre-wrap'>")))
            QTest::qFail(
                qPrintable(
                    QStringLiteral("%1: the tooltip \"%2\" may render markup").arg(name, tip)),
                __FILE__, __LINE__);
    }
    const QString dir = GalleryDir();
    window->show();
    QApplication::processEvents();
    const QString file = dir + QLatin1Char('/') + name + QStringLiteral(".png");
    return window->grab().save(file) ? file : QString();
}
