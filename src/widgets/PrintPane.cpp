#include "widgets/PrintPane.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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
    // A build tree has the library beside the executable. An installed program has it in a
    // folder of its own that the executable's run path names, which a bare name searches; a
    // program linked with the library (the tests) finds it loaded already under that name.
    const QString beside =
        QDir(QCoreApplication::applicationDirPath()).filePath(QLatin1String(kLibrary));
    const QString file = QFileInfo::exists(beside) ? beside : QLatin1String(kLibrary);
    void* library = dlopen(QFile::encodeName(file).constData(), RTLD_NOW | RTLD_LOCAL);
    const QString failure = library ? QString() : QString::fromLocal8Bit(dlerror());
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
