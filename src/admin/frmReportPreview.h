#pragma once

#include "access/PermissionReport.h"

#include <QWidget>
#include <functional>
#include <memory>

class AppContext;
class GlyphButton;
class QLabel;
class PrintPane;
class QPrinter;

// The print preview of a permission report: a window of its own beside its owner, not
// modal, deleted when it is closed. From it the administrator pages through the report,
// zooms, prints it or saves it as a PDF file. Several may be open at once. The constructor
// throws OrvError when Qt's print support cannot be loaded.
class frmReportPreview : public QWidget {
    Q_OBJECT
public:
    frmReportPreview(AppContext& ctx, PermissionReport report, QWidget* owner);
    ~frmReportPreview() override;

    const PermissionReport& Report() const { return mReport; }
    // The pages of the preview as it stands.
    int PageCount() const;

    void cmdPrint_Click();
    void cmdExport_Click();
    // Prints on `printer` as it is set up. A failure is shown; returns false then.
    bool PrintTo(QPrinter& printer);
    // Writes the report as a PDF file, replacing `file` only once the whole report is
    // written. A failure is shown and leaves an existing file as it was; returns false then.
    bool ExportPdf(const QString& file);

    // How the printer is chosen before printing: the print dialog in the program; a test sets
    // up the printer itself. False when the user cancels.
    std::function<bool(QPrinter&)> choosePrinter;

    // The page view (Qt's print preview, see PrintPane).
    QWidget* Preview = nullptr;
    GlyphButton* cmdPrint = nullptr;
    GlyphButton* cmdExport = nullptr;
    GlyphButton* cmdFirst = nullptr;
    GlyphButton* cmdPrevious = nullptr;
    GlyphButton* cmdNext = nullptr;
    GlyphButton* cmdLast = nullptr;
    GlyphButton* cmdZoomIn = nullptr;
    GlyphButton* cmdZoomOut = nullptr;
    GlyphButton* cmdFitWidth = nullptr;
    GlyphButton* cmdClose = nullptr;
    QLabel* lblPage = nullptr;

private:
    void BuildControls();
    void ShowPage(int page);
    void UpdatePageControls();
    void ShowFailure(const QString& text);

    AppContext& mCtx;
    PermissionReport mReport;
    std::unique_ptr<PrintPane> mPane;
};
