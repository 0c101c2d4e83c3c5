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

// The table with every column as wide as its widest cell, a rule under the headers.
QString FormatTable(const CtlTable& table);
QString FormatResult(const CtlResult& result, bool json);
