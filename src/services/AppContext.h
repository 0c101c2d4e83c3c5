#pragma once

#include "catalogue/CatalogAddress.h"
#include "catalogue/CatalogStore.h"
#include "directory/DirectoryService.h"
#include "platform/Account.h"
#include "platform/AppPaths.h"
#include "platform/DisplayInfo.h"
#include "platform/Prompt.h"
#include "platform/Shell.h"
#include "services/PermissionSet.h"
#include "settings/RegistryStore.h"

#include <QObject>
#include <QPointer>
#include <QVariant>
#include <memory>

// The one instance of each service and the shared state of the run. Every window and module
// routine reaches them through the context it was given. main() builds the production
// context; a test builds its own with a temporary app directory, a scripted Prompt and the
// directory it needs. Services left empty are created by the start-up sequence.
class AppContext {
public:
    AppPaths paths;
    std::unique_ptr<Prompt> prompt;
    std::unique_ptr<Account> account;
    std::unique_ptr<DisplayInfo> display;
    std::unique_ptr<Shell> shell;

    std::unique_ptr<CatalogStore> catalog;
    std::unique_ptr<RegistryStore> registry;
    std::unique_ptr<DirectoryService> directory;
    std::unique_ptr<PermissionSet> permissions;
    // Where OpenCatalogue found the catalogue, for what watches it while the launcher runs.
    CatalogAddress catalogAddress;

    // Shared state of the run.
    QVariant gUserName;
    QVariant gUserSid;
    bool gIsAdmin = false;
    QString gThemeName;
    bool gLowColor = false;

    // The main window (a QWidget) once it is loaded; owner of the modal windows. Held as an
    // object: what a run is given needs no widgets, and orvanectl has no windows.
    QPointer<QObject> mainWindow;

    AppContext() = default;
    // The main window uses the services: it goes first.
    ~AppContext();
    AppContext(AppContext&&) = default;
    AppContext& operator=(AppContext&&) = default;

    // The catalogue, created on first use.
    CatalogStore& Catalog();

    // Every program (the launcher, orvanectl) builds its run the same way: UseRunServices
    // makes the settings its application folder's runs read (beside a folder of the user's
    // own, else machine-wide; with their trust rules), the directory they name and an empty
    // permission set, keeping any already set (a test's); OpenCatalogue then opens the
    // catalogue where those settings say.
    void UseRunServices();
    enum class CatalogueUse {
        Launcher, // a catalogue file missing from the (existing) folder is made
        Change,   // the same, for a command that changes the catalogue
        Read,     // the catalogue must be there; it is opened to be read only
    };
    // Throws OrvError when the application folder does not exist, the settings or a personal
    // catalogue cannot be trusted, or (Read) there is no catalogue.
    void OpenCatalogue(CatalogueUse use = CatalogueUse::Launcher);
    // Fills the platform services that are still empty with the real ones; the prompt, whose
    // real dialogs are widgets, is the program's to give.
    void UsePlatformDefaults();
};
