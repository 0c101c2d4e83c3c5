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

#include <QAbstractItemView>
#include <QLabel>
#include <QLineEdit>

namespace {

// A 1 x 1 GIF whose one pixel is pure blue: Qt reads GIF files but cannot write them.
const QByteArray kBlueGif = QByteArray::fromHex("47494638396101000100800000"
                                                "0000ff000000"
                                                "2c00000000010001000002024401003b");

struct ThemeFixture {
    ThemeFixture() {
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
        QCOMPARE(Texts(manager->lstTheme), (QStringList{"Default", "Sunset"}));
        QCOMPARE(manager->lstTheme->ToolTipText(2), QStringLiteral("Sunset"));
        QCOMPARE(manager->mStrSelectedTheme, QString());
        manager->lstTheme->SelectItem(2);
        SaveToGallery(manager.get(), "frmThemeManage-list");

        // A click on an item remembers its text, as the list view reports it.
        const QRect item = manager->lstTheme->ItemRect(2);
        QTest::mouseClick(manager->lstTheme->CurrentView()->viewport(), Qt::LeftButton, {},
                          item.center());
        QCOMPARE(manager->mStrSelectedTheme, QStringLiteral("Sunset"));
        QVERIFY(f.t.prompt->transcript.isEmpty());
    }

    void apply_data() {
        QTest::addColumn<QString>("select"); // "" selects nothing
        QTest::addColumn<QString>("before"); // what happens to the catalogue first
        AddColumns<QString, QString, QString>("message", "current", "catalogueDefault");
        AddRow("applied", "Sunset", "", "", "Sunset", "Sunset");
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
        QCOMPARE(Messages(*f.t.prompt), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(f.t.ctx.gThemeName, current);
        QCOMPARE(f.store().GetDefaultTheme(), catalogueDefault);
        // The list is not refreshed after Apply.
        QCOMPARE(manager->lstTheme->Count(), before == "clear" ? 0 : 2);
    }

    void remove_data() {
        AddColumns<QString, bool, QString, QStringList, QStringList>("select", "yes", "before",
                                                                     "messages", "listed");
        const QString sure = "Are you sure ? |Confirmation|Question";
        const QStringList all{"Default", "Sunset"}, left{"Default"};
        const QString deleted = "Theme Sunset, Has Been Deleted|Deleted|Information";
        AddRow("deleted", "Sunset", true, "", QStringList{sure, deleted}, left);
        AddRow("answered no", "Sunset", false, "", QStringList{sure}, all);
        AddRow("Default guarded", "Default", true, "",
               QStringList{"You cannot delete the default theme|Error|Exclamation"}, all);
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
        QVERIFY(f.store().CreateTheme("Sunset", f.picture("s.png", Qt::red), "", ""));
        std::unique_ptr<frmThemeManage> manager(Manager(f));
        if (before == "delete")
            QVERIFY(f.store().DeleteTheme("Sunset"));
        Select(manager->lstTheme, select);
        f.t.prompt->answers.enqueue(yes ? PromptAnswer::Yes : PromptAnswer::No);
        manager->cmdDelete_Click();
        QCOMPARE(Messages(*f.t.prompt), messages);
        QCOMPARE(Texts(manager->lstTheme), listed);
        QCOMPARE(Themes(f.store()), before == "delete" ? QStringList{"Default"} : listed);
        QCOMPARE(f.store().GetDefaultTheme(), QStringLiteral("Default"));
    }

    void editorChoosesPictures() {
        ThemeFixture f;
        frmCreateTheme editor(f.t.ctx);
        editor.SetThemeName("Ocean");
        SaveToGallery(&editor, "frmCreateTheme-empty");

        for (const char* chosen :
             {"/pictures/splash.bmp", "/pictures/add.png", "/pictures/setup.gif", ""})
            f.t.prompt->files.enqueue(QString::fromLatin1(chosen));
        editor.cmdButtonSplash_Click();
        editor.cmdAddRemove_Click();
        editor.cmdConfigure_Click();
        editor.cmdButtonSplash_Click(); // cancelled: the box keeps its path
        QCOMPARE(editor.txtSplashScreen->text() + '|' + editor.txtAddRemove->text() + '|' +
                     editor.txtConfigure->text(),
                 QStringLiteral("/pictures/splash.bmp|/pictures/add.png|/pictures/setup.gif"));
        SaveToGallery(&editor, "frmCreateTheme-three-logos");
    }

    // Create asks for a name (trimmed, or a proposed one when cancelled or blank) and shows
    // the editor, whose Save stores the chosen logos.
    void editorSaves_data() {
        using Answer = std::optional<QString>;
        AddColumns<Answer, QString>("answer", "name");
        QTest::addColumn<QStringList>("files"); // splash, add/remove, configure
        AddColumns<QString, QString>("message", "logos");
        const QString png = "red.png", jpg = "green.jpg", gif = "blue.gif";
        const QString created = "Created Theme Ocean|Created Theme|Information";
        const QString refused = "Couldn't Create Theme Ocean|Error|Exclamation";
        const Answer ocean("Ocean");
        AddRow("three logos, name trimmed", Answer("  Ocean "), "Ocean", QStringList{png, jpg, gif},
               created, "SAC");
        AddRow("setup only, name cancelled", Answer(), "Theme 1", QStringList{"", "", jpg},
               "Created Theme Theme 1|Created Theme|Information", "C");
        AddRow("nothing chosen, name blank", Answer("   "), "Theme 1", QStringList{"", "", ""},
               "Couldn't save, please select a image to use|Error|Exclamation", "-");
        AddRow("picture renamed text", ocean, "Ocean", QStringList{"fake.png", "", ""}, refused,
               "-");
        // Larger than any logo box by far: the catalogue does not take it whole.
        AddRow("10,000 x 10,000", ocean, "Ocean", QStringList{"huge.png", "", ""}, refused, "-");
        AddRow("name taken", Answer("Default"), "Default", QStringList{png, "", ""},
               "Couldn't Create Theme Default|Error|Exclamation", "-");
    }
    void editorSaves() {
        QFETCH(std::optional<QString>, answer);
        QFETCH(QString, name);
        QFETCH(QStringList, files);
        QFETCH(QString, message);
        QFETCH(QString, logos);
        ThemeFixture f;
        f.picture("red.png", Qt::red);
        f.picture("green.jpg", Qt::green);
        QVERIFY(!f.gif().isEmpty());
        QVERIFY(WriteFile(f.file("fake.png"), "\x89PNG\r\n\x1a\n but no picture follows"));

        if (files.contains("huge.png")) {
            QImage huge(10000, 10000, QImage::Format_Mono);
            huge.fill(1);
            QVERIFY(huge.save(f.file("huge.png")));
        }
        // Through the manager, whose list shows the new theme once the editor reports it.
        std::unique_ptr<frmThemeManage> manager(Manager(f));
        f.t.prompt->inputs.enqueue(answer);
        const bool created = logos != "-";
        int shown = 0;
        manager->showEditor = [&](QDialog& dialog) {
            ++shown;
            auto& editor = dynamic_cast<frmCreateTheme&>(dialog);
            QCOMPARE(editor.windowTitle(), "Creating Theme : " + name);
            QCOMPARE(editor.parentWidget(), manager.get());
            QLineEdit* boxes[] = {editor.txtSplashScreen, editor.txtAddRemove, editor.txtConfigure};
            for (int i = 0; i < 3; ++i)
                boxes[i]->setText(files[i].isEmpty() ? QString() : f.file(files[i]));
            editor.show();
            editor.cmdSave_Click();
            QCOMPARE(editor.result(), created ? int(QDialog::Accepted) : int(QDialog::Rejected));
            QCOMPARE(editor.isVisible(), !created);
            // A refused save keeps what was entered.
            for (int i = 0; i < 3; ++i)
                QCOMPARE(boxes[i]->text(), files[i].isEmpty() ? QString() : f.file(files[i]));
        };
        manager->cmdCreate_Click();
        QCOMPARE(shown, 1);
        QCOMPARE(Messages(*f.t.prompt, true).first(),
                 QStringLiteral("Enter a theme name|Theme Manager|None"));
        QCOMPARE(Messages(*f.t.prompt), QStringList{message});
        const QStringList listed = created ? QStringList{"Default", name} : QStringList{"Default"};
        QCOMPARE(Texts(manager->lstTheme), listed);
        if (created)
            QCOMPARE(Logos(f.store(), name), logos);
        else
            QCOMPARE(Themes(f.store()), QStringList{"Default"});
    }

    // The windows loaded under a theme show its logos, shrunk into their boxes (splash 250 x 53,
    // the others 200 x 42) keeping their shape; a picture that already fits is shown as it is.
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
        QVERIFY(f.store().CreateTheme("Big", file, file, file));
        f.t.ctx.gThemeName = "Big";
        frmSplash splashWindow(f.t.ctx);
        QCOMPARE(splashWindow.Image1->pixmap().size(), splash);
        QVERIFY(Near(splashWindow.Image1, QColor(250, 200, 0)));
        frmSetup setupWindow(f.t.ctx);
        QCOMPARE(setupWindow.Image1->pixmap().size(), setup);
        frmAddProgram editor(f.t.ctx);
        QCOMPARE(editor.Image1->pixmap().size(), setup);
        QVERIFY(Near(editor.Image1, QColor(250, 200, 0)));
        if (picture == splash)
            SaveToGallery(&splashWindow, "frmSplash-theme-applied");
        // A GIF, which Qt reads but cannot write, shows as well.
        QVERIFY(f.store().CreateTheme("Gif", "", "", f.gif()));
        f.t.ctx.gThemeName = "Gif";
        QVERIFY(Near(frmSetup(f.t.ctx).Image1, Qt::blue));
        // A theme the catalogue does not hold leaves the designed logo.
        f.t.ctx.gThemeName = "No such theme";
        QVERIFY(frmSplash(f.t.ctx).Image1->pixmap().size() != splash);
    }
};

QTEST_MAIN(tst_themewindows)
#include "tst_themewindows.moc"
