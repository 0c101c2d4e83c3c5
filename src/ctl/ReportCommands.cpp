#include "access/PermissionReport.h"
#include "access/ReportRenderer.h"
#include "ctl/CtlCommand.h"
#include "ctl/CtlSession.h"

#include <QFileInfo>
#include <QJsonObject>
#include <QPdfWriter>
#include <QSaveFile>

using namespace Qt::StringLiterals;

namespace {

CtlResult Report(CtlSession& s, const CtlArgs& a, PermissionReport::Kind kind) {
    const QString file = a.Required(QStringLiteral("--pdf"));
    Recordset rs = kind == PermissionReport::ByGroup ? s.Catalog().GetPermissionsByGroup()
                                                     : s.Catalog().GetPermissionsByUser();
    const PermissionReport report(kind, rs);
    rs.Close();

    // Written whole or not at all: a report that fails halfway leaves no damaged file.
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        throw Refusal{QStringLiteral("cannot write %1: %2").arg(file, out.errorString())};
    int pages = 0;
    {
        QPdfWriter writer(&out);
        writer.setTitle(report.Caption());
        writer.setCreator(QStringLiteral("Tessaro Orvane"));
        writer.setPageMargins(QMarginsF(25.4, 25.4, 25.4, 25.4), QPageLayout::Millimeter);
        pages = RenderPermissionReport(report, writer);
    }
    if (pages == 0 || !out.commit())
        throw Refusal{QStringLiteral("cannot write %1: %2").arg(file, out.errorString())};
    const QString path = QFileInfo(file).absoluteFilePath();
    return {QJsonObject{{QStringLiteral("ok"), true},
                        {QStringLiteral("pdf"), path},
                        {QStringLiteral("pages"), pages},
                        {QStringLiteral("rows"), report.Rows().size()}},
            {},
            {QStringLiteral("%1: %2 rules on %3 page(s) in %4")
                 .arg(report.Title())
                 .arg(report.Rows().size())
                 .arg(pages)
                 .arg(path)}};
}

} // namespace

QList<CtlCommand> ReportCommands() {
    using R = CtlCommand::Rights;
    return {
        {{u"report"_s, u"by-group"_s},
         u"--pdf FILE"_s,
         0,
         0,
         {u"--pdf FILE"_s},
         R::Anyone,
         u"the group rules as a PDF report"_s,
         [](CtlSession& s, const CtlArgs& a) { return Report(s, a, PermissionReport::ByGroup); },
         {u"--pdf"_s}},
        {{u"report"_s, u"by-user"_s},
         u"--pdf FILE"_s,
         0,
         0,
         {u"--pdf FILE"_s},
         R::Anyone,
         u"the user rules as a PDF report"_s,
         [](CtlSession& s, const CtlArgs& a) { return Report(s, a, PermissionReport::ByUser); },
         {u"--pdf"_s}},
    };
}
