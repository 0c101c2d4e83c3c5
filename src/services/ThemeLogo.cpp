#include "services/ThemeLogo.h"

#include "services/AppContext.h"

std::optional<QPixmap> ThemeLogo(AppContext& ctx, const QString& field) {
    Recordset rs = ctx.Catalog().GetTheme(ctx.gThemeName);
    std::optional<QPixmap> logo;
    if (rs.RecordCount() > 0 && rs.Fields(field).toByteArray().size() > 0 &&
        ctx.Catalog().ExportThemeLogo(ctx.gThemeName, field)) {
        QPixmap picture(ctx.paths.LogoFile(field));
        if (!picture.isNull())
            logo = picture;
    }
    rs.Close();
    return logo;
}
