#include "platform/GioLibrary.h"

#include "platform/LazyLibrary.h"

namespace {

using Loaded = LazyLibrary<GioLibrary>;

void ResolveAll(Loaded& library, GioLibrary& api) {
    // GObject's functions are found through GIO, which depends on it.
    library.Resolve("g_object_unref", api.object_unref);
    library.Resolve("g_type_check_instance_is_a", api.type_check_instance_is_a);
    library.Resolve("g_desktop_app_info_new_from_keyfile", api.desktop_app_info_new_from_keyfile);
    library.Resolve("g_desktop_app_info_launch_uris_as_manager",
                    api.desktop_app_info_launch_uris_as_manager);
    library.Resolve("g_app_info_get_icon", api.app_info_get_icon);
    library.Resolve("g_file_new_for_commandline_arg_and_cwd",
                    api.file_new_for_commandline_arg_and_cwd);
    library.Resolve("g_file_get_uri", api.file_get_uri);
    library.Resolve("g_file_get_path", api.file_get_path);
    library.Resolve("g_file_icon_get_type", api.file_icon_get_type);
    library.Resolve("g_file_icon_get_file", api.file_icon_get_file);
    library.Resolve("g_themed_icon_get_type", api.themed_icon_get_type);
    library.Resolve("g_themed_icon_get_names", api.themed_icon_get_names);
}

} // namespace

const GioLibrary* GioLibrary::Get(QString& error) {
    // Never unloaded: GObject types cannot be unregistered.
    static const Loaded loaded({QStringLiteral("gio-2.0"), 0,
                                QStringLiteral("GIO, which starts desktop entries,"),
                                QStringLiteral("Ask your administrator to install it (Debian "
                                               "package libglib2.0-0).")},
                               ResolveAll);
    return loaded.Get(error);
}
