#include "platform/DesktopExecLine.h"

namespace {

bool IsFileCode(QChar c) {
    return c == u'f' || c == u'F' || c == u'u' || c == u'U';
}

bool IsBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n';
}

// `text` as one word of the line: as it is when nothing in it is special, else in double quotes
// with the characters the quotes keep special escaped. GIO turns "%%" back into "%".
QString Quoted(const QString& text, bool insideQuotes) {
    bool plain = !insideQuotes;
    for (const QChar c : text)
        plain = plain && !IsBlank(c) && !QStringView(u"\"'\\`$%<>~|&;*?#()").contains(c);
    if (plain)
        return text;
    QString word;
    for (const QChar c : text) {
        if (QStringView(u"\"`$\\").contains(c))
            word += u'\\';
        word += c;
        if (c == u'%')
            word += u'%';
    }
    return insideQuotes ? word : u'"' + word + u'"';
}

} // namespace

DesktopExecLine DesktopExecLine::Parse(const QString& exec) {
    DesktopExecLine line;
    QChar quote; // the quote character of the open quoted section, or null
    bool inFirstWord = false;
    bool firstWordDone = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (quote.isNull() && IsBlank(c)) {
            if (inFirstWord) {
                inFirstWord = false;
                firstWordDone = true;
                line.programEnd = i;
            }
            continue;
        }
        if (!firstWordDone && !inFirstWord)
            inFirstWord = true;
        QChar literal;
        if (c == u'\\' && quote != u'\'' && i + 1 < exec.size()) {
            literal = exec.at(++i);
        } else if (quote.isNull() && (c == u'"' || c == u'\'')) {
            quote = c;
            continue;
        } else if (c == quote) {
            quote = QChar();
            continue;
        } else if (c == u'%' && i + 1 < exec.size()) {
            const QChar code = exec.at(i + 1);
            if (code == u'%') {
                literal = u'%';
                ++i;
            } else {
                if (!quote.isNull() && IsFileCode(code))
                    line.quotedFileCode = true;
                literal = c;
            }
        } else {
            literal = c;
        }
        if (inFirstWord)
            line.program += literal;
    }
    if (inFirstWord)
        line.programEnd = exec.size();
    return line;
}

QString DesktopExecLine::WithProgram(const QString& exec, const QString& path) const {
    return Quoted(path, false) + exec.mid(programEnd);
}

QString DesktopExecLine::WithLocation(const QString& exec, const QString& file) {
    QString out;
    QChar quote;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (c == u'\\' && quote != u'\'' && i + 1 < exec.size()) {
            out += c;
            out += exec.at(++i);
        } else if (c == u'%' && i + 1 < exec.size() && quote != u'\'') {
            const QChar code = exec.at(++i);
            if (code == u'k') {
                out += Quoted(file, !quote.isNull());
            } else {
                out += c;
                out += code;
            }
        } else {
            if (quote.isNull() && (c == u'"' || c == u'\''))
                quote = c;
            else if (c == quote)
                quote = QChar();
            out += c;
        }
    }
    return out;
}
