#pragma once

// What the window tests of the catalogue administration share: a test context of an
// administrator with the main window loaded, readers for what the user sees, and drivers of
// the modal windows and of a damaged catalogue.

#include "launcher/LauncherList.h"
#include "launcher/frmMain.h"
#include "support/RuleFixture.h"
#include "support/TestContext.h"
#include "widgets/ImageList.h"
#include "widgets/ListView.h"

#include <QApplication>
#include <QImage>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QTest>
#include <QTimer>
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

// Runs `sql` on the catalogue through a second connection, as a damaged table or a failing
// disk would change it under the store.
inline bool Sabotage(AppContext& ctx, const QString& sql) {
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "saboteur");
        db.setDatabaseName(ctx.paths.DatabaseFile());
        ok = db.open() && QSqlQuery(db).exec(sql);
    }
    QSqlDatabase::removeDatabase("saboteur");
    return ok;
}

// Runs `action` on the next modal window of type T once it is shown. The action runs inside
// the window's own modal loop, so it may open further modal windows itself.
template <class T> void WhenShown(std::function<void(T&)> action) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        auto* window = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!window || !window->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        action(*window);
    });
    timer->start();
}

// Closes the modal windows left open by a failed step after a minute, so the test ends
// instead of hanging; still active afterwards means nothing was left open.
struct ModalWatchdog : QTimer {
    ModalWatchdog() {
        setSingleShot(true);
        QObject::connect(this, &QTimer::timeout, [] {
            while (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        start(60000);
    }
};

// Selects the item named `name` in a ListView or a PrincipalList.
template <class List> bool Select(List* list, const QString& name) {
    for (int i = 1; i <= list->Count(); ++i)
        if (list->Text(i) == name) {
            list->SelectItem(i);
            return true;
        }
    return false;
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
