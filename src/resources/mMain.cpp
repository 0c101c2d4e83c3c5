#include "resources/mMain.h"

namespace mMain {

PeModule::HMODULE hResModule = 0;

bool LoadResourceModule(const QString& fileName) {
    // One module at a time: a tree filled again without an unload does not keep the old file
    // open.
    if (hResModule != 0)
        PeModule::FreeLibrary(hResModule);
    hResModule = PeModule::LoadLibraryExA(fileName, PeModule::DONT_RESOLVE_DLL_REFERENCES);
    return hResModule != 0;
}

void UnloadResourceModule() {
    // Pictures are made in memory, so no temporary file is left to delete.
    if (hResModule != 0)
        PeModule::FreeLibrary(hResModule);
}

QString GetResourceTypeName(long type) {
    switch (type) {
    case 1:
        return QStringLiteral("Hardware-dependent cursor resource");
    case 2:
        return QStringLiteral("Bitmap Resource");
    case 3:
        return QStringLiteral("Icon Resource");
    case 4:
        return QStringLiteral("Menu resource");
    case 5:
        return QStringLiteral("Dialog box");
    case 6:
        return QStringLiteral("String-table entry");
    case 7:
        return QStringLiteral("Font directory resource");
    case 8:
        return QStringLiteral("Font resource");
    case 9:
        return QStringLiteral("Accelerator table");
    case 10:
        return QStringLiteral("Application-defined resource (raw data)");
    case 11:
        return QStringLiteral("Message-table entry");
    case 12:
        return QStringLiteral("Hardware-independent cursor resource");
    case 14:
        return QStringLiteral("Hardware-independent icon resource");
    case 16:
        return QStringLiteral("Version resource");
    case 17:
        return QStringLiteral("Header file that contains menu and dialog box #define statements");
    case 19:
        return QStringLiteral("Plug and play resource");
    case 20:
        return QStringLiteral("VXD");
    case 21:
        return QStringLiteral("Animated cursor");
    case 22:
        return QStringLiteral("Animated icon");
    case 23:
        return QStringLiteral("HTML document");
    default:
        return QStringLiteral("User-defined custom resource");
    }
}

QString TrimNull(const QString& text) {
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}

} // namespace mMain
