// Qt's print support behind PrintPane: the only code that links Qt's print support library.
// It is built as a library of its own, which the report preview loads when it first opens.

#include "widgets/PrintPane.h"

#include <QPointer>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>

namespace {

class QtPrintPane final : public PrintPane {
public:
    QtPrintPane(QWidget* parent, PrintPaneSetup setup) : mPrinter(QPrinter::HighResolution) {
        mPrinter.setPageMargins(setup.marginsMillimetres, QPageLayout::Millimeter);
        mPrinter.setDocName(setup.documentName);
        mPreview = new QPrintPreviewWidget(&mPrinter, parent);
        mPreview->setViewMode(QPrintPreviewWidget::SinglePageView);
        mPreview->setZoomMode(QPrintPreviewWidget::FitToWidth);
        QObject::connect(
            mPreview, &QPrintPreviewWidget::paintRequested, mPreview,
            [render = std::move(setup.render)](QPrinter* printer) { render(*printer); });
        QObject::connect(mPreview, &QPrintPreviewWidget::previewChanged, mPreview,
                         std::move(setup.changed));
    }
    // The preview refers to the printer until it goes.
    ~QtPrintPane() override { delete mPreview; }

    QWidget* Widget() override { return mPreview; }
    int PageCount() override { return mPreview->pageCount(); }
    int CurrentPage() override { return mPreview->currentPage(); }
    void SetCurrentPage(int page) override { mPreview->setCurrentPage(page); }
    void ZoomIn() override { mPreview->zoomIn(); }
    void ZoomOut() override { mPreview->zoomOut(); }
    void FitToWidth() override { mPreview->fitToWidth(); }
    void UpdatePreview() override { mPreview->updatePreview(); }

    QPrinter& Printer() override { return mPrinter; }
    QPageLayout PageLayout() override { return mPrinter.pageLayout(); }
    QPagedPaintDevice& Device(QPrinter& printer) override { return printer; }
    QString Destination(QPrinter& printer) override {
        return printer.outputFileName().isEmpty() ? printer.printerName()
                                                  : printer.outputFileName();
    }
    bool ChoosePrinter(QPrinter& printer, QWidget* owner) override {
        QPrintDialog dialog(&printer, owner);
        // Blocks its owner only; the other windows stay usable.
        dialog.setWindowModality(Qt::WindowModal);
        return dialog.exec() == QDialog::Accepted;
    }

private:
    QPrinter mPrinter;
    QPointer<QPrintPreviewWidget> mPreview;
};

} // namespace

extern "C" Q_DECL_EXPORT PrintPane* orv_create_print_pane(QWidget* parent, PrintPaneSetup* setup) {
    return new QtPrintPane(parent, std::move(*setup));
}
