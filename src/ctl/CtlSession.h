#pragma once

#include "services/AppContext.h"

#include <QString>

// The catalogue, settings and directory of one application folder, as the launcher reaches
// them, and the identity of the person running the command, from the operating system.
class CtlSession {
public:
    // Opens the catalogue of `appDir` (refuses a folder that does not exist).
    explicit CtlSession(const QString& appDir);

    AppContext& Context() { return mCtx; }
    CatalogStore& Catalog() { return mCtx.Catalog(); }
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

    // Puts `user` in the seat of the launcher's user: his SID, whether he administers the
    // launcher and the rules collected for him, as start-up does.
    void ActAs(const QString& user);

private:
    AppContext mCtx;
    QString mCallerName;
};
