#include "admin/frmAddProgram.h"

#include "services/AppContext.h"
#include "widgets/GlyphButton.h"
#include "widgets/PlainText.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

frmAddProgram::frmAddProgram(AppContext& ctx, QWidget* parent)
    : ProgramEditor(ctx, parent, QStringLiteral("Add A New Runnable Program.."),
                    QStringLiteral("Add a new runnable program...."), QStringLiteral("Icon.."),
                    QStringLiteral("Add")) {
    setObjectName(QStringLiteral("frmAddProgram"));
    cmdCancel = new GlyphButton(QStringLiteral("Cancel"), this);
    Image3 = PlainLabel(this);
    Image3->setFixedSize(32, 32);
    mIconRow->addWidget(cmdIcon);
    mIconRow->addWidget(Image3);
    mIconRow->addStretch();
    mButtonRow->addWidget(cmdCancel);

    connect(cmdIcon, &QPushButton::clicked, this, [this] { cmdIcon_Click(); });
    connect(cmdAdd, &QPushButton::clicked, this, [this] { cmdAdd_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    txtProgramPath->installEventFilter(this);
    UseFixedDialogBorder(this, QSize(356, 359)); // 5340 x 5385 twips
    Form_Load();
}

void frmAddProgram::Form_Load() {
    LoadCommon();
    SetPathControlsEnabled(false);
}

void frmAddProgram::SetPathControlsEnabled(bool enabled) {
    const QList<QWidget*> controls{cmdIcon, txtDropStartIn, txtDropStartUp, cmdDropDir,
                                   cmdDropStartUp};
    for (QWidget* control : controls)
        control->setEnabled(enabled);
}

bool frmAddProgram::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtProgramPath && event->type() == QEvent::FocusOut)
        txtProgramPath_Validate();
    return ProgramEditor::eventFilter(watched, event);
}

void frmAddProgram::txtProgramPath_Validate() {
    // Controls once enabled stay enabled, even when the box is emptied again.
    if (txtProgramPath->text().size() >= 1)
        SetPathControlsEnabled(true);
}

void frmAddProgram::PathChosen() {
    SetPathControlsEnabled(true);
}

void frmAddProgram::cmdIcon_Click() {
    if (PickIcon())
        Image3->setPixmap(LoadPicture(mCtx.paths.TempPicture())
                              .scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void frmAddProgram::cmdAdd_Click() {
    RunTrapped(mCtx, [this] {
        const auto fields = ValidatedFields();
        if (!fields)
            return;
        CatalogStore& store = mCtx.Catalog();
        if (!store.AddProgram(fields->name, fields->description, fields->path, QString(),
                              fields->startInDir, fields->startUpParms)) {
            mCtx.prompt->MsgBox(QStringLiteral("Unable to add program"), PromptButtons::Ok,
                                PromptIcon::Critical, QStringLiteral("Error"));
            return;
        }
        // The icon reaches the catalogue after the program, as in the modify dialog: the
        // picked-icon file when the viewer saved one in this editor. AddProgram would drop a
        // file that is no picture without a word; stored on its own, a refusal is reported.
        if (IconPicked() && !store.SetProgramIcon(fields->name, mCtx.paths.TempPicture()))
            mCtx.prompt->MsgBox(
                QStringLiteral("The chosen icon could not be stored; the program shows the "
                               "default icon. Pick the icon again with Change Program."),
                PromptButtons::Ok, PromptIcon::Exclamation, QStringLiteral("Error"));
        mCtx.prompt->MsgBox(QStringLiteral("Program Added"), PromptButtons::Ok,
                            PromptIcon::Information, QStringLiteral("Success"));
        emit ProgramAdded(fields->name);
        accept();
    });
}

void frmAddProgram::cmdCancel_Click() {
    reject();
}
