#pragma once

#include <QList>

class PermissionReport;
class QPagedPaintDevice;

// Heights of the sections that are not rows, in the unit of the row heights.
struct ReportSections {
    int reportHeader = 0; // first page only, at the top
    int pageHeader = 0;   // every page, above the rows
    int pageFooter = 0;   // every page, at the bottom
    int reportFooter = 0; // once, after the last row
};

// What one page holds: a run of rows and, on the last page, the report footer.
struct ReportPage {
    qsizetype firstRow = 0;
    qsizetype rowCount = 0;
    bool reportFooter = false;
};

// Fills pages of `pageHeight` with the rows in order. A row that does not fit below the
// rows already on a page starts the next page; a row taller than an empty page gets a page
// of its own. The report footer follows the last row, on a page of its own when it does not
// fit beside it. There is always at least one page.
QList<ReportPage> PaginateReport(const QList<int>& rowHeights, const ReportSections& sections,
                                 int pageHeight);

// Paints the report on the device's pages: the report header with logo and title, on every
// page the column captions and the page number, one row per rule, and "Printed On :" with
// the long date after the last row. Positions follow the report's layout in twips from the
// page's printable area. Returns the number of pages painted, 0 when the device could not be
// painted on (a file that cannot be written, a printer that refuses).
int RenderPermissionReport(const PermissionReport& report, QPagedPaintDevice& device);
