#pragma once

#include "catalogue/CatalogAddress.h"
#include "settings/RegistryStore.h"

#include <QObject>
#include <QStringList>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

// Tells a running launcher, from a thread of its own, when what its list is made of changed:
// the catalogue (its change stamp, which every writer makes larger in its own transaction) and
// the groups the directory lists for the user. The window's thread never waits on a server for
// it. On a catalogue server the thread connects for each look and closes again: an open
// launcher holds no connection between looks. A look that fails is tried again at the next.
class CatalogChanges : public QObject {
    Q_OBJECT
public:
    struct Watched {
        CatalogAddress catalogue;
        qint64 stamp = 0; // as the list was built
        // The directory of the user's groups, from these settings; no user: not watched.
        RegistryStore settings{QString()};
        QString domain;
        QString localName;
        QString user;
        QStringList groups; // as the list was built
    };

    CatalogChanges(Watched watched, std::chrono::milliseconds catalogueEvery,
                   std::chrono::milliseconds groupsEvery);
    ~CatalogChanges() override;

signals:
    // The catalogue or the user's groups are not what they were at the last signal (or at
    // the start); sent to the object's own thread.
    void Changed();

private:
    void WatchCatalogue();
    void WatchGroups();
    // Sends Changed to the object's own thread.
    void Tell();

    Watched mWatched;
    const std::chrono::milliseconds mCatalogueEvery;
    const std::chrono::milliseconds mGroupsEvery;
    std::mutex mMutex;
    std::condition_variable mWake;
    bool mStop = false;
    std::thread mThread;
    std::thread mGroupsThread;
};
