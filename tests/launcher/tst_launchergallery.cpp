#include "LauncherFixture.h"
#include "launcher/LauncherList.h"
#include "launcher/frmFolderMenu.h"
#include "launcher/frmMain.h"
#include "launcher/frmProperties.h"
#include "support/DataRow.h"
#include "support/Gallery.h"
#include "widgets/ListView.h"
#include "widgets/NavPane.h"

#include <QPainter>
#include <QTest>

using namespace fixture;

namespace {

// A round badge with a letter, as a program's icon.
QString Badge(TestContext& t, const QString& letter, QColor colour) {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(colour);
    p.setPen(colour.darker(140));
    p.drawEllipse(QRectF(2, 2, 28, 28));
    QFont font;
    font.setPixelSize(18);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, 32, 32), Qt::AlignCenter, letter);
    p.end();
    const QString file = t.dir.filePath(letter + ".png");
    return image.save(file) ? file : QString();
}

void Catalogue(TestContext& t) {
    const struct {
        const char* name;
        QColor colour;
    } programs[] = {
        {"Calculator", QColor(0x2f, 0x6f, 0xc4)}, {"Editor", QColor(0x3f, 0xa3, 0x5b)},
        {"Mail", QColor(0xc8, 0x3c, 0x3c)},       {"Spreadsheet", QColor(0x1e, 0x8c, 0x7e)},
        {"Terminal", QColor(0x33, 0x3d, 0x4d)},   {"Web Browser", QColor(0xe8, 0x8b, 0x1c)}};
    for (const auto& p : programs)
        AddProgram(t, p.name, "/home/tester", "",
                   Badge(t, QString(QLatin1Char(p.name[0])), p.colour));
    AddProgram(t, "Legacy Report Tool"); // no icon of its own
    t.directory->AddGroup("Staff", {"tester"});
    for (const char* p : {"Editor", "Mail", "Web Browser", "Legacy Report Tool"})
        AddGroupRule(t, "Staff", p, kAllow);
    QDir().mkpath(t.dir.filePath("Shared Documents/Projects"));
    QDir().mkpath(t.dir.filePath("Shared Documents/Templates"));
    for (const char* f :
         {"Shared Documents/budget.ods", "Shared Documents/notes.txt", "Shared Documents/plan.pdf"})
        QFile(t.dir.filePath(f)).open(QIODevice::WriteOnly);
    t.ctx.Catalog().AddFolder("Shared Documents", t.dir.filePath("Shared Documents"));
    t.ctx.Catalog().AddFolder("Handbooks", "/usr/share/doc");
}

} // namespace

class tst_launchergallery : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void mainWindow_data() { AddBoolTable("admin", {{"user", false}, {"admin", true}}); }
    void mainWindow() {
        QFETCH(bool, admin);
        TestContext t;
        SignIn(t, admin);
        Catalogue(t);
        QVERIFY(modMain::LoadPermissions(t.ctx));
        frmMain form(t.ctx);
        form.EndProgram = [] {};
        QVERIFY(modMain::BuildLauncherList(t.ctx, false));
        QCOMPARE(form.ListView1->Count(), admin ? 9 : 6);
        form.resize(820, 520);
        if (admin)
            form.NavPane1->OpenGroup("P4");
        const QString who = admin ? "admin" : "user";
        const std::pair<const char*, const char*> views[] = {
            {"H8", "icon"}, {"H9", "smallicon"}, {"H10", "list"}, {"H11", "report"}};
        for (const auto& [key, name] : views) {
            form.NavPane1_ItemClick(key);
            form.ListView1->SelectItem(2);
            QVERIFY(
                !SaveToGallery(&form, QStringLiteral("frmMain-%1-%2").arg(who, name)).isEmpty());
        }
    }

    void propertiesWindow() {
        TestContext t;
        SignIn(t);
        Catalogue(t);
        frmProperties window(t.ctx);
        window.SetProgram("Web Browser");
        QVERIFY(window.IsLoaded());
        QVERIFY(!SaveToGallery(&window, "frmProperties").isEmpty());
    }

    void folderContentsWindow() {
        TestContext t;
        Catalogue(t);
        frmFolderMenu window(t.ctx);
        window.LoadFolder("Shared Documents", t.dir.filePath("Shared Documents"));
        QCOMPARE(window.ListView1->Count(), 5);
        QVERIFY(!SaveToGallery(&window, "frmFolderMenu").isEmpty());
    }
};

QTEST_MAIN(tst_launchergallery)
#include "tst_launchergallery.moc"
