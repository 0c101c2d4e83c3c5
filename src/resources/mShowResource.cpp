#include "resources/mShowResource.h"

#include "platform/OrvError.h"
#include "platform/Text.h"
#include "resources/PictureBox.h"

#include <QFile>

namespace mShowResource {
namespace {

constexpr long kTypeMismatch = 13;
constexpr long kFileAccess = 75;
const QString kSource = QStringLiteral("mShowResource");

// Half of a size, as the centring computes it: rounded to a whole number (halves to even),
// then halved in integer arithmetic (toward zero).
long Half(double value) {
    return RoundHalfEven(value) / 2;
}

} // namespace

QString PictureKind(PictureType type) {
    switch (type) {
    case PictureType::None:
        return QStringLiteral("None");
    case PictureType::Bitmap:
        return QStringLiteral("Bitmap (*.bmp)");
    case PictureType::Metafile:
        return QStringLiteral("Metafile (*.wmf)");
    case PictureType::Icon:
        return QStringLiteral("Icon/cursor (*.ico/*.cur)");
    case PictureType::EnhMetafile:
        return QStringLiteral("Enh Metafile (*.emf)");
    }
    return QString();
}

bool ShowPicture(const std::optional<StdPicture>& picture, PictureBox& box) {
    if (!picture)
        return false;
    const QSizeF size = picture->SizeInPixels();
    const int x = int(Half(box.width()) - Half(size.width()));
    const int y = int(Half(box.height()) - Half(size.height()));
    box.PaintPicture(picture->image, x, y);
    box.CurrentX = 0;
    box.CurrentY = 0;
    box.Print(QStringLiteral("Image info:"));
    box.Print(QString());
    box.Print(QStringLiteral("Type: ") + PictureKind(picture->Type));
    box.Print(QStringLiteral("Syze: %1 x %2")
                  .arg(RoundHalfEven(size.width()))
                  .arg(RoundHalfEven(size.height())));
    return true;
}

void SaveResourceBytes(const QString& path, const std::optional<QByteArray>& bytes) {
    if (!bytes)
        throw OrvError(kTypeMismatch, QStringLiteral("Type mismatch"), kSource);
    QFile file(path);
    // Read and write: opened for writing alone, the file would be cut to nothing first.
    if (!file.open(QIODevice::ReadWrite) || !file.seek(0) || file.write(*bytes) != bytes->size() ||
        !file.flush())
        throw OrvError(kFileAccess, QStringLiteral("Path/File access error"), kSource);
    file.close();
}

} // namespace mShowResource
