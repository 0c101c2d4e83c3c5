#include "platform/GioLibrary.h"

#include "platform/LazyLibrary.h"

namespace {

LazyLibrary<GioLibrary> Load() {
    LazyLibrary<GioLibrary> loaded;
    // Never unloaded: GObject types cannot be unregistered.
    static QLibrary library(QStringLiteral("gio-2.0"), 0);
    const QString what = QStringLiteral("GIO, which starts desktop entries,");
    if (!loaded.Load(library, what,
                     QStringLiteral("Ask your administrator to install it (Debian package "
                                    "libglib2.0-0).")))
        return loaded;
    GioLibrary& api = loaded.api;
    // GObject's functions are found through GIO, which depends on it.
    loaded.Resolve(library, "g_object_unref", api.object_unref);
    loaded.Resolve(library, "g_type_check_instance_is_a", api.type_check_instance_is_a);
    loaded.Resolve(library, "g_desktop_app_info_new_from_keyfile",
                   api.desktop_app_info_new_from_keyfile);
    loaded.Resolve(library, "g_desktop_app_info_launch_uris_as_manager",
                   api.desktop_app_info_launch_uris_as_manager);
    loaded.Resolve(library, "g_app_info_get_icon", api.app_info_get_icon);
    loaded.Resolve(library, "g_file_new_for_commandline_arg_and_cwd",
                   api.file_new_for_commandline_arg_and_cwd);
    loaded.Resolve(library, "g_file_get_uri", api.file_get_uri);
    loaded.Resolve(library, "g_file_get_path", api.file_get_path);
    loaded.Resolve(library, "g_file_icon_get_type", api.file_icon_get_type);
    loaded.Resolve(library, "g_file_icon_get_file", api.file_icon_get_file);
    loaded.Resolve(library, "g_themed_icon_get_type", api.themed_icon_get_type);
    loaded.Resolve(library, "g_themed_icon_get_names", api.themed_icon_get_names);
    loaded.Complete(what);
    return loaded;
}

} // namespace

const GioLibrary* GioLibrary::Get(QString& error) {
    static const LazyLibrary<GioLibrary> loaded = Load();
    return loaded.Get(error);
}
