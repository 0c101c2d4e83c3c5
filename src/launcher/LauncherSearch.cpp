#include "launcher/LauncherSearch.h"

#include "launcher/LauncherSearchBar.h"
#include "launcher/UserState.h"
#include "platform/OrvError.h"
#include "services/AppContext.h"
#include "widgets/ListView.h"

LauncherSearch::LauncherSearch(AppContext& ctx, ListView* list, LauncherSearchBar* bar,
                               UserState& state, std::function<void()> save, QObject* parent)
    : QObject(parent), mCtx(ctx), mList(list), mBar(bar), mState(state), mSave(std::move(save)) {
    connect(mBar, &LauncherSearchBar::Changed, this, &LauncherSearch::Apply);
    mList->SetDescriber([this](int index) { return Description(index); });
    // Long enough after the window's first frame not to delay it, soon enough to be ready
    // before most first keystrokes.
    mPrepareLater = new QTimer(this);
    mPrepareLater->setSingleShot(true);
    mPrepareLater->setInterval(400);
    connect(mPrepareLater, &QTimer::timeout, this, &LauncherSearch::Prepare);
}

QString LauncherSearch::Key(int index) const {
    const QString tag = mList->Tag(index);
    return LauncherEntryKey(mList->Text(index), !tag.isEmpty());
}

void LauncherSearch::Rebuilt() {
    mDescriptions.clear();
    mDescriptionsRead = false;
    mPrepared = false;
    mPrepareLater->start();
    Apply();
}

void LauncherSearch::Prepare() {
    if (mPrepared)
        return;
    mPrepared = true;
    mPrepareLater->stop();
    LoadDescriptions();
    QList<LauncherFilter::Entry> entries;
    entries.reserve(mList->Count());
    for (int i = 1; i <= mList->Count(); ++i)
        entries.append({Key(i), mList->Text(i), Description(i)});
    mFilter.SetEntries(entries);
}

void LauncherSearch::LoadDescriptions() {
    if (mDescriptionsRead)
        return;
    mDescriptionsRead = true;
    try {
        if (mCtx.catalog)
            mDescriptions = mCtx.Catalog().GetProgramDescriptions();
    } catch (const OrvError&) {
        // Without them the search still finds names; the catalogue's failure shows elsewhere.
        mDescriptions.clear();
    }
}

QString LauncherSearch::Description(int index) {
    const QString tag = mList->Tag(index);
    if (!tag.isEmpty())
        return tag;
    LoadDescriptions();
    return mDescriptions.value(mList->Text(index));
}

void LauncherSearch::Apply() {
    const auto scope = static_cast<LauncherFilter::Scope>(mBar->Scope());
    const QString text = mBar->Text().trimmed();
    if (scope == LauncherFilter::AllItems && text.isEmpty()) {
        mList->ShowAll();
        return;
    }
    Prepare();
    const QList<int> shown =
        mFilter.Shown(scope, text, mState.favourites, mState.recent, UserState::kRecentKept);
    mList->ShowOnly(shown);
    if (!text.isEmpty() && !shown.isEmpty())
        mList->SelectItem(shown.first());
}

bool LauncherSearch::IsFavourite(int index) const {
    return index >= 1 && index <= mList->Count() && mState.IsFavourite(Key(index));
}

void LauncherSearch::SetFavourite(int index, bool favourite) {
    if (index < 1 || index > mList->Count())
        return;
    mState.SetFavourite(Key(index), favourite);
    if (mSave)
        mSave();
    if (mBar->Scope() == LauncherFilter::Favourites)
        Apply();
}

void LauncherSearch::Used(int index) {
    if (index < 1 || index > mList->Count())
        return;
    mState.Used(Key(index));
    if (mSave)
        mSave();
    if (mBar->Scope() == LauncherFilter::Recent)
        Apply();
}
