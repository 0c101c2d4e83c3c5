#pragma once

#include <QList>
#include <QString>

// The named values of the settings file that orvanectl reads and writes, each with the name
// the file uses ("5" for the domain, "LdapBindDn") and the name orvanectl gives it ("domain",
// "LdapBindDn"), and a check of its form.
struct NamedSetting {
    const char* command; // the name on orvanectl's command line
    const char* value;   // the name in the settings file
    const char* meaning;
    // Why `text` cannot be this setting's value, or an empty string.
    QString (*check)(const QString& text);
};

const QList<NamedSetting>& NamedSettings();
// The setting orvanectl calls `name` (either of its names), or null.
const NamedSetting* FindSetting(const QString& name);
