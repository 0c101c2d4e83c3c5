#include "platform/ThemeIcon.h"

#include <QDir>
#include <QFile>

// Outside any namespace: Q_INIT_RESOURCE declares the resource's function where it stands.
static bool RegisterIconResources() {
    Q_INIT_RESOURCE(icons);
    return true;
}

namespace ThemeIcon {
namespace {

const QString kFolder = QStringLiteral(":/orvane/icons");

void Register() {
    static const bool registered = RegisterIconResources();
    Q_UNUSED(registered);
}

} // namespace

QIcon Bundled(const QString& name) {
    Register();
    const QString file = kFolder + QLatin1Char('/') + name + QStringLiteral(".svg");
    return QFile::exists(file) ? QIcon(file) : QIcon();
}

QIcon Named(const QString& name) {
    return QIcon::fromTheme(name, Bundled(name));
}

QStringList BundledNames() {
    Register();
    QStringList names;
    const auto files =
        QDir(kFolder).entryInfoList({QStringLiteral("*.svg")}, QDir::Files, QDir::Name);
    for (const QFileInfo& file : files)
        names << file.completeBaseName();
    return names;
}

} // namespace ThemeIcon
