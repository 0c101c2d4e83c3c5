#pragma once

#include "access/clsProgram.h"

#include <QList>
#include <QString>

class AppContext;

namespace modMain {

// The candidate entries of a user who is not an administrator, from the rules collected at
// start-up (the PermissionSet): Allow group rules in order, then Allow user rules in order;
// the first rule naming a program makes its entry, and its principal the entry's. `keys`
// holds each entry's program name as names compare (trimmed, in upper case).
struct CandidateSet {
    QList<clsProgram> entries;
    QList<QString> keys;
};
CandidateSet CollectCandidates(AppContext& ctx);
// The entries alone.
QList<clsProgram> CandidateEntries(AppContext& ctx);

} // namespace modMain
