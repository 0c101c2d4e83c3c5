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
#include <QWidget>
#include <memory>
#include <optional>
#endif
