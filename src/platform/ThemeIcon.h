#pragma once

#include <QIcon>
#include <QStringList>

// Pictures by their freedesktop icon names ("folder", "system-users"). The desktop's icon
// theme wins; a desktop without a theme (or with hicolor, the fallback of programs' own
// icons), or a theme without the name, gets the copy bundled with the program (Tango
// pictures, public domain; see icons/COPYING).
namespace ThemeIcon {

// The theme's picture, or the bundled one; null only for a name that neither knows.
QIcon Named(const QString& name);
// The bundled picture alone; null when none is bundled under that name.
QIcon Bundled(const QString& name);
// Every bundled name, sorted.
QStringList BundledNames();
// `icon` for a window's title bar and taskbar entry, offered at the few sizes those show. An
// X11 window carries every size its icon offers, made and sent when the window is created.
QIcon ForWindow(const QIcon& icon);

} // namespace ThemeIcon
