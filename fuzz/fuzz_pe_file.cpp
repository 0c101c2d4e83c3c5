// libFuzzer target: any bytes as an executable on disk, opened as the resource viewer opens it
// (a module over a file kept open) and its cursors, bitmaps and icons made into pictures
// through mGetResource, size caps included.
//
// The first byte stretches the file, without writing (sparse), by that many 16 MB steps (up to
// 4 GB), so that a directory claiming gigabytes of data can be valid: a reader that reads such
// a claim whole shows up as a timeout or an out-of-memory finding.

#include "platform/PeImage.h"
#include "platform/PeModule.h"
#include "resources/mGetResource.h"
#include "resources/mMain.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

namespace {

// Pictures made per input, so that an image with thousands of icons stays quick.
constexpr int kMaxPictures = 16;
constexpr qint64 kStretchStep = qint64(16) << 20;

QString gPath;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    static QTemporaryDir dir;
    if (!dir.isValid())
        qFatal("fuzz_pe_file: no temporary directory for the executable under test");
    gPath = dir.filePath(QStringLiteral("input.exe"));
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    {
        QFile file(gPath);
        const qint64 length = qint64(size - 1);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(reinterpret_cast<const char*>(data + 1), length) != length ||
            !file.resize(length + data[0] * kStretchStep))
            __builtin_trap(); // the harness itself failed, not the reader
    }
    mMain::LoadResourceModule(gPath);
    if (const PeImage* image = PeModule::ModuleImage(mMain::hResModule)) {
        int made = 0;
        for (const PeResourceType& type : image->ResourceTypes()) {
            if (type.id.isName || type.id.id < PeModule::RT_CURSOR ||
                type.id.id > PeModule::RT_ICON)
                continue;
            for (const PeResourceName& name : type.names) {
                if (made++ >= kMaxPictures)
                    break;
                QString problem;
                const auto picture = mGetResource::GetResourcePicture(QString::number(type.id.id),
                                                                      name.id.ToString(), &problem);
                // A listed cursor, bitmap or icon without a picture always says why.
                if (!picture && problem.isEmpty())
                    __builtin_trap();
            }
        }
    }
    mMain::UnloadResourceModule();
    if (PeModule::LoadedModuleCount() != 0)
        __builtin_trap();
    return 0;
}
