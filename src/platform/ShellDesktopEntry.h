#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

// freedesktop `.desktop` entries standing in for a program: GIO reads the entry and expands the
// field codes of its Exec line.
namespace DesktopEntry {

// Whether `path` names a desktop entry: a file path or a bare desktop-file id such as
// "firefox.desktop", which is looked up in the applications folders.
bool IsEntry(const QString& path);

// Starts what the entry's Exec line says. `arguments` are the files or URLs for its %f, %F, %u
// and %U codes (relative paths are taken from `startIn`); a non-empty `startIn` replaces the
// entry's own working directory. Throws OrvError saying what went wrong.
void Launch(const QString& entry, const QStringList& arguments, const QString& startIn);

// The entry's Icon at `size` x `size` pixels, resolved through the icon theme (or the pixmaps
// folders, or a file path), drawn on the window colour so it can be saved as a bitmap. A null
// image when the theme holds no such icon. Throws OrvError when the entry cannot be read.
QImage Icon(const QString& entry, int size);

} // namespace DesktopEntry
