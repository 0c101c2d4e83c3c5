#include "admin/AdminCommon.h"

#include "platform/OrvError.h"
#include "platform/ProductBanner.h"
#include "services/AppContext.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>

bool RunTrapped(AppContext& ctx, const std::function<void()>& handler) {
    return RunTrapped(*ctx.prompt, handler);
}

QString ProgramsDirectory() {
#ifdef Q_OS_WIN
    const QString programFiles = qEnvironmentVariable("ProgramFiles");
    return programFiles.isEmpty() ? QStringLiteral("C:\\Program Files") : programFiles;
#else
    for (const QString& candidate : {QStringLiteral("/usr/bin"), QStringLiteral("/opt")})
        if (QFileInfo(candidate).isDir())
            return candidate;
    return QDir::rootPath();
#endif
}

QPixmap DesignedEditorLogo(qreal devicePixelRatio) {
    return ProductBanner(QSize(340, 56), devicePixelRatio, QStringLiteral("Tessaro Orvane"), 14,
                         14);
}

QPixmap LoadPicture(const QString& file) {
    if (file.isEmpty() || !QFileInfo(file).isFile())
        return {};
    QImageReader reader(file);
    reader.setDecideFormatFromContent(true);
    const QImage image = reader.read();
    return image.isNull() ? QPixmap() : QPixmap::fromImage(image);
}
