#include "widgets/PrintPane.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <dlfcn.h>

namespace {

constexpr char kLibrary[] = "libtessaro-orvane-print.so";
constexpr char kFactory[] = "orv_create_print_pane";
using Factory = PrintPane* (*)(QWidget* parent, PrintPaneSetup* setup);

// The library's pane maker; loaded once and kept. A failed load is tried again next time.
Factory LoadFactory(QString& error) {
    static Factory factory = nullptr;
    if (factory)
        return factory;
    // Only the program's own folder is searched: the library comes with the program.
    const QString file =
        QDir(QCoreApplication::applicationDirPath()).filePath(QLatin1String(kLibrary));
    void* library = dlopen(QFile::encodeName(file).constData(), RTLD_NOW | RTLD_LOCAL);
    const QString failure = library ? QString() : QString::fromLocal8Bit(dlerror());
    // A program linked with the library (the tests) has it loaded already.
    if (!library)
        library = dlopen(kLibrary, RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD);
    if (library)
        factory = reinterpret_cast<Factory>(dlsym(library, kFactory));
    if (!factory)
        error =
            library ? QStringLiteral("%1 has no %2").arg(file, QLatin1String(kFactory)) : failure;
    return factory;
}

} // namespace

std::unique_ptr<PrintPane> CreatePrintPane(QWidget* parent, PrintPaneSetup setup, QString& error) {
    const Factory factory = LoadFactory(error);
    return std::unique_ptr<PrintPane>(factory ? factory(parent, &setup) : nullptr);
}
