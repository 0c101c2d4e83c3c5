#pragma once

#include "widgets/DialogCommon.h"

#include <QDialog>
#include <QPixmap>
#include <QString>
#include <functional>

class AppContext;
class QWidget;

// Runs one handler of an administration window (see RunTrapped of DialogCommon).
bool RunTrapped(AppContext& ctx, const std::function<void()>& handler);

// The directory the executable browse starts in: the platform's programs directory.
QString ProgramsDirectory();

// The designed logo band of the program editors, kept when the theme has no logo of its own.
QPixmap DesignedEditorLogo(qreal devicePixelRatio);

// A picture file read for display: a null pixmap when it is missing or not a picture.
QPixmap LoadPicture(const QString& file);
