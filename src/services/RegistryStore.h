#pragma once

#include <QString>
#include <QVariant>

// The machine-wide settings. On Windows they live in the registry under HKEY_LOCAL_MACHINE;
// elsewhere in an INI file of the system scope (/etc/xdg/Brindlecove/TessaroOrvane.ini).
// When the system file cannot be written (an unprivileged first run), values go to the
// user's own file instead, and are found there at the next start as long as the system file
// does not hold the key: the system file always wins.
class RegistryStore {
public:
    enum Root { HKEY_LOCAL_MACHINE_ = 2 };
    static inline const QString kSettingsKey =
        QStringLiteral("Software\\Brindlecove\\TessaroOrvane");

    // The platform's own locations.
    RegistryStore();
    // Explicit files, for tests and for a private installation.
    RegistryStore(QString systemFile, QString userFile);

    bool KeyExists(int root, const QString& keyPath);
    // Throws OrvError when neither file can be written.
    bool CreateKey(int root, const QString& keyPath);
    bool SetValue(int root, const QString& keyPath, const QString& valueName,
                  const QVariant& value);
    // A value that does not exist yields an empty string.
    QVariant GetValue(int root, const QString& keyPath, const QString& valueName);

    const QString& SystemFile() const { return mSystemFile; }
    const QString& UserFile() const { return mUserFile; }

private:
    // The file whose key counts: the system file when it holds the key, else the user's.
    QString FileHolding(const QString& keyPath) const;

    QString mSystemFile;
    QString mUserFile;
};
