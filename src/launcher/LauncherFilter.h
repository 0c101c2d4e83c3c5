#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Which items of the launcher list are shown: all of them, the user's favourites or the
// programs he started last, narrowed by the text typed into the main window's Find box. The
// text matches an item's name or description without regard to letter case or accents
// ("resume" finds "Résumé", "ﬁle" finds "FILE"): every word typed must occur in one or the
// other.
//
// Only items of the list as it was built for the user take part: a favourite or recent entry
// names an item, it never adds one, so a program the rules no longer allow is never shown.
class LauncherFilter {
public:
    enum Scope { AllItems = 0, Favourites = 1, Recent = 2 };

    struct Entry {
        QString key; // as UserState keeps it (LauncherEntryKey)
        QString name;
        QString description;
    };

    // The text as it is compared: decomposed, accents and other combining marks left out,
    // case-folded, compatibility forms (ligatures, full-width letters) as their plain letters.
    static QString Fold(const QString& text);

    // The items of the list, in list order (item numbers from 1).
    void SetEntries(const QList<Entry>& entries);
    int Count() const { return static_cast<int>(mEntries.size()); }

    // The numbers of the items to show, in the order to show them: list order for all items
    // and favourites, most recent first for recent ones (the first `recentLimit` of them).
    QList<int> Shown(Scope scope, const QString& text, const QStringList& favourites,
                     const QStringList& recent, int recentLimit) const;

private:
    struct Folded {
        QString key;
        QString name;
        QString description;
    };
    bool Matches(const Folded& entry, const QStringList& words) const;

    QList<Folded> mEntries;
};
