#include "services/AppContext.h"

AppContext::~AppContext() {
    delete mainWindow.data();
}

CatalogStore& AppContext::Catalog() {
    if (!catalog)
        catalog = std::make_unique<CatalogStore>();
    return *catalog;
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
