#include "mail/MailMessage.h"

#include <QStringList>
#include <QUuid>

namespace {

constexpr int kFoldAt = 78; // recommended header line length
// Encoded words kept short enough that "Subject: " and one word stay within 76 characters.
constexpr int kEncodedWord = 66;
constexpr int kBodyLine = 998; // longest line SMTP carries
constexpr int kQpLine = 76;    // longest quoted-printable line

bool HasLineBreak(const QString& text) {
    return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'));
}

QString RefusedAddress(const QString& what, const QString& address) {
    if (HasLineBreak(address))
        return QStringLiteral("%1 contains a line break.").arg(what);
    for (const QChar c : address) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return QStringLiteral("%1 contains a control character.").arg(what);
        if (c == u'<' || c == u'>')
            return QStringLiteral("%1 \"%2\" contains \"<\" or \">\".").arg(what, address);
    }
    return {};
}

bool IsPlainHeaderText(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            return false;
    // Text that looks like an encoded word would be decoded by the reader.
    return !text.contains(QLatin1String("=?"));
}

// RFC 2047 "B" encoded words, never splitting a character.
QStringList EncodedWords(const QString& text) {
    const QString prefix = QStringLiteral("=?UTF-8?B?");
    const int maxBytes = (kEncodedWord - int(prefix.size()) - 2) / 4 * 3;
    QStringList words;
    QByteArray chunk;
    const auto flush = [&] {
        if (!chunk.isEmpty())
            words.append(prefix + QString::fromLatin1(chunk.toBase64()) + QStringLiteral("?="));
        chunk.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        qsizetype length = 1;
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            length = 2;
        const QByteArray bytes = text.mid(i, length).toUtf8();
        if (chunk.size() + bytes.size() > maxBytes)
            flush();
        chunk += bytes;
        i += length - 1;
    }
    flush();
    return words;
}

// "Name: " followed by the tokens, separated by single spaces, breaking before a token that
// would carry the line past the recommended length. Empty tokens are never put at the start
// of a line, which would leave a line of white space only.
QByteArray FoldedHeader(const QString& name, const QStringList& tokens) {
    QString out = name + QLatin1Char(':');
    qsizetype lineStart = 0;
    for (const QString& token : tokens) {
        const qsizetype lineLength = out.size() - lineStart;
        if (!token.isEmpty() && lineLength > name.size() + 1 &&
            lineLength + 1 + token.size() > kFoldAt) {
            out += QStringLiteral("\r\n");
            lineStart = out.size();
        }
        out += QLatin1Char(' ') + token;
    }
    return out.toUtf8() + "\r\n";
}

// Unstructured text (the subject): plain words when every one fits on a line, else encoded
// words, which any reader joins back without the spaces between them.
QStringList UnstructuredTokens(const QString& text) {
    if (IsPlainHeaderText(text)) {
        const QStringList words = text.split(QLatin1Char(' '));
        bool fits = true;
        for (const QString& word : words)
            fits = fits && word.size() <= kFoldAt - 9;
        if (fits)
            return words;
    }
    return EncodedWords(text);
}

// The sender's display name: a quoted string when it is plain and short, else encoded words.
QStringList PhraseTokens(const QString& name) {
    if (IsPlainHeaderText(name) && name.size() < kFoldAt - 12) {
        QString quoted = name;
        quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
        quoted.replace(QLatin1Char('"'), QStringLiteral("\\\""));
        return {QLatin1Char('"') + quoted + QLatin1Char('"')};
    }
    return EncodedWords(name);
}

QByteArray QuotedPrintableLine(const QByteArray& line) {
    QByteArray out;
    int length = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const auto c = static_cast<unsigned char>(line.at(i));
        const bool last = i + 1 == line.size();
        QByteArray token;
        if ((c >= 33 && c <= 126 && c != '=') || ((c == ' ' || c == '\t') && !last))
            token = QByteArray(1, char(c));
        else
            token = '=' + QByteArray::number(c, 16).toUpper().rightJustified(2, '0');
        // Room for the "=" of a soft line break.
        if (length + token.size() > kQpLine - 1) {
            out += "=\r\n";
            length = 0;
        }
        out += token;
        length += int(token.size());
    }
    return out;
}

// The body's lines with CRLF ends, whatever ends the user's text had.
QList<QByteArray> BodyLines(const QString& body) {
    QString text = body;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QList<QByteArray> lines;
    for (const QString& line : text.split(QLatin1Char('\n')))
        lines.append(line.toUtf8());
    // A text that ends with a line break has no further line after it.
    if (text.endsWith(QLatin1Char('\n')))
        lines.removeLast();
    return lines;
}

} // namespace

QString RefusedHeaderText(const MailMessage& mail) {
    if (QString why = RefusedAddress(QStringLiteral("The sender address"), mail.fromAddress);
        !why.isEmpty())
        return why;
    if (HasLineBreak(mail.fromName))
        return QStringLiteral("The sender name contains a line break.");
    if (HasLineBreak(mail.subject))
        return QStringLiteral("The subject contains a line break.");
    return RefusedAddress(QStringLiteral("The support address"), mail.to);
}

qsizetype DotStuffedSize(const QByteArray& message) {
    // A composed message begins with a header, never with a dot.
    return message.size() + message.count("\r\n.");
}

QByteArray MailDate(const QDateTime& date) {
    static const char* const days[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const QDate day = date.date();
    const QTime time = date.time();
    const int offset = date.offsetFromUtc() / 60;
    const int absolute = offset < 0 ? -offset : offset;
    return QByteArray(days[day.dayOfWeek() - 1]) + ", " +
           QByteArray::number(day.day()).rightJustified(2, '0') + ' ' + months[day.month() - 1] +
           ' ' + QByteArray::number(day.year()) + ' ' + time.toString(u"HH:mm:ss").toLatin1() +
           ' ' + (offset < 0 ? '-' : '+') +
           QByteArray::number(absolute / 60).rightJustified(2, '0') +
           QByteArray::number(absolute % 60).rightJustified(2, '0');
}

QByteArray ComposeMessage(const MailMessage& mail, const QDateTime& date, const QString& idDomain) {
    const QList<QByteArray> lines = BodyLines(mail.body);
    bool plain = true;
    for (const QByteArray& line : lines) {
        plain = plain && line.size() <= kBodyLine;
        for (const char c : line)
            plain = plain && ((c >= 0x20 && c < 0x7f) || c == '\t');
    }

    QStringList from;
    if (!mail.fromName.isEmpty())
        from = PhraseTokens(mail.fromName);
    from.append(mail.fromName.isEmpty() && !mail.fromAddress.isEmpty()
                    ? mail.fromAddress
                    : QLatin1Char('<') + mail.fromAddress + QLatin1Char('>'));

    QByteArray message;
    message += "Date: " + MailDate(date) + "\r\n";
    message += FoldedHeader(QStringLiteral("From"), from);
    message += FoldedHeader(QStringLiteral("To"), {mail.to});
    message += mail.subject.isEmpty()
                   ? QByteArray("Subject:\r\n")
                   : FoldedHeader(QStringLiteral("Subject"), UnstructuredTokens(mail.subject));
    message += "Message-ID: <" + QUuid::createUuid().toString(QUuid::WithoutBraces).toLatin1() +
               '@' + idDomain.toLatin1() + ">\r\n";
    message += "MIME-Version: 1.0\r\n";
    message += "Content-Type: text/plain; charset=UTF-8\r\n";
    message += plain ? "Content-Transfer-Encoding: 7bit\r\n"
                     : "Content-Transfer-Encoding: quoted-printable\r\n";
    message += "\r\n";
    for (const QByteArray& line : lines)
        message += (plain ? line : QuotedPrintableLine(line)) + "\r\n";
    return message;
}
