#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// One support mail as the user wrote it.
struct MailMessage {
    QString fromAddress;
    QString fromName;
    QString to;
    QString subject;
    QString body;
};

// Why the mail cannot be sent as it stands, or an empty string. A line break in an address,
// the sender's name or the subject would start a header or an SMTP command of its own, and an
// angle bracket or control character in an address would end the envelope's address early:
// such text is refused, never cleaned up behind the user's back.
QString RefusedHeaderText(const MailMessage& mail);

// The mail as an RFC 5322 message with CRLF line ends: Date, Message-ID (`<id@idDomain>`),
// From, To, Subject and the MIME headers, then the UTF-8 body. Header lines are folded at 78
// characters; non-ASCII names and subjects travel as RFC 2047 encoded words. The body keeps
// every character; it is quoted-printable when it is not plain ASCII or has a line longer
// than SMTP allows. Dot-stuffing is the transport's business. Expects RefusedHeaderText to
// be empty.
QByteArray ComposeMessage(const MailMessage& mail, const QDateTime& date, const QString& idDomain);

// The bytes SMTP carries for a composed `message`: the transport doubles the dot that begins
// a line, so each line beginning with a dot counts one more.
qsizetype DotStuffedSize(const QByteArray& message);

// "Sat, 05 Dec 2026 22:47:49 +0100", in English whatever the locale.
QByteArray MailDate(const QDateTime& date);
