#include "services/LdapLibrary.h"

#include <QLibrary>
#include <QStringList>

namespace {

struct Loaded {
    LdapLibrary api{};
    QString error;
};

template <class F> bool Resolve(QLibrary& library, const char* name, F& function) {
    function = reinterpret_cast<F>(library.resolve(name));
    return function != nullptr;
}

Loaded Load() {
    Loaded loaded;
    // The build names the exact library it compiled against (ORV_LDAP_SONAME); it stays loaded
    // for the rest of the run, as the TLS library it starts cannot be stopped safely.
    static QLibrary library(QStringLiteral(ORV_LDAP_SONAME));
    if (!library.load()) {
        loaded.error = QStringLiteral("The directory library %1 could not be loaded (%2). Ask "
                                      "your administrator to install OpenLDAP's client "
                                      "library (Debian package libldap-2.5-0).")
                           .arg(QStringLiteral(ORV_LDAP_SONAME), library.errorString());
        return loaded;
    }
    // liblber's functions are found through libldap, which depends on it.
    QStringList missing;
    LdapLibrary& api = loaded.api;
#define ORV_LDAP_RESOLVE(name)                                                                  \
    if (!Resolve(library, #name, api.name))                                                     \
        missing << QStringLiteral(#name);
    ORV_LDAP_FUNCTIONS(ORV_LDAP_RESOLVE)
#undef ORV_LDAP_RESOLVE
    if (!missing.isEmpty())
        loaded.error = QStringLiteral("The directory library %1 lacks functions this program "
                                      "needs: %2")
                           .arg(QStringLiteral(ORV_LDAP_SONAME), missing.join(QStringLiteral(", ")));
    return loaded;
}

} // namespace

const LdapLibrary* LdapLibrary::Get(QString& error) {
    static const Loaded loaded = Load();
    error = loaded.error;
    return loaded.error.isEmpty() ? &loaded.api : nullptr;
}
