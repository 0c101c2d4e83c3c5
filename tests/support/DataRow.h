#pragma once

#include <QTest>

// Adds the data row `tag` with `values` in column order, so that a table reads one row a line
// (a string literal becomes a QString, as QTest's own operator does).
template <typename... T> void AddRow(const char* tag, const T&... values) {
    (QTest::newRow(tag) << ... << values);
}
