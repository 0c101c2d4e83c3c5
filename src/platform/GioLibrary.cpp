#include "platform/GioLibrary.h"

#include <QLibrary>

namespace {

struct Loaded {
    GioLibrary api{};
    QString error;
};

template <class F> bool Resolve(QLibrary& library, const char* name, F& function) {
    function = reinterpret_cast<F>(library.resolve(name));
    return function != nullptr;
}

Loaded Load() {
    Loaded loaded;
    // Kept for the rest of the run: GObject types cannot be unregistered.
    static QLibrary library(QStringLiteral("gio-2.0"), 0);
    if (!library.load()) {
        loaded.error = QStringLiteral("Desktop entries are started through GIO, which could "
                                      "not be loaded (%1). Ask your administrator to install "
                                      "it (Debian package libglib2.0-0).")
                           .arg(library.errorString());
        return loaded;
    }
    GioLibrary& api = loaded.api;
    // GObject's functions are found through GIO, which depends on it.
    if (!Resolve(library, "g_object_unref", api.object_unref) ||
        !Resolve(library, "g_type_check_instance_is_a", api.type_check_instance_is_a) ||
        !Resolve(library, "g_desktop_app_info_new", api.desktop_app_info_new) ||
        !Resolve(library, "g_desktop_app_info_new_from_filename",
                 api.desktop_app_info_new_from_filename) ||
        !Resolve(library, "g_desktop_app_info_launch_uris_as_manager",
                 api.desktop_app_info_launch_uris_as_manager) ||
        !Resolve(library, "g_app_info_get_icon", api.app_info_get_icon) ||
        !Resolve(library, "g_file_new_for_commandline_arg_and_cwd",
                 api.file_new_for_commandline_arg_and_cwd) ||
        !Resolve(library, "g_file_get_uri", api.file_get_uri) ||
        !Resolve(library, "g_file_get_path", api.file_get_path) ||
        !Resolve(library, "g_file_icon_get_type", api.file_icon_get_type) ||
        !Resolve(library, "g_file_icon_get_file", api.file_icon_get_file) ||
        !Resolve(library, "g_themed_icon_get_type", api.themed_icon_get_type) ||
        !Resolve(library, "g_themed_icon_get_names", api.themed_icon_get_names))
        loaded.error = QStringLiteral("GIO (%1) lacks a function this program needs: %2")
                           .arg(library.fileName(), library.errorString());
    return loaded;
}

} // namespace

const GioLibrary* GioLibrary::Get(QString& error) {
    static const Loaded loaded = Load();
    error = loaded.error;
    return loaded.error.isEmpty() ? &loaded.api : nullptr;
}
