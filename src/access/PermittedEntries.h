#pragma once

#include "access/clsProgram.h"

#include <QList>
#include <QStringList>
#include <optional>

class AppContext;

namespace modMain {

// The programs the current user may run, in candidate order: the candidates that the user's
// and their principals' rules, as the catalogue holds them now, allow, and whose program is
// still in the catalogue. Each principal's rules are read once, the directory asked at most
// once, and not at all when `userGroups` gives its answer from the user's seating.
QList<clsProgram> PermittedEntries(AppContext& ctx,
                                   const std::optional<QStringList>& userGroups = {});

} // namespace modMain
