#include "admin/frmReportPreview.h"

#include "admin/ReportRenderer.h"
#include "services/AppContext.h"
#include "widgets/GlyphButton.h"

#include <QDir>
#include <QFileInfo>
#include <QGraphicsView>
#include <QHBoxLayout>
#include <QLabel>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QSaveFile>
#include <QShortcut>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace {

// The report's margins: one inch on every side.
constexpr qreal kMarginInches = 1.0;

GlyphButton* Button(const QString& caption, const QString& accessibleName, QWidget* parent) {
    auto* button = new GlyphButton(caption, parent);
    button->setAccessibleName(accessibleName);
    button->setToolTip(accessibleName);
    return button;
}

} // namespace

frmReportPreview::frmReportPreview(AppContext& ctx, PermissionReport report, QWidget* owner)
    : QWidget(owner, Qt::Window), mCtx(ctx), mReport(std::move(report)),
      mPrinter(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(mReport.Name());
    setWindowTitle(mReport.Caption());
    setAccessibleName(mReport.Caption());
    const qreal margin = kMarginInches * 25.4;
    mPrinter->setPageMargins(QMarginsF(margin, margin, margin, margin), QPageLayout::Millimeter);
    mPrinter->setDocName(mReport.Caption());
    choosePrinter = [this](QPrinter& printer) {
        QPrintDialog dialog(&printer, this);
        // Blocks this preview only; the main window and other previews stay usable.
        dialog.setWindowModality(Qt::WindowModal);
        return dialog.exec() == QDialog::Accepted;
    };
    BuildControls();
}

frmReportPreview::~frmReportPreview() {
    // The preview refers to the printer until it goes.
    delete Preview;
    Preview = nullptr;
}

void frmReportPreview::BuildControls() {
    Preview = new QPrintPreviewWidget(mPrinter.get(), this);
    Preview->setObjectName(QStringLiteral("Preview"));
    Preview->setAccessibleName(QStringLiteral("Report pages"));
    // The scrolling page view inside the preview and its viewport take the focus: they need
    // names of their own.
    for (auto* view : Preview->findChildren<QGraphicsView*>()) {
        view->setAccessibleName(QStringLiteral("Report pages"));
        view->viewport()->setAccessibleName(QStringLiteral("Report pages"));
    }
    Preview->setViewMode(QPrintPreviewWidget::SinglePageView);
    Preview->setZoomMode(QPrintPreviewWidget::FitToWidth);

    cmdPrint = Button(QStringLiteral("Print..."), QStringLiteral("Print the report"), this);
    cmdExport =
        Button(QStringLiteral("Export PDF..."), QStringLiteral("Save the report as PDF"), this);
    cmdFirst = Button(QStringLiteral("|<"), QStringLiteral("First page"), this);
    cmdPrevious = Button(QStringLiteral("<"), QStringLiteral("Previous page"), this);
    cmdNext = Button(QStringLiteral(">"), QStringLiteral("Next page"), this);
    cmdLast = Button(QStringLiteral(">|"), QStringLiteral("Last page"), this);
    cmdZoomIn = Button(QStringLiteral("+"), QStringLiteral("Zoom in"), this);
    cmdZoomOut = Button(QStringLiteral("-"), QStringLiteral("Zoom out"), this);
    cmdFitWidth = Button(QStringLiteral("Fit Width"), QStringLiteral("Fit page width"), this);
    cmdClose = Button(QStringLiteral("Close"), QStringLiteral("Close the preview"), this);
    lblPage = new QLabel(this);
    lblPage->setAccessibleName(QStringLiteral("Page number"));
    lblPage->setMinimumWidth(110);
    lblPage->setAlignment(Qt::AlignCenter);
    for (GlyphButton* narrow : {cmdFirst, cmdPrevious, cmdNext, cmdLast, cmdZoomIn, cmdZoomOut})
        narrow->setMaximumWidth(40);

    connect(Preview, &QPrintPreviewWidget::paintRequested, this,
            [this](QPrinter* printer) { RenderPermissionReport(mReport, *printer); });
    connect(Preview, &QPrintPreviewWidget::previewChanged, this, [this] { UpdatePageControls(); });
    connect(cmdPrint, &QPushButton::clicked, this, [this] { cmdPrint_Click(); });
    connect(cmdExport, &QPushButton::clicked, this, [this] { cmdExport_Click(); });
    connect(cmdFirst, &QPushButton::clicked, this, [this] { ShowPage(1); });
    connect(cmdPrevious, &QPushButton::clicked, this,
            [this] { ShowPage(Preview->currentPage() - 1); });
    connect(cmdNext, &QPushButton::clicked, this, [this] { ShowPage(Preview->currentPage() + 1); });
    connect(cmdLast, &QPushButton::clicked, this, [this] { ShowPage(PageCount()); });
    connect(cmdZoomIn, &QPushButton::clicked, Preview, [this] { Preview->zoomIn(); });
    connect(cmdZoomOut, &QPushButton::clicked, Preview, [this] { Preview->zoomOut(); });
    connect(cmdFitWidth, &QPushButton::clicked, Preview, &QPrintPreviewWidget::fitToWidth);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    connect(new QShortcut(QKeySequence::Print, this), &QShortcut::activated, this,
            [this] { cmdPrint_Click(); });
    connect(new QShortcut(QKeySequence::Cancel, this), &QShortcut::activated, this,
            &QWidget::close);

    auto* tools = new QHBoxLayout;
    for (QWidget* control : std::initializer_list<QWidget*>{cmdPrint, cmdExport})
        tools->addWidget(control);
    tools->addSpacing(12);
    for (QWidget* control :
         std::initializer_list<QWidget*>{cmdFirst, cmdPrevious, lblPage, cmdNext, cmdLast})
        tools->addWidget(control);
    tools->addSpacing(12);
    for (QWidget* control : std::initializer_list<QWidget*>{cmdZoomOut, cmdZoomIn, cmdFitWidth})
        tools->addWidget(control);
    tools->addStretch();
    tools->addWidget(cmdClose);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(tools);
    layout->addWidget(Preview, 1);
    resize(760, 640);
}

int frmReportPreview::PageCount() const {
    return Preview->pageCount();
}

void frmReportPreview::ShowPage(int page) {
    Preview->setCurrentPage(std::clamp(page, 1, std::max(1, PageCount())));
    UpdatePageControls();
}

void frmReportPreview::UpdatePageControls() {
    const int page = Preview->currentPage();
    lblPage->setText(QStringLiteral("Page %1 of %2").arg(page).arg(PageCount()));
    cmdFirst->setEnabled(page > 1);
    cmdPrevious->setEnabled(page > 1);
    cmdNext->setEnabled(page < PageCount());
    cmdLast->setEnabled(page < PageCount());
}

void frmReportPreview::ShowFailure(const QString& text) {
    mCtx.prompt->MsgBox(text, PromptButtons::Ok, PromptIcon::Critical, QStringLiteral("Error"));
}

void frmReportPreview::cmdPrint_Click() {
    if (choosePrinter && choosePrinter(*mPrinter))
        PrintTo(*mPrinter);
    // The chosen paper may differ from the one previewed.
    Preview->updatePreview();
}

bool frmReportPreview::PrintTo(QPrinter& printer) {
    if (RenderPermissionReport(mReport, printer) > 0)
        return true;
    const QString where = printer.outputFileName().isEmpty()
                              ? printer.printerName()
                              : QDir::toNativeSeparators(printer.outputFileName());
    ShowFailure(QStringLiteral("The report could not be printed on \"%1\". Check that the "
                               "printer is ready (or that the file can be written) and "
                               "print again.")
                    .arg(where));
    return false;
}

void frmReportPreview::cmdExport_Click() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString suggested = QDir(documents.isEmpty() ? QDir::homePath() : documents)
                                  .filePath(mReport.kind() == PermissionReport::ByGroup
                                                ? QStringLiteral("Permission By Group.pdf")
                                                : QStringLiteral("Permission By User.pdf"));
    QString file = mCtx.prompt->SaveFileName(QStringLiteral("Export Report"),
                                             QStringLiteral("PDF documents (*.pdf)"), suggested);
    if (file.isEmpty())
        return;
    if (QFileInfo(file).suffix().isEmpty())
        file += QStringLiteral(".pdf");
    if (ExportPdf(file))
        mCtx.prompt->MsgBox(
            QStringLiteral("The report was saved as %1.").arg(QDir::toNativeSeparators(file)),
            PromptButtons::Ok, PromptIcon::Information, mReport.Caption());
}

bool frmReportPreview::ExportPdf(const QString& file) {
    const QString shown = QDir::toNativeSeparators(file);
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly)) {
        ShowFailure(QStringLiteral("The report could not be saved as %1: %2. Choose a folder "
                                   "you may write to and export again.")
                        .arg(shown, out.errorString()));
        return false;
    }
    int pages = 0;
    {
        QPdfWriter writer(&out);
        writer.setPageLayout(mPrinter->pageLayout());
        writer.setTitle(mReport.Caption());
        writer.setCreator(Prompt::kApplicationTitle);
        pages = RenderPermissionReport(mReport, writer);
    }
    if (pages == 0 || !out.commit()) {
        out.cancelWriting();
        ShowFailure(QStringLiteral("The report could not be written to %1: %2. Check the free "
                                   "space and export again.")
                        .arg(shown, out.errorString()));
        return false;
    }
    return true;
}
