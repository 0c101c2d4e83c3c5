#include "catalogue/CatalogPictures.h"
#include "catalogue/CatalogStore.h"
#include "platform/AppPaths.h"
#include "platform/OrvError.h"
#include "platform/Text.h"
#include "support/DataRow.h"
#include "support/Errors.h"
#include "support/TestAccount.h"
#include "support/TestCatalogue.h"
#include "support/TestFiles.h"

#include <QDirIterator>
#include <QImageReader>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <functional>
#include <optional>
#include <sqlite3.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

QStringList Column(Recordset rs, const QString& field) {
    QStringList values;
    if (rs.RecordCount() > 0)
        rs.MoveFirst();
    for (; !rs.IsEOF(); rs.MoveNext())
        values.append(rs.Fields(field).toString());
    return values;
}

// The current record's fields, as text.
QStringList Values(const Recordset& rs, const QStringList& fields) {
    QStringList values;
    for (const QString& field : fields)
        values.append(rs.Fields(field).toString());
    return values;
}

QString WritePicture(const QString& file, QSize size, QColor colour, const char* format) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    if (!image.save(file, format))
        qFatal("cannot write %s", qPrintable(file));
    return file;
}

QString WriteText(const QString& file, const QByteArray& text) {
    return WriteFile(file, text) ? file : QString();
}

// Every file below `root`, relative to it.
QStringList FilesBelow(const QString& root) {
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(QDir(root).relativeFilePath(it.next()));
    files.sort();
    return files;
}

// An ICO with one 8-bit paletted 4 x 4 image: palette 0 red, 1 green, 2 blue; the pixel at
// (x, y) has colour (x + y) % 3; the AND mask makes the top-left pixel transparent.
QByteArray PalettedIco() {
    QByteArray ico;
    const auto put = [&ico](std::initializer_list<std::pair<quint32, int>> fields) {
        for (const auto& [value, bytes] : fields)
            for (int i = 0; i < bytes; ++i)
                ico.append(char(value >> (8 * i))); // little-endian
    };
    // The directory's one entry: 4 x 4, 3 colours, 1 plane, 8 bits, 84 bytes at offset 22.
    put({{0, 2}, {1, 2}, {1, 2}, {4, 1}, {4, 1}, {3, 1}, {0, 1}, {1, 2}, {8, 2}, {84, 4}, {22, 4}});
    // The DIB header (its height counts colour and mask rows), then the palette as BGRA.
    put({{40, 4}, {4, 4}, {8, 4}, {1, 2}, {8, 2}, {0, 4}, {0, 4}, {0, 4}, {0, 4}, {3, 4}, {0, 4}});
    put({{0x00ff0000, 4}, {0x0000ff00, 4}, {0x000000ff, 4}});
    for (int row = 3; row >= 0; --row) // bottom-up, 4 bytes a row
        for (int x = 0; x < 4; ++x)
            ico.append(char((x + row) % 3));
    for (int row = 3; row >= 0; --row) // mask rows padded to 32 bits
        put({{row == 0 ? 0x80u : 0u, 4}});
    return ico;
}

struct Rule {
    QString principal;
    int status;
    QString program;
    int kind;
};

} // namespace

class TestCatalogStore : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> mDir;
    std::unique_ptr<CatalogStore> mStore;
    AppPaths mPaths;

    CatalogStore& Store() { return *mStore; }
    QString Root() const { return mDir->path(); }
    QString File(const QString& name) const { return mDir->filePath(name); }
    QString DatabaseFile() const { return mPaths.DatabaseFile(); }
    // The catalogue under test: the SQLite file, or on a PostgreSQL run a database of the
    // test server (its tables are dropped before every test).
    TestCatalogue mCatalogue;
    bool OnPostgres() const { return mCatalogue.OnPostgres(); }

    std::unique_ptr<CatalogStore> OpenStore(const QString& file) {
        auto store = std::make_unique<CatalogStore>();
        store->OpenDatabase(file);
        store->SetAppPath(mPaths.PictureDir());
        store->SetDefaultIcon(mPaths.DefaultIcon());
        return store;
    }

    bool Add(const QString& name, const QString& icon = {}) {
        return Store().AddProgram(name, "About " + name, "/bin/" + name, icon, "/tmp", "--x");
    }

    // Adds the programs, groups and users ("name sid") a test's rules need.
    bool AddAll(const QStringList& programs, const QStringList& groups,
                const QStringList& users = {}) {
        bool done = true;
        for (const QString& name : programs)
            done = Add(name) && done;
        for (const QString& name : groups)
            done = Store().AddGroup(name) && done;
        for (const QString& user : users)
            done = Store().AddUser(user.section(u' ', 0, 0), user.section(u' ', 1)) && done;
        return done;
    }

    bool AddRules(std::initializer_list<Rule> rules) {
        bool done = true;
        for (const Rule& r : rules)
            done = Store().AddPermission(r.principal, r.status, r.program, r.kind) && done;
        return done;
    }

    // The picture exported for a program, or a null image when the export fails.
    QImage Exported(const QString& name) {
        return Store().ExportProgramIcon(name) ? QImage(mPaths.PictureFile(name)) : QImage();
    }

private slots:
    void initTestCase() {
        // The fixed pictures come from the platform's resources, which this makes available
        // to the data functions (they run before init).
        QTemporaryDir dir;
        QCOMPARE(AppPaths(dir.filePath("a"), dir.filePath("p")).EnsureFiles(), QString());
        QVERIFY(QFile::exists(u":/orvane/default.ico"_s));
    }

    void init() {
        mDir = std::make_unique<QTemporaryDir>();
        QVERIFY(mDir->isValid());
        mPaths = AppPaths(File("app"), File("pictures"));
        QCOMPARE(mPaths.EnsureFiles(), QString());
        QString error;
        QVERIFY2(mCatalogue.Prepare(u"orv_catalogstore"_s, DatabaseFile(), error, true),
                 qPrintable(error));
        mStore = OpenStore(mCatalogue.Address());
    }

    void cleanup() {
        mStore.reset();
        mDir.reset();
    }

    // A file in folders that do not exist yet, and an empty file, become catalogues.
    // A missing file becomes a catalogue, made whole before it takes the name: nothing but the
    // catalogue is left in its folder.
    void newFilesBecomeCatalogues() {
        const QString file = File("deep/er/Orvane.mdb");
        auto store = OpenStore(file);
        QCOMPARE(store->GetDefaultTheme(), u"Default"_s);
        QVERIFY(store->AddFolder("Home", "/home/"));
        QCOMPARE(QDir(File("deep/er")).entryList(QDir::Files | QDir::Hidden),
                 QStringList{u"Orvane.mdb"_s});
        // Its text is UTF-16, as Qt reads it: the header's encoding field is 2 (1 is UTF-8).
        QFile raw(file);
        QVERIFY(raw.open(QIODevice::ReadOnly));
        QCOMPARE(raw.read(60).mid(56), QByteArray("\0\0\0\2", 4));
    }

    // Opening another catalogue switches to it; what was written is there when it comes back,
    // also for a new store.
    void openingAgainSwitchesCatalogues() {
        QVERIFY(Add("First", WritePicture(File("i.png"), {20, 10}, Qt::red, "PNG")));
        Store().OpenDatabase(File("other.db"));
        QCOMPARE(Store().GetPrograms().RecordCount(), 0);
        Store().OpenDatabase(mCatalogue.Address());
        QCOMPARE(Store().GetPrograms().RecordCount(), 1);
        mStore = OpenStore(mCatalogue.Address());
        QCOMPARE(Exported("First").size(), QSize(20, 10));
    }

    void notACatalogue_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("names"); // what else the message names
        // A catalogue cut to nothing is damage, not a new catalogue.
        AddRow("empty file", QByteArray(), u"is damaged: the file is empty"_s);
        AddRow("binary", QByteArray("\x00\x01\x02\x03garbage\xff\xfe", 14).repeated(300),
               u"is not a Tessaro Orvane catalogue"_s);
        // Another program's SQLite database: its tables are named.
        QTemporaryDir dir;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"foreign"_s);
            db.setDatabaseName(dir.filePath("foreign.db"));
            QVERIFY(db.open() &&
                    QSqlQuery(db).exec(
                        u"CREATE TABLE invoices (id INTEGER PRIMARY KEY, total REAL)"_s));
            db.close();
        }
        QSqlDatabase::removeDatabase(u"foreign"_s);
        AddRow("database of another program", ReadAll(dir.filePath("foreign.db")),
               u"it holds other tables (invoices"_s);
    }
    void notACatalogue() {
        QFETCH(QByteArray, content);
        QFETCH(QString, names);
        const QString file = WriteText(File("fake.mdb"), content);
        CatalogStore store;
        const auto error = ErrorOf([&] { store.OpenDatabase(file); });
        QVERIFY(error);
        QCOMPARE(error->Number(), ErrorNumber::DatabaseOpen);
        QVERIFY2(error->Description().contains(QDir::toNativeSeparators(file)) &&
                     error->Description().contains(names),
                 qPrintable(error->Description()));
        QCOMPARE(ReadAll(file), content); // untouched
        // The store stays closed: its operations say so instead of crashing.
        QCOMPARE(ErrorNumberOf([&] { store.GetPrograms(); }), ErrorNumber::DatabaseOpen);
    }

    // A store that opened nothing refuses what it is asked; a folder, and a new file in a
    // folder the user may only read, cannot be opened, and the message names them.
    void closedStoreAndUnusablePlacesAreRefused() {
        ORV_AS_TEST_ACCOUNT();
        CatalogStore store;
        const auto closed = ErrorOf([&] { store.AddProgram("X", {}, {}, {}, {}, {}); });
        QVERIFY(closed);
        QCOMPARE(closed->Number(), ErrorNumber::DatabaseOpen);
        const QString locked = File("locked");
        QVERIFY(QDir().mkpath(locked));
        QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
        for (const QString& place : {Root(), locked + "/Orvane.mdb"}) {
            const auto error = ErrorOf([&] { store.OpenDatabase(place); });
            QVERIFY(error);
            QVERIFY2(error->Description().contains(QDir::toNativeSeparators(place)),
                     qPrintable(error->Description()));
        }
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // A catalogue file, or the folder it is in, that the user may only read.
    void readOnlyCatalogueReadsButRefusesWrites_data() {
        AddBoolTable("folder", {{"file", false}, {"folder", true}});
    }
    void readOnlyCatalogueReadsButRefusesWrites() {
        QFETCH(bool, folder);
        if (OnPostgres())
            QSKIP("a file's permissions: SQLite only");
        ORV_AS_TEST_ACCOUNT();
        QVERIFY(Add("Editor"));
        mStore.reset();
        const QString locked = folder ? QFileInfo(DatabaseFile()).absolutePath() : DatabaseFile();
        const QFile::Permissions readOnly =
            folder ? QFile::ReadOwner | QFile::ExeOwner : QFile::ReadOwner | QFile::ReadGroup;
        QVERIFY(QFile::setPermissions(locked, readOnly));
        mStore = OpenStore(DatabaseFile());
        QCOMPARE(Store().GetProgramPath("Editor"), u"/bin/Editor"_s);
        QVERIFY(Store().ExportProgramIcon("Editor")); // pictures go elsewhere
        const std::function<void()> writes[] = {
            [&] { Add("Other"); },
            [&] { Store().DeleteProgram("Editor"); },
            [&] { Store().AddGroup("Staff"); },
            [&] { Store().SetDefaultTheme("Default"); },
        };
        for (const auto& write : writes) {
            const auto error = ErrorOf(write);
            QVERIFY(error);
            QCOMPARE(error->Number(), ErrorNumber::DatabaseWrite);
            QVERIFY2(error->Description().contains(QDir::toNativeSeparators(DatabaseFile())),
                     qPrintable(error->Description()));
        }
        // Nothing changed, and the store still reads.
        QCOMPARE(Column(Store().GetPrograms(), "Program_Name"), QStringList{"Editor"});
        QVERIFY(!Store().GroupExists("Staff"));
        mStore.reset();
        QFile::setPermissions(locked, readOnly | QFile::WriteOwner | QFile::ExeOwner);
    }

    // The date added is the moment of adding; empty fields are stored empty, not NULL.
    void addedProgramKeepsItsDateAndEmptyFields() {
        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        QVERIFY(Store().AddProgram("Notepad", {}, "/usr/bin/notepad", {}, {}, {}));
        const QDateTime after = QDateTime::currentDateTime().addSecs(1);
        Recordset rs = Store().GetProgram("Notepad");
        const QVariant added = rs.Fields("Program_Added_Date");
        QCOMPARE(added.metaType(), QMetaType::fromType<QDateTime>());
        QVERIFY(added.toDateTime() >= before && added.toDateTime() <= after);
        for (const char* field : {"Program_Desc", "Program_StartInDir", "Program_StartUpParms"})
            QVERIFY(!rs.Fields(QLatin1String(field)).isNull());
    }

    void missingProgram() {
        QCOMPARE(Store().GetProgramPath("Ghost"), QString());
        QCOMPARE(Store().GetProgramStartInDir("Ghost"), QString());
        QCOMPARE(Store().GetProgramStartUpParms("Ghost"), QString());
        QCOMPARE(Store().GetProgramId("Ghost"), 0L);
        QVERIFY(!Store().ModifyProgram("Ghost", "Spirit", {}, {}, {}, {}));
        QVERIFY(!Store().DeleteProgram("Ghost"));
        QVERIFY(!Store().ExportProgramIcon("Ghost"));
        QVERIFY(!Store().SetProgramIcon("Ghost", {}));
        QCOMPARE(FilesBelow(mPaths.PictureDir()), QStringList());
    }

    // Only blanks: the name is empty once trimmed.
    void blankNamesAreRefused() {
        const QString name = u"    "_s;
        QVERIFY(!Add(name));
        QVERIFY(!Store().AddUser(name, "S-1"));
        QVERIFY(!Store().AddGroup(name));
        QVERIFY(!Store().AddFolder(name, "/tmp/"));
        QVERIFY(!Store().CreateTheme(name, {}, {}, {}));
        QVERIFY(Add("Real"));
        QVERIFY(!Store().ModifyProgram("Real", name, {}, {}, {}, {}));
        QCOMPARE(Store().GetPrograms().RecordCount(), 1);
        QCOMPARE(Store().GetFolders().RecordCount(), 0);
        QCOMPARE(Store().GetThemes().RecordCount(), 1);
    }

    void awkwardNamesRoundTrip_data() {
        QTest::addColumn<QString>("name");
        AddRow("sql", u"x'); DROP TABLE programs; --"_s);
        AddRow("inner spaces", u"  My   Text  Editor "_s);
        AddRow("non-ascii", u"Ärger über Öl"_s);
        AddRow("parent path", u"../../etc/passwd"_s);
        AddRow("slashes", u"a/b\\c"_s);
        AddRow("tab", u"tab\there"_s);
    }
    void awkwardNamesRoundTrip() {
        QFETCH(QString, name);
        const QString stored = TrimSpaces(name);
        QVERIFY(Add(name));
        QCOMPARE(Column(Store().GetPrograms(), "Program_Name"), QStringList{stored});
        Recordset rs = Store().GetProgram(stored);
        QCOMPARE(rs.RecordCount(), 1);
        QCOMPARE(rs.Fields("Program_Name").toString(), stored);
        QCOMPARE(Store().GetProgramPath(stored.toUpper()), "/bin/" + name);
        QVERIFY(!Add(stored.toLower()));

        // Rules and principals with the same awkward name.
        QVERIFY(Store().AddUser(name, "S-1-5-21-7"));
        QVERIFY(Store().AddGroup(name));
        QVERIFY(AddRules({{name, 1, stored, 1}, {name, 0, stored, 2}}));
        QCOMPARE(Column(Store().GetUserPermissions(name, "S-1-5-21-7"), "PrgName"),
                 QStringList{stored});
        QCOMPARE(Column(Store().GetGroupPermissions(name), "Program_Name"), QStringList{stored});
        QCOMPARE(Column(Store().GetProgramGroupPermissions(stored), "GroupName"),
                 QStringList{name});

        // Its picture lands in the directory of program pictures and nowhere else.
        const QStringList before = FilesBelow(Root());
        QVERIFY(Store().ExportProgramIcon(stored));
        QStringList after = FilesBelow(Root());
        QCOMPARE(after.size(), before.size() + 1);
        for (const QString& file : before)
            after.removeOne(file);
        const QString written = Root() + u'/' + after.value(0);
        QCOMPARE(QFileInfo(written).canonicalFilePath(),
                 QFileInfo(mPaths.PictureFile(stored)).canonicalFilePath());
        QCOMPARE(QFileInfo(written).canonicalPath(),
                 QDir(mPaths.PictureDir() + "/programs").canonicalPath());
        QVERIFY(!QImage(written).isNull());

        // Folder entries and themes keep the name exactly.
        QVERIFY(Store().AddFolder(name, "/srv/" + name));
        QCOMPARE(Column(Store().GetFolders(), "Folder_Name"), QStringList{name});
        QVERIFY(Store().CreateTheme(name, {}, {}, {}));
        QCOMPARE(Store().GetTheme(name).RecordCount(), 1);
        QVERIFY(Store().SetDefaultTheme(name));
        QCOMPARE(Store().GetDefaultTheme(), name);

        QVERIFY(Store().DeleteProgram(stored));
        QVERIFY(!QFileInfo::exists(written));
        QVERIFY(Store().DeleteFolder(name));
        QVERIFY(Store().DeleteTheme(name));
    }

    void duplicatesInAnyLetterCaseAreRefused_data() {
        AddColumns<QString, QString>("first", "second");
        AddRow("umlaut", u"Ärger"_s, u"ärger"_s);
        AddRow("greek", u"Σίσυφος"_s, u"ΣΊΣΥΦΟΣ"_s);
        AddRow("spaces", u"Notepad"_s, u"  notepad "_s);
        AddRow("sharp s upper-cases to SS", u"Straße"_s, u"STRASSE"_s);
    }
    void duplicatesInAnyLetterCaseAreRefused() {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QVERIFY(Add(first));
        QVERIFY(!Add(second));
        QVERIFY(Store().GetProgramId(second) == Store().GetProgramId(first));
        QCOMPARE(Store().GetPrograms().RecordCount(), 1);
        QVERIFY(Add("Other"));
        QVERIFY(!Store().ModifyProgram("Other", second, {}, {}, {}, {}));
        QCOMPARE(Store().GetProgramPath("Other"), u"/bin/Other"_s);
    }

    void principalAndThemeNamesCompareExactly() {
        QVERIFY(Store().AddUser("ann", "S-1"));
        QVERIFY(Store().UserExists("ann"));
        QVERIFY(!Store().GroupExists("ann"));
        QVERIFY(!Store().AddUser("ann", "S-2"));
        QVERIFY(Store().AddUser("Ann", "S-3"));
        QVERIFY(!Store().UserExists("ANN"));
        QVERIFY(AddAll({}, {"Staff", "staff"}));
        QVERIFY(!Store().AddGroup("Staff"));
        QVERIFY(Store().GroupExists("staff"));
        QVERIFY(!Store().GroupExists("STAFF"));
        const long ann = Store().GetObjectId("ann", 1);
        const long staff = Store().GetObjectId("Staff", 2);
        QVERIFY(ann > 0 && staff > 0 && ann != staff);
        QCOMPARE(Store().GetObjectId("ann", 2), 0L);
        QCOMPARE(Store().GetObjectId("Staff", 1), 0L);
        QCOMPARE(Store().GetObjectId("nobody", 1), 0L);
        // A user and a group of one name are two principals.
        QVERIFY(Store().AddUser("Staff", "S-4"));
        QVERIFY(Store().GetObjectId("Staff", 1) != Store().GetObjectId("Staff", 2));
        QVERIFY(Store().CreateTheme("Blue", {}, {}, {}));
        QVERIFY(Store().CreateTheme("blue", {}, {}, {}));
        QCOMPARE(Store().GetTheme("BLUE").RecordCount(), 0);
    }

    void programsAreListedByUpperCaseName() {
        for (const char* name :
             {"beta", "Alpha", "gamma", "Zeta", "ärger", "_under", "alpha2", "10 Tools"})
            QVERIFY(Add(QString::fromUtf8(name)));
        const QStringList ordered{"10 Tools", "Alpha", "alpha2", "beta",
                                  "gamma",    "Zeta",  "_under", u"ärger"_s};
        QCOMPARE(Column(Store().GetPrograms(), "Program_Name"), ordered);
        QCOMPARE(Store().GetProgramNames(), ordered);
    }

    void modifyChangesEveryField() {
        QVERIFY(Add("Editor"));
        const QStringList fields{"new desc", "/opt/writer", "/srv ", " -q"};
        QVERIFY(Store().ModifyProgram(" editor ", "  Writer ", fields[0], fields[1], fields[2],
                                      fields[3]));
        QCOMPARE(Store().GetProgram("Editor").RecordCount(), 0);
        Recordset rs = Store().GetProgram("Writer");
        QCOMPARE(rs.RecordCount(), 1);
        QCOMPARE(Values(rs, {"Program_Name", "Program_Desc", "Program_Path", "Program_StartInDir",
                             "Program_StartUpParms"}),
                 QStringList{"Writer"} + fields);
    }

    void renameKeepsRulesIconAndDate() {
        QVERIFY(Add("notepad", WritePicture(File("n.png"), {24, 16}, Qt::blue, "PNG")));
        const QDateTime added =
            Store().GetProgram("notepad").Fields("Program_Added_Date").toDateTime();
        QVERIFY(AddAll({}, {"Staff"}, {"ann S-1"}));
        QVERIFY(AddRules({{"Staff", 1, "notepad", 2}, {"ann", 0, "notepad", 1}}));
        QVERIFY(Store().ExportProgramIcon("notepad"));
        QVERIFY(QFileInfo::exists(mPaths.PictureFile("notepad")));
        const long id = Store().GetProgramId("notepad");

        // Only the letter case changes: allowed.
        QVERIFY(Store().ModifyProgram("notepad", "Notepad", {}, {}, {}, {}));
        QCOMPARE(Column(Store().GetPrograms(), "Program_Name"), QStringList{"Notepad"});
        // A real rename.
        QVERIFY(Store().ModifyProgram("Notepad", "Editor", {}, {}, {}, {}));
        QCOMPARE(Store().GetProgramId("Editor"), id);
        QCOMPARE(Column(Store().GetGroupPermissions("Staff"), "Program_Name"),
                 QStringList{"Editor"});
        QCOMPARE(Column(Store().GetUserPermissions("ann", "S-1"), "PrgName"),
                 QStringList{"Editor"});
        QCOMPARE(Store().GetProgram("Editor").Fields("Program_Added_Date").toDateTime(), added);
        // The stale picture of the old name is gone; the icon comes along.
        QVERIFY(!QFileInfo::exists(mPaths.PictureFile("notepad")));
        QCOMPARE(Exported("Editor").size(), QSize(24, 16));
    }

    void deleteRemovesRulesAndPicture() {
        QVERIFY(AddAll({"Editor", "Mail"}, {"Staff"}, {"ann S-1"}));
        QVERIFY(AddRules(
            {{"Staff", 1, "Editor", 2}, {"Staff", 1, "Mail", 2}, {"ann", 1, "Editor", 1}}));
        QVERIFY(Store().ExportProgramIcon("Editor"));
        const QString picture = mPaths.PictureFile("Editor");
        QVERIFY(QFileInfo::exists(picture));

        QVERIFY(Store().DeleteProgram(" EDITOR "));
        QVERIFY(!QFileInfo::exists(picture));
        QCOMPARE(Store().GetProgramId("Editor"), 0L);
        QCOMPARE(Column(Store().GetGroupPermissions("Staff"), "Program_Name"), QStringList{"Mail"});
        QCOMPARE(Store().GetUserPermissions("ann", "S-1").RecordCount(), 0);
        // The principals stay; a new program of the old name starts without rules.
        QVERIFY(Store().UserExists("ann"));
        QVERIFY(Add("Editor"));
        QCOMPARE(Store().GetProgramGroupPermissions("Editor").RecordCount(), 0);
        // A program whose picture was never exported goes too.
        QVERIFY(Store().DeleteProgram("Mail"));
    }

    void programWithoutIconExportsTheDefaultIcon() {
        QVERIFY(Add("Plain"));
        QVERIFY(Store().ExportProgramIcon("Plain"));
        const QString file = mPaths.PictureFile("Plain");
        QCOMPARE(QImageReader(file).format(), QByteArray("bmp"));
        const QImage expected = DecodeCatalogPicture(ReadAll(mPaths.DefaultIcon()));
        const QImage written(file);
        // Transparency survives in the BMP.
        QVERIFY(written.hasAlphaChannel());
        QCOMPARE(written.convertToFormat(QImage::Format_ARGB32),
                 expected.convertToFormat(QImage::Format_ARGB32));

        QVERIFY(!WriteCatalogBmp(QImage(), File("none.bmp")));
        QVERIFY(!QFileInfo::exists(File("none.bmp")));
    }

    // A picture file becomes the program's icon, exported as a BMP; a file that is no picture
    // still adds the program, with the default icon (32 x 32).
    void iconFromAPictureFile_data() {
        AddColumns<QString, QByteArray, QSize>("file", "format", "size"); // format "": none
        AddRow("png", u"icon.png"_s, QByteArray("PNG"), QSize(48, 40));
        AddRow("text named .bmp", u"text.bmp"_s, QByteArray(), QSize(32, 32));
    }
    void iconFromAPictureFile() {
        QFETCH(QString, file);
        QFETCH(QByteArray, format);
        QFETCH(QSize, size);
        if (!format.isEmpty())
            WritePicture(File(file), size, QColor(200, 30, 40), format.constData());
        else
            WriteText(File(file), "no bitmap");
        QVERIFY(Add("Painted", File(file)));
        // The file is named after the name given to the export.
        const QImage written = Exported("painted");
        QCOMPARE(written.size(), size);
        QCOMPARE(QImageReader(mPaths.PictureFile("painted")).format(), QByteArray("bmp"));
        if (format.isEmpty())
            return;
        const QColor centre = written.pixelColor(size.width() / 2, size.height() / 2);
        QVERIFY(qAbs(centre.red() - 200) < 8 && qAbs(centre.green() - 30) < 8 &&
                qAbs(centre.blue() - 40) < 8);
    }

    // The icons of more programs than one statement asks for, named in any letter case, read
    // at once; exporting from them writes the same files as exporting one by one, and the
    // picture an export hands back is the one its file holds.
    void iconsOfManyProgramsAtOnce() {
        const QString picture =
            WritePicture(File("icon.png"), QSize(8, 6), QColor(10, 200, 30), "PNG");
        QStringList asked;
        for (int i = 0; i < 70; ++i) {
            const QString name = u"Program %1"_s.arg(i);
            QVERIFY(Add(name, i % 7 == 0 ? picture : QString()));
            asked << (i % 2 ? name.toUpper() : name);
        }
        asked << u"Ghost"_s;
        const QHash<QString, QByteArray> icons = Store().GetProgramIcons(asked);
        QCOMPARE(icons.size(), 70);
        QVERIFY(!icons.contains(u"Ghost"_s));
        for (int i = 0; i < 70; ++i) {
            const QString& name = asked.at(i);
            QCOMPARE(icons.value(name).isNull(), i % 7 != 0);
            QImage batch, single;
            QVERIFY(Store().ExportProgramIcon(name, icons.value(name), &batch));
            const QByteArray file = ReadAll(mPaths.PictureFile(name));
            QVERIFY(Store().ExportProgramIcon(name, &single));
            QCOMPARE(ReadAll(mPaths.PictureFile(name)), file);
            const QImage held = QImage::fromData(file).convertToFormat(QImage::Format_ARGB32);
            QCOMPARE(batch.convertToFormat(QImage::Format_ARGB32), held);
            QCOMPARE(single.convertToFormat(QImage::Format_ARGB32), held);
        }
        QVERIFY(Store().GetProgramIcons({}).isEmpty());
    }

    void setProgramIcon() {
        QVERIFY(Add("Editor"));
        QVERIFY(Store().SetProgramIcon("editor",
                                       WritePicture(File("a.png"), {12, 34}, Qt::green, "PNG")));
        QCOMPARE(Exported("Editor").size(), QSize(12, 34));
        // An unusable file keeps the old icon.
        QVERIFY(!Store().SetProgramIcon("Editor", File("missing.png")));
        QVERIFY(!Store().SetProgramIcon("Editor", WriteText(File("t.png"), "text")));
        QCOMPARE(Exported("Editor").size(), QSize(12, 34));
        // The icon can be replaced by an ICO, and removed.
        QVERIFY(Store().SetProgramIcon("Editor", mPaths.FolderIcon()));
        QCOMPARE(Exported("Editor"),
                 QImage(mPaths.FolderIcon()).convertToFormat(QImage::Format_ARGB32));
        QVERIFY(Store().SetProgramIcon("Editor", QString()));
        QCOMPARE(Exported("Editor"),
                 QImage(mPaths.DefaultIcon()).convertToFormat(QImage::Format_ARGB32));
    }

    // An exported picture that already holds the right bytes, privately, is left alone; any
    // other file in its place is replaced by a private file of the right bytes.
    void picturesAreRewrittenOnlyWhenTheyDiffer_data() {
        AddColumns<QString, bool>("change", "rewritten");
        AddRow("as written", "none", false);
        AddRow("other bytes", "bytes", true);
        AddRow("readable by others", "mode", true);
        AddRow("link to the same bytes", "link", true);
        AddRow("a FIFO in its place", "fifo", true);
    }
    void picturesAreRewrittenOnlyWhenTheyDiffer() {
        QFETCH(QString, change);
        QFETCH(bool, rewritten);
        QImage image(6, 4, QImage::Format_RGB32);
        image.fill(QColor(9, 8, 7));
        const QString file = File("pics/p.bmp");
        const QString copy = File("copy.bmp");
        QVERIFY(WriteCatalogBmp(image, file));
        const QByteArray bytes = ReadAll(file);
        if (change == "bytes") {
            QVERIFY(WriteCatalogBmp(QImage(6, 4, QImage::Format_RGB32), file));
        } else if (change == "mode") {
            QVERIFY(QFile::setPermissions(file, FileMode::kSharedFile));
        } else if (change == "link") {
            QVERIFY(QFile::copy(file, copy));
            QVERIFY(QFile::remove(file) && QFile::link(copy, file));
        } else if (change == "fifo") {
            QVERIFY(QFile::remove(file));
            QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
        }
        const QDateTime old = QDateTime::currentDateTimeUtc().addDays(-3);
        if (QFileInfo::exists(file)) {
            QFile stamped(file);
            QVERIFY(stamped.open(QIODevice::ReadWrite) &&
                    stamped.setFileTime(old, QFileDevice::FileModificationTime));
        }

        QVERIFY(WriteCatalogBmp(image, file));
        const QFileInfo info(file);
        QVERIFY(info.isFile() && !info.isSymLink());
        QCOMPARE(ReadAll(file), bytes);
        QCOMPARE(QImage(file), image);
        QCOMPARE(info.permissions() & FileMode::kSharedFile, FileMode::kPrivateFile);
        QCOMPARE(info.lastModified() > old.addSecs(60), rewritten);
        if (change == "link")
            QCOMPARE(ReadAll(copy), bytes); // the link's target is not written through
        // Nothing is left behind in the folder but the picture.
        QCOMPARE(QDir(info.absolutePath()).entryList(QDir::Files | QDir::Hidden | QDir::System),
                 QStringList{"p.bmp"});
    }

    // Whole icons decode as Qt's ico plugin decodes them; broken ones are no picture.
    void icoDecoding_data() {
        AddColumns<QByteArray, bool>("ico", "whole");
        const QByteArray good = ReadAll(u":/orvane/default.ico"_s);
        QVERIFY(good.size() > 1000);
        AddRow("32-bit with alpha", good, true);
        AddRow("8-bit with mask", PalettedIco(), true);
        AddRow("empty", QByteArray(), false);
        AddRow("header only", good.left(6), false);
        AddRow("truncated entry", good.left(20), false);
        AddRow("truncated image", good.left(200), false);
        QByteArray offset = good;
        qToLittleEndian<quint32>(0xfffffff0u, offset.data() + 18);
        AddRow("offset beyond the end", offset, false);
    }
    void icoDecoding() {
        QFETCH(QByteArray, ico);
        QFETCH(bool, whole);
        const QImage own = DecodeIcoImage(ico);
        QCOMPARE(own.isNull(), !whole);
        if (!whole)
            return;
        if (!QImageReader::supportedImageFormats().contains("ico"))
            QSKIP("Qt's ico plugin is missing here: nothing to compare with");
        QImage plugin;
        QVERIFY(plugin.loadFromData(ico, "ICO"));
        QCOMPARE(own.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                 plugin.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }

    void addPermissionNeedsPrincipalAndProgram_data() {
        AddColumns<QString, QString, int>("principal", "program", "kind");
        AddRow("unknown program", "Staff", "Ghost", 2);
        AddRow("unknown group", "Nobody", "Editor", 2);
        AddRow("group as user", "Staff", "Editor", 1);
        AddRow("user as group", "ann", "Editor", 2);
        AddRow("kind 0", "Staff", "Editor", 0);
        AddRow("kind 3", "Staff", "Editor", 3);
    }
    void addPermissionNeedsPrincipalAndProgram() {
        QFETCH(QString, principal);
        QFETCH(QString, program);
        QFETCH(int, kind);
        QVERIFY(AddAll({"Editor"}, {"Staff"}, {"ann S-1"}));
        QVERIFY(!Store().AddPermission(principal, 1, program, kind));
        QCOMPARE(Store().GetPermissionsByGroup().RecordCount() +
                     Store().GetPermissionsByUser().RecordCount(),
                 0);
    }

    void rulesComeInInsertionOrder() {
        QVERIFY(AddAll({"Zed", "alpha", "Mail", "Browser"}, {"Staff"}));
        QVERIFY(AddRules({{"Staff", 1, "zed", 2},
                          {"Staff", 0, "ALPHA", 2},
                          {"Staff", 1, "Mail", 2},
                          {"Staff", 7, "Browser", 2}}));
        Recordset rs = Store().GetGroupPermissions("Staff");
        QCOMPARE(Column(rs, "Program_Name"), (QStringList{"Zed", "alpha", "Mail", "Browser"}));
        QCOMPARE(Column(rs, "Status"), (QStringList{"1", "0", "1", "7"}));
        QCOMPARE(rs.Fields("Status").metaType(), QMetaType::fromType<int>());

        // Replacing a rule moves it to the end; one rule per principal and program.
        QVERIFY(Store().AddPermission("Staff", 1, "alpha", 2));
        rs = Store().GetGroupPermissions("Staff");
        QCOMPARE(Column(rs, "Program_Name"), (QStringList{"Zed", "Mail", "Browser", "alpha"}));
        QCOMPARE(Column(rs, "Status"), (QStringList{"1", "1", "7", "1"}));

        // The permission editor's sequence: delete, then add.
        const long staff = Store().GetObjectId("Staff", 2);
        QVERIFY(Store().DeletePermission(staff, Store().GetProgramId("Zed")));
        QVERIFY(!Store().DeletePermission(staff, Store().GetProgramId("Zed")));
        QVERIFY(!Store().DeletePermission(0, 0));
        QVERIFY(Store().AddPermission("Staff", 0, "Zed", 2));
        QCOMPARE(Column(Store().GetGroupPermissions("Staff"), "Program_Name"),
                 (QStringList{"Mail", "Browser", "alpha", "Zed"}));
        QCOMPARE(Store().GetGroupPermissions("staff").RecordCount(), 0);
        QCOMPARE(Store().GetGroupPermissions("Nobody").RecordCount(), 0);
    }

    void userRulesMatchNameAndSid_data() {
        AddColumns<QString, QString, QString, int>("storedSid", "askedName", "askedSid", "rules");
        AddRow("same name and sid", "S-1-5-21-9", "ann", "S-1-5-21-9", 2);
        AddRow("other sid", "S-1-5-21-9", "ann", "S-1-5-21-8", 0);
        AddRow("sid asked empty", "S-1-5-21-9", "ann", "", 0);
        AddRow("stored sid empty, asked", "", "ann", "S-1-5-21-9", 0);
        AddRow("both sids empty", "", "ann", "", 2);
        AddRow("name in other case", "S-1-5-21-9", "Ann", "S-1-5-21-9", 0);
    }
    void userRulesMatchNameAndSid() {
        QFETCH(QString, storedSid);
        QFETCH(QString, askedName);
        QFETCH(QString, askedSid);
        QFETCH(int, rules);
        QVERIFY(AddAll({"Editor", "Mail"}, {}));
        QVERIFY(Store().AddUser("ann", storedSid));
        QVERIFY(AddRules({{"ann", 0, "Mail", 1}, {"ann", 1, "Editor", 1}}));
        Recordset rs = Store().GetUserPermissions(askedName, askedSid);
        QCOMPARE(rs.RecordCount(), rules);
        if (rules) {
            QCOMPARE(Column(rs, "Username"), (QStringList{"ann", "ann"}));
            QCOMPARE(Column(rs, "PrgName"), (QStringList{"Mail", "Editor"}));
            QCOMPARE(Column(rs, "Status"), (QStringList{"0", "1"}));
        }
    }

    void reportsOrderByProgramThenPrincipal() {
        QVERIFY(AddAll({"zip", "Editor", "mail"}, {"Staff", "Admins", "admins"},
                       {"zoe S-2", "ann S-1"}));
        QVERIFY(AddRules({{"Staff", 1, "zip", 2},
                          {"Staff", 0, "mail", 2},
                          {"admins", 1, "mail", 2},
                          {"Admins", 1, "Editor", 2},
                          {"Staff", 1, "Editor", 2},
                          {"zoe", 1, "mail", 1},
                          {"ann", 0, "mail", 1},
                          {"zoe", 1, "Editor", 1}}));
        Recordset groups = Store().GetPermissionsByGroup();
        QCOMPARE(Column(groups, "PrgName"),
                 (QStringList{"Editor", "Editor", "mail", "mail", "zip"}));
        QCOMPARE(Column(groups, "ObjectName"),
                 (QStringList{"Admins", "Staff", "Staff", "admins", "Staff"}));
        QCOMPARE(Column(groups, "Status"), (QStringList{"1", "1", "0", "1", "1"}));
        Recordset users = Store().GetPermissionsByUser();
        QCOMPARE(Column(users, "PrgName"), (QStringList{"Editor", "mail", "mail"}));
        QCOMPARE(Column(users, "ObjectName"), (QStringList{"zoe", "ann", "zoe"}));
        QCOMPARE(Column(users, "Status"), (QStringList{"1", "0", "1"}));
    }

    // The launcher asks for a principal's or a program's rules once per candidate: no
    // statement the store runs for them scans the rules or sorts them afresh.
    void ruleQueriesUseIndexes() {
        if (OnPostgres())
            QSKIP("SQLite's query plans");
        QVERIFY(AddAll({"Editor", "Mail"}, {"Staff"}, {"ann S-1"}));
        QVERIFY(AddRules({{"Staff", 1, "Editor", 2}, {"ann", 0, "Mail", 1}}));
        const std::pair<const char*, std::function<void()>> calls[] = {
            {"user rules", [&] { Store().GetUserPermissions("ann", "S-1"); }},
            {"group rules", [&] { Store().GetGroupPermissions("Staff"); }},
            {"program's group rules", [&] { Store().GetProgramGroupPermissions("Editor"); }},
            {"program's user rules", [&] { Store().GetProgramUserPermissions("Mail"); }},
            {"replaced rule", [&] { Store().AddPermission("Staff", 0, "Editor", 2); }},
            {"removed rule",
             [&] {
                 Store().DeletePermission(Store().GetObjectId("ann", 1),
                                          Store().GetProgramId("Mail"));
             }},
            {"removed program", [&] { Store().DeleteProgram("Editor"); }},
        };
        sqlite3* handle = nullptr;
        for (const QString& name : QSqlDatabase::connectionNames()) {
            const QVariant driver = QSqlDatabase::database(name, false).driver()->handle();
            if (qstrcmp(driver.typeName(), "sqlite3*") == 0)
                handle = *static_cast<sqlite3* const*>(driver.constData());
        }
        QVERIFY(handle);
        for (const auto& [call, run] : calls) {
            QStringList ran;
            sqlite3_trace_v2(
                handle, SQLITE_TRACE_STMT,
                [](unsigned, void* log, void* statement, void*) {
                    char* sql = sqlite3_expanded_sql(static_cast<sqlite3_stmt*>(statement));
                    static_cast<QStringList*>(log)->append(QString::fromUtf8(sql));
                    sqlite3_free(sql);
                    return 0;
                },
                &ran);
            run();
            sqlite3_trace_v2(handle, 0, nullptr, nullptr);
            ran = ran.filter(QRegularExpression(u"\\bpermissions\\b"_s));
            QVERIFY2(!ran.isEmpty(), call);
            for (const QString& sql : ran) {
                sqlite3_stmt* prepared = nullptr;
                QCOMPARE(sqlite3_prepare_v2(handle, ("EXPLAIN QUERY PLAN " + sql).toUtf8(), -1,
                                            &prepared, nullptr),
                         SQLITE_OK);
                const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> plan(prepared,
                                                                                 sqlite3_finalize);
                while (sqlite3_step(plan.get()) == SQLITE_ROW) {
                    const QString detail = QString::fromUtf8(
                        reinterpret_cast<const char*>(sqlite3_column_text(plan.get(), 3)));
                    QVERIFY2(
                        !detail.startsWith(u"SCAN"_s) && !detail.contains(u"TEMP B-TREE"_s),
                        qPrintable(QString::fromLatin1(call) + u": "_s + sql + u'\n' + detail));
                }
            }
        }
    }

    // Deleting a name removes every entry of it; the trimmed name, as the windows show it,
    // finds an entry stored with blanks.
    void deletingFolders() {
        QVERIFY(Store().AddFolder("Tools", "/opt/tools/"));
        QVERIFY(Store().AddFolder("Home", "/home/ann/"));
        QVERIFY(Store().AddFolder("Tools", "/usr/share/tools/"));
        QVERIFY(Store().AddFolder("  Data ", "/srv/data/"));
        QVERIFY(Store().AddFolder("tools", QString()));
        QVERIFY(Store().DeleteFolder("Tools"));
        QCOMPARE(Column(Store().GetFolders(), "Folder_Name"),
                 (QStringList{"Home", "  Data ", "tools"}));
        QVERIFY(!Store().DeleteFolder("Tools"));
        QVERIFY(!Store().DeleteFolder(QString()));
        QVERIFY(Store().DeleteFolder("Data"));
        QCOMPARE(Column(Store().GetFolders(), "Folder_Path"), (QStringList{"/home/ann/", ""}));
    }

    // A theme holds its logo file byte for byte; themes are listed in the order they were made.
    void createThemeStoresItsLogos() {
        const QString splash = WritePicture(File("splash.png"), {250, 53}, Qt::red, "PNG");
        QVERIFY(Store().CreateTheme("Sunset", splash, {}, {}));
        QCOMPARE(Store().GetTheme("Sunset").Fields("Theme_LogoSplash").toByteArray(),
                 ReadAll(splash));
        for (const char* name : {"Zulu", "alpha", "Mike"})
            QVERIFY(Store().CreateTheme(QLatin1String(name), {}, {}, {}));
        QCOMPARE(Column(Store().GetThemes(), "Theme_Name"),
                 (QStringList{"Default", "Sunset", "Zulu", "alpha", "Mike"}));
    }

    void exportThemeLogoRefusals_data() {
        AddColumns<QString, QString>("theme", "field");
        AddRow("unknown theme", "Nope", "Theme_LogoSplash");
        AddRow("theme in other case", "sunset", "Theme_LogoSplash");
        AddRow("path as field", "Sunset", "../Theme_LogoSplash");
        AddRow("no picture stored", "Sunset", "Theme_LogoSetup");
        AddRow("undecodable logo", "Broken", "Theme_LogoSplash");
    }
    void exportThemeLogoRefusals() {
        QFETCH(QString, theme);
        QFETCH(QString, field);
        QVERIFY(Store().CreateTheme("Sunset", WritePicture(File("s.png"), {5, 5}, Qt::red, "PNG"),
                                    {}, {}));
        // A logo whose bytes are no picture can only come from elsewhere: write it directly.
        QVERIFY(Store().CreateTheme("Broken", {}, {}, {}));
        QCOMPARE(
            mCatalogue.Exec({u"UPDATE themes SET logo_splash = ? WHERE theme_name = 'Broken'"_s},
                            {QByteArray("\x01\x02\x03\x04\x05")}),
            QString());
        const QStringList before = FilesBelow(Root());
        QVERIFY(!Store().ExportThemeLogo(theme, field));
        QCOMPARE(FilesBelow(Root()), before);
    }

    void defaultTheme() {
        QVERIFY(Store().CreateTheme("Blue", {}, {}, {}));
        QVERIFY(Store().CreateTheme("Green", {}, {}, {}));
        QVERIFY(Store().SetDefaultTheme("Blue"));
        QVERIFY(Store().SetDefaultTheme("Green"));
        QVERIFY(Store().SetDefaultTheme("Green")); // again
        QVERIFY(!Store().SetDefaultTheme("green"));
        QVERIFY(!Store().SetDefaultTheme("Nope"));
        QCOMPARE(Store().GetDefaultTheme(), u"Green"_s);

        // "Default" itself cannot go; another theme can, even while it is the default.
        QVERIFY(!Store().DeleteTheme("Default"));
        QVERIFY(!Store().DeleteTheme("Nope"));
        QVERIFY(Store().DeleteTheme("Blue"));
        QCOMPARE(Store().GetDefaultTheme(), u"Green"_s);
        QVERIFY(Store().DeleteTheme("Green"));
        QCOMPARE(Store().GetDefaultTheme(), u"Default"_s);
        QCOMPARE(Column(Store().GetThemes(), "Theme_Name"), QStringList{"Default"});
        QVERIFY(!Store().DeleteTheme("Green"));
    }
};

QTEST_MAIN(TestCatalogStore)
#include "tst_catalogstore.moc"
