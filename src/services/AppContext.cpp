#include "services/AppContext.h"

#include "catalogue/CatalogAddress.h"
#include "directory/DomainDirectory.h"
#include "directory/LocalDirectory.h"
#include "platform/OrvError.h"

#include <QDir>
#include <QFileInfo>
#include <QSysInfo>

AppContext::~AppContext() {
    delete mainWindow.data();
}

CatalogStore& AppContext::Catalog() {
    if (!catalog)
        catalog = std::make_unique<CatalogStore>();
    return *catalog;
}

void AppContext::UseRunServices() {
    if (!registry)
        registry = RegistryStore::ForAppDir(paths.AppDir());
    if (!directory)
        directory = std::make_unique<DomainDirectory>(*registry, std::make_unique<LocalDirectory>(),
                                                      QSysInfo::machineHostName());
    if (!permissions)
        permissions = std::make_unique<PermissionSet>();
}

void AppContext::OpenCatalogue(CatalogueUse use) {
    // A mistyped folder must not look like an empty catalogue, nor become one.
    if (!QFileInfo(paths.AppDir()).isDir())
        throw OrvError(ErrorNumber::FileNotFound,
                       QStringLiteral("The application folder %1 does not exist. Name the folder "
                                      "of the catalogue with --app-dir, or make a site folder "
                                      "with: orvanectl site init --admin-group GROUP")
                           .arg(QDir::toNativeSeparators(paths.AppDir())),
                       QStringLiteral("Tessaro Orvane"));
    if (!registry)
        registry = RegistryStore::ForAppDir(paths.AppDir());
    const CatalogAddress address = ResolveCatalogAddress(*registry, paths.DatabaseFile());
    catalogAddress = address;
    const bool file = !CatalogStore::IsServerAddress(address.path);
    if (use == CatalogueUse::Read && file && !QFileInfo::exists(address.path))
        throw OrvError(ErrorNumber::FileNotFound,
                       QStringLiteral("There is no catalogue in %1 (%2 does not exist). Check the "
                                      "folder given with --app-dir; a catalogue is made by the "
                                      "launcher's first start or by orvanectl site init.")
                           .arg(QDir::toNativeSeparators(paths.AppDir()),
                                QDir::toNativeSeparators(address.path)),
                       QStringLiteral("Tessaro Orvane"));
    CatalogStore& store = Catalog();
    store.SetServerTimeout(address.timeoutSeconds);
    if (use == CatalogueUse::Read)
        store.OpenReadOnly(address.path, address.password);
    else
        store.OpenDatabase(address.path, address.password);
    store.SetAppPath(paths.PictureDir());
    store.SetDefaultIcon(paths.DefaultIcon());
}

void AppContext::UsePlatformDefaults() {
    if (!account)
        account = std::make_unique<OsAccount>();
    if (!display)
        display = std::make_unique<ScreenDisplay>();
    if (!shell)
        shell = std::make_unique<DesktopShell>();
}
