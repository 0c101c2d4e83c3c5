#include "admin/frmReportPreview.h"

#include "access/ReportRenderer.h"
#include "platform/OrvError.h"
#include "services/AppContext.h"
#include "widgets/GlyphButton.h"
#include "widgets/PlainText.h"
#include "widgets/PrintPane.h"
#include "widgets/ScreenFit.h"

#include <QDir>
#include <QFileInfo>
#include <QGraphicsView>
#include <QHBoxLayout>
#include <QLabel>
#include <QPdfWriter>
#include <QSaveFile>
#include <QShortcut>
#include <QStandardPaths>
#include <QStyle>
#include <QVBoxLayout>

namespace {

// The report's margins: one inch on every side.
constexpr qreal kMarginInches = 1.0;

// A button of the tool row: a screen reader reads its caption, then what it does (`what`, also
// its tooltip).
GlyphButton* Button(const QString& caption, const QString& what, QWidget* parent) {
    auto* button = new GlyphButton(caption, parent);
    button->setAccessibleDescription(what);
    button->setToolTip(PlainToolTip(what));
    return button;
}

// A button that shows a picture instead of a caption; `name` is what a screen reader reads.
GlyphButton* PictureButton(QStyle::StandardPixmap picture, const QString& name, QWidget* parent) {
    auto* button = new GlyphButton(QString(), parent);
    button->setIcon(parent->style()->standardIcon(picture));
    button->setAccessibleName(name);
    button->setToolTip(PlainToolTip(name));
    return button;
}

} // namespace

frmReportPreview::frmReportPreview(AppContext& ctx, PermissionReport report, QWidget* owner)
    : QWidget(owner, Qt::Window), mCtx(ctx), mReport(std::move(report)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(mReport.Name());
    setWindowTitle(mReport.Caption());
    setAccessibleName(mReport.Caption());
    const qreal margin = kMarginInches * 25.4;
    QString failure;
    mPane = CreatePrintPane(
        this,
        {mReport.Caption(), QMarginsF(margin, margin, margin, margin),
         [this](QPagedPaintDevice& printer) { RenderPermissionReport(mReport, printer); },
         [this] { UpdatePageControls(); }},
        failure);
    if (!mPane)
        throw OrvError(ErrorNumber::FileNotFound,
                       QStringLiteral("The report cannot be previewed: Qt's print support could "
                                      "not be loaded (%1). Reinstall Tessaro Orvane.")
                           .arg(failure));
    // Blocks this preview only; the main window and other previews stay usable.
    choosePrinter = [this](QPrinter& printer) { return mPane->ChoosePrinter(printer, this); };
    BuildControls();
    ScreenFit::Keep(this);
}

// The pane, a member, goes before QWidget deletes the children: it deletes its page view
// before the printer the view refers to.
frmReportPreview::~frmReportPreview() = default;

void frmReportPreview::BuildControls() {
    Preview = mPane->Widget();
    Preview->setObjectName(QStringLiteral("Preview"));
    Preview->setAccessibleName(QStringLiteral("Report pages"));
    // The scrolling page view inside the preview and its viewport take the focus: they need
    // names of their own.
    for (auto* view : Preview->findChildren<QGraphicsView*>()) {
        view->setAccessibleName(QStringLiteral("Report pages"));
        view->viewport()->setAccessibleName(QStringLiteral("Report pages"));
    }

    cmdPrint = Button(QStringLiteral("Print..."), QStringLiteral("Print the report"), this);
    cmdExport =
        Button(QStringLiteral("Export PDF..."), QStringLiteral("Save the report as PDF"), this);
    cmdFirst = PictureButton(QStyle::SP_MediaSkipBackward, QStringLiteral("First page"), this);
    cmdPrevious =
        PictureButton(QStyle::SP_MediaSeekBackward, QStringLiteral("Previous page"), this);
    cmdNext = PictureButton(QStyle::SP_MediaSeekForward, QStringLiteral("Next page"), this);
    cmdLast = PictureButton(QStyle::SP_MediaSkipForward, QStringLiteral("Last page"), this);
    cmdZoomIn = Button(QStringLiteral("+"), QStringLiteral("Zoom in"), this);
    cmdZoomIn->setAccessibleName(QStringLiteral("Zoom in (+)"));
    cmdZoomOut = Button(QStringLiteral("-"), QStringLiteral("Zoom out"), this);
    cmdZoomOut->setAccessibleName(QStringLiteral("Zoom out (-)"));
    cmdPrint->setDefault(true);
    cmdFitWidth = Button(QStringLiteral("Fit Width"), QStringLiteral("Fit page width"), this);
    cmdClose = Button(QStringLiteral("Close"), QStringLiteral("Close the preview"), this);
    lblPage = PlainLabel(this);
    lblPage->setAccessibleName(QStringLiteral("Page number"));
    lblPage->setMinimumWidth(
        lblPage->fontMetrics().horizontalAdvance(QStringLiteral("Page 88 of 88")));
    lblPage->setAlignment(Qt::AlignCenter);
    for (GlyphButton* narrow : {cmdFirst, cmdPrevious, cmdNext, cmdLast, cmdZoomIn, cmdZoomOut})
        narrow->setMaximumWidth(36);

    connect(cmdPrint, &QPushButton::clicked, this, [this] { cmdPrint_Click(); });
    connect(cmdExport, &QPushButton::clicked, this, [this] { cmdExport_Click(); });
    connect(cmdFirst, &QPushButton::clicked, this, [this] { ShowPage(1); });
    connect(cmdPrevious, &QPushButton::clicked, this,
            [this] { ShowPage(mPane->CurrentPage() - 1); });
    connect(cmdNext, &QPushButton::clicked, this, [this] { ShowPage(mPane->CurrentPage() + 1); });
    connect(cmdLast, &QPushButton::clicked, this, [this] { ShowPage(PageCount()); });
    connect(cmdZoomIn, &QPushButton::clicked, Preview, [this] { mPane->ZoomIn(); });
    connect(cmdZoomOut, &QPushButton::clicked, Preview, [this] { mPane->ZoomOut(); });
    connect(cmdFitWidth, &QPushButton::clicked, Preview, [this] { mPane->FitToWidth(); });
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    connect(new QShortcut(QKeySequence::Print, this), &QShortcut::activated, this,
            [this] { cmdPrint_Click(); });
    connect(new QShortcut(QKeySequence::Cancel, this), &QShortcut::activated, this,
            &QWidget::close);

    // Printing and zooming above the pages, paging below them: one row of all would not fit a
    // screen of 640 pixels' width (1280 x 900 at 200 %).
    auto* tools = new QHBoxLayout;
    for (QWidget* control : std::initializer_list<QWidget*>{cmdPrint, cmdExport})
        tools->addWidget(control);
    tools->addSpacing(12);
    for (QWidget* control : std::initializer_list<QWidget*>{cmdZoomOut, cmdZoomIn, cmdFitWidth})
        tools->addWidget(control);
    tools->addStretch();
    tools->addWidget(cmdClose);
    auto* paging = new QHBoxLayout;
    paging->addStretch();
    for (QWidget* control :
         std::initializer_list<QWidget*>{cmdFirst, cmdPrevious, lblPage, cmdNext, cmdLast})
        paging->addWidget(control);
    paging->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(tools);
    layout->addWidget(Preview, 1);
    layout->addLayout(paging);
    resize(760, 640);
}

int frmReportPreview::PageCount() const {
    return mPane->PageCount();
}

void frmReportPreview::ShowPage(int page) {
    mPane->SetCurrentPage(std::clamp(page, 1, std::max(1, PageCount())));
    UpdatePageControls();
}

void frmReportPreview::UpdatePageControls() {
    if (!lblPage) // pages laid out before the controls exist
        return;
    const int page = mPane->CurrentPage();
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
    if (choosePrinter && choosePrinter(mPane->Printer()))
        PrintTo(mPane->Printer());
    // The chosen paper may differ from the one previewed.
    mPane->UpdatePreview();
}

bool frmReportPreview::PrintTo(QPrinter& printer) {
    if (RenderPermissionReport(mReport, mPane->Device(printer)) > 0)
        return true;
    const QString where = QDir::toNativeSeparators(mPane->Destination(printer));
    ShowFailure(QStringLiteral("The report could not be printed on \"%1\". Check that the "
                               "printer is ready (or that the file can be written) and "
                               "print again.")
                    .arg(where));
    return false;
}

void frmReportPreview::cmdExport_Click() {
    // The documents folder where the user has one; a folder that does not exist would make the
    // save dialog fall back to the working folder.
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const bool haveDocuments = !documents.isEmpty() && QFileInfo(documents).isDir();
    const QString suggested = QDir(haveDocuments ? documents : QDir::homePath())
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
        writer.setPageLayout(mPane->PageLayout());
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
