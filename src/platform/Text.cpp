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

bool SameProgramName(const QString& a, const QString& b) {
    return TrimSpaces(a).toUpper() == TrimSpaces(b).toUpper();
}
