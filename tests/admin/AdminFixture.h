#pragma once

// What the window tests of the catalogue administration share: a test context of an
// administrator with the main window loaded, and readers for what the user sees.

#include "launcher/LauncherList.h"
#include "launcher/frmMain.h"
#include "support/TestContext.h"
#include "widgets/ImageList.h"
#include "widgets/ListView.h"

#include <QImage>
#include <QStringList>
#include <memory>

struct AdminFixture {
    AdminFixture() {
        t.ctx.gIsAdmin = true;
        main = std::make_unique<frmMain>(t.ctx);
        modMain::BuildLauncherList(t.ctx, false);
    }
    CatalogStore& store() { return t.ctx.Catalog(); }
    ScriptedPrompt& prompt() { return *t.prompt; }

    TestContext t;
    std::unique_ptr<frmMain> main; // goes before the context
};

inline QStringList Texts(const ListView* view) {
    QStringList texts;
    for (int i = 1; i <= view->Count(); ++i)
        texts.append(view->Text(i));
    return texts;
}

// "text|title|icon" of every message box, in order.
inline QStringList Messages(const ScriptedPrompt& prompt) {
    static const char* const kIcons[] = {"None", "Information", "Exclamation", "Critical",
                                         "Question"};
    QStringList lines;
    for (const auto& entry : prompt.transcript)
        if (entry.kind == QLatin1String("MsgBox"))
            lines.append(entry.text + '|' + entry.title + '|' +
                         QLatin1String(kIcons[static_cast<int>(entry.icon)]));
    return lines;
}

// Writes a one-colour picture (a bitmap, as the resource viewer writes it).
inline bool WritePicture(const QString& file, QRgb colour) {
    QImage image(32, 32, QImage::Format_RGB32);
    image.fill(colour);
    return image.save(file, "BMP");
}

// The colour in the middle of the icon the catalogue exports for a program.
inline QRgb StoredIconColour(AppContext& ctx, const QString& name) {
    if (!ctx.Catalog().ExportProgramIcon(name))
        return 0;
    const QImage image(ctx.paths.PictureFile(name));
    return image.isNull() ? 0 : image.pixel(image.width() / 2, image.height() / 2) | 0xFF000000;
}

// The colour in the middle of the picture the main window shows for its item `text`.
inline QRgb MainListColour(frmMain& form, const QString& text) {
    for (int i = 1; i <= form.ListView1->Count(); ++i)
        if (form.ListView1->Text(i) == text) {
            const QImage image =
                form.ImageList3->Item(form.ListView1->Icon(i)).pixmap(32, 32).toImage();
            return image.isNull() ? 0 : image.pixel(16, 16) | 0xFF000000;
        }
    return 0;
}
