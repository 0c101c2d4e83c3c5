#pragma once

// For the tests linked with the launcher's library: who uses the program.

#include "access/AccessEvaluation.h"
#include "support/TestContext.h"

// The current user is "tester" on `domain`, whose administrators' group the settings name
// "Admins"; `admin` puts him into that group.
inline void SignIn(TestContext& t, bool admin = false, const QString& domain = "CORP") {
    const int root = RegistryStore::HKEY_LOCAL_MACHINE_;
    t.ctx.registry->CreateKey(root, RegistryStore::kSettingsKey);
    t.ctx.registry->SetValue(root, RegistryStore::kSettingsKey, "5", domain);
    t.ctx.registry->SetValue(root, RegistryStore::kSettingsKey, "6", "Admins");
    if (admin)
        t.directory->AddGroup("Admins", {"tester"});
    modMain::SeatUser(t.ctx, QStringLiteral("tester"));
}

// The signed-in user's rules, for his groups as the directory lists them now.
inline bool LoadRules(TestContext& t) {
    return modMain::LoadPermissions(t.ctx, modMain::CurrentUserGroups(t.ctx));
}
