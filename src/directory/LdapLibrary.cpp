#include "directory/LdapLibrary.h"

#include "platform/LazyLibrary.h"

namespace {

using Loaded = LazyLibrary<LdapLibrary>;

void ResolveAll(Loaded& library, LdapLibrary& api) {
#define ORV_LDAP_RESOLVE(name) library.Resolve(#name, api.name);
    // liblber's functions are found through libldap, which depends on it.
    ORV_LDAP_FUNCTIONS(ORV_LDAP_RESOLVE)
#undef ORV_LDAP_RESOLVE
}

} // namespace

const LdapLibrary* LdapLibrary::Get(QString& error) {
    // The build names the exact library it compiled against (ORV_LDAP_SONAME). Never unloaded:
    // the TLS library it starts cannot be stopped safely.
    static const Loaded loaded({QStringLiteral(ORV_LDAP_SONAME), -1,
                                QStringLiteral("The directory library " ORV_LDAP_SONAME),
                                QStringLiteral("Ask your administrator to install OpenLDAP's "
                                               "client library (Debian package libldap-2.5-0).")},
                               ResolveAll);
    return loaded.Get(error);
}
