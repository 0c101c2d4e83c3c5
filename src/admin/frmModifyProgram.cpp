#include "admin/frmModifyProgram.h"

#include "platform/Text.h"
#include "services/AppContext.h"
#include "widgets/GlyphButton.h"
#include "widgets/PlainText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

frmModifyProgram::frmModifyProgram(AppContext& ctx, QWidget* parent)
    : ProgramEditor(ctx, parent, QStringLiteral("Modify A Runnable Program.."),
                    QStringLiteral("Modify a runnable program...."), QStringLiteral("..."),
                    QStringLiteral("Save")) {
    setObjectName(QStringLiteral("frmModifyProgram"));
    Label3 = PlainLabel(QStringLiteral("Icon :"), this);
    Picture2 = PlainLabel(this);
    Picture2->setFixedSize(36, 36);
    Picture2->setFrameShape(QFrame::Box);
    Picture2->setAlignment(Qt::AlignCenter);
    mIconRow->addWidget(Label3);
    mIconRow->addWidget(Picture2);
    mIconRow->addWidget(cmdIcon);
    mIconRow->addStretch();

    connect(cmdIcon, &QPushButton::clicked, this, [this] { cmdIcon_Click(); });
    connect(cmdAdd, &QPushButton::clicked, this, [this] { cmdAdd_Click(); });
    UseFixedDialogBorder(this, QSize(356, 347)); // 5340 x 5205 twips
    Form_Load();
}

void frmModifyProgram::Form_Load() {
    LoadCommon();
}

void frmModifyProgram::SetProgram(const QString& name) {
    mStrProgram = TrimSpaces(name);
    loadProgramInfo(mStrProgram);
}

void frmModifyProgram::loadProgramInfo(const QString& name) {
    CatalogStore& store = mCtx.Catalog();
    Recordset rs = store.GetProgram(name);
    if (rs.RecordCount() == 0) {
        mCtx.prompt->MsgBox(QStringLiteral("Couldn't Load Program Information"), PromptButtons::Ok,
                            PromptIcon::Critical, QStringLiteral("Error"));
        rs.Close();
        return;
    }
    rs.MoveFirst();
    // A null field shows as empty text.
    txtProgramDescription->setPlainText(rs.Fields(QStringLiteral("Program_Desc")).toString());
    txtProgramName->setText(rs.Fields(QStringLiteral("Program_Name")).toString());
    txtProgramPath->setText(rs.Fields(QStringLiteral("Program_Path")).toString());
    txtDropStartIn->setText(rs.Fields(QStringLiteral("Program_StartInDir")).toString());
    txtDropStartUp->setText(rs.Fields(QStringLiteral("Program_StartUpParms")).toString());
    const QString storedName = TrimSpaces(rs.Fields(QStringLiteral("Program_Name")).toString());
    store.ExportProgramIcon(storedName);
    ShowIcon(mCtx.paths.PictureFile(storedName));
    rs.Close();
}

void frmModifyProgram::ShowIcon(const QString& pictureFile) {
    // A missing or unreadable picture leaves the box empty.
    const QPixmap picture = LoadPicture(pictureFile);
    if (picture.isNull())
        Picture2->clear();
    else
        Picture2->setPixmap(picture.scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void frmModifyProgram::cmdIcon_Click() {
    if (PickIcon())
        ShowIcon(mCtx.paths.TempPicture());
}

void frmModifyProgram::cmdAdd_Click() {
    RunTrapped(mCtx, [this] {
        const auto fields = ValidatedFields();
        if (!fields)
            return;
        CatalogStore& store = mCtx.Catalog();
        if (!store.ModifyProgram(mStrProgram, fields->name, fields->description, fields->path,
                                 fields->startInDir, fields->startUpParms)) {
            mCtx.prompt->MsgBox(QStringLiteral("Unable to modify program"), PromptButtons::Ok,
                                PromptIcon::Critical, QStringLiteral("Error"));
            return;
        }
        // The icon reaches the catalogue after the change, under the program's new name: the
        // picked-icon file when the viewer saved one in this editor; otherwise the program
        // keeps the icon it had.
        if (IconPicked() && !store.SetProgramIcon(fields->name, mCtx.paths.TempPicture()))
            mCtx.prompt->MsgBox(
                QStringLiteral("The chosen icon could not be stored; the program keeps its "
                               "previous icon."),
                PromptButtons::Ok, PromptIcon::Exclamation, QStringLiteral("Error"));
        mCtx.prompt->MsgBox(QStringLiteral("Program Modified"), PromptButtons::Ok,
                            PromptIcon::Information, QStringLiteral("Sucess"));
        mStrProgram = fields->name;
        emit ProgramModified(mStrProgram);
        accept();
    });
}
