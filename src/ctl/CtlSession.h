#pragma once

#include "services/AppContext.h"

#include <QString>
#include <QStringList>
#include <optional>

// The catalogue, settings and directory of one application folder, built as the launcher
// builds its run, and the identity of the person running the command, from the operating
// system. The catalogue is opened when a command first asks for it, to be read only by the
// commands that only read.
class CtlSession {
public:
    // Refuses a folder that does not exist.
    CtlSession(const QString& appDir, AppContext::CatalogueUse use);

    // The run's context with its catalogue open.
    AppContext& Context() {
        Catalog();
        return mCtx;
    }
    CatalogStore& Catalog();
    RegistryStore& Registry() { return *mCtx.registry; }
    DirectoryService& Directory() { return *mCtx.directory; }
    QString Domain();
    QString AdminGroup();

    // The OS account running the command, by the directory's name for it.
    QString CallerName();
    // Root, or a member of the administrators' group as the launcher decides at start-up.
    bool CallerIsAdministrator();
    // Refusal unless CallerIsAdministrator.
    void RequireAdministrator();

    // Puts `user` in the seat of the launcher's user: the settings his own launcher reads for
    // this folder (beside it when the folder is his, else the machine's) with their directory,
    // his SID, whether he administers the launcher and the rules collected for him, as his
    // start-up does.
    void ActAs(const QString& user);
    // The groups the directory listed for the user of ActAs, asked once for the whole command.
    const std::optional<QStringList>& SeatedGroups() const { return mSeatedGroups; }

private:
    // The settings and directory `user`'s own launcher reads for this folder.
    void UseSettingsOf(const QString& user);

    AppContext mCtx;
    AppContext::CatalogueUse mUse;
    bool mCatalogueOpen = false;
    QString mCallerName;
    std::optional<QStringList> mSeatedGroups;
};
