#pragma once

#include "platform/PeImage.h"

#include <QByteArray>
#include <QString>
#include <optional>

// The module calls of the Windows loader that the resource viewer needs, over PeImage.
// A module is loaded as a data file only: nothing of it is run and no import is resolved.
// Handles are numbers, never pointers: a freed or made-up handle simply finds no module.
namespace PeModule {

using HMODULE = quintptr;
// A found resource: the language the loader chose, with its place in the file.
using HRSRC = std::optional<PeResourceLeaf>;

constexpr quint32 DONT_RESOLVE_DLL_REFERENCES = 0x00000001;

// Numbered resource types.
constexpr quint16 RT_CURSOR = 1;
constexpr quint16 RT_BITMAP = 2;
constexpr quint16 RT_ICON = 3;
constexpr quint16 RT_GROUP_CURSOR = 12;
constexpr quint16 RT_GROUP_ICON = 14;

// 0 when the file cannot be read or is refused; `error` (optional) then says why.
HMODULE LoadLibraryExA(const QString& fileName, quint32 flags, QString* error = nullptr);
// False for a handle that is not loaded.
bool FreeLibrary(HMODULE module);
// The image behind a loaded handle, or null.
const PeImage* ModuleImage(HMODULE module);
// How many modules are loaded now.
int LoadedModuleCount();

// Callbacks return false to stop the enumeration.
using ENUMRESTYPEPROCA = bool (*)(HMODULE module, const PeResourceId& type, qintptr param);
using ENUMRESNAMEPROCA = bool (*)(HMODULE module, const PeResourceId& type,
                                  const PeResourceId& name, qintptr param);

// False when the handle is not loaded or the type is not in the module.
bool EnumResourceTypesA(HMODULE module, ENUMRESTYPEPROCA proc, qintptr param);
bool EnumResourceNamesA(HMODULE module, const PeResourceId& type, ENUMRESNAMEPROCA proc,
                        qintptr param);

// No value when the module, the type or the name is unknown.
HRSRC FindResourceA(HMODULE module, const PeResourceId& name, const PeResourceId& type);
quint32 SizeofResource(HMODULE module, const HRSRC& resource);
// The resource's bytes; no value when the module is not loaded or the file cannot be read.
std::optional<QByteArray> LoadResource(HMODULE module, const HRSRC& resource);

} // namespace PeModule
