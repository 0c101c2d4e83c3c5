#include "app/SplashArt.h"

#include "platform/ThemeIcon.h"

#include <QPainter>
#include <cmath>

namespace SplashArt {
namespace {

constexpr int kIndicatorSize = 40;
constexpr int kIndicatorMargin = 4;
constexpr int kLogoSize = 96;

// The picture is painted on an opaque canvas: the splash makes its grey copies pixel by pixel
// from what is on screen, background included.
QImage Canvas(int size, const QColor& background, qreal pixelRatio) {
    const int pixels = static_cast<int>(std::ceil(size * pixelRatio));
    QImage image(pixels, pixels, QImage::Format_RGB32);
    image.setDevicePixelRatio(pixelRatio);
    image.fill(background);
    return image;
}

QImage Painted(const QString& iconName, int size, int margin, const QColor& background,
               qreal pixelRatio) {
    QImage image = Canvas(size, background, pixelRatio);
    QPainter painter(&image);
    ThemeIcon::Named(iconName).paint(&painter,
                                     QRect(margin, margin, size - 2 * margin, size - 2 * margin));
    return image;
}

} // namespace

QString IconName(Stage stage) {
    switch (stage) {
    case Stage::Start:
        return QStringLiteral("x-office-address-book");
    case Stage::Cfg:
        return QStringLiteral("preferences-system");
    case Stage::User:
        return QStringLiteral("system-users");
    case Stage::Prg:
        return QStringLiteral("application-x-executable");
    case Stage::AD:
        return QStringLiteral("network-workgroup");
    case Stage::GUI:
        return QStringLiteral("video-display");
    }
    return {};
}

QImage Indicator(Stage stage, const QColor& background, qreal pixelRatio) {
    return Painted(IconName(stage), kIndicatorSize, kIndicatorMargin, background, pixelRatio);
}

QImage Logo(qreal pixelRatio) {
    return Painted(QStringLiteral("system-run"), kLogoSize, 0, Qt::white, pixelRatio);
}

} // namespace SplashArt
