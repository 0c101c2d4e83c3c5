#include "admin/AdminCommon.h"

#include "platform/OrvError.h"
#include "services/AppContext.h"
#include "widgets/TitleFont.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QLinearGradient>
#include <QPainter>

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
    const QSize size(340, 56);
    QPixmap logo(size * devicePixelRatio);
    logo.setDevicePixelRatio(devicePixelRatio);
    QPainter p(&logo);
    QLinearGradient band(0, 0, size.width(), 0);
    band.setColorAt(0, QColor(20, 70, 140));
    band.setColorAt(1, QColor(60, 150, 210));
    p.fillRect(QRect(QPoint(0, 0), size), band);
    p.setPen(Qt::white);
    p.setFont(TitleFont(14));
    p.drawText(QRect(14, 0, size.width() - 20, size.height()), Qt::AlignVCenter,
               QStringLiteral("Tessaro Orvane"));
    return logo;
}

QPixmap LoadPicture(const QString& file) {
    if (file.isEmpty() || !QFileInfo(file).isFile())
        return {};
    QImageReader reader(file);
    reader.setDecideFormatFromContent(true);
    const QImage image = reader.read();
    return image.isNull() ? QPixmap() : QPixmap::fromImage(image);
}
