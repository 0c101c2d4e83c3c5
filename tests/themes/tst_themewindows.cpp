// The readers of what the user sees that the administration windows' tests use.
#include "admin/AdminFixture.h"
#include "admin/frmAddProgram.h"
#include "admin/frmSetup.h"
#include "app/frmSplash.h"
#include "app/modMain.h"
#include "support/DataRow.h"
#include "support/Gallery.h"
#include "support/TestFiles.h"
#include "themes/frmCreateTheme.h"
#include "themes/frmThemeManage.h"
#include "widgets/GlyphButton.h"
#include "widgets/LowColor.h"

#include <QAbstractItemView>
#include <QGroupBox>
#include <QLineEdit>

namespace {

// A scripted prompt that also remembers what the input box proposed and where the file
// chooser started.
class ThemePrompt : public ScriptedPrompt {
public:
    QStringList proposed;
    QStringList startDirs;
    std::optional<QString> InputBox(const QString& prompt, const QString& title,
                                    const QString& defaultValue) override {
        proposed.append(defaultValue);
        return ScriptedPrompt::InputBox(prompt, title, defaultValue);
    }
    QString OpenFileName(const QString& title, const QString& filter,
                         const QString& directory) override {
        startDirs.append(directory);
        return ScriptedPrompt::OpenFileName(title, filter, directory);
    }
};

// A 1 x 1 GIF whose one pixel is pure blue: Qt reads GIF files but cannot write them.
const QByteArray kBlueGif = QByteArray::fromHex("47494638396101000100800000"
                                                "0000ff000000"
                                                "2c00000000010001000002024401003b");

struct ThemeFixture {
    ThemeFixture() {
        auto scripted = std::make_unique<ThemePrompt>();
        prompt = scripted.get();
        t.prompt = scripted.get();
        t.ctx.prompt = std::move(scripted);
        t.ctx.gIsAdmin = true;
        t.ctx.gThemeName = QStringLiteral("Default");
    }
    CatalogStore& store() { return t.ctx.Catalog(); }
    QString file(const QString& name) const { return t.dir.filePath(name); }
    // A one-colour picture file in the test's directory.
    QString picture(const QString& name, QColor colour, QSize size = QSize(120, 40)) const {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        const QString path = file(name);
        return image.save(path) ? path : QString();
    }
    QString gif() const {
        const QString path = file("blue.gif");
        return WriteFile(path, kBlueGif) ? path : QString();
    }
    void apply(frmThemeManage& manager, const QString& name) {
        Select(manager.lstTheme, name);
        manager.lstTheme_Click();
        manager.cmdApply_Click();
    }

    TestContext t;
    ThemePrompt* prompt = nullptr;
};

QStringList Themes(CatalogStore& store) {
    QStringList names;
    Recordset rs = store.GetThemes();
    for (long i = 0; i < rs.RecordCount(); ++i, rs.MoveNext())
        names.append(rs.Fields("Theme_Name").toString());
    return names;
}

// Which logos a theme holds: "S" splash, "A" add/remove, "C" configure/setup.
QString Logos(CatalogStore& store, const QString& theme) {
    Recordset rs = store.GetTheme(theme);
    QString held;
    const std::pair<const char*, char> logos[] = {
        {"Theme_LogoSplash", 'S'}, {"Theme_LogoAddRemove", 'A'}, {"Theme_LogoSetup", 'C'}};
    for (const auto& [field, letter] : logos)
        if (rs.RecordCount() > 0 && !rs.Fields(field).toByteArray().isEmpty())
            held += letter;
    return held;
}

// The colour in the middle of a logo, and whether it is near `expected` (JPEG is lossy).
bool Near(const QLabel* logo, QColor expected) {
    const QImage image = logo->pixmap().toImage();
    if (image.isNull())
        return false;
    const QColor c = image.pixelColor(image.width() / 2, image.height() / 2);
    return qAbs(c.red() - expected.red()) <= 8 && qAbs(c.green() - expected.green()) <= 8 &&
           qAbs(c.blue() - expected.blue()) <= 8;
}

} // namespace

class tst_themewindows : public QObject {
    Q_OBJECT

    static frmThemeManage* Manager(ThemeFixture& f) {
        return new frmThemeManage(f.t.ctx, &modMain::SetCurrentTheme);
    }

private Q_SLOTS:
    void managerListsThemes() {
        ThemeFixture f;
        QVERIFY(f.store().CreateTheme("  Sunset ", f.picture("s.png", Qt::red), "", ""));
        std::unique_ptr<frmThemeManage> manager(Manager(f));
        QCOMPARE(QStringList({manager->windowTitle(), manager->Frame1->title(),
                              manager->cmdApply->Caption(), manager->cmdDelete->Caption(),
                              manager->cmdCreate->Caption()}),
                 QStringList({"Theme Management...", "Current Themes", "Apply Theme",
                              "Delete Theme", "Create Theme"}));
        QCOMPARE(manager->lstTheme->ColumnHeaders(), QStringList{"Theme Name"});
        QCOMPARE(Texts(manager->lstTheme), (QStringList{"Default", "Sunset"}));
        QCOMPARE(manager->lstTheme->ToolTipText(2), QStringLiteral("Sunset"));
        QCOMPARE(manager->lstTheme->Icon(2), 1);
        QCOMPARE(manager->lstTheme->SmallIcon(1), 1);
        QVERIFY(!manager->lstTheme->ShownPicture(1).isNull());
        QCOMPARE(manager->mStrSelectedTheme, QString());
        manager->lstTheme->SelectItem(2);
        SaveToGallery(manager.get(), "frmThemeManage-list");

        // A click on an item remembers its text, as the list view reports it.
        const QRect item = manager->lstTheme->ItemRect(2);
        QTest::mouseClick(manager->lstTheme->CurrentView()->viewport(), Qt::LeftButton, {},
                          item.center());
        QCOMPARE(manager->mStrSelectedTheme, QStringLiteral("Sunset"));
        QVERIFY(f.prompt->transcript.isEmpty());

        // On a low-colour display both theme windows take the 256-colour setting.
        QVERIFY(!IsLowColorWindow(manager.get()));
        f.t.ctx.gLowColor = true;
        std::unique_ptr<frmThemeManage> low(Manager(f));
        QVERIFY(IsLowColorWindow(low.get()));
        frmCreateTheme editor(f.t.ctx, low.get());
        QVERIFY(IsLowColorWindow(&editor));
    }

    void apply_data() {
        QTest::addColumn<QString>("select"); // "" selects nothing
        QTest::addColumn<QString>("before"); // what happens to the catalogue first
        AddColumns<QString, QString, QString>("message", "current", "catalogueDefault");
        AddRow("applied", "Sunset", "", "", "Sunset", "Sunset");
        AddRow("default again", "Default", "", "", "Default", "Default");
        AddRow("gone meanwhile", "Sunset", "delete",
               "Cannot Set Default Theme To Sunset|Error|Exclamation", "Default", "Default");
        AddRow("nothing selected", "", "", "", "Default", "Default");
        AddRow("empty list", "", "clear",
               "There are no theme created, please create one.|No Theme|Information", "Default",
               "Default");
    }
    void apply() {
        QFETCH(QString, select);
        QFETCH(QString, before);
        QFETCH(QString, message);
        QFETCH(QString, current);
        QFETCH(QString, catalogueDefault);
        ThemeFixture f;
        QVERIFY(f.store().CreateTheme("Sunset", f.picture("s.png", Qt::red), "", ""));
        std::unique_ptr<frmThemeManage> manager(Manager(f));
        if (before == "delete")
            QVERIFY(f.store().DeleteTheme("Sunset"));
        if (before == "clear")
            manager->lstTheme->Clear();
        select.isEmpty() ? manager->cmdApply_Click() : f.apply(*manager, select);
        QCOMPARE(Messages(*f.prompt), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(f.t.ctx.gThemeName, current);
        QCOMPARE(f.store().GetDefaultTheme(), catalogueDefault);
        // The list is not refreshed after Apply.
        QCOMPARE(manager->lstTheme->Count(), before == "clear" ? 0 : 2);
    }

    void remove_data() {
        AddColumns<QString, bool, QString, QStringList, QStringList>("select", "yes", "before",
                                                                     "messages", "listed");
        const QString sure = "Are you sure ? |Confirmation|Question";
        const QStringList all{"Default", "Sunset", "default"}, left{"Default", "default"};
        const QString deleted = "Theme Sunset, Has Been Deleted|Deleted|Information";
        AddRow("deleted", "Sunset", true, "", QStringList{sure, deleted}, left);
        AddRow("answered no", "Sunset", false, "", QStringList{sure}, all);
        AddRow("Default guarded", "Default", true, "",
               QStringList{"You cannot delete the default theme|Error|Exclamation"}, all);
        // Only the exact name is guarded; the catalogue decides about the others.
        AddRow("other letter case", "default", true, "",
               QStringList{sure, "Theme default, Has Been Deleted|Deleted|Information"},
               QStringList{"Default", "Sunset"});
        AddRow("the catalogue's default", "Sunset", true, "make default",
               QStringList{sure, deleted}, left);
        AddRow("gone meanwhile", "Sunset", true, "delete",
               QStringList{sure, "Cannot Delete Theme Sunset|Error|Critical"}, all);
        AddRow("nothing selected", "", true, "", QStringList{}, all);
    }
    void remove() {
        QFETCH(QString, select);
        QFETCH(bool, yes);
        QFETCH(QString, before);
        QFETCH(QStringList, messages);
        QFETCH(QStringList, listed);
        ThemeFixture f;
        const QString logo = f.picture("s.png", Qt::red);
        QVERIFY(f.store().CreateTheme("Sunset", logo, "", ""));
        QVERIFY(f.store().CreateTheme("default", logo, "", ""));
        std::unique_ptr<frmThemeManage> manager(Manager(f));
        if (before == "delete")
            QVERIFY(f.store().DeleteTheme("Sunset"));
        if (before == "make default")
            QVERIFY(f.store().SetDefaultTheme("Sunset"));
        Select(manager->lstTheme, select);
        f.prompt->answers.enqueue(yes ? PromptAnswer::Yes : PromptAnswer::No);
        manager->cmdDelete_Click();
        QCOMPARE(Messages(*f.prompt), messages);
        QCOMPARE(Texts(manager->lstTheme), listed);
        const QStringList stored = before == "delete" ? QStringList{"Default", "default"} : listed;
        QCOMPARE(Themes(f.store()), stored);
        QCOMPARE(f.store().GetDefaultTheme(), QStringLiteral("Default"));
    }

    // Create asks for a name and hands it, or nothing when cancelled, to the editor.
    void createAsksForTheName_data() {
        AddColumns<std::optional<QString>, QString, QString>("answer", "title", "name");
        using Answer = std::optional<QString>;
        AddRow("given", Answer("Ocean"), "Creating Theme : Ocean", "Ocean");
        AddRow("trimmed", Answer("  Deep Ocean "), "Creating Theme : Deep Ocean", "Deep Ocean");
        AddRow("cancelled", Answer(), "Creating Theme : Theme 1", "Theme 1");
        AddRow("blank", Answer("   "), "Creating Theme : Theme 1", "Theme 1");
    }
    void createAsksForTheName() {
        QFETCH(std::optional<QString>, answer);
        QFETCH(QString, title);
        QFETCH(QString, name);
        ThemeFixture f;
        std::unique_ptr<frmThemeManage> manager(Manager(f));
        f.prompt->inputs.enqueue(answer);
        int shown = 0;
        manager->showEditor = [&](QDialog& dialog) {
            ++shown;
            auto& editor = dynamic_cast<frmCreateTheme&>(dialog);
            QCOMPARE(editor.windowTitle(), title);
            QCOMPARE(editor.ThemeName(), name);
            QCOMPARE(editor.parentWidget(), manager.get());
        };
        manager->cmdCreate_Click();
        QCOMPARE(shown, 1);
        QCOMPARE(f.prompt->transcript.size(), 1);
        QCOMPARE(f.prompt->transcript[0].text + '|' + f.prompt->transcript[0].title,
                 QStringLiteral("Enter a theme name|Theme Manager"));
        QCOMPARE(f.prompt->proposed, QStringList{"Theme 1"});
    }

    void editorChoosesPictures() {
        ThemeFixture f;
        frmCreateTheme editor(f.t.ctx);
        editor.SetThemeName("Ocean");
        QCOMPARE(editor.Frame1->title(), QStringLiteral("Logo's"));
        QCOMPARE(editor.Label1->text() + '|' + editor.Label2->text() + '|' + editor.Label3->text(),
                 QStringLiteral("Splash Screen:|Add/Remove:|Configure/Setup : "));
        QCOMPARE(editor.Label5->text() + '|' + editor.Label6->text() + '|' + editor.Label7->text(),
                 QStringLiteral("250x53|200x42|200x42"));
        QCOMPARE(editor.cmdButtonSplash->Caption() + editor.cmdAddRemove->Caption() +
                     editor.cmdConfigure->Caption() + editor.cmdSave->Caption(),
                 QStringLiteral(".........Save"));
        SaveToGallery(&editor, "frmCreateTheme-empty");

        for (const char* chosen :
             {"/pictures/splash.bmp", "/pictures/add.png", "/pictures/setup.gif", ""})
            f.prompt->files.enqueue(QString::fromLatin1(chosen));
        editor.cmdButtonSplash_Click();
        editor.cmdAddRemove_Click();
        editor.cmdConfigure_Click();
        editor.cmdButtonSplash_Click(); // cancelled: the box keeps its path
        QCOMPARE(editor.txtSplashScreen->text() + '|' + editor.txtAddRemove->text() + '|' +
                     editor.txtConfigure->text(),
                 QStringLiteral("/pictures/splash.bmp|/pictures/add.png|/pictures/setup.gif"));
        QCOMPARE(f.prompt->transcript.size(), 4);
        for (const auto& asked : f.prompt->transcript) {
            QCOMPARE(asked.title, QStringLiteral("Select a Image"));
            // The original patterns, and PNG too.
            for (const char* pattern : {"*.bmp", "*.jpg", "*.gif", "*.png"})
                QVERIFY2(asked.text.section('(', 1).contains(QLatin1String(pattern)), pattern);
        }
        QCOMPARE(f.prompt->startDirs, QStringList(4, QDir::rootPath()));
        SaveToGallery(&editor, "frmCreateTheme-three-logos");
    }

    void editorSaves_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("files"); // splash, add/remove, configure
        AddColumns<QString, QString>("message", "logos");
        const QString png = "red.png", jpg = "green.jpg", bmp = "blue.bmp", gif = "blue.gif";
        const QString created = "Created Theme Ocean|Created Theme|Information";
        const QString refused = "Couldn't Create Theme Ocean|Error|Exclamation";
        AddRow("three logos", "Ocean", QStringList{png, jpg, gif}, created, "SAC");
        AddRow("bitmap splash only", "Ocean", QStringList{bmp, "", ""}, created, "S");
        AddRow("setup only", "Ocean", QStringList{"", "", jpg}, created, "C");
        AddRow("nothing chosen", "Ocean", QStringList{"", "", ""},
               "Couldn't save, please select a image to use|Error|Exclamation", "-");
        AddRow("not a picture", "Ocean", QStringList{png, "notes.txt", ""}, refused, "-");
        AddRow("picture renamed text", "Ocean", QStringList{"fake.png", "", ""}, refused, "-");
        // Larger than any logo box by far: the catalogue does not take it whole.
        AddRow("10,000 x 10,000", "Ocean", QStringList{"huge.png", "", ""}, refused, "-");
        AddRow("missing file", "Ocean", QStringList{"", "gone.png", ""}, refused, "-");
        AddRow("name taken", "Default", QStringList{png, "", ""},
               "Couldn't Create Theme Default|Error|Exclamation", "-");
    }
    void editorSaves() {
        QFETCH(QString, name);
        QFETCH(QStringList, files);
        QFETCH(QString, message);
        QFETCH(QString, logos);
        ThemeFixture f;
        f.picture("red.png", Qt::red);
        f.picture("green.jpg", Qt::green);
        f.picture("blue.bmp", Qt::blue);
        QVERIFY(!f.gif().isEmpty());
        QVERIFY(WriteFile(f.file("notes.txt"), "Not a picture at all.\n"));
        QVERIFY(WriteFile(f.file("fake.png"), "\x89PNG\r\n\x1a\n but no picture follows"));

        if (files.contains("huge.png")) {
            QImage huge(10000, 10000, QImage::Format_Mono);
            huge.fill(1);
            QVERIFY(huge.save(f.file("huge.png")));
        }
        std::unique_ptr<frmThemeManage> manager(Manager(f));
        frmCreateTheme editor(f.t.ctx, manager.get());
        QObject::connect(&editor, &frmCreateTheme::ThemeCreated, manager.get(),
                         &frmThemeManage::LoadThemes);
        editor.SetThemeName(name);
        QLineEdit* boxes[] = {editor.txtSplashScreen, editor.txtAddRemove, editor.txtConfigure};
        for (int i = 0; i < 3; ++i)
            boxes[i]->setText(files[i].isEmpty() ? QString() : f.file(files[i]));
        editor.show();
        editor.cmdSave_Click();
        QCOMPARE(Messages(*f.prompt), QStringList{message});
        const bool created = logos != "-";
        QCOMPARE(editor.result(), created ? int(QDialog::Accepted) : int(QDialog::Rejected));
        QCOMPARE(editor.isVisible(), !created);
        const QStringList listed = created ? QStringList{"Default", name} : QStringList{"Default"};
        QCOMPARE(Texts(manager->lstTheme), listed);
        if (created)
            QCOMPARE(Logos(f.store(), name), logos);
        else
            QCOMPARE(Themes(f.store()), QStringList{"Default"});
        // A refused save keeps what was entered.
        for (int i = 0; i < 3; ++i)
            QCOMPARE(boxes[i]->text(), files[i].isEmpty() ? QString() : f.file(files[i]));
    }

    // The whole road: create a theme with three logos in the editor, apply it in the
    // manager, and the splash, setup and program-editor windows loaded afterwards show them.
    void appliedLogosShowInWindowsLoadedAfter() {
        ThemeFixture f;
        std::unique_ptr<frmThemeManage> manager(Manager(f));
        frmSplash before(f.t.ctx);
        const QImage designed = before.Image1->pixmap().toImage();

        f.prompt->inputs.enqueue(QString("Harbour"));
        for (const QString& chosen :
             {f.picture("splash.png", QColor(200, 30, 30), QSize(250, 53)),
              f.picture("add.jpg", QColor(30, 160, 30), QSize(200, 42)), f.gif()})
            f.prompt->files.enqueue(chosen);
        manager->showEditor = [&](QDialog& dialog) {
            auto& editor = dynamic_cast<frmCreateTheme&>(dialog);
            editor.cmdButtonSplash_Click();
            editor.cmdAddRemove_Click();
            editor.cmdConfigure_Click();
            editor.cmdSave_Click();
        };
        manager->cmdCreate_Click();
        QCOMPARE(Messages(*f.prompt),
                 QStringList{"Created Theme Harbour|Created Theme|Information"});
        QCOMPARE(Texts(manager->lstTheme), (QStringList{"Default", "Harbour"}));
        QCOMPARE(Logos(f.store(), "Harbour"), QStringLiteral("SAC"));

        f.apply(*manager, "Harbour");
        QCOMPARE(f.t.ctx.gThemeName, QStringLiteral("Harbour"));
        QCOMPARE(Messages(*f.prompt).size(), 1);

        frmSplash splash(f.t.ctx);
        QCOMPARE(splash.Image1->pixmap().size(), QSize(250, 53));
        QVERIFY(Near(splash.Image1, QColor(200, 30, 30)));
        frmSetup setup(f.t.ctx);
        QVERIFY(Near(setup.Image1, Qt::blue));
        frmAddProgram editor(f.t.ctx);
        QCOMPARE(editor.Image1->pixmap().size(), QSize(200, 42));
        QVERIFY(Near(editor.Image1, QColor(30, 160, 30)));
        // A window loaded before keeps its logo.
        QCOMPARE(before.Image1->pixmap().toImage(), designed);
        SaveToGallery(&splash, "frmSplash-theme-applied");
    }

    // Logos are shrunk into their boxes (splash 250 x 53, the others 200 x 42) keeping their
    // shape; a picture that already fits is shown as it is.
    void logosFitTheirBoxes_data() {
        AddColumns<QSize, QSize, QSize>("picture", "splash", "setup");
        AddRow("fits", QSize(120, 40), QSize(120, 40), QSize(120, 40));
        AddRow("wide", QSize(1000, 100), QSize(250, 25), QSize(200, 20));
        // 13.25 and 10.5 wide: the width is rounded down.
        AddRow("tall", QSize(100, 400), QSize(13, 53), QSize(10, 42));
        // About 20 MB as a 24-bit bitmap.
        AddRow("20 MB", QSize(2600, 2600), QSize(53, 53), QSize(42, 42));
    }
    void logosFitTheirBoxes() {
        QFETCH(QSize, picture);
        QFETCH(QSize, splash);
        QFETCH(QSize, setup);
        ThemeFixture f;
        QImage image(picture, QImage::Format_RGB888);
        image.fill(QColor(250, 200, 0));
        const QString file = f.file("big.bmp");
        QVERIFY(image.save(file));
        QVERIFY(f.store().CreateTheme("Big", file, "", file));
        f.t.ctx.gThemeName = "Big";
        frmSplash splashWindow(f.t.ctx);
        QCOMPARE(splashWindow.Image1->pixmap().size(), splash);
        QVERIFY(Near(splashWindow.Image1, QColor(250, 200, 0)));
        frmSetup setupWindow(f.t.ctx);
        QCOMPARE(setupWindow.Image1->pixmap().size(), setup);
        // A theme the catalogue does not hold leaves the designed logo.
        f.t.ctx.gThemeName = "No such theme";
        QVERIFY(frmSplash(f.t.ctx).Image1->pixmap().size() != splash);
    }
};

QTEST_MAIN(tst_themewindows)
#include "tst_themewindows.moc"
