#include "services/ThemeLogo.h"

#include "services/AppContext.h"

#include "platform/ImageBytes.h"

#include <QFile>
#include <QImageReader>

namespace {

// The box each logo is shown in, as the theme editor's size hints give it.
QSize LogoBox(const QString& field) {
    if (field.compare(QLatin1String("Theme_LogoSplash"), Qt::CaseInsensitive) == 0)
        return {250, 53};
    return {200, 42};
}

// The exported picture, shrunk into `box` keeping its shape; a picture that fits stays as it
// is. Only the shrunk copy is kept: the window never holds a large picture whole.
QImage ReadLogo(const QString& file, QSize box) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return {};
    // Told by its signature, so that only its own reader is loaded.
    const QByteArray format = ImageBytes::Format(in.peek(16));
    QImageReader reader(&in, format);
    reader.setAutoDetectImageFormat(format.isEmpty());
    reader.setDecideFormatFromContent(format.isEmpty());
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > box.width() || size.height() > box.height()))
        reader.setScaledSize(size.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    return reader.read();
}

} // namespace

std::optional<QPixmap> ThemeLogo(AppContext& ctx, const QString& field) {
    Recordset rs = ctx.Catalog().GetTheme(ctx.gThemeName);
    std::optional<QPixmap> logo;
    if (rs.RecordCount() > 0 && rs.Fields(field).toByteArray().size() > 0 &&
        ctx.Catalog().ExportThemeLogo(ctx.gThemeName, field)) {
        const QImage picture = ReadLogo(ctx.paths.LogoFile(field), LogoBox(field));
        if (!picture.isNull())
            logo = QPixmap::fromImage(picture);
    }
    rs.Close();
    return logo;
}
