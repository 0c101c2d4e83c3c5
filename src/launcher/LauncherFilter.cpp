#include "launcher/LauncherFilter.h"

#include <QHash>
#include <QSet>

QString LauncherFilter::Fold(const QString& text) {
    // Plain ASCII, the usual case, needs no decomposition.
    bool ascii = true;
    for (const QChar c : text)
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii)
        return text.toLower();
    const QString decomposed = text.normalized(QString::NormalizationForm_KD);
    QString kept;
    kept.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        const QChar::Category category = c.category();
        if (category != QChar::Mark_NonSpacing && category != QChar::Mark_SpacingCombining &&
            category != QChar::Mark_Enclosing)
            kept.append(c);
    }
    return kept.toCaseFolded();
}

void LauncherFilter::SetEntries(const QList<Entry>& entries) {
    mEntries.clear();
    mEntries.reserve(entries.size());
    mDescribed = false;
    for (const Entry& entry : entries)
        mEntries.append({entry.key, Fold(entry.name), Fold(entry.description)});
}

bool LauncherFilter::Matches(const Folded& entry, const QStringList& words) const {
    for (const QString& word : words)
        if (!entry.name.contains(word) && !entry.description.contains(word))
            return false;
    return true;
}

QList<int> LauncherFilter::Shown(Scope scope, const QString& text, const QStringList& favourites,
                                 const QStringList& recent, int recentLimit) const {
    const QStringList words = Fold(text).simplified().split(u' ', Qt::SkipEmptyParts);
    QList<int> shown;
    if (scope == Recent) {
        QHash<QString, int> itemOfKey;
        for (qsizetype i = 0; i < mEntries.size(); ++i)
            itemOfKey.insert(mEntries.at(i).key, static_cast<int>(i + 1));
        for (const QString& key : recent) {
            if (shown.size() >= recentLimit)
                break;
            const int item = itemOfKey.value(key);
            if (item != 0 && !shown.contains(item) && Matches(mEntries.at(item - 1), words))
                shown.append(item);
        }
        return shown;
    }
    const QSet<QString> wanted(favourites.cbegin(), favourites.cend());
    shown.reserve(mEntries.size());
    for (qsizetype i = 0; i < mEntries.size(); ++i) {
        const Folded& entry = mEntries.at(i);
        if ((scope == AllItems || wanted.contains(entry.key)) && Matches(entry, words))
            shown.append(static_cast<int>(i + 1));
    }
    return shown;
}
