#pragma once

#include "catalogue/Recordset.h"

#include <QHash>
#include <QImage>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <optional>

// The catalogue: programs, folder entries, Allow/Deny rules of users and groups, and logo
// themes. SQLite in the file given to OpenDatabase is the embedded default; a path of the
// form "postgresql://user@host:port/database?sslmode=..." opens a shared PostgreSQL catalogue
// (see CatalogAddress.h for where its address and password come from).
//
// Every statement is prepared with bound values. Operations that refuse (a duplicate name, a
// missing row) return false and change nothing, also when another program sharing the
// catalogue took the name or removed the row a moment before: each check and its write are
// one statement or one transaction. A failing database (gone, corrupt, read-only, locked by
// another program for longer than a few seconds) throws OrvError with a text that says what
// failed, where, and what to do.
//
// Program names are trimmed of spaces when stored and compare in upper case (one program
// per name, whatever its letter case; QString::toUpper, so "Ärger" and "ärger" are one
// name); principal, folder and theme names compare exactly. Empty names (after trimming) are
// refused everywhere. Text fields other than names are stored as given; a null field stays
// null only where nothing was ever stored (the stores write empty strings, never NULL text).
//
// Listing orders (they fix the order of every list built from them):
//   GetPrograms: program name in upper case (names are unique in upper case);
//   GetPermissionsBy*: program name in upper case, then principal name (exact, by code
//     point), then insertion order;
//   rule listings (GetGroupPermissions, GetUserPermissions, GetProgram*Permissions):
//     the order in which the rules were added;
//   GetFolders, GetThemes: the order in which they were added.
//
// Picture files are written as BMP into the user's picture directory (AppPaths): a program's
// icon as PictureFile(name), a theme logo as LogoFile(field). Stored pictures are the
// bytes of the picture file given (any format Qt reads: BMP, PNG, ICO, GIF, JPEG...).
//
// Engine notes: the SQLite file keeps the default rollback journal (no WAL: WAL needs a
// writable directory even to read, and the catalogue may sit in a read-only program
// directory or on a network share). A catalogue that can only be read (read-only file or
// directory) opens for reading; its first write throws OrvError naming the file. A statement
// waits a few seconds for another program's lock before it gives up. A new catalogue file is
// readable by every user and writable by its owner. On PostgreSQL, writers take one advisory
// lock in turn, as SQLite's writers take the file's; a lost server connection is opened again
// once by the next call. ModifyProgram and SetProgramIcon throw OrvError ("changed by someone
// else") when the program changed since this store last read it with GetProgram(s).
//
// The catalogue records its schema version (CatalogSchema.h): an older one is upgraded in one
// transaction when opened; a newer one is refused unchanged.
class CatalogStore {
public:
    enum PrincipalKind { KindUser = 1, KindGroup = 2 };
    enum RuleStatus { StatusDeny = 0, StatusAllow = 1 };
    static constexpr int kDefaultServerTimeoutSeconds = 30;

    CatalogStore();
    ~CatalogStore();
    CatalogStore(const CatalogStore&) = delete;
    CatalogStore& operator=(const CatalogStore&) = delete;

    // Opens (and on first use creates, with its schema and the default theme "Default") the
    // catalogue. Throws OrvError when the file is not a catalogue, cannot be created or
    // written, or the server cannot be reached. An existing empty database (no tables) is
    // made a catalogue; a database with other tables is not a catalogue. Opening again
    // closes the catalogue opened before. Returns True.
    QVariant OpenDatabase(const QString& path);
    // As OpenDatabase; `password` (when not empty) signs in to a PostgreSQL server.
    QVariant OpenDatabase(const QString& path, const QString& password);
    // Whether `path` names a catalogue server ("postgresql://...") rather than a file.
    static bool IsServerAddress(const QString& path);
    // Opens an existing catalogue only to read it, as the copy tool reads its source: nothing
    // is created, upgraded or repaired, a missing file stays missing, and every write fails.
    // A catalogue of an older schema is read as it is.
    void OpenReadOnly(const QString& path, const QString& password = {});
    // Before OpenDatabase: how long a statement may take on a PostgreSQL server. A server that
    // stays silent a few seconds longer (stopped, unreachable) is given up and its connection
    // closed; a dead connection is noticed within this time too.
    void SetServerTimeout(int seconds) { mServerTimeoutSeconds = seconds; }
    // The directory that receives exported pictures.
    void SetAppPath(const QString& pictureDir);
    // The picture exported for a program that has no icon of its own.
    void SetDefaultIcon(const QString& iconFile);

    // Programs. Fields: Program_Name, Program_Desc, Program_Path, Program_StartInDir,
    // Program_StartUpParms, Program_Added_Date (a QDateTime).
    Recordset GetPrograms();
    Recordset GetProgram(const QString& name);
    // The names of GetPrograms, in its order, without the other columns: for the launcher
    // list, which shows nothing else. (CatalogLauncherRows.cpp)
    QStringList GetProgramNames();
    // Every program's description by its name as GetProgramNames lists it, in one read: the
    // launcher's search and tooltips read them once, when first needed.
    // (CatalogLauncherRows.cpp)
    QHash<QString, QString> GetProgramDescriptions();
    // Fields: ProgramName, AddedDate, ProgramPath.
    Recordset GetProgramProperties(const QString& name);
    // The stored value, or an empty string when the program does not exist.
    QString GetProgramPath(const QString& name);
    QString GetProgramStartInDir(const QString& name);
    QString GetProgramStartUpParms(const QString& name);
    // `iconFile`, when not empty, is a picture file whose bytes become the program's icon.
    // False when the trimmed name is empty or taken. An icon file that cannot be read or is
    // not a picture does not stop the add: the program is stored without an icon and shows
    // the default icon.
    bool AddProgram(const QString& name, const QString& description, const QString& path,
                    const QString& iconFile, const QString& startInDir,
                    const QString& startUpParms);
    // Changes a program; a new name keeps its rules and icon. False when the old name is
    // unknown or the new name belongs to another program.
    bool ModifyProgram(const QString& oldName, const QString& newName, const QString& description,
                       const QString& path, const QString& startInDir, const QString& startUpParms);
    // Replaces a program's icon with the bytes of a picture file; an empty file name removes
    // the icon. False when the program is unknown or the file cannot be read or is not a
    // picture (the old icon stays).
    bool SetProgramIcon(const QString& name, const QString& pictureFile);
    // Removes the program with its rules and its exported picture.
    bool DeleteProgram(const QString& name);
    // Writes the program's icon (or the default icon, when it has none or it cannot be
    // decoded) as a BMP to PictureFile(name), `name` as given; `picture`, when given, receives
    // the picture the file holds. False when the program is unknown or no file could be
    // written.
    bool ExportProgramIcon(const QString& name, QImage* picture = nullptr);
    // The stored icons of `names` in one read, by name as given: a null array for a program
    // without an icon of its own; names the catalogue does not hold are left out. The
    // launcher reads the icons of a screenful of programs at once and writes each picture
    // when it is shown, with the overload below.
    QHash<QString, QByteArray> GetProgramIcons(const QStringList& names);
    // As ExportProgramIcon, from `icon` as GetProgramIcons read it.
    bool ExportProgramIcon(const QString& name, const QByteArray& icon, QImage* picture);

    // One rule of a principal, as the access decision reads it.
    struct Rule {
        QString program; // the program's name as stored
        QString key;     // the same as names compare: trimmed, in upper case
        int status = StatusDeny;
    };
    using Rules = QList<Rule>;
    // The rules of a group / of a user, in the order they were added; a principal has at
    // most one rule per program. A user's rules are those of the stored user with that exact
    // name and exact SID (an empty SID matches only a user stored with an empty SID).
    Rules GroupRules(const QString& group);
    Rules UserRules(const QString& user, const QString& userSid);
    // The same as records. Group rules: Program_Name, Status. User rules: Username, PrgName,
    // Status.
    Recordset GetGroupPermissions(const QString& group);
    Recordset GetUserPermissions(const QString& user, const QString& userSid);
    // Within a ReadScope: reads the rules of all `groups` in one statement, so that the
    // GroupRules that follow answer from them. Outside one it does nothing.
    void PrefetchGroupPermissions(const QStringList& groups);

    // Between its start and its end, the rules of each principal are read from the catalogue
    // once (a start asks for a user's rules for his permission set and again for his list);
    // a change made through this store meanwhile is seen all the same. Scopes nest.
    class ReadScope {
    public:
        explicit ReadScope(CatalogStore& store);
        ~ReadScope();
        ReadScope(const ReadScope&) = delete;
        ReadScope& operator=(const ReadScope&) = delete;

    private:
        CatalogStore& mStore;
    };

    // A number that every change of the catalogue, by any program, makes larger: a launcher
    // compares it to see whether its list must be built again. 0 for a catalogue never changed
    // since it was made.
    qint64 ChangeStamp();
    // The change stamp as the catalogue was opened, read with its format (no statement).
    qint64 StampWhenOpened() const;
    // Closes the connection to a catalogue server while the program has nothing to ask it
    // (no open change, no read scope); the next call connects again. A launcher left open all
    // day then holds no connection. Nothing on SQLite.
    void ReleaseConnection();
    // Fields GroupName, Status / Username, Status.
    Recordset GetProgramGroupPermissions(const QString& program);
    Recordset GetProgramUserPermissions(const QString& program);
    // The integer keys; 0 when there is no such row.
    long GetProgramId(const QString& program);
    long GetObjectId(const QString& principal, int kind);
    // Stores a rule of an existing principal for an existing program; a rule of the same
    // principal for the same program is replaced (the new rule is the newest in insertion
    // order). False when the principal (of that kind) or the program is unknown.
    bool AddPermission(const QString& principal, int status, const QString& program, int kind);
    bool DeletePermission(long principalId, long programId);
    // DeletePermission(principalId, programId) followed by AddPermission(principal, status,
    // program, kind), in one transaction: when the new rule cannot be stored (false, or a
    // failure thrown) the earlier rule is still there. False when the principal (of that
    // kind) or the program is unknown; nothing is changed then. (CatalogRuleEdit.cpp)
    bool ReplacePermission(long principalId, long programId, const QString& principal, int status,
                           const QString& program, int kind);

    bool UserExists(const QString& name);
    bool GroupExists(const QString& name);
    bool AddUser(const QString& name, const QString& sid);
    bool AddGroup(const QString& name);

    // Reports. Fields: PrgName, ObjectName, Status.
    Recordset GetPermissionsByGroup();
    Recordset GetPermissionsByUser();

    // Folder entries. Fields: Folder_Name, Folder_Path.
    Recordset GetFolders();
    bool AddFolder(const QString& name, const QString& path);
    // Removes every entry of that name; when none has exactly that name, every entry whose
    // name trimmed of spaces equals it trimmed (the windows show names trimmed). False when
    // nothing was removed.
    bool DeleteFolder(const QString& name);

    // Themes. Fields: Theme_Name, Theme_LogoSplash, Theme_LogoSetup, Theme_LogoAddRemove
    // (the pictures' bytes; empty when the theme has none).
    Recordset GetThemes();
    Recordset GetTheme(const QString& name);
    // Writes one logo of a theme as a BMP to LogoFile(field).
    bool ExportThemeLogo(const QString& theme, const QString& field);
    // Each logo argument is a picture file or an empty string. False when the trimmed name is
    // empty, the name exists, or a given file cannot be read or is not a picture (then
    // nothing is stored).
    bool CreateTheme(const QString& name, const QString& splashFile, const QString& addRemoveFile,
                     const QString& setupFile);
    // The theme named "Default" cannot be deleted (False, as for an unknown theme). Deleting
    // another theme that is the default makes "Default" the default again.
    bool DeleteTheme(const QString& name);
    // Exactly one theme is the default. False when the theme is unknown.
    bool SetDefaultTheme(const QString& name);
    // The default theme's name ("Default" when a damaged catalogue flags none).
    QString GetDefaultTheme();

    // Copies every program, rule, principal, folder entry and theme, pictures and keys
    // included, into `target`, in one transaction of the target. Throws OrvError when the
    // target holds anything but the theme "Default" of a new catalogue. (CatalogCopy.cpp)
    void CopyInto(CatalogStore& target);

private:
    struct State; // the open connection: engine, prepared statements (CatalogState.h)
    QSqlDatabase Db() const;
    void CloseConnection();
    static void CreateSqliteCatalogue(const QString& file);
    void Open(const QString& path, const QString& password, bool readOnly);
    QString PictureFileOf(const QString& name) const;
    void RemovePictures(const QStringList& names) const;

    QString mConnectionName;
    int mServerTimeoutSeconds = kDefaultServerTimeoutSeconds;
    QString mPictureDir;
    QString mDefaultIcon;
    std::unique_ptr<State> mState;
};
