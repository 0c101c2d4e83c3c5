#pragma once

#include "platform/PeModule.h"

#include <QString>

// Loading and releasing the executable whose resources the viewer shows, the display names of
// resource types, and the string helper of the name callback.
namespace mMain {

// The executable loaded by LoadResourceModule; 0 when loading failed. Every resource routine
// reads through it. It keeps its value after UnloadResourceModule; a freed handle then finds
// no module, so the routines find nothing.
extern PeModule::HMODULE hResModule;

// Loads `fileName` as a data file (its code is never run, its imports never resolved) into
// hResModule. True when it loaded. A file that is missing, not a PE image or damaged leaves
// hResModule at 0; nothing is reported.
bool LoadResourceModule(const QString& fileName);
// Frees hResModule when it is loaded.
void UnloadResourceModule();
// The display name of a numbered resource type ("Icon Resource" for 3).
QString GetResourceTypeName(long type);
// The part of `text` before its first NUL character.
QString TrimNull(const QString& text);

} // namespace mMain
