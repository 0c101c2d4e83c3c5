#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

// The settings that decide the domain ("5") and who administers the launcher ("6").
//
// On Windows they live in the registry under HKEY_LOCAL_MACHINE. Elsewhere the settings key is
// one INI file whose values sit at its top level ("5=CORP"; SettingsText reads and writes them
// as plain text); the key exists when the file does. The machine-wide file has a fixed path
// compiled into the program: no environment variable, option or user's file can move or
// replace it. A file is read only when it can be trusted (FileTrust.h): a regular file of
// at most 1 MB that, with its folder, belongs to root (the machine-wide file; a link to it
// is followed only through folders of root's) or to the personal folder's user, writable by
// no one else; otherwise every call throws OrvError naming the file, the problem and the fix.
//
// A personal catalogue, an application folder that belongs to the user who runs the program,
// keeps its settings beside it (<app dir>/settings.ini), trusted from that user: he already
// controls everything in that folder.
//
// Files are written with mode 0644 into folders of mode 0755 whatever the umask, and replaced
// whole, so a reader never sees half a file.
class RegistryStore {
public:
    enum Root { HKEY_LOCAL_MACHINE_ = 2 };
    static inline const QString kSettingsKey =
        QStringLiteral("Software\\Brindlecove\\TessaroOrvane");

    // The machine-wide settings file (the registry hive's name on Windows).
    static QString MachineFile();
    // The settings of a run whose application folder is `appDir`: the personal file beside a
    // folder that belongs to the (non-root) user of the process, else `machineFile`.
    static std::unique_ptr<RegistryStore> ForAppDir(const QString& appDir,
                                                    const QString& machineFile = MachineFile());
    // The settings the runs of the user `uid` read for `appDir`, as ForAppDir gives them to
    // that user's own programs.
    static std::unique_ptr<RegistryStore> ForAppDirOf(const QString& appDir, unsigned uid,
                                                      const QString& machineFile = MachineFile());

    // The settings in `file`, trusted when it belongs to `ownerUid` (or root).
    explicit RegistryStore(QString file, unsigned ownerUid = 0);

    bool KeyExists(int root, const QString& keyPath);
    // False when the file cannot be created (a user without the rights to change the
    // machine's settings); nothing is written then.
    bool CreateKey(int root, const QString& keyPath);
    // False when the key does not exist. Throws OrvError when the file cannot be written.
    bool SetValue(int root, const QString& keyPath, const QString& valueName,
                  const QVariant& value);
    // A value that does not exist yields an empty string.
    QVariant GetValue(int root, const QString& keyPath, const QString& valueName);
    // The names of the values the file holds, in its order.
    QStringList ValueNames();

    const QString& File() const { return mFile; }
    // Whose file this is: root for the machine-wide file, the user of a personal folder.
    unsigned OwnerUid() const { return mOwnerUid; }
    bool IsPersonal() const { return mOwnerUid != 0; }

private:
    // The file's bytes, checked to be trusted on the descriptor they are read from; throws
    // OrvError when the file could have been written by someone else or is not a settings
    // file.
    QByteArray ReadTrusted(bool* exists) const;

    QString mFile;
    unsigned mOwnerUid;
};
