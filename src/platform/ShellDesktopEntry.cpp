#include "platform/ShellDesktopEntry.h"

#include "platform/BrokenPipes.h"
#include "platform/DesktopExecLine.h"
#include "platform/GioLibrary.h"
#include "platform/OrvError.h"
#include "platform/Shell.h"
#include "platform/SmallFile.h"

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
// A desktop entry is a few dozen lines, translations included.
constexpr qint64 kMaxEntryBytes = SmallFile::kDefaultLimit;

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

// Where a desktop-file id lives: in an applications folder, where "vendor-app.desktop" may
// also be "vendor/app.desktop".
QString LocateId(const QString& id) {
    for (const QString& folder :
         QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation)) {
        QString relative = id;
        for (;;) {
            const QString candidate = folder + u'/' + relative;
            if (QFileInfo::exists(candidate))
                return candidate;
            const qsizetype dash = relative.indexOf(u'-');
            if (dash < 0)
                break;
            relative[dash] = u'/';
        }
    }
    return {};
}

using KeyFile = std::unique_ptr<GKeyFile, KeyFileFree>;

struct EntryKeys {
    KeyFile keys;
    QString file;
};

// The entry's keys, read once through the bounded reader: an entry that is a FIFO, a device or
// a huge file is refused before GIO sees it.
EntryKeys ReadEntry(const QString& entry) {
    const QString file = IsBareId(entry) ? LocateId(entry) : QFileInfo(entry).absoluteFilePath();
    if (file.isEmpty())
        throw OrvError(ErrorNumber::FileNotFound,
                       QStringLiteral("No application with the desktop file id \"%1\" is "
                                      "installed in the applications folders. Enter the entry's "
                                      "full path in the catalogue or install the application.")
                           .arg(entry),
                       kSource);
    const SmallFile::Read read = SmallFile::ReadFile(file, kMaxEntryBytes);
    if (!read.Ok())
        throw OrvError(
            ErrorNumber::FileNotFound,
            QStringLiteral("The desktop entry \"%1\" cannot be read: %2.")
                .arg(entry, read.missing ? QStringLiteral("it does not exist") : read.problem),
            kSource);
    KeyFile keys(g_key_file_new());
    GError* rawError = nullptr;
    if (!g_key_file_load_from_data(keys.get(), read.bytes.constData(),
                                   static_cast<gsize>(read.bytes.size()), G_KEY_FILE_NONE,
                                   &rawError)) {
        const std::unique_ptr<GError, ErrorFree> error(rawError);
        throw OrvError(ErrorNumber::FileNotFound,
                       QStringLiteral("The desktop entry \"%1\" cannot be read: %2")
                           .arg(entry, QString::fromUtf8(error->message)),
                       kSource);
    }
    return {std::move(keys), file};
}

[[noreturn]] void Refuse(const QString& text) {
    throw OrvError(ErrorNumber::FileNotFound, text, kSource);
}

// Checks what GIO would refuse with nothing more than a null, so that the user is told why,
// and puts the program of the Exec line in by its full path, found through PATH's absolute
// folders only, and its own location for %k. With `files`, the entry must not put a field
// code inside quotes.
void Prepare(GKeyFile* keys, const QString& entry, const QString& file, bool files) {
    if (!g_key_file_has_group(keys, G_KEY_FILE_DESKTOP_GROUP) ||
        KeyText(keys, G_KEY_FILE_DESKTOP_KEY_TYPE) !=
            QLatin1String(G_KEY_FILE_DESKTOP_TYPE_APPLICATION))
        Refuse(QStringLiteral("The desktop entry \"%1\" does not describe an application: it "
                              "needs a [Desktop Entry] group with Type=Application.")
                   .arg(entry));
    const QString tryExec = KeyText(keys, G_KEY_FILE_DESKTOP_KEY_TRY_EXEC);
    if (!tryExec.isEmpty()) {
        const QString found = IsBareId(tryExec) ? FindInSearchPath(tryExec) : tryExec;
        if (found.isEmpty() || !QFileInfo(found).isExecutable())
            Refuse(QStringLiteral("The desktop entry \"%1\" needs the program \"%2\" "
                                  "(TryExec), which is not installed or not in the search path "
                                  "(PATH).")
                       .arg(entry, tryExec));
        g_key_file_remove_key(keys, G_KEY_FILE_DESKTOP_GROUP, G_KEY_FILE_DESKTOP_KEY_TRY_EXEC,
                              nullptr);
    }
    const QString exec = KeyText(keys, G_KEY_FILE_DESKTOP_KEY_EXEC);
    if (exec.isEmpty())
        Refuse(QStringLiteral("The desktop entry \"%1\" has no Exec line saying what to start.")
                   .arg(entry));
    const DesktopExecLine line = DesktopExecLine::Parse(exec);
    if (files && line.quotedFileCode)
        Refuse(QStringLiteral("The desktop entry \"%1\" puts a field code (%f, %F, %u or %U) "
                              "inside quotes in its Exec line \"%2\", which desktop entries "
                              "must not do: the program's start-up parameters could become "
                              "part of a command. Remove the quotes around the field code in "
                              "the entry, or clear the program's start-up parameters.")
                   .arg(entry, exec));
    QString prepared = exec;
    if (IsBareId(line.program)) {
        const QString program = FindInSearchPath(line.program);
        if (program.isEmpty())
            Refuse(QStringLiteral("The desktop entry \"%1\" cannot start its Exec line \"%2\": "
                                  "the program \"%3\" is not installed or not in the search "
                                  "path (PATH).")
                       .arg(entry, exec, line.program));
        prepared = line.WithProgram(exec, program);
    }
    prepared = DesktopExecLine::WithLocation(prepared, file);
    g_key_file_set_string(keys, G_KEY_FILE_DESKTOP_GROUP, G_KEY_FILE_DESKTOP_KEY_EXEC,
                          prepared.toUtf8().constData());
}

AppInfo Load(const QString& entry, bool files) {
    const GioLibrary& gio = Gio();
    const EntryKeys read = ReadEntry(entry);
    Prepare(read.keys.get(), entry, read.file, files);
    AppInfo app(gio.desktop_app_info_new_from_keyfile(read.keys.get()));
    if (!app)
        Refuse(QStringLiteral("The desktop entry \"%1\" cannot start its Exec line \"%2\": "
                              "its quoting is broken.")
                   .arg(entry, KeyText(read.keys.get(), G_KEY_FILE_DESKTOP_KEY_EXEC)));
    return app;
}

// Runs in the child between fork and exec, where only async-signal-safe calls are allowed. The
// directory was checked before the launch; should it vanish in between, the child ends.
void PrepareChild(gpointer directory) {
    RestoreBrokenPipesInChild();
    if (directory != nullptr && chdir(static_cast<const char*>(directory)) != 0)
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
    const AppInfo app = Load(entry, !arguments.isEmpty());
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
        app.get(), list, nullptr, G_SPAWN_SEARCH_PATH, PrepareChild,
        startIn.isEmpty() ? nullptr : const_cast<char*>(directory.constData()), nullptr, nullptr,
        &rawError);
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
    const AppInfo app = Load(entry, false);
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
