#include "resources/mGlobal.h"

#include "resources/clsQueryStatus.h"
#include "services/AppContext.h"

namespace mGlobal {

QString gResType;
QString gResName;
QString gProgramName;
QString gIconPath;

clsQueryStatus& gQueryStatus(const AppContext& ctx) {
    static clsQueryStatus status;
    status.SetLowColor(ctx.gLowColor);
    return status;
}

} // namespace mGlobal
