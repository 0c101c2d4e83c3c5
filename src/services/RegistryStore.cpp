#include "services/RegistryStore.h"

#include "platform/OrvError.h"

#include <QFileInfo>
#include <QSettings>

namespace {

const QString kSource = QStringLiteral("RegistryStore");
// A key exists when its default value does; values live beside it.
const QString kDefaultValue = QStringLiteral("(Default)");

QString Group(const QString& keyPath) {
    QString group = keyPath;
    group.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return group;
}

QString ValueKey(const QString& keyPath, const QString& valueName) {
    return Group(keyPath) + QLatin1Char('/') + valueName;
}

#ifdef Q_OS_WIN
// The "files" are the registry's hives; the key path is the full path below them.
constexpr QSettings::Format kFormat = QSettings::NativeFormat;
bool Present(const QString& file) {
    return !file.isEmpty();
}
#else
constexpr QSettings::Format kFormat = QSettings::IniFormat;
bool Present(const QString& file) {
    return !file.isEmpty() && QFileInfo::exists(file);
}
#endif

bool FileHoldsKey(const QString& file, const QString& keyPath) {
    if (!Present(file))
        return false;
    QSettings settings(file, kFormat);
    return settings.contains(ValueKey(keyPath, kDefaultValue));
}

// Writes one value and reports whether it really reached the file.
bool WriteValue(const QString& file, const QString& key, const QVariant& value) {
    if (file.isEmpty())
        return false;
    QSettings settings(file, kFormat);
    if (!settings.isWritable())
        return false;
    settings.setValue(key, value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

QString SystemScopeFile() {
#ifdef Q_OS_WIN
    return QStringLiteral("HKEY_LOCAL_MACHINE");
#endif
    return QSettings(QSettings::IniFormat, QSettings::SystemScope, QStringLiteral("Brindlecove"),
                     QStringLiteral("TessaroOrvane"))
        .fileName();
}

QString UserScopeFile() {
#ifdef Q_OS_WIN
    return QStringLiteral("HKEY_CURRENT_USER");
#endif
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Brindlecove"),
                     QStringLiteral("TessaroOrvane"))
        .fileName();
}

} // namespace

RegistryStore::RegistryStore() : RegistryStore(SystemScopeFile(), UserScopeFile()) {}

RegistryStore::RegistryStore(QString systemFile, QString userFile)
    : mSystemFile(std::move(systemFile)), mUserFile(std::move(userFile)) {}

QString RegistryStore::FileHolding(const QString& keyPath) const {
    if (FileHoldsKey(mSystemFile, keyPath))
        return mSystemFile;
    if (FileHoldsKey(mUserFile, keyPath))
        return mUserFile;
    return {};
}

bool RegistryStore::KeyExists(int, const QString& keyPath) {
    return !FileHolding(keyPath).isEmpty();
}

bool RegistryStore::CreateKey(int, const QString& keyPath) {
    if (KeyExists(HKEY_LOCAL_MACHINE_, keyPath))
        return true;
    const QString key = ValueKey(keyPath, kDefaultValue);
    if (WriteValue(mSystemFile, key, QString()) || WriteValue(mUserFile, key, QString()))
        return true;
    throw OrvError(ErrorNumber::SettingsWrite,
                   QStringLiteral("The settings cannot be saved: neither %1 nor %2 can be "
                                  "written. Ask an administrator to start the program once, or "
                                  "make one of these files writable.")
                       .arg(mSystemFile, mUserFile),
                   kSource);
}

bool RegistryStore::SetValue(int, const QString& keyPath, const QString& valueName,
                             const QVariant& value) {
    const QString file = FileHolding(keyPath);
    if (file.isEmpty())
        return false;
    if (!WriteValue(file, ValueKey(keyPath, valueName), value.toString()))
        throw OrvError(ErrorNumber::SettingsWrite,
                       QStringLiteral("The setting \"%1\" cannot be saved in %2: the file cannot "
                                      "be written. Start the program as a user who may change "
                                      "it.")
                           .arg(valueName, file),
                       kSource);
    return true;
}

QVariant RegistryStore::GetValue(int, const QString& keyPath, const QString& valueName) {
    const QString file = FileHolding(keyPath);
    if (file.isEmpty())
        return QString();
    QSettings settings(file, kFormat);
    return settings.value(ValueKey(keyPath, valueName), QString()).toString();
}
