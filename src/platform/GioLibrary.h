#pragma once

// Qt's `signals` keyword is a member name in GIO's D-Bus headers.
#pragma push_macro("signals")
#undef signals
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#pragma pop_macro("signals")

#include <QString>

// The parts of GIO that start desktop entries and read their icons, loaded when a desktop entry
// is first used. Linked into the program, GIO and the half-dozen libraries it needs (GObject,
// libmount, SELinux...) would be loaded by every start, for entries few catalogues hold.
// GLib itself is linked: Qt's event loop already uses it.
struct GioLibrary {
    void (*object_unref)(gpointer);
    gboolean (*type_check_instance_is_a)(GTypeInstance*, GType);
    GDesktopAppInfo* (*desktop_app_info_new_from_keyfile)(GKeyFile*);
    gboolean (*desktop_app_info_launch_uris_as_manager)(GDesktopAppInfo*, GList*,
                                                        GAppLaunchContext*, GSpawnFlags,
                                                        GSpawnChildSetupFunc, gpointer,
                                                        GDesktopAppLaunchCallback, gpointer,
                                                        GError**);
    GIcon* (*app_info_get_icon)(GAppInfo*);
    GFile* (*file_new_for_commandline_arg_and_cwd)(const gchar*, const gchar*);
    char* (*file_get_uri)(GFile*);
    char* (*file_get_path)(GFile*);
    GType (*file_icon_get_type)();
    GFile* (*file_icon_get_file)(GFileIcon*);
    GType (*themed_icon_get_type)();
    const gchar* const* (*themed_icon_get_names)(GThemedIcon*);

    // True when `instance` is of `type`, as G_TYPE_CHECK_INSTANCE_TYPE says.
    bool Is(gpointer instance, GType type) const {
        return instance && type_check_instance_is_a(static_cast<GTypeInstance*>(instance), type);
    }

    // The library, loaded once for the whole run; null, with `error` saying why, when it
    // cannot be loaded.
    static const GioLibrary* Get(QString& error);
};
