#pragma once

#include <QMarginsF>
#include <QPageLayout>
#include <QString>
#include <functional>
#include <memory>

class QPagedPaintDevice;
class QPrinter;
class QWidget;

// A print preview and the printer behind it, made by Qt's print support. That support lives in
// a library of its own (libtessaro-orvane-print.so, src/print), loaded when the first preview
// opens: linked into the program, Qt's print support library alone made every start 0.6 ms
// slower, for a window most starts never show. Nothing outside that library touches a QPrinter
// but through this interface.
class PrintPane {
public:
    virtual ~PrintPane() = default;

    // The page view, a child of the widget the pane was made for.
    virtual QWidget* Widget() = 0;
    // Pages count from 1.
    virtual int PageCount() = 0;
    virtual int CurrentPage() = 0;
    virtual void SetCurrentPage(int page) = 0;
    virtual void ZoomIn() = 0;
    virtual void ZoomOut() = 0;
    virtual void FitToWidth() = 0;
    // Lays the pages out again, after the printer was set up anew.
    virtual void UpdatePreview() = 0;

    // The printer the pages are laid out for, which printing uses.
    virtual QPrinter& Printer() = 0;
    virtual QPageLayout PageLayout() = 0;
    // A printer as the device the report is painted on.
    virtual QPagedPaintDevice& Device(QPrinter& printer) = 0;
    // Where `printer` prints: its output file when it has one, else the printer's name.
    virtual QString Destination(QPrinter& printer) = 0;
    // The print dialog over `printer`, modal to `owner` only; false when it was cancelled.
    virtual bool ChoosePrinter(QPrinter& printer, QWidget* owner) = 0;
};

struct PrintPaneSetup {
    QString documentName;
    QMarginsF marginsMillimetres;
    // Paints the pages on the preview's printer; called again after each new set-up.
    std::function<void(QPagedPaintDevice&)> render;
    // After each new layout of the pages.
    std::function<void()> changed;
};

// A pane for `parent`, Qt's print support loaded on the first call. Null, with `error` saying
// why, when that support cannot be loaded.
std::unique_ptr<PrintPane> CreatePrintPane(QWidget* parent, PrintPaneSetup setup, QString& error);
