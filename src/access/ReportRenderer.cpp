#include "access/ReportRenderer.h"

#include "access/PermissionReport.h"
#include "platform/ProductBanner.h"

#include <QFont>
#include <QImage>
#include <QLocale>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextLayout>
#include <cmath>
#include <memory>

namespace {

// The layout, in twips (1440 to the inch) from the printable area's top left.
constexpr int kTwipsPerInch = 1440;
constexpr int kReportHeaderHeight = 1152;
constexpr int kLogoLeft = 144, kLogoTop = 72, kLogoWidth = 2160, kLogoHeight = 720;
constexpr int kTitleLeft = 2592;
constexpr int kPageHeaderHeight = 432;
constexpr int kCaptionTop = 72, kCaptionHeight = 288, kHeaderRuleTop = 396;
constexpr int kDetailMinHeight = 288, kDetailPadding = 36;
constexpr int kProgramLeft = 144, kPrincipalLeft = 2160, kPermissionCaptionLeft = 4464;
constexpr int kColumnGap = 72;
constexpr int kPageFooterHeight = 432, kPageNumberTop = 144;
constexpr int kReportFooterHeight = 432, kPrintedOnTop = 144, kDateLeft = 1440;

QFont ReportFont(qreal points, bool bold) {
    // Arial, or the platform's metric-compatible sans font when Arial is not installed.
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// The report header's picture: a banner in the product's colours, painted as an image so
// that the printed page holds no text of its own for it.
QImage ReportLogo() {
    QImage logo(450, 150, QImage::Format_RGB32);
    QPainter p(&logo);
    QFont font = ReportFont(1, true);
    font.setPixelSize(44);
    PaintProductBanner(p, logo.rect(), QStringLiteral("Tessaro Orvane"), font, 24);
    return logo;
}

// One text of the report laid out in its column: words wrap inside the column, and a word
// wider than the column breaks, so that no character of a long name is lost.
class Cell {
public:
    Cell(const QString& text, const QFont& font, QPaintDevice* device, qreal width)
        : mLayout(text, font, device) {
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        mLayout.setTextOption(option);
        mLayout.beginLayout();
        qreal y = 0;
        for (QTextLine line = mLayout.createLine(); line.isValid(); line = mLayout.createLine()) {
            line.setLineWidth(std::max<qreal>(width, 1));
            line.setPosition(QPointF(0, y));
            y += line.height();
        }
        mLayout.endLayout();
        mHeight = y;
    }
    qreal Height() const { return mHeight; }
    void Draw(QPainter& painter, QPointF at) const { mLayout.draw(&painter, at); }

private:
    QTextLayout mLayout;
    qreal mHeight = 0;
};

class Renderer {
public:
    Renderer(const PermissionReport& report, QPagedPaintDevice& device)
        : mReport(report), mDevice(device), mPerTwipX(device.logicalDpiX() / qreal(kTwipsPerInch)),
          mPerTwipY(device.logicalDpiY() / qreal(kTwipsPerInch)), mPageWidth(device.width()),
          mPageHeight(device.height()), mTitleFont(ReportFont(14, true)),
          mCaptionFont(ReportFont(9, true)), mTextFont(ReportFont(9, false)) {}

    int Render() {
        LayoutRows();
        const ReportSections sections{Y(kReportHeaderHeight), Y(kPageHeaderHeight),
                                      Y(kPageFooterHeight), Y(kReportFooterHeight)};
        const QList<ReportPage> pages = PaginateReport(mRowHeights, sections, mPageHeight);

        QPainter painter;
        if (!painter.begin(&mDevice))
            return 0;
        const QDate date = mReport.printedOn.isNull() ? QDate::currentDate() : mReport.printedOn;
        for (qsizetype p = 0; p < pages.size(); ++p) {
            if (p > 0 && !mDevice.newPage())
                return 0;
            qreal y = 0;
            if (p == 0) {
                ReportHeader(painter);
                y += Y(kReportHeaderHeight);
            }
            PageHeader(painter, y);
            y += Y(kPageHeaderHeight);
            const ReportPage& page = pages.at(p);
            for (qsizetype r = page.firstRow; r < page.firstRow + page.rowCount; ++r) {
                Detail(painter, r, y);
                y += mRowHeights.at(r);
            }
            if (page.reportFooter)
                ReportFooter(painter, y, date);
            PageFooter(painter, static_cast<int>(p) + 1);
        }
        return painter.end() ? static_cast<int>(pages.size()) : 0;
    }

private:
    // Twips to device pixels across and down: a printer's resolutions may differ.
    int X(int twips) const { return static_cast<int>(std::ceil(twips * mPerTwipX)); }
    int Y(int twips) const { return static_cast<int>(std::ceil(twips * mPerTwipY)); }

    qreal ProgramWidth() const { return X(kPrincipalLeft - kProgramLeft - kColumnGap); }
    qreal PrincipalWidth() const { return X(mReport.StatusLeft() - kPrincipalLeft - kColumnGap); }
    qreal StatusWidth() const { return mPageWidth - X(mReport.StatusLeft()); }

    struct RowCells {
        std::unique_ptr<Cell> program, principal, status;
    };

    void LayoutRows() {
        const auto& rows = mReport.Rows();
        mCells.reserve(rows.size());
        mRowHeights.reserve(rows.size());
        for (const auto& row : rows) {
            RowCells cells{
                std::make_unique<Cell>(row.program, mTextFont, &mDevice, ProgramWidth()),
                std::make_unique<Cell>(row.principal, mTextFont, &mDevice, PrincipalWidth()),
                std::make_unique<Cell>(row.status, mTextFont, &mDevice, StatusWidth())};
            const qreal text = std::max(
                {cells.program->Height(), cells.principal->Height(), cells.status->Height()});
            mRowHeights.append(std::max(Y(kDetailMinHeight),
                                        static_cast<int>(std::ceil(text)) + 2 * Y(kDetailPadding)));
            mCells.push_back(std::move(cells));
        }
    }

    void Text(QPainter& painter, const QFont& font, int left, qreal top, qreal height,
              const QString& text) {
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(QRectF(X(left), top, mPageWidth - X(left), height),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
    }

    void Rule(QPainter& painter, qreal y, int twips, const QColor& colour) {
        painter.setPen(QPen(colour, std::max(1, Y(twips))));
        painter.drawLine(QPointF(X(kProgramLeft), y), QPointF(mPageWidth, y));
    }

    void ReportHeader(QPainter& painter) {
        static const QImage logo = ReportLogo();
        painter.drawImage(QRectF(X(kLogoLeft), Y(kLogoTop), X(kLogoWidth), Y(kLogoHeight)), logo);
        Text(painter, mTitleFont, kTitleLeft, Y(kLogoTop), Y(kLogoHeight), mReport.Title());
    }

    void PageHeader(QPainter& painter, qreal top) {
        const qreal y = top + Y(kCaptionTop), h = Y(kCaptionHeight);
        Text(painter, mCaptionFont, kProgramLeft, y, h, QStringLiteral("Program Name"));
        Text(painter, mCaptionFont, kPrincipalLeft, y, h, mReport.PrincipalCaption());
        Text(painter, mCaptionFont, kPermissionCaptionLeft, y, h, QStringLiteral("Permission"));
        Rule(painter, top + Y(kHeaderRuleTop), 15, Qt::black);
    }

    void Detail(QPainter& painter, qsizetype row, qreal top) {
        const RowCells& cells = mCells.at(static_cast<size_t>(row));
        const qreal height = mRowHeights.at(row);
        // A row taller than the page is cut at the page's foot rather than painted over it.
        painter.save();
        painter.setClipRect(QRectF(0, top, mPageWidth, height));
        painter.setPen(Qt::black);
        const qreal y = top + Y(kDetailPadding);
        cells.program->Draw(painter, QPointF(X(kProgramLeft), y));
        cells.principal->Draw(painter, QPointF(X(kPrincipalLeft), y));
        cells.status->Draw(painter, QPointF(X(mReport.StatusLeft()), y));
        painter.restore();
        Rule(painter, top + height - 1, 5, QColor(190, 190, 190));
    }

    void PageFooter(QPainter& painter, int pageNumber) {
        painter.setFont(mTextFont);
        painter.setPen(Qt::black);
        const qreal top = mPageHeight - Y(kPageFooterHeight) + Y(kPageNumberTop);
        painter.drawText(QRectF(0, top, mPageWidth, Y(kCaptionHeight)),
                         Qt::AlignHCenter | Qt::AlignVCenter, QString::number(pageNumber));
    }

    void ReportFooter(QPainter& painter, qreal top, const QDate& date) {
        const qreal y = top + Y(kPrintedOnTop), h = Y(kCaptionHeight);
        Text(painter, mCaptionFont, kProgramLeft, y, h, QStringLiteral("Printed On :"));
        Text(painter, mTextFont, kDateLeft, y, h, QLocale().toString(date, QLocale::LongFormat));
    }

    const PermissionReport& mReport;
    QPagedPaintDevice& mDevice;
    const qreal mPerTwipX, mPerTwipY;
    const qreal mPageWidth;
    const int mPageHeight;
    const QFont mTitleFont, mCaptionFont, mTextFont;
    std::vector<RowCells> mCells;
    QList<int> mRowHeights;
};

} // namespace

QList<ReportPage> PaginateReport(const QList<int>& rowHeights, const ReportSections& sections,
                                 int pageHeight) {
    QList<ReportPage> pages;
    ReportPage page;
    int room = pageHeight - sections.reportHeader - sections.pageHeader - sections.pageFooter;
    int used = 0;
    for (qsizetype i = 0; i < rowHeights.size(); ++i) {
        const int height = rowHeights.at(i);
        if (used + height > room && page.rowCount > 0) {
            pages.append(page);
            page = ReportPage{i, 0, false};
            room = pageHeight - sections.pageHeader - sections.pageFooter;
            used = 0;
        }
        ++page.rowCount;
        used += height;
    }
    if (used + sections.reportFooter > room && page.rowCount > 0) {
        pages.append(page);
        page = ReportPage{rowHeights.size(), 0, false};
    }
    page.reportFooter = true;
    pages.append(page);
    return pages;
}

int RenderPermissionReport(const PermissionReport& report, QPagedPaintDevice& device) {
    return Renderer(report, device).Render();
}
