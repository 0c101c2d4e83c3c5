#pragma once

// Every window of the launcher, made by name on a test context, for the tests that go through
// all of them (keys, screen sizes).

#include "access/PermissionReport.h"
#include "admin/CatalogueMenu.h"
#include "admin/ReportMenu.h"
#include "admin/SecurityMenu.h"
#include "admin/frmAddProgram.h"
#include "admin/frmAddRemove.h"
#include "admin/frmAddRemoveFolder.h"
#include "admin/frmAddSecurity.h"
#include "admin/frmChange.h"
#include "admin/frmFolderDialog.h"
#include "admin/frmReportPreview.h"
#include "admin/frmSecurity.h"
#include "admin/frmSetup.h"
#include "app/frmSplash.h"
#include "app/modMain.h"
#include "launcher/frmFolderMenu.h"
#include "launcher/frmMain.h"
#include "launcher/frmProperties.h"
#include "mail/SupportMenu.h"
#include "mail/frmEmailSupport.h"
#include "resources/frmViewer.h"
#include "support/SignIn.h"
#include "support/TestContext.h"
#include "themes/ThemeMenu.h"
#include "themes/frmCreateTheme.h"
#include "themes/frmThemeManage.h"

#include <QDir>
#include <QStringList>
#include <memory>

// The catalogue the windows are shown on: the programs Editor, Mail, Ledger and two long
// names, every one but Ledger allowed to the group Staff, Mail to the user kim's personal
// group, and the folder entry Share (with a subfolder). The user is an administrator, or with
// `admin` false a member of Staff; the directory knows the users kim and tester.
inline bool FillCatalogue(TestContext& t, bool admin = true) {
    SignIn(t, admin);
    if (!admin)
        t.directory->AddGroup("Staff", {"tester"});
    t.directory->AddGroup("kim", {"kim"});
    t.directory->users = {"kim", "tester"};
    CatalogStore& catalog = t.ctx.Catalog();
    bool ok = catalog.AddGroup("Staff") && catalog.AddGroup("kim");
    for (const char* name : {"Editor", "Mail", "Ledger", "Legacy Business Application Suite",
                             "Legacy Business Accounts Receivable"}) {
        ok = ok && catalog.AddProgram(name, QStringLiteral("About %1").arg(name), "/usr/bin/true",
                                      {}, "/srv", "--quiet");
        if (QByteArray(name) != "Ledger")
            ok = ok && catalog.AddPermission("Staff", 1, name, CatalogStore::KindGroup);
    }
    return ok && catalog.AddPermission("kim", 1, "Mail", CatalogStore::KindGroup) &&
           QDir().mkpath(t.dir.filePath("share/sub")) &&
           catalog.AddFolder("Share", t.dir.filePath("share"));
}

// The windows made by MakeWindow, the main window aside.
inline const QStringList kWindows = {
    "frmSecurity",    "frmAddSecurity",     "frmChange",        "frmAddRemove",
    "frmAddProgram",  "frmAddRemoveFolder", "frmFolderDialog",  "frmSetup",
    "frmThemeManage", "frmCreateTheme",     "frmEmailSupport",  "frmViewer",
    "frmProperties",  "frmFolderMenu",      "frmReportPreview", "frmSplash"};

// The window `name`, loaded as its opener loads it (the properties of "Mail", the folder
// contents of `folder`), not shown.
inline std::unique_ptr<QWidget> MakeWindow(TestContext& t, const QString& name,
                                           const QString& folder = QString()) {
    if (name == "frmSecurity")
        return std::make_unique<frmSecurity>(t.ctx);
    if (name == "frmAddSecurity")
        return std::make_unique<frmAddSecurity>(t.ctx, QString());
    if (name == "frmChange")
        return std::make_unique<frmChange>(t.ctx, nullptr);
    if (name == "frmAddRemove")
        return std::make_unique<frmAddRemove>(t.ctx);
    if (name == "frmAddProgram")
        return std::make_unique<frmAddProgram>(t.ctx);
    if (name == "frmAddRemoveFolder")
        return std::make_unique<frmAddRemoveFolder>(t.ctx);
    if (name == "frmFolderDialog")
        return std::make_unique<frmFolderDialog>(t.ctx, nullptr, QStringList{"/"});
    if (name == "frmSetup") {
        auto setup = std::make_unique<frmSetup>(t.ctx);
        setup->loadDomains();
        return setup;
    }
    if (name == "frmThemeManage")
        return std::make_unique<frmThemeManage>(t.ctx, &modMain::SetCurrentTheme);
    if (name == "frmCreateTheme")
        return std::make_unique<frmCreateTheme>(t.ctx);
    if (name == "frmEmailSupport")
        return std::make_unique<frmEmailSupport>(t.ctx);
    if (name == "frmViewer")
        return std::make_unique<frmViewer>(t.ctx);
    if (name == "frmProperties") {
        auto properties = std::make_unique<frmProperties>(t.ctx);
        properties->setAttribute(Qt::WA_DeleteOnClose, false);
        properties->SetProgram("Mail");
        return properties;
    }
    if (name == "frmFolderMenu") {
        auto contents = std::make_unique<frmFolderMenu>(t.ctx);
        contents->setAttribute(Qt::WA_DeleteOnClose, false);
        contents->LoadFolder("Share", folder);
        return contents;
    }
    if (name == "frmReportPreview") {
        Recordset rules = t.ctx.Catalog().GetPermissionsByGroup();
        auto preview = std::make_unique<frmReportPreview>(
            t.ctx, PermissionReport(PermissionReport::ByGroup, rules), nullptr);
        preview->setAttribute(Qt::WA_DeleteOnClose, false);
        return preview;
    }
    return std::make_unique<frmSplash>(t.ctx);
}

// The side menu's windows of the other libraries, as the start-up registers them.
inline void RegisterAdministrationWindows(TestContext& t, frmMain& form) {
    RegisterCatalogueWindows(t.ctx, form);
    RegisterSecurityWindows(t.ctx, form);
    RegisterSupportWindows(t.ctx, form);
    RegisterThemeWindows(t.ctx, form, &modMain::SetCurrentTheme);
    RegisterReportWindows(t.ctx, form);
    form.SetMenuWindow(QStringLiteral("H14"), [&t, &form] {
        frmSetup setup(t.ctx, &form);
        setup.loadDomains();
        setup.exec();
    });
}
