#include "app/frmSplash.h"

#include "app/SplashArt.h"
#include "platform/Text.h"
#include "platform/TitleFont.h"
#include "services/AppContext.h"
#include "services/ThemeLogo.h"
#include "widgets/LowColor.h"
#include "widgets/PlainText.h"
#include "widgets/ProgressBar.h"
#include "widgets/ScreenFit.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace {

QLabel* Picture(const QImage& image, QWidget* parent) {
    auto* box = PlainLabel(parent);
    box->setPixmap(QPixmap::fromImage(image));
    box->setAlignment(Qt::AlignCenter);
    return box;
}

// A colour as the platform's GetPixel reports it: 0x00BBGGRR.
qint32 ColorRef(QRgb rgb) {
    return qRed(rgb) | (qGreen(rgb) << 8) | (qBlue(rgb) << 16);
}

} // namespace

frmSplash::frmSplash(AppContext& ctx, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), mCtx(ctx) {
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(Prompt::kApplicationTitle);
    BuildControls();
    ScreenFit::Keep(this);
    Form_Load();
    // A splash window has no frame the window manager would place: centre it ourselves.
    adjustSize();
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

void frmSplash::BuildControls() {
    setAutoFillBackground(true);
    setPalette(QPalette(QColor(250, 250, 252)));
    const qreal ratio = devicePixelRatioF();
    const QColor background = palette().color(QPalette::Window);

    Image1 = Picture(SplashArt::Logo(ratio), this);
    Label2 = PlainLabel(QStringLiteral("Tessaro Orvane"), this);
    // Regular, as the rest of the splash: a bold title would be the start-up's only bold text,
    // and loading a second face of the family for it costs about half a millisecond.
    Label2->setFont(TitleFont(20, QFont::Normal));
    Label1 = PlainLabel(QStringLiteral("Version :"), this);
    lblVersion = PlainLabel(this);
    prgbar = new ProgressBar(this);

    using SplashArt::Stage;
    const struct {
        Stage stage;
        QLabel** grey;
        QLabel** coloured;
        const char* tip;
    } stages[] = {
        {Stage::Start, &picStartGray, &picStartReg, "Catalogue"},
        {Stage::Cfg, &picCfgGray, &picCfgReg, "Services"},
        {Stage::User, &picUserGray, &picUserReg, "Settings"},
        {Stage::Prg, &picPrgGray, &picPrgReg, "User"},
        {Stage::AD, &picADGray, &picADReg, "Permissions"},
        {Stage::GUI, &picGUIGray, &picGUIReg, "Launcher"},
    };
    auto* indicators = new QGridLayout;
    int column = 0;
    for (const auto& s : stages) {
        const QImage art = SplashArt::Indicator(s.stage, background, ratio);
        *s.grey = Picture(art, this);
        *s.coloured = Picture(art, this);
        (*s.coloured)->setVisible(false);
        (*s.grey)->setToolTip(QString::fromLatin1(s.tip));
        (*s.coloured)->setToolTip(QString::fromLatin1(s.tip));
        // Both pictures of a stage share one place.
        indicators->addWidget(*s.grey, 0, column);
        indicators->addWidget(*s.coloured, 0, column);
        ++column;
    }

    auto* version = new QHBoxLayout;
    version->addWidget(Label1);
    version->addWidget(lblVersion);
    version->addStretch();
    auto* heading = new QVBoxLayout;
    heading->addStretch();
    heading->addWidget(Label2);
    heading->addLayout(version);
    heading->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(Image1);
    top->addSpacing(16);
    top->addLayout(heading, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 20);
    layout->setSpacing(16);
    layout->addLayout(top);
    layout->addLayout(indicators);
    layout->addWidget(prgbar);
}

void frmSplash::Form_Load() {
    if (mCtx.gLowColor)
        ApplyLowColor(this);
    if (const auto logo = ThemeLogo(mCtx, QStringLiteral("Theme_LogoSplash"))) {
        Image1->setPixmap(*logo);
        update();
    }
    lblVersion->setText(QStringLiteral("%1.%2").arg(ORV_VERSION_MAJOR).arg(ORV_VERSION_MINOR));

    for (QLabel* grey : {picStartGray, picCfgGray, picUserGray, picADGray, picPrgGray, picGUIGray})
        Greyscale(grey, grey);

    colGrayImages = {picStartGray, picCfgGray, picUserGray, picPrgGray, picADGray, picGUIGray};
    colRegImages = {picStartReg, picCfgReg, picUserReg, picPrgReg, picADReg, picGUIReg};
    prgbar->SetMax(6);
    prgbar->SetValue(0);
}

QVariant frmSplash::ChangeImages(short IntStatus) {
    QLabel* grey = Item(colGrayImages, IntStatus);
    QLabel* coloured = Item(colRegImages, IntStatus);
    ShowStage(grey, coloured);
    // The bar would repaint itself at once, and the events below paint the window again:
    // held back, it is painted with the rest, once per stage.
    prgbar->setUpdatesEnabled(false);
    prgbar->SetValue(IntStatus);
    prgbar->setUpdatesEnabled(true);
    QApplication::processEvents();
    return {};
}

void frmSplash::ShowStage(QLabel*& grey, QLabel*& coloured) {
    grey->setVisible(false);
    coloured->setVisible(true);
}

void frmSplash::Greyscale(QLabel*& destination, QLabel*& source) {
    const QImage picture = source->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
    QImage drawing = destination == source
                         ? picture
                         : destination->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
    if (drawing.size() != picture.size())
        drawing = QImage(picture.size(), QImage::Format_RGB32);
    // Row by row over the scan lines: reading and writing single pixels through QImage (and a
    // variant column counter) cost more than the rest of the splash together. Runs of one
    // colour (the background, mostly) are converted once.
    const int width = picture.width();
    const int height = picture.height();
    QRgb lastColour = 0;
    QRgb lastGrey = qRgb(0, 0, 0);
    bool known = false;
    for (int y = 0; y < height; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(drawing.scanLine(y));
        for (int x = 0; x < width; ++x) {
            if (!known || in[x] != lastColour) {
                const short grey = GreyLevel(ColorRef(in[x]));
                lastColour = in[x];
                lastGrey = qRgb(grey, grey, grey);
                known = true;
            }
            out[x] = lastGrey;
        }
    }
    // The walk ends one row and one column past the picture's edge, where there is no colour
    // to read and nothing is drawn; the window's loop state says so.
    mRow = static_cast<short>(RoundHalfEven(height) + 1);
    mColumn = width + 1;
    mLastGrey = GreyLevel(-1);
    drawing.setDevicePixelRatio(source->pixmap().devicePixelRatio());
    destination->setPixmap(QPixmap::fromImage(drawing));
    destination->update();
}

short frmSplash::GreyLevel(qint32 colour) {
    const qint32 r = colour % 256;
    const qint32 g = (colour / 256) % 256;
    const qint32 b = (colour / 65536) % 256;
    const double level = g * 150.0 / 255.0 + r * 76.0 / 255.0 + b * 28.0 / 255.0;
    return static_cast<short>(RoundHalfEven(level));
}
