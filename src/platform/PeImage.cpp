#include "platform/PeImage.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QtEndian>
#include <algorithm>
#include <limits>

// Where the bytes of an image come from: a file kept open, or memory. Reads are all-or-nothing
// and never leave the source.
class PeSource {
public:
    virtual ~PeSource() = default;
    virtual quint64 Size() const = 0;
    // False unless exactly `length` bytes at `offset` were read.
    virtual bool Read(quint64 offset, quint64 length, QByteArray& out) const = 0;

protected:
    bool InRange(quint64 offset, quint64 length) const {
        const quint64 size = Size();
        return offset <= size && length <= size - offset &&
               length <= static_cast<quint64>(std::numeric_limits<qsizetype>::max());
    }
};

namespace {

class MemorySource final : public PeSource {
public:
    explicit MemorySource(QByteArray bytes) : mBytes(std::move(bytes)) {}
    quint64 Size() const override { return static_cast<quint64>(mBytes.size()); }
    bool Read(quint64 offset, quint64 length, QByteArray& out) const override {
        if (!InRange(offset, length))
            return false;
        out = mBytes.mid(static_cast<qsizetype>(offset), static_cast<qsizetype>(length));
        return true;
    }

private:
    QByteArray mBytes;
};

class FileSource final : public PeSource {
public:
    FileSource(const QString& fileName, quint64 size) : mFile(fileName), mSize(size) {}
    bool Open() { return mFile.open(QIODevice::ReadOnly); }
    quint64 Size() const override { return mSize; }
    bool Read(quint64 offset, quint64 length, QByteArray& out) const override {
        if (!InRange(offset, length))
            return false;
        if (!mFile.seek(static_cast<qint64>(offset)))
            return false;
        out = mFile.read(static_cast<qint64>(length));
        // A file that shrank since it was opened gives a short read.
        return static_cast<quint64>(out.size()) == length;
    }

private:
    mutable QFile mFile;
    quint64 mSize;
};

quint16 U16(const QByteArray& bytes, qsizetype at) {
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}
quint32 U32(const QByteArray& bytes, qsizetype at) {
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

struct Section {
    quint32 virtualAddress;
    quint32 virtualSize;
    quint32 rawSize;
    quint32 rawPointer;
};

constexpr quint32 kHighBit = 0x80000000u;
constexpr int kDirectoryHeaderSize = 16;
constexpr int kDirectoryEntrySize = 8;
constexpr int kDataEntrySize = 16;
constexpr int kSectionHeaderSize = 40;
constexpr int kResourceDirectoryIndex = 2;

// Walks the resource directory: type, name and language levels, then the data entries.
class ResourceWalker {
public:
    ResourceWalker(const PeSource& source, const QList<Section>& sections, quint32 rootRva)
        : mSource(source), mSections(sections), mRoot(rootRva) {}

    // Reads the tree below the root. A damaged entry (out of range, looping, at the wrong
    // level) is left out with everything below it, so that one bad icon does not hide the
    // good ones; a name left without languages and a type left without names go with it.
    // Only a root that cannot be read, or a tree beyond the size limits, refuses the image.
    bool Walk(QList<PeResourceType>& types, QString& error) {
        QList<Entry> typeEntries;
        if (!ReadDirectory(0, typeEntries, error))
            return false;
        for (const Entry& typeEntry : typeEntries) {
            QList<Entry> nameEntries;
            if (!typeEntry.isDirectory || !ReadDirectory(typeEntry.target, nameEntries, error)) {
                if (mOverLimit)
                    return false;
                ++mSkipped;
                continue;
            }
            PeResourceType type{typeEntry.id, {}};
            for (const Entry& nameEntry : nameEntries) {
                QList<Entry> languageEntries;
                if (!nameEntry.isDirectory ||
                    !ReadDirectory(nameEntry.target, languageEntries, error)) {
                    if (mOverLimit)
                        return false;
                    ++mSkipped;
                    continue;
                }
                PeResourceName name{nameEntry.id, {}};
                for (const Entry& languageEntry : languageEntries) {
                    PeResourceLeaf leaf;
                    if (ReadLeaf(languageEntry, leaf))
                        name.languages.append(leaf);
                    else
                        ++mSkipped;
                }
                if (name.languages.isEmpty() && !languageEntries.isEmpty())
                    continue;
                type.names.append(std::move(name));
            }
            if (type.names.isEmpty() && !nameEntries.isEmpty())
                continue;
            types.append(std::move(type));
        }
        return true;
    }

    // Entries left out of the tree because they were damaged.
    int Skipped() const { return mSkipped; }

    // The file offset of `length` bytes at `rva`, when they lie in the file data of one section.
    static std::optional<quint64> MapRva(const QList<Section>& sections, quint64 rva,
                                         quint64 length) {
        for (const Section& s : sections) {
            // A section without file data (uninitialised data) holds no resource bytes; its
            // raw pointer is not checked and means nothing.
            if (s.rawSize == 0 || rva < s.virtualAddress)
                continue;
            const quint64 delta = rva - s.virtualAddress;
            const quint64 span = std::max(s.virtualSize, s.rawSize);
            if (delta > span || (delta == span && length > 0))
                continue;
            if (delta + length > s.rawSize)
                continue;
            return quint64(s.rawPointer) + delta;
        }
        return std::nullopt;
    }

private:
    struct Entry {
        PeResourceId id;
        bool isDirectory;
        quint32 target; // offset from the directory root
    };

    static bool Fail(QString& error, const QString& reason) {
        error = reason;
        return false;
    }

    // Reads `length` bytes at an offset from the root of the resource directory.
    bool ReadRelative(quint64 offset, quint64 length, QByteArray& out) const {
        const auto fileOffset = MapRva(mSections, quint64(mRoot) + offset, length);
        return fileOffset && mSource.Read(*fileOffset, length, out);
    }

    bool ReadDirectory(quint32 offset, QList<Entry>& entries, QString& error) {
        // Each directory belongs to one parent: a second visit is a loop or a shared subtree,
        // both of which would let a small file describe an endless or enormous tree.
        if (mVisited.contains(offset))
            return Fail(error, QStringLiteral("the resource directory loops"));
        mVisited.insert(offset);
        QByteArray header;
        if (!ReadRelative(offset, kDirectoryHeaderSize, header))
            return Fail(error, QStringLiteral("a resource directory lies outside the file"));
        const int count = U16(header, 12) + U16(header, 14);
        mEntriesLeft -= count;
        if (mEntriesLeft < 0) {
            mOverLimit = true;
            return Fail(error, QStringLiteral("the resource directory has too many entries"));
        }
        QByteArray table;
        if (!ReadRelative(quint64(offset) + kDirectoryHeaderSize,
                          quint64(count) * kDirectoryEntrySize, table))
            return Fail(error, QStringLiteral("resource directory entries lie outside the file"));
        entries.reserve(count);
        for (int i = 0; i < count; ++i) {
            const quint32 nameField = U32(table, i * kDirectoryEntrySize);
            const quint32 dataField = U32(table, i * kDirectoryEntrySize + 4);
            Entry entry{{}, (dataField & kHighBit) != 0, dataField & ~kHighBit};
            if (nameField & kHighBit) {
                if (!ReadName(nameField & ~kHighBit, entry.id, error)) {
                    if (mOverLimit)
                        return false;
                    ++mSkipped; // its name lies outside the file
                    continue;
                }
            } else if (nameField > 0xFFFF) {
                ++mSkipped; // a number wider than 16 bits
                continue;
            } else {
                entry.id = PeResourceId::Number(static_cast<quint16>(nameField));
            }
            entries.append(std::move(entry));
        }
        return true;
    }

    bool ReadName(quint32 offset, PeResourceId& id, QString& error) {
        QByteArray lengthBytes;
        if (!ReadRelative(offset, 2, lengthBytes))
            return Fail(error, QStringLiteral("a resource name lies outside the file"));
        const quint16 length = U16(lengthBytes, 0);
        mNameCharactersLeft -= length;
        if (mNameCharactersLeft < 0) {
            mOverLimit = true;
            return Fail(error, QStringLiteral("the resource names are too long"));
        }
        QByteArray text;
        if (!ReadRelative(quint64(offset) + 2, quint64(length) * 2, text))
            return Fail(error, QStringLiteral("a resource name lies outside the file"));
        QString name(length, Qt::Uninitialized);
        for (int i = 0; i < length; ++i)
            name[i] = QChar(U16(text, i * 2));
        id = PeResourceId::Name(name);
        return true;
    }

    // False when the entry is not a language of a resource or its data lies outside the file.
    bool ReadLeaf(const Entry& entry, PeResourceLeaf& leaf) const {
        // A fourth level, or a language given as a name, is not a resource the loader reads.
        if (entry.isDirectory || entry.id.isName)
            return false;
        QByteArray data;
        if (!ReadRelative(entry.target, kDataEntrySize, data))
            return false;
        leaf.language = entry.id.id;
        leaf.rva = U32(data, 0);
        leaf.size = U32(data, 4);
        leaf.codePage = U32(data, 8);
        if (leaf.size == 0)
            return true; // nothing to read, wherever it points
        const auto fileOffset = MapRva(mSections, leaf.rva, leaf.size);
        if (!fileOffset)
            return false;
        leaf.fileOffset = *fileOffset;
        return true;
    }

    const PeSource& mSource;
    const QList<Section>& mSections;
    quint32 mRoot;
    QSet<quint32> mVisited;
    qint64 mEntriesLeft = PeImage::kMaxDirectoryEntries;
    qint64 mNameCharactersLeft = PeImage::kMaxNameCharacters;
    bool mOverLimit = false;
    int mSkipped = 0;
};

} // namespace

PeResourceId PeResourceId::Number(quint16 number) {
    return {false, number, {}};
}

PeResourceId PeResourceId::Name(const QString& text) {
    return {true, 0, text};
}

PeResourceId PeResourceId::FromString(const QString& text) {
    if (text.startsWith(u'#') && text.size() > 1) {
        bool ok = false;
        const uint number = QStringView(text).mid(1).toUInt(&ok, 10);
        const bool digitsOnly = std::all_of(text.begin() + 1, text.end(),
                                            [](QChar c) { return c >= u'0' && c <= u'9'; });
        if (ok && digitsOnly && number <= 0xFFFF)
            return Number(static_cast<quint16>(number));
    }
    return Name(text);
}

bool PeResourceId::Matches(const PeResourceId& other) const {
    if (isName != other.isName)
        return false;
    if (!isName)
        return id == other.id;
    if (name.size() != other.name.size())
        return false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        char16_t a = name.at(i).unicode();
        char16_t b = other.name.at(i).unicode();
        if (a >= u'a' && a <= u'z')
            a -= 32;
        if (b >= u'a' && b <= u'z')
            b -= 32;
        if (a != b)
            return false;
    }
    return true;
}

QString PeResourceId::ToString() const {
    return isName ? name : QStringLiteral("#%1").arg(id);
}

PeImage::PeImage(std::unique_ptr<PeSource> source) : mSource(std::move(source)) {}
PeImage::~PeImage() = default;

quint64 PeImage::FileSize() const {
    return mSource->Size();
}

std::unique_ptr<PeImage> PeImage::Open(const QString& fileName, QString* error) {
    QString reason;
    const QFileInfo info(fileName);
    // Only a regular file: a directory gives nothing to read and a pipe or device could block.
    if (fileName.isEmpty() || !info.exists()) {
        reason = QStringLiteral("the file does not exist");
    } else if (!info.isFile()) {
        reason = QStringLiteral("the path is not a regular file");
    } else {
        auto source = std::make_unique<FileSource>(fileName, static_cast<quint64>(info.size()));
        if (!source->Open()) {
            reason = QStringLiteral("the file cannot be opened");
        } else {
            std::unique_ptr<PeImage> image(new PeImage(std::move(source)));
            if (image->Parse(reason))
                return image;
        }
    }
    if (error)
        *error = reason;
    return nullptr;
}

std::unique_ptr<PeImage> PeImage::FromBytes(const QByteArray& bytes, QString* error) {
    std::unique_ptr<PeImage> image(new PeImage(std::make_unique<MemorySource>(bytes)));
    QString reason;
    if (image->Parse(reason))
        return image;
    if (error)
        *error = reason;
    return nullptr;
}

bool PeImage::Parse(QString& error) {
    const PeSource& source = *mSource;
    QByteArray dos;
    if (!source.Read(0, 64, dos) || dos.at(0) != 'M' || dos.at(1) != 'Z') {
        error = QStringLiteral("not a PE image: no MZ header");
        return false;
    }
    const quint64 peOffset = U32(dos, 0x3C);
    QByteArray coff;
    if (!source.Read(peOffset, 24, coff) || !coff.startsWith(QByteArray("PE\0\0", 4))) {
        error = QStringLiteral("not a PE image: no PE signature");
        return false;
    }
    mMachine = U16(coff, 4);
    const quint16 sectionCount = U16(coff, 6);
    const quint16 optionalSize = U16(coff, 20);
    const quint64 optionalOffset = peOffset + 24;
    QByteArray optional;
    if (optionalSize < 2 || !source.Read(optionalOffset, optionalSize, optional)) {
        error = QStringLiteral("the optional header lies outside the file");
        return false;
    }
    const quint16 magic = U16(optional, 0);
    if (magic != 0x10B && magic != 0x20B) {
        error = QStringLiteral("not a PE32 or PE32+ image");
        return false;
    }
    mPe32Plus = magic == 0x20B;
    const qsizetype countOffset = mPe32Plus ? 108 : 92;
    const qsizetype directoriesOffset = countOffset + 4;
    if (optional.size() < directoriesOffset) {
        error = QStringLiteral("the optional header is too short");
        return false;
    }
    const quint32 directoryCount = U32(optional, countOffset);
    quint32 resourceRva = 0;
    if (directoryCount > kResourceDirectoryIndex &&
        optional.size() >= directoriesOffset + (kResourceDirectoryIndex + 1) * 8)
        resourceRva = U32(optional, directoriesOffset + kResourceDirectoryIndex * 8);

    QByteArray table;
    if (!source.Read(optionalOffset + optionalSize, quint64(sectionCount) * kSectionHeaderSize,
                     table)) {
        error = QStringLiteral("the section table lies outside the file");
        return false;
    }
    QList<Section> sections;
    sections.reserve(sectionCount);
    for (int i = 0; i < sectionCount; ++i) {
        const qsizetype at = qsizetype(i) * kSectionHeaderSize;
        Section s{U32(table, at + 12), U32(table, at + 8), U32(table, at + 16),
                  U32(table, at + 20)};
        // As the loader does: every section's file data must be in the file.
        if (s.rawSize > 0 && quint64(s.rawPointer) + s.rawSize > source.Size()) {
            error = QStringLiteral("a section extends beyond the end of the file");
            return false;
        }
        sections.append(s);
    }
    if (resourceRva == 0)
        return true;
    ResourceWalker walker(source, sections, resourceRva);
    QList<PeResourceType> types;
    if (!walker.Walk(types, error))
        return false;
    mTypes = std::move(types);
    mSkippedEntries = walker.Skipped();
    return true;
}

const PeResourceType* PeImage::FindType(const PeResourceId& type) const {
    for (const PeResourceType& t : mTypes)
        if (t.id.Matches(type))
            return &t;
    return nullptr;
}

const PeResourceName* PeImage::FindName(const PeResourceType& type,
                                        const PeResourceId& name) const {
    for (const PeResourceName& n : type.names)
        if (n.id.Matches(name))
            return &n;
    return nullptr;
}

const PeResourceLeaf* PeImage::PreferredLanguage(const PeResourceName& name) {
    for (const quint16 language : {0x0000, 0x0400, 0x0800, 0x0409})
        for (const PeResourceLeaf& leaf : name.languages)
            if (leaf.language == language)
                return &leaf;
    return name.languages.isEmpty() ? nullptr : &name.languages.first();
}

std::optional<QByteArray> PeImage::ReadResource(const PeResourceLeaf& leaf) const {
    QByteArray bytes;
    if (!mSource->Read(leaf.fileOffset, leaf.size, bytes))
        return std::nullopt;
    return bytes;
}
