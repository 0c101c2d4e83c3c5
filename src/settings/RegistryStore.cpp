#include "settings/RegistryStore.h"

#include "platform/FileTrust.h"
#include "platform/OrvError.h"
#include "platform/SmallFile.h"
#include "settings/SettingsText.h"

#include <QDir>
#include <QFileInfo>
#ifdef _WIN32
#include <QSettings>
#endif

#ifndef _WIN32
#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

const QString kSource = QStringLiteral("RegistryStore");

// The name orvanectl gives a value.
QString CommandName(const QString& valueName) {
    if (valueName == QLatin1String("5"))
        return QStringLiteral("domain");
    if (valueName == QLatin1String("6"))
        return QStringLiteral("admin-group");
    return valueName;
}

#ifdef _WIN32

// mFile is the key's full registry path; its values are named directly.
constexpr QSettings::Format kFormat = QSettings::NativeFormat;

#else

// A settings file holds a few lines; anything larger is not one.
constexpr qint64 kMaxSettingsBytes = SmallFile::kDefaultLimit;

bool MakeFolder(const QString& folder) {
    if (QFileInfo(folder).isDir())
        return true;
    if (!MakeFolder(QFileInfo(folder).absolutePath()))
        return false;
    const QByteArray path = QFile::encodeName(folder);
    return (mkdir(path.constData(), 0755) == 0 || errno == EEXIST) &&
           chmod(path.constData(), 0755) == 0;
}

// Writes `bytes` over the file as a whole: a copy is written inside a folder only this
// process can enter, gets its final mode, and a rename puts it in place. No other account can
// open the file while it is being written, and a reader sees the old file or the new one.
bool ReplaceFile(const QString& file, const QByteArray& bytes) {
    const QString folder = QFileInfo(file).absolutePath();
    if (!MakeFolder(folder))
        return false;
    QByteArray scratch = QFile::encodeName(folder + QStringLiteral("/.settings-XXXXXX"));
    if (mkdtemp(scratch.data()) == nullptr)
        return false;
    const QString copy = QFile::decodeName(scratch) + QStringLiteral("/settings.ini");
    bool written = false;
    {
        QFile out(copy);
        written = out.open(QIODevice::WriteOnly | QIODevice::NewOnly) &&
                  out.write(bytes) == bytes.size() && out.flush();
        written = written && fsync(out.handle()) == 0;
    }
    const QByteArray copyPath = QFile::encodeName(copy);
    written = written && chmod(copyPath.constData(), 0644) == 0 &&
              rename(copyPath.constData(), QFile::encodeName(file).constData()) == 0;
    unlink(copyPath.constData());
    rmdir(scratch.constData());
    return written;
}

// What the owner of the settings can do about `read`'s problem.
QString Remedy(const TrustedRead& read, const QString& file, unsigned ownerUid) {
    const bool root = ownerUid == 0;
    const QString owner =
        root ? QStringLiteral("root") : QStringLiteral("user id %1").arg(ownerUid);
    const QString folder = QFileInfo(file).absolutePath();
    switch (read.failure) {
    case TrustFailure::Ownership:
        return QStringLiteral("It decides who administers Tessaro Orvane, so it and its folder "
                              "must belong to %1 and be writable by no one else. Fix it with: "
                              "chown %2 %3 && chmod 644 %3 && chmod go-w %4")
            .arg(owner, root ? QStringLiteral("root:root") : QString::number(ownerUid), file,
                 folder);
    case TrustFailure::NotAFile:
        return QStringLiteral("It decides who administers Tessaro Orvane, so it must be a "
                              "regular file of %1's%2, not a link or a special file. Remove it "
                              "and write the settings again (orvanectl settings set).")
            .arg(owner, root ? QStringLiteral(" (or a link kept in folders only root may write)")
                             : QString());
    case TrustFailure::TooLarge:
        return QStringLiteral("A settings file holds a few lines; this is not one. Remove it "
                              "and write the settings again (orvanectl settings set).");
    case TrustFailure::Unreadable:
    case TrustFailure::None:
        break;
    }
    return QStringLiteral("Check that your user may read it and its folder.");
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
    return ForAppDirOf(appDir, EffectiveUid(), machineFile);
}

std::unique_ptr<RegistryStore> RegistryStore::ForAppDirOf(const QString& appDir, unsigned uid,
                                                          const QString& machineFile) {
#ifndef _WIN32
    struct stat info {};
    if (uid != 0 && stat(QFile::encodeName(appDir).constData(), &info) == 0 &&
        S_ISDIR(info.st_mode) && info.st_uid == uid)
        return std::make_unique<RegistryStore>(appDir + QStringLiteral("/settings.ini"), uid);
#endif
    return std::make_unique<RegistryStore>(machineFile, 0);
}

RegistryStore::RegistryStore(QString file, unsigned ownerUid)
    : mFile(std::move(file)), mOwnerUid(ownerUid) {}

QByteArray RegistryStore::ReadTrusted(bool* exists) const {
#ifdef _WIN32
    *exists = true;
    return {};
#else
    const TrustedRead read = ReadTrustedFile(
        mFile, mOwnerUid, mOwnerUid == 0 ? TrustedLinks::InTrustedFolders : TrustedLinks::Refuse,
        kMaxSettingsBytes);
    if (!read.problem.isEmpty())
        throw OrvError(ErrorNumber::SettingsUntrusted,
                       QStringLiteral("The settings file %1 cannot be used: %2. %3")
                           .arg(mFile, read.problem, Remedy(read, mFile, mOwnerUid)),
                       kSource);
    *exists = read.exists;
    return read.bytes;
#endif
}

bool RegistryStore::KeyExists(int, const QString&) {
#ifdef _WIN32
    return QSettings(QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Brindlecove"), kFormat)
        .childGroups()
        .contains(QStringLiteral("TessaroOrvane"));
#else
    bool exists = false;
    ReadTrusted(&exists);
    return exists;
#endif
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
    settings.setValue(valueName, value.toString());
    settings.sync();
    written = settings.status() == QSettings::NoError;
#else
    bool exists = false;
    SettingsText text(ReadTrusted(&exists));
    if (!text.Set(valueName, value.toString()))
        throw OrvError(ErrorNumber::SettingsWrite,
                       QStringLiteral("\"%1\" cannot be the name of a setting.").arg(valueName),
                       kSource);
    written = ReplaceFile(mFile, text.Bytes());
#endif
    if (!written)
        throw OrvError(ErrorNumber::SettingsWrite,
                       QStringLiteral("The setting \"%1\" cannot be saved in %2: you may not "
                                      "change this file. Ask whoever may write it (root for the "
                                      "machine-wide file) to set it with: orvanectl settings set "
                                      "%3 VALUE")
                           .arg(valueName, mFile, CommandName(valueName)),
                       kSource);
    return true;
}

QVariant RegistryStore::GetValue(int, const QString&, const QString& valueName) {
#ifdef _WIN32
    return QSettings(mFile, kFormat).value(valueName, QString()).toString();
#else
    bool exists = false;
    const QByteArray bytes = ReadTrusted(&exists);
    if (!exists)
        return QString();
    return SettingsText(bytes).Value(valueName);
#endif
}

QStringList RegistryStore::ValueNames() {
#ifdef _WIN32
    return QSettings(mFile, kFormat).childKeys();
#else
    bool exists = false;
    return SettingsText(ReadTrusted(&exists)).Names();
#endif
}
