#pragma once

#include <QString>
#include <memory>

class AppContext;
class clsQueryStatus;

// The selection of the resource viewer and its shared status object.
namespace mGlobal {

// Type of the selected resource: a decimal type number such as "3", or a type name; empty when
// nothing is selected.
extern QString gResType;
// Name of the selected resource: "#" and the id for a numbered one ("#101"), else its name;
// empty when no resource is selected.
extern QString gResName;
// Stored by clsResourceViewer, read by nothing else.
extern QString gProgramName;
extern QString gIconPath;

// The shared status object, created on first use; its wait window follows the context's
// low-colour setting.
clsQueryStatus& gQueryStatus(const AppContext& ctx);

} // namespace mGlobal
