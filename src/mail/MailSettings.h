#pragma once

#include <QString>
#include <optional>

class RegistryStore;

// Where support mail goes and how it gets there: machine-wide values of the settings key,
// beside the domain ("5") and the administrators' group ("6").
//
//   "MailServer"        host name or IP address of the SMTP server. Empty (a fresh
//                       install): nothing can be sent, every attempt fails with
//                       "No mail server configured".
//   "MailPort"          TCP port; empty means the usual port of the security mode
//                       (25, 587 or 465).
//   "MailSecurity"      "none" (plain SMTP), "starttls" (SMTP upgraded with STARTTLS,
//                       refused when the server does not offer it) or "smtps" (TLS from the
//                       first byte). Empty means "starttls". Certificates are checked against
//                       the system's trusted authorities.
//   "MailUser"          login name for SMTP authentication; empty sends without logging in.
//   "MailPasswordFile"  path of a file whose first line is the password for "MailUser". The
//                       password never sits in the settings file itself.
//   "SupportAddress"    the recipient of every support mail. Empty: nothing can be sent.
//   "MailTimeout"       seconds to wait for the connection and for each answer of the
//                       server; empty means 30. The whole send gives up after four times that.
struct MailSettings {
    enum class Security { None, StartTls, Smtps };

    QString server;
    int port = 0;
    Security security = Security::StartTls;
    QString user;
    QString passwordFile;
    QString supportAddress;
    int timeoutSeconds = 30;

    // The URL libcurl connects to ("smtp://host:port" or "smtps://host:port").
    QString Url() const;
};

// The settings as stored, checked. On a missing, malformed or unreadable value `error`
// says which and what to do, and nothing is returned.
std::optional<MailSettings> ReadMailSettings(RegistryStore& registry, QString& error);

// The first line of the password file, without its line end. Empty `error` on success.
QString ReadMailPassword(const QString& passwordFile, QString& error);
