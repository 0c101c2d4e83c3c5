#include "settings/SettingsText.h"

namespace {

bool IsComment(const QString& trimmed) {
    return trimmed.startsWith(u';') || trimmed.startsWith(u'#');
}

bool IsHeader(const QString& trimmed) {
    return trimmed.startsWith(u'[') && trimmed.endsWith(u']');
}

bool IsTopLevelHeader(const QString& trimmed) {
    return trimmed.compare(QLatin1String("[General]"), Qt::CaseInsensitive) == 0;
}

// The position of the quote that closes the quoted text opening at 0, or -1.
qsizetype ClosingQuote(const QString& text) {
    for (qsizetype i = 1; i < text.size(); ++i) {
        if (text.at(i) == u'\\')
            ++i;
        else if (text.at(i) == u'"')
            return i;
    }
    return -1;
}

int HexDigit(QChar c) {
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    return -1;
}

QString Unescape(QStringView quoted) {
    QString out;
    out.reserve(quoted.size());
    for (qsizetype i = 0; i < quoted.size(); ++i) {
        const QChar c = quoted.at(i);
        if (c != u'\\' || i + 1 == quoted.size()) {
            out += c;
            continue;
        }
        const QChar e = quoted.at(++i);
        switch (e.unicode()) {
        case 'n':
            out += u'\n';
            break;
        case 'r':
            out += u'\r';
            break;
        case 't':
            out += u'\t';
            break;
        case 'a':
            out += u'\a';
            break;
        case 'b':
            out += u'\b';
            break;
        case 'f':
            out += u'\f';
            break;
        case 'v':
            out += u'\v';
            break;
        case '0':
            out += QChar(0);
            break;
        case 'x': {
            // Up to four hex digits, as written by Encode (and by Qt's INI writer).
            char16_t code = 0;
            qsizetype digits = 0;
            while (digits < 4 && i + 1 < quoted.size() && HexDigit(quoted.at(i + 1)) >= 0) {
                code = static_cast<char16_t>(code * 16 + HexDigit(quoted.at(++i)));
                ++digits;
            }
            out += digits > 0 ? QChar(code) : QChar(u'x');
            break;
        }
        default:
            out += e;
            break; // \" \\ and anything else stand for themselves
        }
    }
    return out;
}

} // namespace

SettingsText::SettingsText(const QByteArray& bytes) {
    QStringList lines = QString::fromUtf8(bytes).split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the file's last line end
    bool topLevel = true;
    for (QString& text : lines) {
        if (text.endsWith(u'\r'))
            text.chop(1);
        Line line;
        const QString trimmed = text.trimmed();
        if (IsHeader(trimmed)) {
            line.header = true;
            topLevel = IsTopLevelHeader(trimmed);
        } else if (!trimmed.isEmpty() && !IsComment(trimmed) && trimmed.contains(u'=')) {
            line.name = trimmed.left(trimmed.indexOf(u'=')).trimmed();
        }
        line.topLevel = topLevel;
        line.text = std::move(text);
        mLines.append(std::move(line));
    }
}

bool SettingsText::IsValidName(const QString& name) {
    if (name.isEmpty())
        return false;
    for (const QChar c : name)
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && c != u'_' && c != u'-' && c != u'.')
            return false;
    return true;
}

QString SettingsText::Decode(const QString& written) {
    const QString value = written.trimmed();
    if (!value.startsWith(u'"'))
        return value;
    const qsizetype close = ClosingQuote(value);
    // Only a value wholly in quotes is a quoted value; anything else is text as written.
    if (close != value.size() - 1)
        return value;
    return Unescape(QStringView(value).mid(1, close - 1));
}

QString SettingsText::Encode(const QString& value) {
    bool quote = !value.isEmpty() &&
                 (value.front().isSpace() || value.back().isSpace() || value.front() == u'@');
    for (const QChar c : value)
        quote = quote || c.unicode() < 0x20 || c.unicode() == 0x7f ||
                QStringView(u"\"\\,;#=").contains(c);
    if (!quote)
        return value;
    QString out = QStringLiteral("\"");
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '"':
            out += QStringLiteral("\\\"");
            break;
        case '\\':
            out += QStringLiteral("\\\\");
            break;
        case '\n':
            out += QStringLiteral("\\n");
            break;
        case '\r':
            out += QStringLiteral("\\r");
            break;
        case '\t':
            out += QStringLiteral("\\t");
            break;
        default:
            if (c.unicode() < 0x20 || c.unicode() == 0x7f)
                out += QStringLiteral("\\x%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    return out + u'"';
}

bool SettingsText::Has(const QString& name) const {
    for (const Line& line : mLines)
        if (line.topLevel && line.name == name)
            return true;
    return false;
}

QString SettingsText::Value(const QString& name) const {
    for (auto it = mLines.crbegin(); it != mLines.crend(); ++it)
        if (it->topLevel && it->name == name)
            return Decode(it->text.mid(it->text.indexOf(u'=') + 1));
    return {};
}

QStringList SettingsText::Names() const {
    QStringList names;
    for (const Line& line : mLines)
        if (line.topLevel && !line.name.isEmpty() && !names.contains(line.name))
            names.append(line.name);
    return names;
}

bool SettingsText::Set(const QString& name, const QString& value) {
    if (!IsValidName(name))
        return false;
    const QString text = name + u'=' + Encode(value);
    qsizetype at = -1;
    for (qsizetype i = 0; i < mLines.size(); ++i) {
        if (!mLines[i].topLevel || mLines[i].name != name)
            continue;
        if (at < 0) {
            at = i;
            mLines[i].text = text;
        } else {
            mLines.removeAt(i--); // a name given twice is written once
        }
    }
    if (at >= 0)
        return true;
    // After the last top-level value, else after a "[General]" header, else first of all
    // (before any other section).
    qsizetype insert = 0;
    for (qsizetype i = 0; i < mLines.size(); ++i)
        if (mLines[i].topLevel && (mLines[i].header || !mLines[i].name.isEmpty()))
            insert = i + 1;
    Line line;
    line.text = text;
    line.name = name;
    line.topLevel = true;
    mLines.insert(insert, std::move(line));
    return true;
}

QByteArray SettingsText::Bytes() const {
    QString text;
    for (const Line& line : mLines)
        text += line.text + u'\n';
    return text.toUtf8();
}
