// The module routines of the resource viewer on the windres-built fixtures: filling the tree,
// reading resources, making pictures, painting them with their information lines, writing
// bytes; and the progress status object.

#include "CraftedPe.h"
#include "ResourceFixtures.h"
#include "platform/ResourceImages.h"
#include "resources/PictureBox.h"
#include "resources/ResourceTree.h"
#include "resources/clsQueryStatus.h"
#include "resources/mEnumResourse.h"
#include "resources/mGetResource.h"
#include "resources/mMain.h"
#include "resources/mShowResource.h"
#include "support/DataRow.h"
#include "support/Errors.h"
#include "support/TestFiles.h"
#include "widgets/ProgressBar.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPalette>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace CraftedPe;
using namespace Qt::StringLiterals;

namespace {

QStringList Children(const QTreeWidgetItem* node) {
    QStringList texts;
    for (int i = 0; i < node->childCount(); ++i)
        texts << node->child(i)->text(0);
    return texts;
}

} // namespace

class tst_resourcemodules : public QObject {
    Q_OBJECT

    void LoadFixture(const QString& name) {
        mEnumResourse::LoadResourceTree(mTree, kFixtures + "/" + name, name);
    }
    ResourceTree* mTree = nullptr;

private slots:
    void init() {
        static const QRegularExpression withoutFixtures(
            u"^(showPicture.*|saveResourceBytes|status.*)$"_s);
        if (kFixtures.isEmpty() && !withoutFixtures.match(QTest::currentTestFunction()).hasMatch())
            QFAIL(kNoFixtures);
        mTree = new ResourceTree;
    }

    void cleanup() {
        mMain::UnloadResourceModule();
        mMain::hResModule = 0;
        delete mTree;
        mTree = nullptr;
        QCOMPARE(PeModule::LoadedModuleCount(), 0);
    }

    void treeOfAFile_data() {
        AddColumns<QString, bool>("file", "hasIcons");
        AddRow("with icons", "icons.exe", true);
        AddRow("no icons", "noicons.exe", false);
        AddRow("truncated", "truncated", false);
        AddRow("looping directory", "looping", true); // only the looping type is left out
    }
    void treeOfAFile() {
        QFETCH(QString, file);
        QFETCH(bool, hasIcons);
        QTemporaryDir dir;
        QString path = kFixtures + "/" + file;
        const QByteArray icons = ReadAll(kFixtures + "/icons.exe");
        if (file == "truncated") {
            path = dir.filePath("truncated.exe");
            QVERIFY(WriteFile(path, icons.left(icons.size() / 2)));
        } else if (file == "looping") {
            // The first type's (PNG's) name directory is made the root directory itself.
            QByteArray looping = icons;
            QVERIFY(RsrcOffset(icons) > 0);
            Put32(looping, RsrcOffset(icons) + 16 + 4, 0x80000000u);
            path = dir.filePath("looping.exe");
            QVERIFY(WriteFile(path, looping));
        }
        mEnumResourse::LoadResourceTree(mTree, path, "caption of " + file);
        QCOMPARE(mTree->topLevelItemCount(), 1);
        QTreeWidgetItem* root = mTree->FirstNode();
        QCOMPARE(ResourceTree::Key(root), path);
        QCOMPARE(root->text(0), "caption of " + file);
        QCOMPARE(mMain::hResModule != 0, hasIcons || file == "noicons.exe");
        QVERIFY(!mEnumResourse::gResTree);
        if (!hasIcons) {
            QCOMPARE(root->childCount(), 0);
            return;
        }
        QVERIFY(root->isExpanded());
        // Icons are the only type listed: cursors, bitmaps, groups and named types are not.
        QCOMPARE(Children(root), QStringList{"Icon Resource"});
        QTreeWidgetItem* type = root->child(0);
        QCOMPARE(ResourceTree::Key(type), "#3");
        QCOMPARE(Children(type), QStringList{"Dummy"});
    }

    void expandListsNamesInOrder() {
        LoadFixture("icons.exe");
        QTreeWidgetItem* type = mTree->FirstNode()->child(0);
        mTree->RemoveNode(type->child(0));
        mEnumResourse::ExpandResourceNode(mTree, type);
        QCOMPARE(Children(type), QStringList({Fixture::kUnicodeIconName, "NAMEDICON", "1", "2", "3",
                                              "4", "5", "6", "7", "8", "300", "301"}));
        QVERIFY(!mEnumResourse::gResTree);
        QVERIFY(!mEnumResourse::gResNode);
        // A type node without a key names its type by its text.
        QTreeWidgetItem* named = mTree->AddNode(mTree->FirstNode(), QString(), "PNG");
        mEnumResourse::ExpandResourceNode(mTree, named);
        QCOMPARE(Children(named), QStringList{"LOGO"});
    }

    void resourceData() {
        LoadFixture("icons.exe");
        using mGetResource::GetResourceData;
        QCOMPARE(GetResourceData("3", "NAMEDICON").value(), ReadAll(kFixtures + "/named.dib"));
        QCOMPARE(GetResourceData(" 3 ", "#301").value(), Fixture::kGarbageBytes);
        // A numbered resource is read by "#1"; "1" names a resource called "1".
        QVERIFY(GetResourceData("3", "#1"));
        QVERIFY(!GetResourceData("3", "1"));
        // A named type is found by its name; a number written as text is not a named type.
        QCOMPARE(GetResourceData("png", "LOGO").value(), ReadAll(kFixtures + "/logo.png"));
        QVERIFY(GetResourceData("#3", "#1"));
        QVERIFY(!GetResourceData("ICON", "#1"));
        // Empty, missing and out of range give nothing.
        QVERIFY(!GetResourceData("3", "#300"));
        QVERIFY(!GetResourceData("70000", "#1"));
        QVERIFY(!GetResourceData("", ""));
    }

    void pictures_data() {
        AddColumns<QString, QString>("type", "name");
        QTest::addColumn<int>("kind"); // 0: no picture
        AddColumns<int, QRgb, QString>("side", "color", "problem");
        using namespace Fixture;
        const int icon = int(PictureType::Icon);
        for (int i = 0; i < int(kAppIcon.size()); ++i) {
            const auto& image = kAppIcon.at(i);
            const QString kind = image.bits ? u"%1-bit"_s.arg(image.bits) : u"PNG"_s;
            // The group #1; APPICON's images hold the same bytes (tst_peimage).
            AddRow(qPrintable(u"#%1 %2 px %3"_s.arg(i + 1).arg(image.size).arg(kind)), "3",
                   u"#%1"_s.arg(i + 1), icon, image.size, image.color, QString());
        }
        AddRow("named 24-bit", "3", "NAMEDICON", icon, kNamedIcon.size, kNamedIcon.color,
               QString());
        AddRow("cursor", "1", "#1", icon, kCursor.size, kCursor.color, QString());
        AddRow("bitmap", "2", "PICTURE", int(PictureType::Bitmap), kBitmapWidth, kBitmapRight,
               QString());
        auto none = [](const char* tag, const char* type, const char* name, const char* problem) {
            AddRow(tag, type, name, 0, 0, QRgb(0), problem);
        };
        none("empty icon", "3", "#300", "The icon 300 is empty.");
        none("garbage icon", "3", "#301",
             "The icon 301 holds no picture that can be shown: its data is damaged or in a format "
             "that is not supported.");
        none("missing cursor", "1", "NAMEDICON", "The cursor NAMEDICON is not in the executable.");
        none("bitmap asked as icon", "3", "PICTURE", "The icon PICTURE is not in the executable.");
        none("icon asked as bitmap", "2", "#1", "The bitmap 1 is not in the executable.");
        // Types that are no pictures of their own give none, and no reason.
        none("image file type", "PNG", "LOGO", "");
    }
    void pictures() {
        QFETCH(QString, type);
        QFETCH(QString, name);
        QFETCH(int, kind);
        QFETCH(int, side);
        QFETCH(QRgb, color);
        QFETCH(QString, problem);
        LoadFixture("icons.exe");
        QString why = u"unchanged"_s;
        const auto picture = mGetResource::GetResourcePicture(type, name, &why);
        QCOMPARE(why, problem.isEmpty() ? u"unchanged"_s : problem);
        if (kind == 0) {
            QVERIFY(!picture);
            return;
        }
        QVERIFY(picture);
        QCOMPARE(int(picture->Type), kind);
        const QImage& image = picture->image;
        QCOMPARE(image.width(), side);
        // The colour at the bottom right, and the transparent pixel at the top left of icons.
        QCOMPARE(image.pixel(image.width() - 1, image.height() - 1), color);
        if (type == "3" || type == "1")
            QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        if (type == "1")
            QCOMPARE(picture->hotSpot, QPoint(Fixture::kCursorHotX, Fixture::kCursorHotY));
    }

    void hostileSizesAreNotRead_data() {
        AddColumns<QString, quint32>("type", "claimed");
        QTest::addColumn<QString>("problem"); // empty: read, and found to be no picture
        const auto tooLarge = [](const char* kind, quint32 claimed, int megabytes) {
            return u"The %1 7 claims %2 bytes, more than any real %1 needs (at most %3 MB), so it "
                   u"was not read."_s.arg(QLatin1String(kind))
                       .arg(claimed)
                       .arg(megabytes);
        };
        const quint32 icon = ResourceImages::kMaxIconBytes;
        const quint32 bitmap = ResourceImages::kMaxBitmapBytes;
        AddRow("icon at the limit", "3", icon, QString());
        AddRow("icon one byte over", "3", icon + 1, tooLarge("icon", icon + 1, 1));
        AddRow("cursor of 2 GB", "1", 0x80000000u, tooLarge("cursor", 0x80000000u, 1));
        AddRow("bitmap one byte over", "2", bitmap + 1, tooLarge("bitmap", bitmap + 1, 16));
        AddRow("bitmap of 3 GB", "2", 0xC0000000u, tooLarge("bitmap", 0xC0000000u, 16));
    }
    void hostileSizesAreNotRead() {
        QFETCH(QString, type);
        QFETCH(quint32, claimed);
        QFETCH(QString, problem);
        QTemporaryDir dir;
        const QString path = dir.filePath("hostile.exe");
        QVERIFY(CraftedPe::WriteClaimingImage(path, type.toUShort(), 7, claimed));
        mTree->clear();
        mEnumResourse::LoadResourceTree(mTree, path, path);
        QVERIFY(mMain::hResModule != 0);
        QElapsedTimer timer;
        timer.start();
        QString why;
        QVERIFY(!mGetResource::GetResourcePicture(type, "#7", &why));
        const qint64 ms = timer.elapsed();
        qInfo("%s: %lld ms", QTest::currentDataTag(), static_cast<long long>(ms));
        if (problem.isEmpty())
            QVERIFY2(why.endsWith(QLatin1String("damaged or in a format that is not supported.")),
                     qPrintable(why));
        else
            QCOMPARE(why, problem);
        QVERIFY2(ms < 2000, "a picture resource must not be read whatever size it claims");
    }

    void bitmapGreysBecome3DColours() {
        LoadFixture("icons.exe");
        QPalette palette = QApplication::palette();
        palette.setColor(QPalette::Button, QColor(10, 200, 30));
        QApplication::setPalette(palette);
        const auto picture = mGetResource::GetResourcePicture("2", "PICTURE");
        QApplication::setPalette(QPalette());
        QVERIFY(picture);
        QCOMPARE(picture->image.size(), QSize(Fixture::kBitmapWidth, Fixture::kBitmapHeight));
        // Palette grey RGB(192,192,192) is drawn in the desktop's 3D face colour.
        QCOMPARE(picture->image.pixel(0, 0), qRgb(10, 200, 30));
        QCOMPARE(picture->image.pixel(Fixture::kBitmapWidth - 1, 0), Fixture::kBitmapRight);
    }

    void imageFileResource() {
        LoadFixture("icons.exe");
        const auto logo = mGetResource::GetResourceImageFile("PNG", "LOGO");
        QVERIFY(logo);
        QCOMPARE(logo->Type, PictureType::Bitmap);
        QCOMPARE(logo->image.size(), QSize(Fixture::kLogoWidth, Fixture::kLogoHeight));
        QCOMPARE(logo->image.pixel(1, 1), Fixture::kLogoColor);
        QVERIFY(!mGetResource::GetResourceImageFile("3", "#301"));
        QVERIFY(!mGetResource::GetResourceImageFile("3", "#300"));
    }

    void freedModuleFindsNothing() {
        LoadFixture("icons.exe");
        const auto handle = mMain::hResModule;
        QVERIFY(mGetResource::GetResourceData("3", "#1"));
        mMain::UnloadResourceModule();
        QCOMPARE(mMain::hResModule, handle); // the handle keeps its value
        QVERIFY(!mGetResource::GetResourceData("3", "#1"));
        QVERIFY(!mGetResource::GetResourcePicture("3", "#1"));
        // Filling the tree again frees the earlier module rather than keeping its file open.
        LoadFixture("icons.exe");
        LoadFixture("noicons.exe");
        QCOMPARE(PeModule::LoadedModuleCount(), 1);
    }

    void showPicture_data() {
        AddColumns<QSize, int>("box", "side");
        QTest::addColumn<QPoint>("at"); // where the picture's top left lands inside the frame
        AddRow("centred", QSize(200, 150), 32, QPoint(84, 59));
        AddRow("odd box", QSize(201, 151), 32, QPoint(84, 59));
        AddRow("odd picture", QSize(200, 150), 33, QPoint(84, 59));
        AddRow("larger than the box", QSize(120, 100), 256, QPoint(-68, -78));
    }
    void showPicture() {
        QFETCH(QSize, box);
        QFETCH(int, side);
        QFETCH(QPoint, at);
        PictureBox picture;
        picture.SetBackColor(Qt::white);
        picture.resize(box);
        QImage image(side, side, QImage::Format_ARGB32);
        image.fill(qRgb(200, 0, 0));
        QVERIFY(mShowResource::ShowPicture(StdPicture{PictureType::Icon, image, {}}, picture));
        QCOMPARE(picture.PrintedLines(),
                 QStringList({"Image info:", "", "Type: Icon/cursor (*.ico/*.cur)",
                              u"Syze: %1 x %2"_s.arg(side).arg(side)}));
        const QImage shown = picture.Image();
        // Bottom right corner of the picture, inside the box, away from the text.
        const QPoint last = at + QPoint(side - 1, side - 1);
        const QPoint inside(qMin(last.x(), shown.width() - 1), qMin(last.y(), shown.height() - 1));
        QCOMPARE(shown.pixel(inside), qRgb(200, 0, 0));
        if (last.x() + 1 < shown.width())
            QCOMPARE(shown.pixel(last.x() + 1, inside.y()), qRgb(255, 255, 255));
        if (last.y() + 1 < shown.height())
            QCOMPARE(shown.pixel(inside.x(), last.y() + 1), qRgb(255, 255, 255));

        picture.Cls();
        QVERIFY(picture.PrintedLines().isEmpty());
        QVERIFY(!mShowResource::ShowPicture(std::nullopt, picture));
        QVERIFY(picture.PrintedLines().isEmpty());
        QCOMPARE(picture.Image().pixel(inside), qRgb(255, 255, 255));
    }

    void showPictureSizeRounding_data() {
        AddColumns<int, QString>("pixels", "syze");
        // An image of twice the pixel density is half as large on the screen.
        AddRow("16.5 rounds down to even", 33, "Syze: 16 x 16");
        AddRow("17.5 rounds up to even", 35, "Syze: 18 x 18");
    }
    void showPictureSizeRounding() {
        QFETCH(int, pixels);
        QFETCH(QString, syze);
        PictureBox box;
        QImage image(pixels, pixels, QImage::Format_ARGB32);
        image.fill(Qt::blue);
        image.setDevicePixelRatio(2.0);
        QVERIFY(mShowResource::ShowPicture(StdPicture{PictureType::Bitmap, image, {}}, box));
        QCOMPARE(box.PrintedLines().at(2), u"Type: Bitmap (*.bmp)"_s);
        QCOMPARE(box.PrintedLines().at(3), syze);
    }

    void saveResourceBytes() {
        QTemporaryDir dir;
        const QString path = dir.filePath("temp.bmp");
        mShowResource::SaveResourceBytes(path, QByteArray("new bytes"));
        QCOMPARE(ReadAll(path), QByteArray("new bytes"));
        // Written from the start; a longer file keeps its tail.
        QVERIFY(WriteFile(path, "0123456789ABCDEF"));
        mShowResource::SaveResourceBytes(path, QByteArray("xyz"));
        QCOMPARE(ReadAll(path), QByteArray("xyz3456789ABCDEF"));
        auto fails = [](const QString& target, const std::optional<QByteArray>& bytes) {
            const auto error = ErrorOf([&] { mShowResource::SaveResourceBytes(target, bytes); });
            return error && !error->Description().isEmpty();
        };
        QVERIFY(fails(path, std::nullopt));
        QCOMPARE(ReadAll(path), QByteArray("xyz3456789ABCDEF"));
        QVERIFY(fails(dir.path(), QByteArray("x")));
        QVERIFY(fails(dir.filePath("missing/temp.bmp"), QByteArray("x")));
    }

    void statusTextIsFittedTo25_data() {
        AddColumns<QString, QString>("text", "stored");
        AddRow("padded", "  ab  ", "ab" + QString(23, ' '));
        AddRow("cut", "abcdefghijklmnopqrstuvwxyz1234", "abcdefghijklmnopqrstuvwxy");
        AddRow("tabs stay", "\tab", "\tab" + QString(22, ' '));
    }
    void statusTextIsFittedTo25() {
        QFETCH(QString, text);
        QFETCH(QString, stored);
        clsQueryStatus status;
        QCOMPARE(status.StatusText(), QString(25, ' '));
        QVERIFY(!status.WaitWindow());
        status.SetStatusText(text);
        QCOMPARE(status.StatusText(), stored);
    }

    void statusValueAndShowProgress() {
        clsQueryStatus status(true);
        // A value moves the bar at once, loading the wait window without showing it.
        status.SetProgressValue(40);
        QVERIFY(status.WaitWindow());
        QCOMPARE(status.WaitWindow()->prgbar->value(), 40);
        QVERIFY(!status.WaitWindow()->isVisible());
        QCOMPARE(status.WaitWindow()->windowTitle(), u"Loading Resources....."_s);
        // A status object that ends unloads its visible window.
        QPointer<QWidget> again;
        {
            clsQueryStatus other;
            other.showProgress();
            again = other.WaitWindow();
            QVERIFY(again && again->isVisible());
        }
        QVERIFY(!again);
    }
};

QTEST_MAIN(tst_resourcemodules)
#include "tst_resourcemodules.moc"
