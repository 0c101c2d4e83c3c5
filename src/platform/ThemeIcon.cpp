#include "platform/ThemeIcon.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QResource>
#include <QtEndian>
#include <array>

// Outside any namespace: Q_INIT_RESOURCE declares the resource's function where it stands.
static bool RegisterIconResources() {
    Q_INIT_RESOURCE(bundled_icons);
    return true;
}

namespace ThemeIcon {
namespace {

// The sizes the build draws every bundled picture at (src/CMakeLists.txt), smallest first.
constexpr std::array kSizes = {16, 24, 32, 48, 64, 96, 128, 192};

void Register() {
    static const bool registered = RegisterIconResources();
    Q_UNUSED(registered);
}

QString File(const QString& name, int size) {
    return QStringLiteral(":/orvane/icons/%1/%2.argb").arg(size).arg(name);
}

// A drawing as the build wrote it: size x size premultiplied ARGB words, little-endian.
QImage ReadDrawing(const QString& name, int size) {
    const QResource resource(File(name, size));
    const QByteArray pixels = resource.uncompressedData();
    const qsizetype row = qsizetype(size) * 4;
    if (pixels.size() != row * size)
        return {};
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < size; ++y)
        qFromLittleEndian<quint32>(pixels.constData() + y * row, size, image.scanLine(y));
    return image;
}

// A bundled picture that reads only the drawing of the size asked for (the smallest one at
// least as large, scaled down), when it is first asked for.
class BundledEngine : public QIconEngine {
public:
    explicit BundledEngine(QString name) : mName(std::move(name)) {}

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Drawing(std::max(size.width(), size.height())).pixmap(size, mode, state);
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        painter->drawPixmap(rect, pixmap(rect.size() * ratio, mode, state));
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        const int side = std::min({size.width(), size.height(), kSizes.back()});
        return {side, side};
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (const int size : kSizes)
            sizes << QSize(size, size);
        return sizes;
    }
    QIconEngine* clone() const override { return new BundledEngine(mName); }
    QString key() const override { return QStringLiteral("OrvaneBundled"); }
    QString iconName() override { return mName; }

private:
    // A plain icon over the one drawing: it scales and makes the disabled and selected
    // looks as the style wants them.
    QIcon Drawing(int pixels) {
        const auto fits = std::lower_bound(kSizes.begin(), kSizes.end(), pixels);
        const int size = fits == kSizes.end() ? kSizes.back() : *fits;
        QIcon& drawing = mDrawings[size];
        if (drawing.isNull()) {
            const QImage image = ReadDrawing(mName, size);
            if (!image.isNull())
                drawing = QIcon(QPixmap::fromImage(image));
        }
        return drawing;
    }

    QString mName;
    QHash<int, QIcon> mDrawings;
};

// One engine per name, so that every window shares its decoded drawings. Emptied when the
// application ends: pixmaps must not outlive it.
QHash<QString, QIcon>& Known() {
    static QHash<QString, QIcon> known;
    static const bool cleared = [] {
        qAddPostRoutine([] { Known().clear(); });
        return true;
    }();
    Q_UNUSED(cleared);
    return known;
}

// Another icon, offering only the sizes a window icon is shown at.
class WindowIconEngine : public QIconEngine {
public:
    explicit WindowIconEngine(QIcon icon) : mIcon(std::move(icon)) {}

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return mIcon.pixmap(size, mode, state);
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        mIcon.paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return mIcon.actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        return {{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}, {128, 128}};
    }
    QIconEngine* clone() const override { return new WindowIconEngine(mIcon); }
    QString key() const override { return QStringLiteral("OrvaneWindowIcon"); }

private:
    QIcon mIcon;
};

} // namespace

QIcon ForWindow(const QIcon& icon) {
    return icon.isNull() ? QIcon() : QIcon(new WindowIconEngine(icon));
}

QIcon Bundled(const QString& name) {
    Register();
    QHash<QString, QIcon>& known = Known();
    const auto found = known.constFind(name);
    if (found != known.constEnd())
        return *found;
    const QIcon icon =
        QFile::exists(File(name, kSizes.front())) ? QIcon(new BundledEngine(name)) : QIcon();
    known.insert(name, icon);
    return icon;
}

QIcon Named(const QString& name) {
    // Without a desktop theme Qt looks in hicolor, the shared fallback that holds programs'
    // own icons and none of the named pictures asked for here: reading its index (hundreds of
    // folders) would cost a few milliseconds of every start, to find nothing.
    const QString theme = QIcon::themeName();
    const bool desktopTheme = !theme.isEmpty() && theme != QLatin1String("hicolor");
    return desktopTheme && QIcon::hasThemeIcon(name) ? QIcon::fromTheme(name) : Bundled(name);
}

QStringList BundledNames() {
    Register();
    QStringList names;
    const QString folder = QStringLiteral(":/orvane/icons/%1").arg(kSizes.front());
    const auto files =
        QDir(folder).entryInfoList({QStringLiteral("*.argb")}, QDir::Files, QDir::Name);
    for (const QFileInfo& file : files)
        names << file.completeBaseName();
    return names;
}

} // namespace ThemeIcon
