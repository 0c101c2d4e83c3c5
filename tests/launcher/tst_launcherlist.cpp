#include "launcher/LauncherList.h"
#include "launcher/frmMain.h"
#include "support/DataRow.h"
#include "support/RuleFixture.h"
#include "support/TestFiles.h"
#include "widgets/ImageList.h"
#include "widgets/ListView.h"

#include <QBuffer>
#include <QTest>

using namespace fixture;

namespace {

struct Shown {
    QStringList texts;
    QList<int> icons;
    QStringList tags;
};

Shown ListOf(frmMain& form) {
    Shown shown;
    for (int i = 1; i <= form.ListView1->Count(); ++i) {
        shown.texts << form.ListView1->Text(i);
        // Both pictures of an item are the same number.
        shown.icons << (form.ListView1->SmallIcon(i) == form.ListView1->Icon(i)
                            ? form.ListView1->Icon(i)
                            : -1);
        shown.tags << form.ListView1->Tag(i);
    }
    return shown;
}

// The colour in the middle of a picture, of a picture file, or of what the list shows for `item`.
QColor Centre(const QImage& image) {
    return image.convertToFormat(QImage::Format_ARGB32).pixelColor(16, 16);
}
QColor Centre(const QString& file) {
    return Centre(QImage(file));
}
QColor Centre(frmMain& form, int item) {
    return Centre(form.ListView1->ShownPicture(item).pixmap(QSize(32, 32)).toImage());
}

QString SolidPicture(TestContext& t, const QString& name, QColor colour) {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(colour);
    const QString file = t.dir.filePath(name + ".png");
    return image.save(file) ? file : QString();
}

using IconImages = QList<std::pair<int, QColor>>;

// An icon file of images in the order given: square PNG images of one colour each.
QString IconFile(TestContext& t, const QString& name, const IconImages& images) {
    QByteArray header, data;
    header.append("\0\0\1\0", 4).append(char(images.size())).append('\0');
    qsizetype offset = 6 + 16 * images.size();
    for (const auto& [size, colour] : images) {
        QImage image(size, size, QImage::Format_ARGB32);
        image.fill(colour);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        const auto put32 = [&header](quint32 v) {
            for (int i = 0; i < 4; ++i)
                header.append(char(v >> (8 * i)));
        };
        header.append(char(size % 256)).append(char(size % 256)).append('\0').append('\0');
        header.append("\1\0\x20\0", 4);
        put32(quint32(png.size()));
        put32(quint32(offset));
        offset += png.size();
        data += png;
    }
    const QString file = t.dir.filePath(name + ".ico");
    return WriteFile(file, header + data) ? file : QString();
}

} // namespace

class tst_launcherlist : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // An administrator sees every program, sorted, then the folders; a rebuild renumbers the
    // pictures and keeps the presentation the user chose.
    void administratorSeesEveryProgramThenFolders() {
        TestContext t;
        SignIn(t, true);
        for (const char* p : {"Zeta", "alpha", "Mid"})
            AddProgram(t, p);
        QVERIFY(t.ctx.Catalog().AddFolder("Tools", "/srv/tools"));
        QVERIFY(t.ctx.Catalog().AddFolder("  Docs  ", " /srv/docs "));
        QVERIFY(t.ctx.Catalog().AddFolder("Docs", "/srv/other"));
        QVERIFY(modMain::BuildLauncherList(t.ctx, false));
        frmMain& form = modMain::MainForm(t.ctx);
        Shown shown = ListOf(form);
        QCOMPARE(shown.texts, (QStringList{"alpha", "Mid", "Zeta", "Tools", "Docs", "Docs"}));
        QCOMPARE(shown.icons, (QList<int>{1, 2, 3, 4, 4, 4}));
        QCOMPARE(shown.tags, (QStringList{"", "", "", "/srv/tools", "/srv/docs", "/srv/other"}));
        QCOMPARE(form.ImageList3->Count(), 4);
        form.ListView1->SetView(ListView::lvwSmallIcon);

        QVERIFY(t.ctx.Catalog().DeleteProgram("Mid"));
        QVERIFY(modMain::RefreshLauncherList(t.ctx));
        shown = ListOf(form);
        QCOMPARE(shown.texts, (QStringList{"alpha", "Zeta", "Tools", "Docs", "Docs"}));
        QCOMPARE(shown.icons, (QList<int>{1, 2, 3, 3, 3}));
        QCOMPARE(shown.tags, (QStringList{"", "", "/srv/tools", "/srv/docs", "/srv/other"}));
        QCOMPARE(form.ImageList3->Count(), 3);
        QCOMPARE(form.ListView1->View(), int(ListView::lvwSmallIcon));

        // A second build without a refresh in between does not double the list.
        QVERIFY(modMain::BuildLauncherList(t.ctx, true));
        QCOMPARE(ListOf(form).texts, shown.texts);
        delete &form;
    }

    void picturesComeFromTheCatalogue() {
        TestContext t;
        SignIn(t, true);
        AddProgram(t, "Painted", {}, {}, SolidPicture(t, "red", Qt::red));
        QVERIFY(t.ctx.Catalog().AddFolder("Docs", "/srv/docs"));
        frmMain form(t.ctx);
        QVERIFY(modMain::BuildLauncherList(t.ctx, false));
        QCOMPARE(Centre(form, 1), QColor(Qt::red));
        QCOMPARE(Centre(form, 2), Centre(t.ctx.paths.FolderIcon()));

        // A changed icon shows after the next rebuild.
        QVERIFY(t.ctx.Catalog().SetProgramIcon("Painted", SolidPicture(t, "blue", Qt::blue)));
        QVERIFY(modMain::RefreshLauncherList(t.ctx));
        QCOMPARE(Centre(form, 1), QColor(Qt::blue));
    }

    // An icon file's first image is what its picture file holds; a sharper screen draws from
    // its largest image, made no larger than the list needs.
    void iconsDrawnFromTheirLargestImage_data() {
        AddColumns<IconImages, QColor, QColor>("images", "atOne", "atTwo");
        using Images = IconImages;
        AddRow("32 then 64", Images{{32, Qt::red}, {64, Qt::blue}}, QColor(Qt::red),
               QColor(Qt::blue));
        AddRow("16, 256, 32: the largest even at 100 %",
               Images{{16, Qt::red}, {256, Qt::blue}, {32, Qt::green}}, QColor(Qt::blue),
               QColor(Qt::blue));
    }
    void iconsDrawnFromTheirLargestImage() {
        QFETCH(IconImages, images);
        QFETCH(QColor, atOne);
        QFETCH(QColor, atTwo);
        TestContext t;
        SignIn(t, true);
        AddProgram(t, "Sharp", {}, {}, IconFile(t, "sharp", images));
        frmMain form(t.ctx);
        QVERIFY(modMain::BuildLauncherList(t.ctx, false));
        const QIcon icon = form.ListView1->ShownPicture(1);
        const QImage one = icon.pixmap(QSize(32, 32), 1.0).toImage();
        const QImage two = icon.pixmap(QSize(32, 32), 2.0).toImage();
        QCOMPARE(one.convertToFormat(QImage::Format_ARGB32).pixelColor(one.width() / 2, 2), atOne);
        QCOMPARE(two.convertToFormat(QImage::Format_ARGB32).pixelColor(two.width() / 2, 2), atTwo);
        QVERIFY(two.width() <= 64); // the list's size at 200 %, at most
        QCOMPARE(QImage(t.ctx.paths.PictureFile("Sharp")).width(), images.first().first);
    }

    // A picture that cannot be exported or read gives the default icon, and without a
    // readable default icon a drawn one; the list is built all the same.
    void unreadablePicturesFallBack() {
        TestContext t;
        SignIn(t, true);
        AddProgram(t, "Painted", {}, {}, SolidPicture(t, "red", Qt::red));
        frmMain form(t.ctx);
        // The picture directory becomes a file: nothing can be exported into it.
        QVERIFY(QDir(t.ctx.paths.PictureDir()).removeRecursively());
        QVERIFY(WriteFile(t.ctx.paths.PictureDir(), {}));
        QVERIFY(modMain::BuildLauncherList(t.ctx, false));
        QCOMPARE(Centre(form, 1), Centre(t.ctx.paths.DefaultIcon()));

        QVERIFY(WriteFile(t.ctx.paths.DefaultIcon(), "not a picture"));
        QVERIFY(QFile::remove(t.ctx.paths.FolderIcon()));
        QVERIFY(modMain::RefreshLauncherList(t.ctx));
        QCOMPARE(form.ListView1->Count(), 1);
        QVERIFY(!form.ListView1->ShownPicture(1).pixmap(QSize(32, 32)).isNull());
        QVERIFY(!form.ImageList3->Item(2).pixmap(QSize(32, 32)).isNull());
    }
};

QTEST_MAIN(tst_launcherlist)
#include "tst_launcherlist.moc"
