#pragma once

#include <QString>
#include <cmath>
#include <cstdint>

// "Trimmed" everywhere in the program means leading and trailing spaces (U+0020) only;
// tabs and line breaks stay.
QString TrimSpaces(const QString& text);

// Why `name` cannot name a program, or an empty string: a name with a control character (a
// line break, a tab) would break every list and table that shows it.
QString ProgramNameProblem(const QString& name);

// The form in which program names compare: trimmed, in upper case.
QString UpperProgramName(const QString& name);
// The same into an existing string, whose storage a loop over many names reuses.
void UpperProgramName(QStringView name, QString& into);

// Rounding of the original platform: halves to even.
inline long RoundHalfEven(double value) {
    return static_cast<long>(std::nearbyint(value));
}

// Collections and image lists count from 1; these keep the conversion in one place.
template <class List> auto& Item(List& list, qsizetype oneBasedIndex) {
    return list[oneBasedIndex - 1];
}
template <class List> const auto& Item(const List& list, qsizetype oneBasedIndex) {
    return list[oneBasedIndex - 1];
}
template <class List> qsizetype Count(const List& list) {
    return list.size();
}
