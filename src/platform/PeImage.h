#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <memory>
#include <optional>

// Reader of the resources of a Windows executable or DLL (PE32 and PE32+ images).
//
// The whole resource directory (types, names, languages and their data entries) is read and
// checked when the image is opened; the resource bytes themselves are read only on request.
// Every offset and size is checked against the file with 64-bit arithmetic. A file that is not
// a PE image, whose headers or sections do not fit in the file, whose resource root cannot be
// read or whose resource directory is absurdly large is refused as a whole, with a reason. A
// damaged entry below the root (out of range, looping, shared between parents, deeper than
// three levels) is left out with what hangs below it, and the rest of the tree is kept.

// A resource type or name: a 16-bit number or a UTF-16 string.
struct PeResourceId {
    bool isName = false;
    quint16 id = 0;
    QString name;

    static PeResourceId Number(quint16 number);
    static PeResourceId Name(const QString& text);
    // The loader's spelling: "#101" is the number 101, any other text is a name. A "#" followed
    // by something that is not a 16-bit decimal number stays a name.
    static PeResourceId FromString(const QString& text);

    // Numbers compare by value, names without regard to case (ASCII letters, as the loader does).
    bool Matches(const PeResourceId& other) const;
    // "#101" for a number, the name itself otherwise.
    QString ToString() const;
    bool operator==(const PeResourceId& other) const = default;
};

// One language of a resource: where its bytes are.
struct PeResourceLeaf {
    quint16 language = 0;
    quint32 rva = 0;
    quint32 size = 0;
    quint32 codePage = 0;
    quint64 fileOffset = 0; // checked: fileOffset + size lies inside the file
};

struct PeResourceName {
    PeResourceId id;
    QList<PeResourceLeaf> languages;
};

struct PeResourceType {
    PeResourceId id;
    QList<PeResourceName> names;
};

class PeSource;

class PeImage {
public:
    // Limits that keep a hostile file from making the reader slow or greedy. No real executable
    // comes near them.
    static constexpr int kMaxDirectoryEntries = 1 << 20;  // all levels together
    static constexpr qint64 kMaxNameCharacters = 1 << 22; // all resource names together

    ~PeImage();
    PeImage(const PeImage&) = delete;
    PeImage& operator=(const PeImage&) = delete;

    // Opens the file and keeps it open (read-only) while the image lives, as the loader does.
    // Null with `error` set when the file cannot be read or is refused.
    static std::unique_ptr<PeImage> Open(const QString& fileName, QString* error = nullptr);
    // The same over bytes in memory.
    static std::unique_ptr<PeImage> FromBytes(const QByteArray& bytes, QString* error = nullptr);

    bool IsPe32Plus() const { return mPe32Plus; }
    quint16 Machine() const { return mMachine; }
    quint64 FileSize() const;

    // Types in directory order (named types first as the linker sorts them, then numbers).
    const QList<PeResourceType>& ResourceTypes() const { return mTypes; }
    const PeResourceType* FindType(const PeResourceId& type) const;
    const PeResourceName* FindName(const PeResourceType& type, const PeResourceId& name) const;
    // The language the loader would choose when none is asked for: neutral, then the neutral
    // default and system default variants, then US English, then the first one listed. Null
    // for a name without languages.
    static const PeResourceLeaf* PreferredLanguage(const PeResourceName& name);

    // How many damaged directory entries were left out of ResourceTypes().
    int SkippedEntries() const { return mSkippedEntries; }

    // The bytes of one resource; no value when the file can no longer be read.
    std::optional<QByteArray> ReadResource(const PeResourceLeaf& leaf) const;

private:
    explicit PeImage(std::unique_ptr<PeSource> source);
    bool Parse(QString& error);

    std::unique_ptr<PeSource> mSource;
    bool mPe32Plus = false;
    quint16 mMachine = 0;
    QList<PeResourceType> mTypes;
    int mSkippedEntries = 0;
};
