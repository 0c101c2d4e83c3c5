#pragma once

#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>

// Rows and columns for people.
struct CtlTable {
    QStringList headers;
    QList<QStringList> rows;
};

// What a command prints: `json` with --json, otherwise the table when it has columns and
// the text lines below it.
struct CtlResult {
    QJsonValue json;
    CtlTable table;
    QStringList lines;
};

// `text` safe to print on a terminal: control characters (which could move the cursor, ring
// the bell, overwrite a line or send terminal commands) shown escaped, as "\n", "\t", "\r"
// or "\x1b" (C1 controls as "\u009b"), the way the JSON output escapes them.
QString TerminalText(const QString& text);

// The table with every column as wide as its widest cell, a rule under the headers; cells as
// TerminalText shows them.
QString FormatTable(const CtlTable& table);
// The table and the lines as TerminalText shows them, or the JSON document.
QString FormatResult(const CtlResult& result, bool json);
