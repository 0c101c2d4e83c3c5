#include "launcher/UserState.h"

#include "platform/AppPaths.h"
#include "settings/SettingsText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

const QString kFavourite = QStringLiteral("favourite");
const QString kRecent = QStringLiteral("recent");
const QString kGeometry = QStringLiteral("geometry");
const QString kMaximized = QStringLiteral("maximized");
const QString kView = QStringLiteral("view");

QRect ParseRect(const QString& text) {
    const QStringList parts = text.split(u',');
    if (parts.size() != 4)
        return {};
    int values[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = parts.at(i).trimmed().toInt(&ok);
        if (!ok)
            return {};
    }
    const QRect rect(values[0], values[1], values[2], values[3]);
    return rect.width() > 0 && rect.height() > 0 ? rect : QRect();
}

} // namespace

UserState UserState::Read(const QString& file) {
    if (file.isEmpty())
        return {};
    const QFileInfo info(file);
    if (!info.isFile() || info.size() > kMaxFileSize)
        return {};
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return {};
    // The size may have changed since it was looked at: never more than the bound is read.
    const QByteArray text = in.read(kMaxFileSize + 1);
    return text.size() > kMaxFileSize ? UserState() : FromText(text);
}

UserState UserState::FromText(const QByteArray& text) {
    UserState state;
    for (const QString& line : QString::fromUtf8(text).split(u'\n')) {
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0 || line.startsWith(u'#'))
            continue;
        const QString name = line.left(equals).trimmed();
        const QString value = SettingsText::Decode(line.mid(equals + 1).trimmed());
        if (name == kFavourite && !value.isEmpty() && !state.favourites.contains(value) &&
            state.favourites.size() < kMaxFavourites)
            state.favourites.append(value);
        else if (name == kRecent && !value.isEmpty() && !state.recent.contains(value) &&
                 state.recent.size() < kRecentKept)
            state.recent.append(value);
        else if (name == kGeometry)
            state.geometry = ParseRect(value);
        else if (name == kMaximized)
            state.maximized = value == QLatin1String("1");
        else if (name == kView) {
            bool ok = false;
            const int view = value.toInt(&ok);
            state.view = ok && view >= 0 && view <= 3 ? view : -1;
        }
    }
    return state;
}

QByteArray UserState::Text() const {
    QString text = QStringLiteral("# Tessaro Orvane remembers here what this user chose. It "
                                  "grants nothing.\n");
    const auto put = [&text](const QString& name, const QString& value) {
        text += name + u'=' + SettingsText::Encode(value) + u'\n';
    };
    if (geometry.isValid())
        put(kGeometry, QStringLiteral("%1,%2,%3,%4")
                           .arg(geometry.x())
                           .arg(geometry.y())
                           .arg(geometry.width())
                           .arg(geometry.height()));
    put(kMaximized, maximized ? QStringLiteral("1") : QStringLiteral("0"));
    if (view >= 0)
        put(kView, QString::number(view));
    for (const QString& key : favourites)
        put(kFavourite, key);
    for (const QString& key : recent)
        put(kRecent, key);
    return text.toUtf8();
}

bool UserState::Write(const QString& file) const {
    if (file.isEmpty() || !MakeDirectories(QFileInfo(file).absolutePath(), FileMode::kPrivateDir))
        return false;
    const QByteArray text = Text();
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || !out.setPermissions(FileMode::kPrivateFile) ||
        out.write(text) != text.size()) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}

void UserState::SetFavourite(const QString& key, bool favourite) {
    favourites.removeAll(key);
    if (favourite && favourites.size() < kMaxFavourites)
        favourites.append(key);
}

void UserState::Used(const QString& key) {
    recent.removeAll(key);
    recent.prepend(key);
    while (recent.size() > kRecentKept)
        recent.removeLast();
}

QString LauncherEntryKey(const QString& name, bool isFolder) {
    return isFolder ? QStringLiteral("folder:") + name
                    : QStringLiteral("program:") + name.toUpper();
}
