#include "ctl/CtlOutput.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

QString TerminalText(const QString& text) {
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        if (code >= 0x20 && code != 0x7f && !(code >= 0x80 && code < 0xa0)) {
            shown += c;
            continue;
        }
        switch (code) {
        case u'\n':
            shown += QStringLiteral("\\n");
            break;
        case u'\r':
            shown += QStringLiteral("\\r");
            break;
        case u'\t':
            shown += QStringLiteral("\\t");
            break;
        default:
            shown += code < 0x80 ? QStringLiteral("\\x%1").arg(code, 2, 16, QLatin1Char('0'))
                                 : QStringLiteral("\\u%1").arg(code, 4, 16, QLatin1Char('0'));
        }
    }
    return shown;
}

QString FormatTable(const CtlTable& source) {
    CtlTable table{source.headers, {}};
    for (const QStringList& row : source.rows) {
        QStringList shown;
        for (const QString& cell : row)
            shown.append(TerminalText(cell));
        table.rows.append(shown);
    }
    QList<qsizetype> widths;
    for (const QString& header : table.headers)
        widths.append(header.size());
    for (const QStringList& row : table.rows)
        for (qsizetype c = 0; c < row.size() && c < widths.size(); ++c)
            widths[c] = std::max(widths[c], row.at(c).size());

    auto line = [&](const QStringList& cells) {
        QString text;
        for (qsizetype c = 0; c < widths.size(); ++c) {
            const QString cell = c < cells.size() ? cells.at(c) : QString();
            text += c + 1 < widths.size() ? cell.leftJustified(widths[c] + 2) : cell;
        }
        // Empty last cells leave no trailing spaces.
        while (text.endsWith(u' '))
            text.chop(1);
        return text + u'\n';
    };
    QString text = line(table.headers);
    QStringList rules;
    for (qsizetype w : widths)
        rules.append(QString(w, u'-'));
    text += line(rules);
    for (const QStringList& row : table.rows)
        text += line(row);
    return text;
}

QString FormatResult(const CtlResult& result, bool json) {
    if (json) {
        QJsonDocument document;
        if (result.json.isArray())
            document.setArray(result.json.toArray());
        else
            document.setObject(result.json.toObject());
        return QString::fromUtf8(document.toJson(QJsonDocument::Indented));
    }
    QString text;
    if (!result.table.headers.isEmpty())
        text += FormatTable(result.table);
    for (const QString& line : result.lines)
        text += TerminalText(line) + u'\n';
    return text;
}
