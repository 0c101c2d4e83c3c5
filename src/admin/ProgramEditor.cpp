#include "admin/ProgramEditor.h"

#include "admin/frmExpandTextArea.h"
#include "platform/OrvError.h"
#include "platform/ShellDesktopEntry.h"
#include "platform/Text.h"
#include "platform/ThemeIcon.h"
#include "resources/clsResourceViewer.h"
#include "services/AppContext.h"
#include "services/ThemeLogo.h"
#include "widgets/GlyphButton.h"
#include "widgets/LowColor.h"
#include "widgets/PlainText.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImageWriter>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QVBoxLayout>

namespace {

// Writes the entry's icon where the resource viewer's Select writes its picture, as a bitmap of
// the size program pictures are shown at; says why when there is none.
bool PickDesktopEntryIcon(AppContext& ctx, const QString& entry) {
    QString problem;
    try {
        const QImage picture = DesktopEntry::Icon(entry, 32);
        if (picture.isNull()) {
            problem = QStringLiteral("The desktop entry \"%1\" names no icon that the icon theme "
                                     "holds. Install the entry's icon or pick no icon.")
                          .arg(entry);
        } else {
            QDir().mkpath(ctx.paths.PictureDir());
            QSaveFile file(ctx.paths.TempPicture());
            if (file.open(QIODevice::WriteOnly) && QImageWriter(&file, "bmp").write(picture) &&
                file.commit())
                return true;
            problem = QStringLiteral("Unable to save resource");
        }
    } catch (const OrvError& error) {
        problem = error.Description();
    }
    ctx.prompt->MsgBox(problem, PromptButtons::Ok, PromptIcon::Critical, QStringLiteral("Error"));
    return false;
}

} // namespace

ProgramEditor::ProgramEditor(AppContext& ctx, QWidget* parent, const QString& caption,
                             const QString& heading, const QString& iconCaption,
                             const QString& addCaption)
    : QDialog(parent), mCtx(ctx) {
    pickIcon = [this](const QString& programPath) {
        // A desktop entry holds no icon resources; the icon its Icon key names is the pick.
        if (DesktopEntry::IsEntry(TrimSpaces(programPath)))
            return PickDesktopEntryIcon(mCtx, TrimSpaces(programPath));
        if (!mResourceViewer)
            mResourceViewer = std::make_unique<clsResourceViewer>(mCtx);
        return mResourceViewer->ShowResources(programPath, this);
    };
    UseDialogBorder(this);
    setWindowTitle(caption);
    BuildControls(heading, iconCaption, addCaption);
}

ProgramEditor::~ProgramEditor() = default;

void ProgramEditor::BuildControls(const QString& heading, const QString& iconCaption,
                                  const QString& addCaption) {
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    Picture1 = new QFrame(this);
    Picture1->setFrameShape(QFrame::StyledPanel);
    Label4 = PlainLabel(heading, Picture1);
    QFont bold = Label4->font();
    bold.setBold(true);
    Label4->setFont(bold);
    Image2 = PlainLabel(Picture1);
    Image2->setPixmap(ThemeIcon::Named(QStringLiteral("computer")).pixmap(32, 32));
    Image2->setFixedSize(32, 32);
    auto* band = new QHBoxLayout(Picture1);
    band->setContentsMargins(8, 4, 8, 4);
    band->addWidget(Label4, 1);
    band->addWidget(Image2);

    Image1 = PlainLabel(this);
    Image1->setPixmap(DesignedEditorLogo(devicePixelRatioF()));

    Label1 = PlainLabel(QStringLiteral("Program Name :"), this);
    txtProgramName = new QLineEdit(this);
    Label2 = PlainLabel(QStringLiteral("Program's Exe Path :"), this);
    txtProgramPath = new QLineEdit(this);
    cmdExePath = new GlyphButton(QStringLiteral("..."), this);
    Label5 = PlainLabel(QStringLiteral("Description of Program"), this);
    txtProgramDescription = new QPlainTextEdit(this);
    txtProgramDescription->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtProgramDescription->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtProgramDescription->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtProgramDescription->setTabChangesFocus(true);
    txtProgramDescription->setMinimumHeight(56);
    lblStartInDir = PlainLabel(QStringLiteral("Start In Directory :"), this);
    txtDropStartIn = new QLineEdit(this);
    cmdDropDir = new GlyphButton(QStringLiteral("..."), this);
    lblParms = PlainLabel(QStringLiteral("Start Up Parameters :"), this);
    txtDropStartUp = new QLineEdit(this);
    cmdDropStartUp = new GlyphButton(QStringLiteral("..."), this);
    cmdIcon = new GlyphButton(iconCaption, this);
    cmdAdd = new GlyphButton(addCaption, this);
    cmdAdd->setDefault(true);
    // The browse and enlarge buttons are as small as their caption; a screen reader reads what
    // each does, its caption included.
    cmdExePath->setAccessibleName(QStringLiteral("Choose the program's file..."));
    cmdDropDir->setAccessibleName(QStringLiteral("Type the start-in directory in a larger box..."));
    cmdDropStartUp->setAccessibleName(
        QStringLiteral("Type the start-up parameters in a larger box..."));
    for (GlyphButton* button : {cmdExePath, cmdDropDir, cmdDropStartUp}) {
        button->setFixedWidth(button->fontMetrics().horizontalAdvance(button->text()) + 20);
        button->setToolTip(PlainToolTip(button->accessibleName()));
    }
    Label1->setBuddy(txtProgramName);
    Label2->setBuddy(txtProgramPath);
    Label5->setBuddy(txtProgramDescription);
    lblStartInDir->setBuddy(txtDropStartIn);
    lblParms->setBuddy(txtDropStartUp);

    connect(cmdExePath, &QPushButton::clicked, this, [this] { cmdExePath_Click(); });
    connect(cmdDropDir, &QPushButton::clicked, this, [this] { cmdDropDir_Click(); });
    connect(cmdDropStartUp, &QPushButton::clicked, this, [this] { cmdDropStartUp_Click(); });

    auto* fields = new QGridLayout;
    fields->addWidget(Label1, 0, 0);
    fields->addWidget(txtProgramName, 0, 1, 1, 2);
    fields->addWidget(Label2, 1, 0);
    fields->addWidget(txtProgramPath, 1, 1);
    fields->addWidget(cmdExePath, 1, 2);
    fields->addWidget(Label5, 2, 0, 1, 3);
    fields->addWidget(txtProgramDescription, 3, 0, 1, 3);
    fields->addWidget(lblStartInDir, 4, 0);
    fields->addWidget(txtDropStartIn, 4, 1);
    fields->addWidget(cmdDropDir, 4, 2);
    fields->addWidget(lblParms, 5, 0);
    fields->addWidget(txtDropStartUp, 5, 1);
    fields->addWidget(cmdDropStartUp, 5, 2);
    fields->setColumnStretch(1, 1);
    fields->setRowStretch(3, 1);

    mIconRow = new QHBoxLayout;
    mButtonRow = new QHBoxLayout;
    mButtonRow->addStretch();
    mButtonRow->addWidget(cmdAdd);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Picture1);
    layout->addWidget(Image1, 0, Qt::AlignHCenter);
    layout->addLayout(fields, 1);
    // The icon and the buttons share the last row: the editor fits 400 pixels of height (a
    // 1024 x 600 screen at 150 %).
    auto* bottom = new QHBoxLayout;
    bottom->addLayout(mIconRow);
    bottom->addLayout(mButtonRow);
    layout->addLayout(bottom);
    resize(380, 400);
}

void ProgramEditor::LoadCommon() {
    if (mCtx.gLowColor)
        ApplyLowColor(this);
    if (const auto logo = ThemeLogo(mCtx, QStringLiteral("Theme_LogoAddRemove"))) {
        Image1->setPixmap(*logo);
        update();
    }
}

void ProgramEditor::cmdExePath_Click() {
    const QString file = mCtx.prompt->OpenFileName(
        QStringLiteral("Select Program's Executable File.."), QString(), ProgramsDirectory());
    if (file.isEmpty())
        return;
    txtProgramPath->setText(file);
    PathChosen();
}

void ProgramEditor::cmdDropDir_Click() {
    Expand(txtDropStartIn, QStringLiteral("Please type in the start in path below"));
}

void ProgramEditor::cmdDropStartUp_Click() {
    Expand(txtDropStartUp, QStringLiteral("Please type in the start up parameters below"));
}

void ProgramEditor::Expand(QLineEdit* textBox, const QString& caption) {
    if (!mExpand)
        mExpand = std::make_unique<frmExpandTextArea>(mCtx);
    // Both buttons open the window where the start-in button sits, on the screen.
    mExpand->move(cmdDropDir->mapToGlobal(QPoint(0, 0)));
    mExpand->setWindowTitle(caption);
    mExpand->SetTextBox(textBox);
    showModal(*mExpand);
}

std::optional<ProgramEditor::Fields> ProgramEditor::ValidatedFields() {
    Fields fields;
    fields.name = TrimSpaces(txtProgramName->text());
    fields.path = TrimSpaces(txtProgramPath->text());
    if (fields.name.isEmpty() || fields.path.isEmpty()) {
        mCtx.prompt->MsgBox(QStringLiteral("Please fill all fields in."), PromptButtons::Ok,
                            PromptIcon::Exclamation, QStringLiteral("Error"));
        return std::nullopt;
    }
    if (const QString problem = ProgramNameProblem(fields.name); !problem.isEmpty()) {
        mCtx.prompt->MsgBox(problem, PromptButtons::Ok, PromptIcon::Exclamation,
                            QStringLiteral("Error"));
        return std::nullopt;
    }
    fields.description = TrimSpaces(txtProgramDescription->toPlainText());
    fields.startInDir = txtDropStartIn->text();
    fields.startUpParms = txtDropStartUp->text();
    return fields;
}

bool ProgramEditor::PickIcon() {
    if (!pickIcon)
        return false;
    // A viewer closed without a selection keeps an icon picked earlier in this editor.
    const bool saved = pickIcon(txtProgramPath->text());
    if (saved)
        mIconPicked = true;
    return saved;
}
