#include "ctl/CtlCommand.h"
#include "ctl/CtlSession.h"
#include "platform/AppPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonObject>
#include <QSysInfo>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace Qt::StringLiterals;

// orvanectl site init: a site folder the administrators' group can write. The folder, its
// database/ folder and the catalogue belong to root and the group; the folders are setgid,
// so that what a member creates in them (SQLite's journal) belongs to the group too.

namespace {

const int kRoot = RegistryStore::HKEY_LOCAL_MACHINE_;

gid_t GroupId(const QString& group) {
    std::vector<char> buffer(16384);
    struct group entry {};
    struct group* found = nullptr;
    if (getgrnam_r(group.toLocal8Bit().constData(), &entry, buffer.data(), buffer.size(), &found) !=
            0 ||
        found == nullptr)
        throw Refusal{QStringLiteral("there is no group \"%1\" on this computer (getent group %1 "
                                     "finds none): name a group whose members are to administer "
                                     "the launcher")
                          .arg(group)};
    return found->gr_gid;
}

// Gives `path` to root and `group` with `mode`, whatever it was.
void Own(const QString& path, gid_t group, mode_t mode) {
    const QByteArray name = QFile::encodeName(path);
    if (lchown(name.constData(), 0, group) != 0 || chmod(name.constData(), mode) != 0)
        throw Refusal{QStringLiteral("%1 cannot be given to root and its group").arg(path)};
}

void MakeFolder(const QString& folder, gid_t group) {
    if (QFileInfo(folder).isSymLink() || (QFileInfo::exists(folder) && !QFileInfo(folder).isDir()))
        throw Refusal{
            QStringLiteral("%1 is in the way of the site folder: it is not a folder").arg(folder)};
    if (!QDir().mkpath(folder))
        throw Refusal{QStringLiteral("the folder %1 cannot be made").arg(folder)};
    Own(folder, group, 02775);
}

void Prepare(const CtlArgs& a, const QString& appDir) {
    if (geteuid() != 0)
        throw Refusal{QStringLiteral("site init changes the machine-wide settings and makes a "
                                     "folder of root's: run it as root")};
    const gid_t group = GroupId(a.Required(QStringLiteral("--admin-group")));
    MakeFolder(appDir, group);
    MakeFolder(appDir + QStringLiteral("/database"), group);
}

CtlResult SiteInit(CtlSession& s, const CtlArgs& a) {
    const QString group = a.Required(QStringLiteral("--admin-group"));
    const gid_t gid = GroupId(group);
    RegistryStore& settings = s.Registry();
    QString domain = a.Value(QStringLiteral("--domain")).trimmed();
    if (domain.isEmpty() && settings.KeyExists(kRoot, RegistryStore::kSettingsKey))
        domain =
            settings.GetValue(kRoot, RegistryStore::kSettingsKey, QStringLiteral("5")).toString();
    if (domain.isEmpty())
        domain = QSysInfo::machineHostName(); // the computer's own accounts
    if (!settings.CreateKey(kRoot, RegistryStore::kSettingsKey) ||
        !settings.SetValue(kRoot, RegistryStore::kSettingsKey, QStringLiteral("5"), domain) ||
        !settings.SetValue(kRoot, RegistryStore::kSettingsKey, QStringLiteral("6"), group))
        throw Refusal{
            QStringLiteral("the settings file %1 cannot be written").arg(settings.File())};

    CtlResult result;
    const AppContext& ctx = s.Context(); // opens the catalogue, making it when it is missing
    const QString folder = ctx.paths.AppDir();
    QString catalogue = ctx.catalogAddress.path;
    if (!CatalogStore::IsServerAddress(catalogue)) {
        Own(catalogue, gid, 0664);
    } else {
        catalogue = QStringLiteral("the server of CatalogUri");
    }
    ctx.paths.EnsureFiles();
    for (const char* picture : {"/default.ico", "/folder.ico"})
        if (QFileInfo::exists(folder + QLatin1String(picture)))
            Own(folder + QLatin1String(picture), gid, 0644);
    result.lines = {
        QStringLiteral("settings: %1 (domain %2, administrators' group %3)")
            .arg(settings.File(), domain, group),
        QStringLiteral("site folder: %1 and %1/database, root:%2, mode 2775").arg(folder, group),
        QStringLiteral("catalogue: %1, writable by the group %2").arg(catalogue, group)};
    result.json = QJsonObject{{QStringLiteral("settings"), settings.File()},
                              {QStringLiteral("domain"), domain},
                              {QStringLiteral("adminGroup"), group},
                              {QStringLiteral("folder"), folder},
                              {QStringLiteral("catalogue"), catalogue}};
    return result;
}

} // namespace

QList<CtlCommand> SiteCommands() {
    using R = CtlCommand::Rights;
    CtlCommand init{{u"site"_s, u"init"_s},
                    u"--admin-group G [--domain D]"_s,
                    0,
                    0,
                    {u"--admin-group G"_s, u"--domain D"_s},
                    R::Administrator,
                    u"(as root) the machine-wide settings and a site folder the administrators' "_s
                    u"group can write"_s,
                    SiteInit,
                    {u"--admin-group"_s}};
    init.prepare = Prepare;
    init.defaultAppDir = AppPaths::kSiteFolder;
    return {init};
}
