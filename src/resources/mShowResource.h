#pragma once

#include "resources/StdPicture.h"

#include <QByteArray>
#include <QString>
#include <optional>

class PictureBox;

// Painting a picture with its information lines, and writing resource bytes to a file.
namespace mShowResource {

// Paints the picture at its own size, centred on the box's outer size (a picture larger than
// the box overlaps its top or left edge), then prints at the top left "Image info:", an empty
// line, "Type: " with the picture's kind and "Syze: " with its width and height in pixels.
// False, and nothing painted, without a picture.
bool ShowPicture(const std::optional<StdPicture>& picture, PictureBox& box);

// The kind the "Type: " line names.
QString PictureKind(PictureType type);

// Writes the bytes at the start of the file at `path`, creating it when it is missing; a
// longer existing file keeps the rest of its bytes. Throws OrvError when there are no bytes or
// the file cannot be written.
void SaveResourceBytes(const QString& path, const std::optional<QByteArray>& bytes);

} // namespace mShowResource
