#include "services/AppContext.h"

#include "services/CatalogAddress.h"

AppContext::~AppContext() {
    delete mainWindow.data();
}

CatalogStore& AppContext::Catalog() {
    if (!catalog)
        catalog = std::make_unique<CatalogStore>();
    return *catalog;
}

void AppContext::OpenCatalogue() {
    if (!registry)
        registry = RegistryStore::ForAppDir(paths.AppDir());
    const CatalogAddress address = ResolveCatalogAddress(*registry, paths.DatabaseFile());
    catalogAddress = address;
    CatalogStore& catalog = Catalog();
    catalog.SetServerTimeout(address.timeoutSeconds);
    catalog.OpenDatabase(address.path, address.password);
    catalog.SetAppPath(paths.PictureDir());
    catalog.SetDefaultIcon(paths.DefaultIcon());
}

void AppContext::UsePlatformDefaults() {
    if (!prompt)
        prompt = std::make_unique<QtPrompt>();
    if (!account)
        account = std::make_unique<OsAccount>();
    if (!display)
        display = std::make_unique<ScreenDisplay>();
    if (!shell)
        shell = std::make_unique<DesktopShell>();
}
