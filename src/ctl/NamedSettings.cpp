#include "ctl/NamedSettings.h"

#include "catalogue/CatalogAddress.h"

#include <QDir>
#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

namespace {

// Every value: no control characters, which would break the file's lines or a terminal.
QString Printable(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return QStringLiteral("it holds a control character");
    return {};
}

QString AnyText(const QString& text) {
    return Printable(text);
}

QString AbsolutePath(const QString& text) {
    if (text.isEmpty())
        return {};
    if (!QDir::isAbsolutePath(text))
        return QStringLiteral("it must be an absolute path");
    return Printable(text);
}

QString Seconds(const QString& text) {
    bool number = false;
    const int seconds = text.toInt(&number);
    if (!text.isEmpty() && (!number || seconds < 1 || seconds > 3600))
        return QStringLiteral("it must be a number of seconds from 1 to 3600");
    return {};
}

QString Port(const QString& text) {
    bool number = false;
    const int port = text.toInt(&number);
    if (!text.isEmpty() && (!number || port < 1 || port > 65535))
        return QStringLiteral("it must be a port number from 1 to 65535");
    return {};
}

QString OneOf(const QString& text, const QStringList& words) {
    if (!text.isEmpty() && !words.contains(text))
        return QStringLiteral("it must be %1").arg(words.join(QStringLiteral(" or ")));
    return {};
}

QString Tls(const QString& text) {
    return OneOf(text, {QStringLiteral("starttls"), QStringLiteral("none")});
}

QString MailSecurity(const QString& text) {
    return OneOf(text,
                 {QStringLiteral("none"), QStringLiteral("starttls"), QStringLiteral("smtps")});
}

QString CatalogueAddress(const QString& text) {
    if (text.isEmpty())
        return {};
    if (!text.startsWith(QLatin1String("postgresql://")) &&
        !text.startsWith(QLatin1String("postgres://")))
        return QStringLiteral("it must be a postgresql://user@host:port/database address");
    if (const QString problem = PasswordInAddressProblem(text, QStringLiteral("The address"));
        !problem.isEmpty())
        return problem;
    return Printable(text);
}

QString LdapUris(const QString& text) {
    for (const QString& uri : text.split(u' ', Qt::SkipEmptyParts))
        if (!uri.startsWith(QLatin1String("ldap://"), Qt::CaseInsensitive) &&
            !uri.startsWith(QLatin1String("ldaps://"), Qt::CaseInsensitive))
            return QStringLiteral("\"%1\" is not an ldap:// or ldaps:// address").arg(uri);
    return Printable(text);
}

QString Host(const QString& text) {
    static const QRegularExpression host(QStringLiteral("^[A-Za-z0-9._:-]*$"));
    if (!host.match(text).hasMatch())
        return QStringLiteral("it must be a host name or an address");
    return {};
}

QString Address(const QString& text) {
    if (!text.isEmpty() && (!text.contains(u'@') || text.contains(u' ')))
        return QStringLiteral("it must be a mail address (name@example.org)");
    return Printable(text);
}

QString Mechanism(const QString& text) {
    static const QRegularExpression mechanism(QStringLiteral("^[A-Z0-9_-]*$"));
    if (!mechanism.match(text).hasMatch())
        return QStringLiteral("it must be a SASL mechanism such as GSSAPI");
    return {};
}

} // namespace

const QList<NamedSetting>& NamedSettings() {
    static const QList<NamedSetting> settings = {
        {"domain", "5", "the domain whose accounts the launcher uses", AnyText},
        {"admin-group", "6", "the group whose members administer the launcher", AnyText},
        {"CatalogUri", "CatalogUri", "a shared PostgreSQL catalogue", CatalogueAddress},
        {"CatalogPasswordFile", "CatalogPasswordFile", "the catalogue server's password",
         AbsolutePath},
        {"CatalogTimeout", "CatalogTimeout", "seconds a catalogue statement may take", Seconds},
        {"LdapUri", "LdapUri", "the directory's servers", LdapUris},
        {"LdapBase", "LdapBase", "the directory's base DN", AnyText},
        {"LdapBindDn", "LdapBindDn", "the DN the directory is bound as", AnyText},
        {"LdapPasswordFile", "LdapPasswordFile", "the bind password", AbsolutePath},
        {"LdapSasl", "LdapSasl", "a SASL mechanism for the bind", Mechanism},
        {"LdapTls", "LdapTls", "StartTLS for ldap:// addresses", Tls},
        {"LdapCaFile", "LdapCaFile", "the CAs the directory's certificate is checked with",
         AbsolutePath},
        {"LdapTimeout", "LdapTimeout", "seconds for each directory operation", Seconds},
        {"LdapDomains", "LdapDomains", "domains the setup window offers", AnyText},
        {"MailServer", "MailServer", "the SMTP server of the support mail", Host},
        {"MailPort", "MailPort", "its port", Port},
        {"MailSecurity", "MailSecurity", "none, starttls or smtps", MailSecurity},
        {"MailUser", "MailUser", "the login name at the mail server", AnyText},
        {"MailPasswordFile", "MailPasswordFile", "its password", AbsolutePath},
        {"SupportAddress", "SupportAddress", "where support mail goes", Address},
        {"MailTimeout", "MailTimeout", "seconds for each mail server reply", Seconds},
    };
    return settings;
}

const NamedSetting* FindSetting(const QString& name) {
    for (const NamedSetting& setting : NamedSettings())
        if (name == QLatin1String(setting.command) || name == QLatin1String(setting.value))
            return &setting;
    return nullptr;
}
