#include "services/RegistryStore.h"

#include "platform/FileTrust.h"
#include "platform/OrvError.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#ifndef _WIN32
#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

const QString kSource = QStringLiteral("RegistryStore");

#ifdef _WIN32

// mFile is the key's full registry path; its values are named directly.
constexpr QSettings::Format kFormat = QSettings::NativeFormat;
QString ValueKey(const QString& valueName) {
    return valueName;
}
bool FileExists(const QString&) {
    return QSettings(QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Brindlecove"), kFormat)
        .childGroups()
        .contains(QStringLiteral("TessaroOrvane"));
}

#else

constexpr QSettings::Format kFormat = QSettings::IniFormat;
QString ValueKey(const QString& valueName) {
    return valueName;
}
bool FileExists(const QString& file) {
    return QFileInfo::exists(file);
}

bool MakeFolder(const QString& folder) {
    if (QFileInfo(folder).isDir())
        return true;
    if (!MakeFolder(QFileInfo(folder).absolutePath()))
        return false;
    const QByteArray path = QFile::encodeName(folder);
    return (mkdir(path.constData(), 0755) == 0 || errno == EEXIST) &&
           chmod(path.constData(), 0755) == 0;
}

// Writes `values` over the file as a whole: QSettings writes a copy inside a folder only this
// process can enter, the copy gets its final mode, and a rename puts it in place. No other
// account can open the file while it is being written.
bool ReplaceFile(const QString& file, const QVariantMap& values) {
    const QString folder = QFileInfo(file).absolutePath();
    if (!MakeFolder(folder))
        return false;
    QByteArray scratch = QFile::encodeName(folder + QStringLiteral("/.settings-XXXXXX"));
    if (mkdtemp(scratch.data()) == nullptr)
        return false;
    const QString copy = QFile::decodeName(scratch) + QStringLiteral("/settings.ini");
    bool written = false;
    {
        QSettings settings(copy, kFormat);
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            settings.setValue(it.key(), it.value());
        settings.sync();
        written = settings.status() == QSettings::NoError;
    }
    if (!QFileInfo::exists(copy)) // nothing to store yet: an empty key
        written = written && QFile(copy).open(QIODevice::WriteOnly);
    const QByteArray copyPath = QFile::encodeName(copy);
    written = written && chmod(copyPath.constData(), 0644) == 0 &&
              rename(copyPath.constData(), QFile::encodeName(file).constData()) == 0;
    unlink(copyPath.constData());
    rmdir(scratch.constData());
    return written;
}

#endif

} // namespace

QString RegistryStore::MachineFile() {
#ifdef _WIN32
    return QStringLiteral("HKEY_LOCAL_MACHINE\\") + kSettingsKey;
#else
    return QStringLiteral("/etc/tessaro-orvane/settings.ini");
#endif
}

std::unique_ptr<RegistryStore> RegistryStore::ForAppDir(const QString& appDir,
                                                        const QString& machineFile) {
#ifndef _WIN32
    struct stat info {};
    const unsigned uid = EffectiveUid();
    if (uid != 0 && stat(QFile::encodeName(appDir).constData(), &info) == 0 &&
        S_ISDIR(info.st_mode) && info.st_uid == uid)
        return std::make_unique<RegistryStore>(appDir + QStringLiteral("/settings.ini"), uid);
#endif
    return std::make_unique<RegistryStore>(machineFile, 0);
}

RegistryStore::RegistryStore(QString file, unsigned ownerUid)
    : mFile(std::move(file)), mOwnerUid(ownerUid) {}

void RegistryStore::RequireTrusted() const {
    const QString reason = UntrustedFileReason(mFile, mOwnerUid);
    if (!reason.isEmpty())
        throw OrvError(ErrorNumber::SettingsUntrusted, reason, kSource);
}

bool RegistryStore::KeyExists(int, const QString&) {
    RequireTrusted();
    return FileExists(mFile);
}

bool RegistryStore::CreateKey(int root, const QString& keyPath) {
    if (KeyExists(root, keyPath))
        return true;
#ifdef _WIN32
    QSettings settings(mFile, kFormat);
    settings.setValue(QStringLiteral("Default"), QString()); // the key's default value
    settings.sync();
    return settings.status() == QSettings::NoError;
#else
    return ReplaceFile(mFile, {});
#endif
}

bool RegistryStore::SetValue(int root, const QString& keyPath, const QString& valueName,
                             const QVariant& value) {
    if (!KeyExists(root, keyPath))
        return false;
    bool written = false;
#ifdef _WIN32
    QSettings settings(mFile, kFormat);
    settings.setValue(ValueKey(valueName), value.toString());
    settings.sync();
    written = settings.status() == QSettings::NoError;
#else
    QVariantMap values;
    {
        const QSettings current(mFile, kFormat);
        for (const QString& key : current.allKeys())
            values.insert(key, current.value(key));
    }
    values.insert(valueName, value.toString());
    written = ReplaceFile(mFile, values);
#endif
    if (!written)
        throw OrvError(ErrorNumber::SettingsWrite,
                       QStringLiteral("The setting \"%1\" cannot be saved in %2: you may not "
                                      "change this file. Ask the computer's administrator (root) "
                                      "to save the settings, or to start the launcher once as "
                                      "root and save them there.")
                           .arg(valueName, mFile),
                       kSource);
    return true;
}

QVariant RegistryStore::GetValue(int, const QString&, const QString& valueName) {
    RequireTrusted();
    if (!FileExists(mFile))
        return QString();
    const QSettings settings(mFile, kFormat);
    return settings.value(ValueKey(valueName), QString()).toString();
}
