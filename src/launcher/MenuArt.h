#pragma once

#include <QIcon>
#include <QString>

class ImageList;

// The launcher's own pictures, taken from the desktop's icon theme by freedesktop icon name:
// the side menu's item pictures (1 to 18) and group pictures (1 to 4), and the file, folder
// and program pictures used when no picture file can be read.
namespace MenuArt {

enum class Kind { Item, Group, File, Folder, Program };

// The icon name of a picture; empty for a number outside its list.
QString IconName(Kind kind, int number = 0);
QIcon Picture(Kind kind, int number = 0);

// ImageList1 of the main window: the 18 item pictures.
void FillItemImages(ImageList& images);
// ImageList2 of the main window: the 4 group pictures.
void FillGroupImages(ImageList& images);

constexpr int kItemPictures = 18;
constexpr int kGroupPictures = 4;

} // namespace MenuArt
