#include "access/PermissionReport.h"

#include "catalogue/Recordset.h"

PermissionReport::PermissionReport(Kind kind, Recordset& rs) : mKind(kind) {
    const long count = rs.RecordCount();
    if (count > 0)
        rs.MoveFirst();
    mRows.reserve(count);
    for (long i = 0; i < count; ++i) {
        mRows.append({rs.Fields(QStringLiteral("PrgName")).toString(),
                      rs.Fields(QStringLiteral("ObjectName")).toString(),
                      StatusText(rs.Fields(QStringLiteral("Status")))});
        rs.MoveNext();
    }
}

QString PermissionReport::Name() const {
    return mKind == ByGroup ? QStringLiteral("rptPermissionByGroup")
                            : QStringLiteral("rptPermissionByUser");
}

QString PermissionReport::Caption() const {
    return QStringLiteral("Permission By Program");
}

QString PermissionReport::Title() const {
    return mKind == ByGroup ? QStringLiteral("Permission Listing Group...")
                            : QStringLiteral("Permission Listing User...");
}

QString PermissionReport::PrincipalCaption() const {
    return mKind == ByGroup ? QStringLiteral("Group Name") : QStringLiteral("User Name");
}

int PermissionReport::StatusLeft() const {
    return mKind == ByGroup ? 4464 : 4320;
}

QString StatusText(const QVariant& status) {
    if (status.isNull())
        return QStringLiteral("N/A");
    bool numeric = false;
    const double value = status.toDouble(&numeric);
    // A Boolean reads as 1 or 0; text that is no number cannot be read as true or false.
    if (!numeric)
        return QStringLiteral("N/A");
    return value != 0 ? QStringLiteral("Allowed") : QStringLiteral("Denied");
}
