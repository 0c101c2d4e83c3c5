#pragma once

#include <QStringList>
#include <optional>

class AppContext;

namespace modMain {

// Fills the main window's ListView1 and ImageList3: the programs the current user may run
// (every catalogue program for an administrator), each with its picture, then the folder
// entries sharing the folder picture (the last picture), their paths as tags. A program's
// picture is exported from the catalogue and read when its item is first drawn (the default
// icon when that fails). Loads the main window when it is not loaded yet. `rebuild` is true after a
// change of the catalogue and false at start-up. `userGroups` are the user's groups when the
// directory was asked for them a moment ago (for the rules); without them the list asks.
// Returns true; a catalogue failure throws OrvError.
bool BuildLauncherList(AppContext& ctx, bool rebuild,
                       const std::optional<QStringList>& userGroups = {});
// Empties the list and its pictures and builds them again (`userGroups` as above).
bool RefreshLauncherList(AppContext& ctx, const std::optional<QStringList>& userGroups = {});

} // namespace modMain
