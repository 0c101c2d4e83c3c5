// libFuzzer target: any bytes as an executable whose resources are read and made into
// pictures, and any bytes as the data of an icon, cursor or bitmap resource.

#include "platform/PeImage.h"
#include "platform/ResourceImages.h"

#include <QCoreApplication>
#include <cstddef>
#include <cstdint>

namespace {

// Pictures made per input, so that an image with thousands of icons stays quick.
constexpr int kMaxPictures = 16;

void MakePicture(const PeResourceId& type, const QByteArray& data, int& made) {
    if (made >= kMaxPictures || type.isName)
        return;
    switch (type.id) {
    case 1:
        ResourceImages::FromIconResource(data, false);
        break;
    case 2:
        ResourceImages::FromBitmapResource(data, ResourceImages::Map3DColors{1, 2, 3});
        break;
    case 3:
        ResourceImages::FromIconResource(data, true);
        break;
    default:
        return;
    }
    ++made;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // The image plugins (ICO) are found through the application object.
    static QCoreApplication app(*argc, *argv);
    // The decoders' complaints about broken images would drown libFuzzer's own output.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Not copied: a read past the end of the input reaches past libFuzzer's exact buffer.
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (const auto image = PeImage::FromBytes(bytes)) {
        int made = 0;
        for (const PeResourceType& type : image->ResourceTypes()) {
            if (image->FindType(type.id) == nullptr)
                __builtin_trap();
            for (const PeResourceName& name : type.names) {
                const PeResourceLeaf* leaf = PeImage::PreferredLanguage(name);
                if (!leaf)
                    continue;
                if (leaf->fileOffset + leaf->size > size)
                    __builtin_trap(); // the reader promised to stay inside the file
                const auto resource = image->ReadResource(*leaf);
                if (!resource || resource->size() != qsizetype(leaf->size))
                    __builtin_trap();
                MakePicture(type.id, *resource, made);
            }
        }
        return 0;
    }
    // Other input: the first byte chooses the resource kind, the rest is its data.
    if (size < 1)
        return 0;
    const QByteArray rest = QByteArray::fromRawData(reinterpret_cast<const char*>(data + 1),
                                                    static_cast<qsizetype>(size - 1));
    switch (data[0] % 3) {
    case 0:
        ResourceImages::FromIconResource(rest, true);
        break;
    case 1:
        ResourceImages::FromIconResource(rest, false);
        break;
    default:
        ResourceImages::FromBitmapResource(rest, ResourceImages::Map3DColors{1, 2, 3});
        break;
    }
    return 0;
}
