#include "directory/LdapLibrary.h"

#include "platform/LazyLibrary.h"

namespace {

LazyLibrary<LdapLibrary> Load() {
    LazyLibrary<LdapLibrary> loaded;
    // The build names the exact library it compiled against (ORV_LDAP_SONAME). Never unloaded:
    // the TLS library it starts cannot be stopped safely.
    static QLibrary library(QStringLiteral(ORV_LDAP_SONAME));
    const QString what = QStringLiteral("The directory library " ORV_LDAP_SONAME);
    if (!loaded.Load(library, what,
                     QStringLiteral("Ask your administrator to install OpenLDAP's client "
                                    "library (Debian package libldap-2.5-0).")))
        return loaded;
#define ORV_LDAP_RESOLVE(name) loaded.Resolve(library, #name, loaded.api.name);
    // liblber's functions are found through libldap, which depends on it.
    ORV_LDAP_FUNCTIONS(ORV_LDAP_RESOLVE)
#undef ORV_LDAP_RESOLVE
    loaded.Complete(what);
    return loaded;
}

} // namespace

const LdapLibrary* LdapLibrary::Get(QString& error) {
    static const LazyLibrary<LdapLibrary> loaded = Load();
    return loaded.Get(error);
}
