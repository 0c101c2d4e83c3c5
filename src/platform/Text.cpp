#include "platform/Text.h"

QString TrimSpaces(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}

QString UpperProgramName(const QString& name) {
    QString upper;
    UpperProgramName(name, upper);
    return upper;
}

void UpperProgramName(QStringView name, QString& into) {
    qsizetype begin = 0;
    qsizetype end = name.size();
    while (begin < end && name.at(begin) == u' ')
        ++begin;
    while (end > begin && name.at(end - 1) == u' ')
        --end;
    const QStringView trimmed = name.sliced(begin, end - begin);
    // Nearly every name is ASCII, whose upper case is a-z to A-Z; the Unicode case tables that
    // toUpper consults for every letter cost several times the whole conversion.
    for (const QChar c : trimmed)
        if (c.unicode() >= 0x80) {
            into = trimmed.toString().toUpper();
            return;
        }
    into.resize(trimmed.size());
    QChar* out = into.data();
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        const char16_t c = trimmed.at(i).unicode();
        out[i] = QChar(c >= u'a' && c <= u'z' ? char16_t(c - (u'a' - u'A')) : c);
    }
}

QString ProgramNameProblem(const QString& name) {
    for (const QChar c : name)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f ||
            (c.unicode() >= 0x80 && c.unicode() < 0xa0))
            return QStringLiteral("A program name cannot hold a control character such as a line "
                                  "break or a tab: remove it from \"%1\".")
                .arg(QString(name).replace(u'\n', u' ').replace(u'\r', u' ').replace(u'\t', u' '));
    return {};
}
