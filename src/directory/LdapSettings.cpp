#include "directory/LdapSettings.h"

#include "settings/RegistryStore.h"

namespace {
QString Value(RegistryStore& registry, const char* name) {
    return registry
        .GetValue(RegistryStore::HKEY_LOCAL_MACHINE_, RegistryStore::kSettingsKey,
                  QString::fromLatin1(name))
        .toString()
        .trimmed();
}
} // namespace

LdapSettings LdapSettings::Read(RegistryStore& registry, const QString& domain) {
    LdapSettings s;
    s.domain = domain;
    s.settingsFile = registry.File();
    s.uris = Value(registry, "LdapUri").split(u' ', Qt::SkipEmptyParts);
    s.baseDn = Value(registry, "LdapBase");
    s.bindDn = Value(registry, "LdapBindDn");
    s.passwordFile = Value(registry, "LdapPasswordFile");
    s.saslMechanism = Value(registry, "LdapSasl");
    s.startTls = Value(registry, "LdapTls").toLower() != QLatin1String("none");
    s.caFile = Value(registry, "LdapCaFile");
    bool ok = false;
    const int timeout = Value(registry, "LdapTimeout").toInt(&ok);
    if (ok && timeout > 0)
        s.timeoutSeconds = timeout;
    for (const QString& name : Value(registry, "LdapDomains").split(u',', Qt::SkipEmptyParts))
        if (!name.trimmed().isEmpty())
            s.domains.append(name.trimmed());
    return s;
}
