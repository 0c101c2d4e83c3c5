// Opens every window of the launcher in turn, for the screen-reader test (atspi_walk.py): the
// main window of an administrator, then each window its side menu and their buttons open, the
// way a user reaches them (modal windows run their own event loops, as in the program). Before
// each step it prints "ready <step>" and waits for a line on its input; it prints "done" and
// ends after the last one.
#include "AllWindows.h"
#include "access/AccessEvaluation.h"
#include "admin/PrincipalList.h"
#include "launcher/LauncherList.h"
#include "widgets/ListView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <unistd.h>

namespace {

struct Step {
    const char* name;
    std::function<void()> act;
};

QWidget* Modal() {
    return QApplication::activeModalWidget();
}

// Clicks the button with that caption (the `nth` of them) in the topmost modal window. The click
// may open a modal window of its own, whose event loop runs the next steps.
void Click(const QString& caption, int nth = 0) {
    if (!Modal())
        return;
    for (QAbstractButton* button : Modal()->findChildren<QAbstractButton*>())
        if (button->text() == caption && nth-- == 0) {
            button->click();
            return;
        }
    std::fprintf(stderr, "atspi_windows: no button %s\n", qPrintable(caption));
}

void CloseModal() {
    if (Modal())
        Modal()->close();
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    TestContext t;
    if (!FillCatalogue(t))
        return 1;
    LoadRules(t);
    frmMain form(t.ctx);
    form.EndProgram = [] {};
    modMain::BuildLauncherList(t.ctx, false);
    RegisterAdministrationWindows(t, form);
    form.show();

    std::unique_ptr<frmSplash> splash;
    QList<QPointer<QWidget>> previews;
    const QList<Step> steps = {
        {"main window", [] {}},
        {"main window, report view", [&] { form.NavPane1_ItemClick("H11"); }},
        {"properties",
         [&] {
             form.ListView1->SelectItem(1);
             form.ShowSelectedProperties();
         }},
        {"folder contents",
         [&] {
             form.Properties()->close();
             form.ListView1->SelectItem(form.ListView1->Count());
             form.ListView1_DblClick();
         }},
        {"permissions", [&] { form.NavPane1_ItemClick("H12"); }},
        {"permissions of a program",
         [] {
             auto* security = qobject_cast<frmSecurity*>(Modal());
             security->cboProgram->setCurrentIndex(security->cboProgram->findText("Mail"));
             security->cboProgram_Click();
         }},
        {"principal picker", [] { Click("Add"); }},
        {"permission editor", [] { Click("Add"); }},
        {"catalogue list",
         [&] {
             CloseModal(); // the editor; the picker closes after it
             CloseModal(); // the permissions window
             form.NavPane1_ItemClick("H13");
         }},
        {"program editor (add)", [] { Click("Add Program"); }},
        {"enlarged text area", [] { Click("...", 1); }},
        {"program editor (change)",
         [] {
             CloseModal();
             CloseModal();
             Click("Change Program");
         }},
        {"folder entries",
         [&] {
             CloseModal();
             CloseModal();
             form.NavPane1_ItemClick("H19");
         }},
        {"folder picker", [] { Click("&Add"); }},
        {"setup",
         [&] {
             CloseModal();
             CloseModal();
             form.NavPane1_ItemClick("H14");
         }},
        {"theme manager",
         [&] {
             CloseModal();
             form.NavPane1_ItemClick("H20");
         }},
        {"theme editor", [] { Click("Create Theme"); }},
        {"support mail",
         [&] {
             CloseModal();
             CloseModal();
             form.NavPane1_ItemClick("H2");
         }},
        {"report preview by group",
         [&] {
             CloseModal();
             form.NavPane1_ItemClick("H17");
         }},
        {"report preview by user", [&] { form.NavPane1_ItemClick("H18"); }},
        {"splash",
         [&] {
             for (QWidget* window : QApplication::topLevelWidgets())
                 if (window != &form && window->isVisible())
                     window->close();
             splash = std::make_unique<frmSplash>(t.ctx);
             splash->show();
         }},
    };

    // Runs step `index`: first arranges for "ready" once its windows have settled, since the
    // step itself may not return until a modal window closes.
    int next = 0;
    std::function<void(int)> run = [&](int index) {
        if (index >= steps.size()) {
            std::printf("done\n");
            std::fflush(stdout);
            QApplication::exit(0);
            return;
        }
        QTimer::singleShot(600, [&, index] {
            next = index + 1;
            // The modal window the step opened, for the walker to find.
            const QString title = Modal() ? Modal()->windowTitle() : QString();
            std::printf("ready %s\t%s\n", steps.at(index).name, qPrintable(title));
            std::fflush(stdout);
        });
        QTimer::singleShot(0, [&, index] { steps.at(index).act(); });
    };
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char line[256];
        const ssize_t got = ::read(STDIN_FILENO, line, sizeof line);
        if (got <= 0) {
            QApplication::exit(1);
            return;
        }
        run(next);
    });
    run(0);
    const int status = QApplication::exec();
    // Modal windows still open end with the program.
    splash.reset();
    return status;
}
