#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>

// Dates shown the way the desktop writes them, in the default locale: the short date with a
// four-digit year, then the time with seconds; a date without a time of day shows the date
// alone. No time zone is written.
QString FormatGeneralDate(const QDateTime& value);
// A catalogue field as text: a date (or a text that reads as an ISO date) in the general
// date format, any other value as its text trimmed of spaces, a null value as "".
QString GeneralDateText(const QVariant& field);
