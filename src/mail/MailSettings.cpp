#include "mail/MailSettings.h"

#include "platform/OrvError.h"
#include "platform/SmallFile.h"
#include "platform/Text.h"
#include "settings/RegistryStore.h"

#include <QFile>
#include <arpa/inet.h>

namespace {

// A host name goes into the URL unescaped: letters, digits, dots, hyphens and underscores.
bool IsHostName(const QString& host) {
    for (const QChar c : host) {
        const bool ok = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                        (c >= u'0' && c <= u'9') || c == u'.' || c == u'-' || c == u'_';
        if (!ok)
            return false;
    }
    return !host.isEmpty();
}

// The text inet_pton reads: toLatin1 makes any other character a '?', which no address holds;
// a NUL, which would end the text early, leaves it empty.
QByteArray AddressText(const QString& text) {
    return text.contains(QChar(0)) ? QByteArray() : text.toLatin1();
}

// An IPv6 address, with or without a zone ("fe80::1%eth0"): the URL puts it in brackets.
bool IsIpv6Address(const QString& host) {
    if (host.contains(u'%') && !IsHostName(host.section(u'%', 1)))
        return false;
    in6_addr parsed{};
    return inet_pton(AF_INET6, AddressText(host.section(u'%', 0, 0)).constData(), &parsed) == 1;
}

bool IsIpAddress(const QString& host) {
    in_addr parsed{};
    return IsIpv6Address(host) || inet_pton(AF_INET, AddressText(host).constData(), &parsed) == 1;
}

int DefaultPort(MailSettings::Security security) {
    switch (security) {
    case MailSettings::Security::None:
        return 25;
    case MailSettings::Security::StartTls:
        return 587;
    case MailSettings::Security::Smtps:
        return 465;
    }
    return 25;
}

} // namespace

QString MailSettings::Url() const {
    QString host = server;
    if (IsIpv6Address(host))
        host = QLatin1Char('[') + host + QLatin1Char(']');
    const QString scheme =
        security == Security::Smtps ? QStringLiteral("smtps") : QStringLiteral("smtp");
    return QStringLiteral("%1://%2:%3").arg(scheme, host).arg(port);
}

std::optional<MailSettings> ReadMailSettings(RegistryStore& registry, QString& error) {
    const int root = RegistryStore::HKEY_LOCAL_MACHINE_;
    MailSettings settings;
    QString port, security, timeout;
    try {
        const auto value = [&](const char* name) {
            return TrimSpaces(
                registry.GetValue(root, RegistryStore::kSettingsKey, QString::fromLatin1(name))
                    .toString());
        };
        settings.server = value("MailServer");
        port = value("MailPort");
        security = value("MailSecurity").toLower();
        settings.user = value("MailUser");
        settings.passwordFile = value("MailPasswordFile");
        settings.supportAddress = value("SupportAddress");
        timeout = value("MailTimeout");
    } catch (const OrvError& failure) {
        error = failure.Description();
        return std::nullopt;
    }
    const QString where = registry.File();

    if (settings.server.isEmpty()) {
        error = QStringLiteral("No mail server configured: set \"MailServer\" in %1.").arg(where);
        return std::nullopt;
    }
    if (!IsIpAddress(settings.server) && !IsHostName(settings.server)) {
        error = QStringLiteral("The mail server \"%1\" in %2 is not a host name or address.")
                    .arg(settings.server, where);
        return std::nullopt;
    }
    if (security.isEmpty() || security == QLatin1String("starttls"))
        settings.security = MailSettings::Security::StartTls;
    else if (security == QLatin1String("none"))
        settings.security = MailSettings::Security::None;
    else if (security == QLatin1String("smtps"))
        settings.security = MailSettings::Security::Smtps;
    else {
        error = QStringLiteral("\"MailSecurity\" in %1 is \"%2\"; it must be none, starttls or "
                               "smtps.")
                    .arg(where, security);
        return std::nullopt;
    }
    settings.port = DefaultPort(settings.security);
    if (!port.isEmpty()) {
        bool ok = false;
        settings.port = port.toInt(&ok);
        if (!ok || settings.port < 1 || settings.port > 65535) {
            error = QStringLiteral("\"MailPort\" in %1 is \"%2\"; it must be a port number "
                                   "from 1 to 65535.")
                        .arg(where, port);
            return std::nullopt;
        }
    }
    if (!timeout.isEmpty()) {
        bool ok = false;
        settings.timeoutSeconds = timeout.toInt(&ok);
        if (!ok || settings.timeoutSeconds < 1 || settings.timeoutSeconds > 3600) {
            error = QStringLiteral("\"MailTimeout\" in %1 is \"%2\"; it must be a number of "
                                   "seconds from 1 to 3600.")
                        .arg(where, timeout);
            return std::nullopt;
        }
    }
    if (!settings.user.isEmpty() && settings.passwordFile.isEmpty()) {
        error =
            QStringLiteral("\"MailUser\" is set in %1 but \"MailPasswordFile\" is not.").arg(where);
        return std::nullopt;
    }
    if (settings.supportAddress.isEmpty()) {
        error = QStringLiteral("No support address configured: set \"SupportAddress\" in %1.")
                    .arg(where);
        return std::nullopt;
    }
    error.clear();
    return settings;
}

QString ReadMailPassword(const QString& passwordFile, QString& error) {
    const SmallFile::Read read = SmallFile::ReadFile(passwordFile, 64 * 1024);
    if (!read.Ok()) {
        error = QStringLiteral("The mail password file %1 cannot be read: %2.")
                    .arg(passwordFile,
                         read.missing ? QStringLiteral("it does not exist") : read.problem);
        return {};
    }
    error.clear();
    return QString::fromUtf8(SmallFile::FirstLine(read.bytes));
}
