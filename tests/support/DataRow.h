#pragma once

#include <QTest>
#include <initializer_list>
#include <utility>

// Adds the data row `tag` with `values` in column order, so that a table reads one row a line
// (a string literal becomes a QString, as QTest's own operator does).
template <typename... T> void AddRow(const char* tag, const T&... values) {
    (QTest::newRow(tag) << ... << values);
}

// A table of one bool column `column`: its rows, tag and value, in order.
inline void AddBoolTable(const char* column,
                         std::initializer_list<std::pair<const char*, bool>> rows) {
    QTest::addColumn<bool>(column);
    for (const auto& [tag, value] : rows)
        QTest::newRow(tag) << value;
}

// Declares the table's columns `names`, of the types T in the same order.
template <typename... T, typename... Names> void AddColumns(const Names&... names) {
    static_assert(sizeof...(T) == sizeof...(Names), "a type for each column");
    (QTest::addColumn<T>(names), ...);
}
