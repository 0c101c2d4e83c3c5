#pragma once

#include <QString>
#include <QStringList>

class RegistryStore;

// How to reach the LDAP / Active Directory directory of a domain, from the settings (named values
// beside "5" and "6"):
//   LdapUri           space-separated ldap:// or ldaps:// URIs; empty: the servers that DNS
//                     lists as _ldap._tcp.<domain>
//   LdapBase          base DN; empty: the server's default naming context, else DC=... of the
//                     domain name
//   LdapBindDn        simple bind with this DN and the password in LdapPasswordFile; empty:
//                     SASL when LdapSasl is set, else an anonymous bind
//   LdapPasswordFile  file holding the bind password (its first line)
//   LdapSasl          a SASL mechanism, e.g. GSSAPI with the user's or the machine's Kerberos
//                     ticket
//   LdapTls           starttls (the default) or none for ldap:// URIs; ldaps:// is always TLS.
//                     Server certificates are always checked.
//   LdapCaFile        CA certificates to check the server with; empty: the system's
//   LdapTimeout       seconds for connecting and for each operation (default 10)
//   LdapDomains       comma-separated domain names offered in the setup window when the
//                     directory is not Active Directory (which lists its forest's domains)
struct LdapSettings {
    QString domain;
    QStringList uris;
    QString baseDn;
    QString bindDn;
    QString passwordFile;
    QString saslMechanism;
    bool startTls = true;
    QString caFile;
    int timeoutSeconds = 10;
    QStringList domains;
    // The settings file these came from, for messages that tell where to change them.
    QString settingsFile;

    static LdapSettings Read(RegistryStore& registry, const QString& domain);
};
