#include "platform/PeModule.h"

#include <map>
#include <memory>

namespace PeModule {
namespace {

// Loaded modules by handle. Handles start high and never repeat, so an old handle never
// reaches a newer module.
std::map<HMODULE, std::unique_ptr<PeImage>>& Modules() {
    static std::map<HMODULE, std::unique_ptr<PeImage>> modules;
    return modules;
}
HMODULE gNextHandle = 0x10000000;

} // namespace

HMODULE LoadLibraryExA(const QString& fileName, quint32 flags, QString* error) {
    Q_UNUSED(flags) // images are only ever read here, never run
    auto image = PeImage::Open(fileName, error);
    if (!image)
        return 0;
    const HMODULE handle = gNextHandle;
    gNextHandle += 0x10000;
    Modules().emplace(handle, std::move(image));
    return handle;
}

bool FreeLibrary(HMODULE module) {
    return Modules().erase(module) > 0;
}

const PeImage* ModuleImage(HMODULE module) {
    const auto found = Modules().find(module);
    return found == Modules().end() ? nullptr : found->second.get();
}

int LoadedModuleCount() {
    return static_cast<int>(Modules().size());
}

bool EnumResourceTypesA(HMODULE module, ENUMRESTYPEPROCA proc, qintptr param) {
    const PeImage* image = ModuleImage(module);
    if (!image || image->ResourceTypes().isEmpty())
        return false;
    // The callback may free the module; walk a copy of the ids.
    QList<PeResourceId> types;
    for (const PeResourceType& type : image->ResourceTypes())
        types.append(type.id);
    for (const PeResourceId& type : types)
        if (!proc(module, type, param))
            return false;
    return true;
}

bool EnumResourceNamesA(HMODULE module, const PeResourceId& type, ENUMRESNAMEPROCA proc,
                        qintptr param) {
    const PeImage* image = ModuleImage(module);
    const PeResourceType* found = image ? image->FindType(type) : nullptr;
    if (!found)
        return false;
    QList<PeResourceId> names;
    for (const PeResourceName& name : found->names)
        names.append(name.id);
    for (const PeResourceId& name : names)
        if (!proc(module, type, name, param))
            return false;
    return true;
}

HRSRC FindResourceA(HMODULE module, const PeResourceId& name, const PeResourceId& type) {
    const PeImage* image = ModuleImage(module);
    const PeResourceType* foundType = image ? image->FindType(type) : nullptr;
    const PeResourceName* foundName = foundType ? image->FindName(*foundType, name) : nullptr;
    const PeResourceLeaf* leaf = foundName ? PeImage::PreferredLanguage(*foundName) : nullptr;
    if (!leaf)
        return std::nullopt;
    return *leaf;
}

quint32 SizeofResource(HMODULE module, const HRSRC& resource) {
    return ModuleImage(module) && resource ? resource->size : 0;
}

std::optional<QByteArray> LoadResource(HMODULE module, const HRSRC& resource) {
    const PeImage* image = ModuleImage(module);
    if (!image || !resource)
        return std::nullopt;
    return image->ReadResource(*resource);
}

} // namespace PeModule
