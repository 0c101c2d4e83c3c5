#include "directory/LdapText.h"

#include <QStringList>
#include <QtEndian>

namespace LdapText {

QByteArray FilterValue(const QString& value) {
    const QByteArray utf8 = value.toUtf8();
    QByteArray escaped;
    escaped.reserve(utf8.size());
    for (const char c : utf8) {
        if (c == '*' || c == '(' || c == ')' || c == '\\' || c == '\0')
            escaped +=
                '\\' + QByteArray::number(static_cast<unsigned char>(c), 16).rightJustified(2, '0');
        else
            escaped += c;
    }
    return escaped;
}

QByteArray FilterBytes(const QByteArray& bytes) {
    QByteArray escaped;
    escaped.reserve(bytes.size() * 3);
    for (const char c : bytes)
        escaped +=
            '\\' + QByteArray::number(static_cast<unsigned char>(c), 16).rightJustified(2, '0');
    return escaped;
}

QString DnValue(const QString& value) {
    static const QString kSpecial = QStringLiteral(",+\"\\<>;=");
    QString escaped;
    escaped.reserve(value.size() + 4);
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        const bool edgeSpace = c == u' ' && (i == 0 || i == value.size() - 1);
        if (c == QChar(0))
            escaped += QStringLiteral("\\00");
        else if (kSpecial.contains(c) || edgeSpace || (i == 0 && c == u'#'))
            escaped += u'\\' + QString(c);
        else
            escaped += c;
    }
    return escaped;
}

QString BaseDnOfDomain(const QString& domain) {
    QStringList parts;
    for (const QString& label : domain.split(u'.', Qt::SkipEmptyParts))
        parts.append(QStringLiteral("DC=") + DnValue(label));
    return parts.join(u',');
}

QString SidText(const QByteArray& binary) {
    // revision (1), sub-authority count (1), identifier authority (6, big-endian),
    // sub-authorities (4 each, little-endian).
    if (binary.size() < 8)
        return {};
    const auto* bytes = reinterpret_cast<const uchar*>(binary.constData());
    const int count = bytes[1];
    if (bytes[0] != 1 || binary.size() != 8 + 4 * count)
        return {};
    quint64 authority = 0;
    for (int i = 2; i < 8; ++i)
        authority = (authority << 8) | bytes[i];
    QString text = QStringLiteral("S-1-%1").arg(authority);
    for (int i = 0; i < count; ++i)
        text += QStringLiteral("-%1").arg(qFromLittleEndian<quint32>(bytes + 8 + 4 * i));
    return text;
}

QString AccountName(const QString& logonName) {
    // Only a separator with a name on both sides counts: "a\\" stays a name of its own.
    const qsizetype backslash = logonName.indexOf(u'\\');
    QString name = backslash > 0 && backslash + 1 < logonName.size() ? logonName.mid(backslash + 1)
                                                                     : logonName;
    const qsizetype at = name.lastIndexOf(u'@');
    if (at > 0 && at + 1 < name.size())
        name.truncate(at);
    return name;
}

} // namespace LdapText
