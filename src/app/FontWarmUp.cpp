#include "app/FontWarmUp.h"

#include <QFontDatabase>

// Every QFontDatabase function locks the database and fills it on first use, from any thread.
FontWarmUp::FontWarmUp() : mWorker([] { QFontDatabase::families(); }) {}
