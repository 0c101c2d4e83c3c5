#pragma once

#include <QStringList>

class AppContext;
class frmMain;

namespace modMain {

// Keeps the main window's list as the catalogue and the directory are now while the launcher
// runs: a thread looks at the catalogue's change stamp every second and a half and at the
// user's groups every ten seconds; on a change the user's rules are collected again and the
// list built again, its selection and scroll position kept. Between looks the catalogue
// server's connection is closed. Lives as long as the window. `groups` are the user's groups as
// the directory listed them for this start, the first answer the group looks compare with.
void StartLiveList(AppContext& ctx, frmMain& form, const QStringList& groups);

} // namespace modMain
