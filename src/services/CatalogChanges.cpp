#include "services/CatalogChanges.h"

#include "catalogue/CatalogStore.h"
#include "directory/DomainDirectory.h"
#include "directory/LocalDirectory.h"
#include "platform/OrvError.h"

#include <QMetaObject>
#include <cstdio>

CatalogChanges::CatalogChanges(Watched watched, std::chrono::milliseconds catalogueEvery,
                               std::chrono::milliseconds groupsEvery)
    : mWatched(std::move(watched)), mCatalogueEvery(catalogueEvery), mGroupsEvery(groupsEvery) {
    mThread = std::thread([this] { WatchCatalogue(); });
    // A directory that is slow to answer must not hold up the catalogue's looks.
    if (!mWatched.user.isEmpty())
        mGroupsThread = std::thread([this] { WatchGroups(); });
}

CatalogChanges::~CatalogChanges() {
    {
        std::lock_guard lock(mMutex);
        mStop = true;
    }
    mWake.notify_all();
    mThread.join();
    if (mGroupsThread.joinable())
        mGroupsThread.join();
}

void CatalogChanges::Tell() {
    QMetaObject::invokeMethod(this, &CatalogChanges::Changed, Qt::QueuedConnection);
}

void CatalogChanges::WatchCatalogue() {
    // Objects of this thread only: a connection may be used by the thread that made it alone.
    CatalogStore catalogue;
    bool open = false;
    qint64 stamp = mWatched.stamp;
    std::unique_lock lock(mMutex);
    while (!mWake.wait_for(lock, mCatalogueEvery, [this] { return mStop; })) {
        lock.unlock();
        try {
            if (!open) {
                catalogue.SetServerTimeout(mWatched.catalogue.timeoutSeconds);
                catalogue.OpenDatabase(mWatched.catalogue.path, mWatched.catalogue.password);
                open = true;
            }
            const qint64 now = catalogue.ChangeStamp();
            catalogue.ReleaseConnection();
            if (now != stamp)
                Tell();
            stamp = now;
        } catch (const OrvError& error) {
            std::fprintf(stderr, "Tessaro Orvane: watching the catalogue: %s\n",
                         qPrintable(error.Description()));
        }
        lock.lock();
    }
}

void CatalogChanges::WatchGroups() {
    DomainDirectory directory(mWatched.settings, std::make_unique<LocalDirectory>(),
                              mWatched.localName, std::chrono::milliseconds(0));
    QStringList groups = mWatched.groups;
    std::unique_lock lock(mMutex);
    while (!mWake.wait_for(lock, mGroupsEvery, [this] { return mStop; })) {
        lock.unlock();
        try {
            const QStringList now = directory.GetUserGroups(mWatched.domain, mWatched.user, false);
            if (now != groups)
                Tell();
            groups = now;
        } catch (const OrvError&) {
            // Asked again at the next look; the window reports failures of its own calls.
        }
        lock.lock();
    }
}
