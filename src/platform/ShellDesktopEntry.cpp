#include "platform/ShellDesktopEntry.h"

#include "platform/GioLibrary.h"
#include "platform/OrvError.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QPainter>
#include <QPalette>
#include <QStandardPaths>
#include <unistd.h>
#include <vector>

namespace DesktopEntry {
namespace {

const QString kSource = QStringLiteral("Shell");

// GIO, or an error that says it cannot be loaded.
const GioLibrary& Gio() {
    QString error;
    if (const GioLibrary* gio = GioLibrary::Get(error))
        return *gio;
    throw OrvError(ErrorNumber::FileNotFound, error, kSource);
}

struct ObjectUnref {
    void operator()(gpointer object) const { Gio().object_unref(object); }
};
struct KeyFileFree {
    void operator()(GKeyFile* keys) const { g_key_file_free(keys); }
};
struct ErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};
struct CharsFree {
    void operator()(gchar* text) const { g_free(text); }
};
using AppInfo = std::unique_ptr<GDesktopAppInfo, ObjectUnref>;
using Chars = std::unique_ptr<gchar, CharsFree>;

QString TakeText(gchar* text) {
    const Chars owned(text);
    return owned ? QString::fromUtf8(owned.get()) : QString();
}

QString KeyText(GKeyFile* keys, const char* key) {
    return TakeText(g_key_file_get_string(keys, G_KEY_FILE_DESKTOP_GROUP, key, nullptr));
}

bool IsBareId(const QString& entry) {
    return !entry.contains(QLatin1Char('/'));
}

// GIO refuses an entry with nothing more than a null; read it again to tell the user why.
QString WhyRefused(const QString& entry) {
    if (IsBareId(entry))
        return QStringLiteral("No application with the desktop file id \"%1\" is installed in "
                              "the applications folders. Enter the entry's full path in the "
                              "catalogue or install the application.")
            .arg(entry);
    const std::unique_ptr<GKeyFile, KeyFileFree> keys(g_key_file_new());
    GError* rawError = nullptr;
    if (!g_key_file_load_from_file(keys.get(), QFile::encodeName(entry).constData(),
                                   G_KEY_FILE_NONE, &rawError)) {
        const std::unique_ptr<GError, ErrorFree> error(rawError);
        return QStringLiteral("The desktop entry \"%1\" cannot be read: %2")
            .arg(entry, QString::fromUtf8(error->message));
    }
    if (!g_key_file_has_group(keys.get(), G_KEY_FILE_DESKTOP_GROUP) ||
        KeyText(keys.get(), G_KEY_FILE_DESKTOP_KEY_TYPE) !=
            QLatin1String(G_KEY_FILE_DESKTOP_TYPE_APPLICATION))
        return QStringLiteral("The desktop entry \"%1\" does not describe an application: it "
                              "needs a [Desktop Entry] group with Type=Application.")
            .arg(entry);
    const QString tryExec = KeyText(keys.get(), G_KEY_FILE_DESKTOP_KEY_TRY_EXEC);
    if (!tryExec.isEmpty() && !Chars(g_find_program_in_path(tryExec.toUtf8().constData())))
        return QStringLiteral("The desktop entry \"%1\" needs the program \"%2\" (TryExec), "
                              "which is not installed or not in the search path (PATH).")
            .arg(entry, tryExec);
    const QString exec = KeyText(keys.get(), G_KEY_FILE_DESKTOP_KEY_EXEC);
    if (exec.isEmpty())
        return QStringLiteral("The desktop entry \"%1\" has no Exec line saying what to start.")
            .arg(entry);
    return QStringLiteral("The desktop entry \"%1\" cannot start its Exec line \"%2\": the "
                          "program is not installed or not in the search path (PATH), or the "
                          "line's quoting is broken.")
        .arg(entry, exec);
}

AppInfo Load(const QString& entry) {
    const GioLibrary& gio = Gio();
    AppInfo app(IsBareId(entry) ? gio.desktop_app_info_new(entry.toUtf8().constData())
                                : gio.desktop_app_info_new_from_filename(
                                      QFile::encodeName(QFileInfo(entry).absoluteFilePath())));
    if (!app)
        throw OrvError(ErrorNumber::FileNotFound, WhyRefused(entry), kSource);
    return app;
}

// Runs in the child between fork and exec, where only async-signal-safe calls are allowed. The
// directory was checked before the launch; should it vanish in between, the child ends.
void EnterStartIn(gpointer directory) {
    if (chdir(static_cast<const char*>(directory)) != 0)
        _exit(127);
}

QImage OnWindowColour(const QIcon& icon, int size) {
    const QPixmap pixmap = icon.pixmap(QSize(size, size));
    if (pixmap.isNull())
        return {};
    QImage picture(size, size, QImage::Format_RGB32);
    picture.fill(QGuiApplication::palette().color(QPalette::Window));
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(QRect(0, 0, size, size), pixmap);
    return picture;
}

// Icons the theme lacks may still sit in the pixmaps folders, as the icon lookup rules allow.
QIcon FromPixmapFolders(const QString& name) {
    for (const char* extension : {".png", ".svg", ".xpm"}) {
        const QString file =
            QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                                   QStringLiteral("pixmaps/") + name + QLatin1String(extension));
        if (!file.isEmpty())
            return QIcon(file);
    }
    return {};
}

} // namespace

bool IsEntry(const QString& path) {
    return path.endsWith(QLatin1String(".desktop"));
}

void Launch(const QString& entry, const QStringList& arguments, const QString& startIn) {
    const AppInfo app = Load(entry);
    const GioLibrary& gio = Gio();

    // GIO turns the list into paths or URIs as each field code wants.
    const QByteArray base = QFile::encodeName(startIn.isEmpty() ? QDir::currentPath() : startIn);
    std::vector<Chars> uris;
    for (const QString& argument : arguments) {
        const std::unique_ptr<GFile, ObjectUnref> file(gio.file_new_for_commandline_arg_and_cwd(
            QFile::encodeName(argument).constData(), base.constData()));
        uris.emplace_back(gio.file_get_uri(file.get()));
    }
    GList* list = nullptr;
    for (auto it = uris.rbegin(); it != uris.rend(); ++it)
        list = g_list_prepend(list, it->get());

    const QByteArray directory = QFile::encodeName(startIn);
    GError* rawError = nullptr;
    const bool started = gio.desktop_app_info_launch_uris_as_manager(
        app.get(), list, nullptr, G_SPAWN_SEARCH_PATH, startIn.isEmpty() ? nullptr : EnterStartIn,
        const_cast<char*>(directory.constData()), nullptr, nullptr, &rawError);
    g_list_free(list);
    if (!started) {
        const std::unique_ptr<GError, ErrorFree> error(rawError);
        throw OrvError(ErrorNumber::PermissionDenied,
                       QStringLiteral("The program of the desktop entry \"%1\" could not be "
                                      "started: %2")
                           .arg(entry, error ? QString::fromUtf8(error->message) : QString()),
                       kSource);
    }
}

QImage Icon(const QString& entry, int size) {
    const AppInfo app = Load(entry);
    const GioLibrary& gio = Gio();
    // A GDesktopAppInfo is a GAppInfo; the icon is owned by the entry.
    GIcon* icon = gio.app_info_get_icon(reinterpret_cast<GAppInfo*>(app.get()));
    if (icon == nullptr)
        return {};
    if (gio.Is(icon, gio.file_icon_get_type())) {
        GFile* file = gio.file_icon_get_file(reinterpret_cast<GFileIcon*>(icon));
        const QString path = TakeText(gio.file_get_path(file));
        return path.isEmpty() ? QImage() : OnWindowColour(QIcon(path), size);
    }
    if (!gio.Is(icon, gio.themed_icon_get_type()))
        return {};
    auto* themed = reinterpret_cast<GThemedIcon*>(icon);
    for (const gchar* const* name = gio.themed_icon_get_names(themed); *name; ++name) {
        const QString iconName = QString::fromUtf8(*name);
        QIcon found = QIcon::fromTheme(iconName);
        if (found.isNull())
            found = FromPixmapFolders(iconName);
        if (const QImage picture = OnWindowColour(found, size); !picture.isNull())
            return picture;
    }
    return {};
}

} // namespace DesktopEntry
