#pragma once

#include <QByteArray>
#include <QRect>
#include <QString>
#include <QStringList>

// What the launcher remembers for its user between runs: his favourites, the programs he
// started last, and where, how large and in which view the main window stood. Kept in a file
// of his own (AppPaths::StateFile), plain text, read once at start-up. It grants nothing: an
// entry only names an item of the list the rules built for him, so a file he edited by hand
// can show no program he may not run.
//
// The file: one "name=value" a line, values written as the settings files write them
// (SettingsText); unknown lines are ignored, and a file larger than kMaxFileSize, a link to
// something that is not a regular file or one that cannot be read counts as empty.
class UserState {
public:
    static constexpr qint64 kMaxFileSize = 64 * 1024;
    static constexpr int kMaxFavourites = 500;
    static constexpr int kRecentKept = 10;

    static UserState Read(const QString& file);
    static UserState FromText(const QByteArray& text);
    QByteArray Text() const;
    // Replaces the file whole (a reader never sees half of it), readable by its owner only,
    // making its folder (private to him) when missing. False when it cannot be written.
    bool Write(const QString& file) const;

    bool IsFavourite(const QString& key) const { return favourites.contains(key); }
    void SetFavourite(const QString& key, bool favourite);
    // `key` was started: first of the recent entries.
    void Used(const QString& key);

    QStringList favourites; // in the order they were added
    QStringList recent;     // most recent first
    QRect geometry;         // the main window's normal place and size; null when unknown
    bool maximized = false;
    int view = -1; // the list view's presentation; -1 when unknown
};

// The key of a launcher list item in the state file: programs by name in upper case (as the
// catalogue compares them), folder entries by name.
QString LauncherEntryKey(const QString& name, bool isFolder);
