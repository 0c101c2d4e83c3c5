#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The text of a settings file: named values at its top level ("5=CORP", or under a
// "[General]" header), as a site administrator writes them by hand.
//
// A value is the text after the first "=", blanks around it removed, exactly as written:
// commas, "=", "#", ";" and backslashes are part of it (a DN such as
// "cn=reader,ou=Services,dc=example,dc=org" needs no quotes). A value wholly in double quotes
// is read with backslash escapes (\" \\ \n \t \xHHHH); values are written that way when they
// need it (blanks at either end, quotes, backslashes, control characters, or characters that
// other INI readers would take apart). UTF-8 throughout.
//
// Changing a value keeps every other line of the file as it was: comments, other sections,
// the order of the values.
class SettingsText {
public:
    SettingsText() = default;
    explicit SettingsText(const QByteArray& bytes);

    bool Has(const QString& name) const;
    // The value, or an empty string when there is none (the last one when a name is given
    // twice).
    QString Value(const QString& name) const;
    // The names of the top-level values, in the file's order, each once.
    QStringList Names() const;
    // Sets a value; false (nothing changed) when `name` cannot be a value name: it must be
    // letters, digits, "_", "-" and ".".
    bool Set(const QString& name, const QString& value);

    QByteArray Bytes() const;

    static QString Encode(const QString& value);
    static QString Decode(const QString& written);
    static bool IsValidName(const QString& name);

private:
    struct Line {
        QString text;
        QString name; // of a value line at the top level; empty otherwise
        bool header = false;
        bool topLevel = false;
    };
    QList<Line> mLines;
};
