#pragma once

#include "widgets/DialogCommon.h"

#include <QDialog>
#include <QString>
#include <functional>

class AppContext;

// What the theme windows share.

// Makes `name` the current theme when `useGiven` is true, else the catalogue's default; the
// start-up sequence owns the routine and hands it to the theme manager.
using SetCurrentThemeFn = std::function<void(AppContext&, const QString& name, bool& useGiven)>;
