#pragma once

#include "launcher/LauncherFilter.h"

#include <QHash>
#include <QObject>
#include <QTimer>
#include <functional>

class AppContext;
class LauncherSearchBar;
class ListView;
class UserState;

// The main list as the user narrows it: the Find box's text and the chosen tab (all,
// favourites, recently used) decide which of the built items show. Reapplied whenever the list
// is built again, so that a rebuild (a catalogue change, a change of the rules) keeps the
// user's search. The search is made ready (descriptions read from the catalogue, names and
// descriptions folded for comparing) once per build: a moment after the list is shown, or at
// the first search or tooltip if that comes first. The start-up never pays for it.
class LauncherSearch : public QObject {
    Q_OBJECT
public:
    // `save` writes the user's state after a change of his favourites or recent programs.
    LauncherSearch(AppContext& ctx, ListView* list, LauncherSearchBar* bar, UserState& state,
                   std::function<void()> save, QObject* parent);

    // The list was built again.
    void Rebuilt();
    // Shows what the box and the tab ask for; a search selects its first match.
    void Apply();

    // A program's description in the catalogue, a folder entry's path.
    QString Description(int index);
    bool IsFavourite(int index) const;
    void SetFavourite(int index, bool favourite);
    // Item `index` was started (or opened).
    void Used(int index);

private:
    QString Key(int index) const;
    void LoadDescriptions();
    void Prepare();

    AppContext& mCtx;
    ListView* mList;
    LauncherSearchBar* mBar;
    UserState& mState;
    std::function<void()> mSave;
    LauncherFilter mFilter;
    QHash<QString, QString> mDescriptions; // of programs, by name
    bool mDescriptionsRead = false;
    bool mPrepared = false;
    QTimer* mPrepareLater = nullptr;
};
