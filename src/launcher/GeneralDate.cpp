#include "launcher/GeneralDate.h"

#include "platform/Text.h"

#include <QLocale>
#include <QRegularExpression>

namespace {

QString ShortDateFormat(const QLocale& locale) {
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QRegularExpression(QStringLiteral("y+")), QStringLiteral("yyyy"));
    return format;
}

QString TimeFormat(const QLocale& locale) {
    QString format = locale.timeFormat(QLocale::LongFormat);
    // The time zone ("t") and what separates it from the time.
    format.remove(QRegularExpression(QStringLiteral("\\s*\\(?t+\\)?")));
    return format.trimmed();
}

} // namespace

QString FormatGeneralDate(const QDateTime& value) {
    if (!value.isValid())
        return {};
    const QLocale locale;
    const QString date = locale.toString(value.date(), ShortDateFormat(locale));
    if (value.time() == QTime(0, 0))
        return date;
    return date + QLatin1Char(' ') + locale.toString(value.time(), TimeFormat(locale));
}

QString GeneralDateText(const QVariant& field) {
    if (field.isNull())
        return {};
    switch (field.typeId()) {
    case QMetaType::QDateTime:
        return FormatGeneralDate(field.toDateTime());
    case QMetaType::QDate:
        return FormatGeneralDate(QDateTime(field.toDate(), QTime(0, 0)));
    default:
        break;
    }
    const QString text = TrimSpaces(field.toString());
    const QDateTime parsed = QDateTime::fromString(text, Qt::ISODateWithMs);
    return parsed.isValid() ? FormatGeneralDate(parsed) : text;
}
