// Precompiled headers: the Qt headers most files include. Not the umbrella headers, which
// bring the platforms' native interfaces (and X11's Display) along.
#pragma once
#ifdef __cplusplus
#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QVariant>
// Only for the folders that link Qt Widgets: the others must not need it.
#if __has_include(<QWidget>)
#include <QWidget>
#endif
#include <memory>
#include <optional>
#endif
