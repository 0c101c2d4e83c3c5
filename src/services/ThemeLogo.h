#pragma once

#include <QPixmap>
#include <optional>

class AppContext;

// The current theme's logo for one of the fields Theme_LogoSplash, Theme_LogoSetup and
// Theme_LogoAddRemove: exported from the catalogue and read back, shrunk without distortion
// into its box (250 x 53 for the splash logo, 200 x 42 for the others) when it is larger.
// Nothing when the theme has no row, no such logo, or the picture cannot be written or read;
// the window then keeps its own logo.
std::optional<QPixmap> ThemeLogo(AppContext& ctx, const QString& field);
