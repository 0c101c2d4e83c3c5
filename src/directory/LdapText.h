#pragma once

#include <QByteArray>
#include <QString>

// Text rules of LDAP directories, in one place so that no value reaches a filter or a DN
// unescaped.
namespace LdapText {

// A value placed into a search filter: `*`, `(`, `)`, `\` and NUL as \2a, \28, \29, \5c, \00
// (RFC 4515), everything else as UTF-8.
QByteArray FilterValue(const QString& value);
// Raw bytes (a binary SID) as a filter value: every byte as \xx.
QByteArray FilterBytes(const QByteArray& bytes);
// A value placed into a DN's attribute value (RFC 4514): `,+"\<>;=` and NUL escaped with a
// backslash, a leading space or `#` and a trailing space too.
QString DnValue(const QString& value);
// The base DN of a DNS domain name: "corp.example.com" -> "DC=corp,DC=example,DC=com".
QString BaseDnOfDomain(const QString& domain);
// A binary Windows SID (objectSid, tokenGroups) as text "S-1-5-21-...". Empty when the bytes
// are not a SID.
QString SidText(const QByteArray& binary);
// The account name of a logon name as a workstation of the domain may give it:
// "name@realm" -> "name", "DOMAIN\name" -> "name"; a separator at either end is part of
// the name.
QString AccountName(const QString& logonName);

} // namespace LdapText
