#include "support/Gallery.h"

#include <QApplication>
#include <QDir>
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
    const QString dir = GalleryDir();
    window->show();
    QApplication::processEvents();
    const QString file = dir + QLatin1Char('/') + name + QStringLiteral(".png");
    return window->grab().save(file) ? file : QString();
}
