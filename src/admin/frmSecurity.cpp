#include "admin/frmSecurity.h"

#include "admin/PrincipalArt.h"
#include "admin/frmAddSecurity.h"
#include "admin/frmChange.h"
#include "platform/OrvError.h"
#include "platform/Text.h"
#include "services/AppContext.h"
#include "widgets/GlyphButton.h"
#include "widgets/ImageList.h"
#include "widgets/ListView.h"
#include "widgets/LowColor.h"
#include "widgets/PlainText.h"
#include "widgets/ScreenFit.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QScopeGuard>
#include <QVBoxLayout>

namespace {

// What the platform raised for a list item taken when none was selected.
constexpr long kObjectNotSet = 91;

int KindOfTag(const QString& tag) {
    if (tag == QLatin1String("U"))
        return CatalogStore::KindUser;
    if (tag == QLatin1String("G"))
        return CatalogStore::KindGroup;
    return 0;
}

} // namespace

frmSecurity::frmSecurity(AppContext& ctx, QWidget* parent) : QDialog(parent), mCtx(ctx) {
    setObjectName(QStringLiteral("frmSecurity"));
    UseDialogBorder(this);
    ScreenFit::Keep(this, ScreenFit::Placement::CentredOnScreen);
    setWindowTitle(QStringLiteral("Current Permissions."));
    BuildControls();
    Form_Load();
}

frmSecurity::~frmSecurity() {
    // The list view refers to ImageList1 until it goes.
    delete lstView;
    lstView = nullptr;
}

void frmSecurity::BuildControls() {
    ImageList1 = std::make_unique<ImageList>(QSize(16, 16));
    PrincipalArt::FillPrincipalImages(*ImageList1);

    Label1 = PlainLabel(QStringLiteral("Select Program:"), this);
    cboProgram = new QComboBox(this);
    cboProgram->setObjectName(QStringLiteral("cboProgram"));
    cboProgram->setAccessibleName(QStringLiteral("Program"));
    Label1->setBuddy(cboProgram);
    Frame1 = new QFrame(this);
    Frame1->setFrameShape(QFrame::StyledPanel);
    Frame1->setAccessibleName(QStringLiteral("Rules of the program"));
    lstView = new ListView(Frame1);
    lstView->setObjectName(QStringLiteral("lstView"));
    lstView->SetColumnHeaders({QStringLiteral("Name"), QStringLiteral("Permission")});
    lstView->SetIcons(ImageList1.get());
    lstView->SetSmallIcons(ImageList1.get());
    lstView->SetView(ListView::lvwReport);
    lstView->SetAccessibleName(QStringLiteral("Permissions"));
    // Users and groups may share names: a screen reader says which one a rule is for.
    lstView->SetDescriber([this](int item) {
        return lstView->Tag(item) == QLatin1String("G") ? QStringLiteral("group")
                                                        : QStringLiteral("user");
    });
    lstView->CurrentView()->setAccessibleDescription(
        QStringLiteral("Enter changes the selected rule; Delete removes it"));
    // Enter and Delete act on the selected rule; taken before the view sees them.
    lstView->CurrentView()->installEventFilter(this);
    cmdAdd = new GlyphButton(QStringLiteral("Add"), this);
    cmdAdd->setAccessibleName(QStringLiteral("Add"));
    cmdRemove = new GlyphButton(QStringLiteral("Remove"), this);
    cmdRemove->setAccessibleName(QStringLiteral("Remove"));
    cmdAdd->setDefault(true);

    connect(cboProgram, &QComboBox::activated, this, [this] { cboProgram_Click(); });
    connect(lstView, &ListView::DblClick, this, [this] { lstView_DblClick(); });
    connect(cmdAdd, &QPushButton::clicked, this, [this] { cmdAdd_Click(); });
    connect(cmdRemove, &QPushButton::clicked, this, [this] { cmdRemove_Click(); });

    auto* frame = new QVBoxLayout(Frame1);
    frame->setContentsMargins(2, 2, 2, 2);
    frame->addWidget(lstView);
    auto* program = new QHBoxLayout;
    program->addWidget(Label1);
    program->addWidget(cboProgram, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdAdd);
    buttons->addStretch();
    buttons->addWidget(cmdRemove);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(program);
    layout->addWidget(Frame1, 1);
    layout->addLayout(buttons);
    setFixedSize(369, 294); // 5535 x 4410 twips
    setTabOrder(cboProgram, lstView->CurrentView());
    setTabOrder(lstView->CurrentView(), cmdAdd);
    setTabOrder(cmdAdd, cmdRemove);
}

void frmSecurity::Form_Load() {
    if (mCtx.gLowColor)
        ApplyLowColor(this);
    RunTrapped(mCtx, [this] { loadProgramNames(); });
}

void frmSecurity::loadProgramNames() {
    Recordset rs = mCtx.Catalog().GetPrograms();
    auto close = qScopeGuard([&rs] { rs.Close(); });
    const long count = rs.RecordCount();
    if (count == 0)
        return;
    rs.MoveFirst();
    QStringList names;
    for (long i = 1; i <= count; ++i) {
        names.append(TrimSpaces(rs.Fields(QStringLiteral("Program_Name")).toString()));
        rs.MoveNext();
    }
    cboProgram->addItems(names);
    // No program is picked until the administrator picks one.
    cboProgram->setCurrentIndex(-1);
}

QString frmSecurity::ProgramText() const {
    return cboProgram->currentText();
}

QString frmSecurity::PermissionText(int status) {
    switch (status) {
    case CatalogStore::StatusDeny:
        return QStringLiteral("Denied");
    case CatalogStore::StatusAllow:
        return QStringLiteral("Allow");
    default:
        return {};
    }
}

void frmSecurity::cboProgram_Click() {
    RunTrapped(mCtx, [this] { loadPermissionData(ProgramText()); });
}

void frmSecurity::loadPermissionData(const QString& programName) {
    const auto fill = [this](Recordset rs, const QString& nameField, int picture,
                             const QString& tag) {
        auto close = qScopeGuard([&rs] { rs.Close(); });
        const long count = rs.RecordCount();
        if (count == 0)
            return;
        rs.MoveFirst();
        for (long i = 1; i <= count; ++i) {
            const int item =
                lstView->AddItem(TrimSpaces(rs.Fields(nameField).toString()), picture, picture);
            // A rule without a status shows no permission.
            const QVariant status = rs.Fields(QStringLiteral("Status"));
            lstView->SetSubItem(item, 1,
                                status.isNull() ? QString() : PermissionText(status.toInt()));
            lstView->SetTag(item, tag);
            if (tag == QLatin1String("G"))
                lstView->SetMark(item, QStringLiteral("(group)"));
            rs.MoveNext();
        }
    };
    // Both read before the list is emptied: a failing catalogue leaves the list as it was.
    Recordset groups = mCtx.Catalog().GetProgramGroupPermissions(programName);
    Recordset users = mCtx.Catalog().GetProgramUserPermissions(programName);
    lstView->Clear();
    fill(std::move(groups), QStringLiteral("GroupName"), PrincipalArt::kGroupPicture,
         QStringLiteral("G"));
    fill(std::move(users), QStringLiteral("Username"), PrincipalArt::kUserPicture,
         QStringLiteral("U"));
}

void frmSecurity::lstView_DblClick() {
    const int selected = lstView->SelectedItem();
    if (selected == 0)
        return;
    RunTrapped(mCtx, [this, selected] {
        frmChange editor(mCtx, this);
        editor.showModal = showModal;
        connect(&editor, &frmChange::RuleStored, this,
                [this](const QString& principal, const QString& tag) {
                    RefreshRules();
                    FocusRule(principal, tag);
                });
        editor.CreateMe(ProgramText(), lstView->Text(selected), lstView->SubItem(selected, 1),
                        lstView->Tag(selected));
    });
}

void frmSecurity::cmdAdd_Click() {
    cmdAdd->setEnabled(false);
    QString principal, tag;
    {
        auto enable = qScopeGuard([this] { cmdAdd->setEnabled(true); });
        RunTrapped(mCtx, [&] {
            frmAddSecurity picker(mCtx, ProgramText(), this);
            picker.showModal = showModal;
            connect(&picker, &frmAddSecurity::RuleStored, this,
                    [&](const QString& storedFor, const QString& storedTag) {
                        RefreshRules();
                        principal = storedFor;
                        tag = storedTag;
                    });
            if (picker.Loaded())
                showModal(picker);
        });
    }
    // The new rule has the focus; Add keeps it when nothing was stored. (Disabled while the
    // picker was open, Add had passed the focus on to Remove.)
    if (principal.isEmpty())
        cmdAdd->setFocus(Qt::OtherFocusReason);
    else
        FocusRule(principal, tag);
}

void frmSecurity::RefreshRules() {
    RunTrapped(mCtx, [this] { loadPermissionData(ProgramText()); });
}

void frmSecurity::FocusRule(const QString& principal, const QString& tag) {
    for (int i = 1; i <= lstView->Count(); ++i)
        if (lstView->Text(i) == TrimSpaces(principal) && lstView->Tag(i) == tag) {
            lstView->SelectItem(i);
            lstView->CurrentView()->setFocus(Qt::OtherFocusReason);
            return;
        }
}

void frmSecurity::cmdRemove_Click() {
    try {
        RemoveSelectedRule();
    } catch (const OrvError& error) {
        mCtx.prompt->MsgBox(QStringLiteral("%1, %2").arg(error.Number()).arg(error.Description()),
                            PromptButtons::Ok, PromptIcon::Critical, error.Source());
    }
}

void frmSecurity::RemoveSelectedRule() {
    const int selected = lstView->SelectedItem();
    if (selected == 0)
        throw OrvError(kObjectNotSet,
                       QStringLiteral("No rule is selected. Pick a program, select one of its "
                                      "rules in the list, then press Remove."),
                       Prompt::kApplicationTitle);
    const int kind = KindOfTag(lstView->Tag(selected));
    const long principalId = mCtx.Catalog().GetObjectId(lstView->Text(selected), kind);
    const long programId = mCtx.Catalog().GetProgramId(ProgramText());
    if (mCtx.Catalog().DeletePermission(principalId, programId))
        mCtx.prompt->MsgBox(QStringLiteral("Deleted Permission"), PromptButtons::Ok,
                            PromptIcon::Critical);
    else
        mCtx.prompt->MsgBox(QStringLiteral("Couldn't Delete Permission"), PromptButtons::Ok,
                            PromptIcon::Critical);
    loadPermissionData(ProgramText());
}

bool frmSecurity::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && lstView && watched == lstView->CurrentView()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            lstView_DblClick();
            return true;
        }
        if (key == Qt::Key_Delete) {
            cmdRemove_Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
