#include "admin/frmAddSecurity.h"

#include "access/AccessEvaluation.h"
#include "admin/PrincipalArt.h"
#include "admin/PrincipalList.h"
#include "admin/frmChange.h"
#include "platform/OrvError.h"
#include "services/AppContext.h"
#include "widgets/GlyphButton.h"
#include "widgets/ImageList.h"
#include "widgets/LowColor.h"
#include "widgets/PlainText.h"
#include "widgets/ScreenFit.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>
#include <QVBoxLayout>

frmAddSecurity::frmAddSecurity(AppContext& ctx, QString program, QWidget* parent)
    : QDialog(parent), mCtx(ctx), mProgram(std::move(program)) {
    setObjectName(QStringLiteral("frmAddSecurity"));
    UseDialogBorder(this);
    ScreenFit::Keep(this, ScreenFit::Placement::CentredOnScreen);
    setWindowTitle(QStringLiteral("Select User or Group.."));
    BuildControls();
    Form_Load();
}

frmAddSecurity::~frmAddSecurity() {
    // The list refers to ImageList1 until it goes.
    delete lstPer;
    lstPer = nullptr;
}

void frmAddSecurity::BuildControls() {
    ImageList1 = std::make_unique<ImageList>(QSize(16, 16));
    PrincipalArt::FillPrincipalImages(*ImageList1);

    lblFilter = PlainLabel(QStringLiteral("&Find:"), this);
    txtFilter = new QLineEdit(this);
    txtFilter->setObjectName(QStringLiteral("txtFilter"));
    txtFilter->setClearButtonEnabled(true);
    txtFilter->setPlaceholderText(QStringLiteral("name or SID"));
    txtFilter->setAccessibleName(QStringLiteral("Find a user or group by name or SID"));
    lblFilter->setBuddy(txtFilter);
    lstPer = new PrincipalList(this);
    lstPer->setObjectName(QStringLiteral("lstPer"));
    lstPer->SetColumnHeaders({QStringLiteral("User Name"), QStringLiteral("Sid")});
    lstPer->SetSmallIcons(ImageList1.get());
    lstPer->setAccessibleName(QStringLiteral("Users and groups"));
    lstPer->setAccessibleDescription(QStringLiteral("Enter gives the selected one a rule"));
    cmdAdd = new GlyphButton(QStringLiteral("Add"), this);
    cmdAdd->setAccessibleName(QStringLiteral("Add"));
    cmdCancel = new GlyphButton(QStringLiteral("Cancel"), this);
    cmdAdd->setDefault(true);
    cmdCancel->setAccessibleName(QStringLiteral("Cancel"));

    connect(txtFilter, &QLineEdit::textChanged, this, [this] { txtFilter_Change(); });
    // The arrows move through the list while the focus stays in Find.
    txtFilter->installEventFilter(this);
    connect(lstPer, &PrincipalList::Activated, this, [this] { cmdAdd_Click(); });
    connect(cmdAdd, &QPushButton::clicked, this, [this] { cmdAdd_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });

    auto* find = new QHBoxLayout;
    find->addWidget(lblFilter);
    find->addWidget(txtFilter, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdAdd);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(find);
    layout->addWidget(lstPer, 1);
    layout->addLayout(buttons);
    setFixedSize(393, 254); // 5895 x 3810 twips
    setTabOrder(txtFilter, lstPer);
    setTabOrder(lstPer, cmdAdd);
    setTabOrder(cmdAdd, cmdCancel);
}

void frmAddSecurity::Form_Load() {
    if (mCtx.gLowColor)
        ApplyLowColor(this);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    const QString domain = modMain::GetDomain(mCtx);
    try {
        loadPrincipals(domain);
        mLoaded = true;
    } catch (const OrvError& error) {
        restore.dismiss();
        QApplication::restoreOverrideCursor();
        mCtx.prompt->MsgBox(
            QStringLiteral("The users and groups of the domain \"%1\" could not be read:\n%2\n\n"
                           "Check the domain under Configure/Setup and that its directory can "
                           "be reached, then press Add again.")
                .arg(domain, error.Description()),
            PromptButtons::Ok, PromptIcon::Critical, QStringLiteral("Error"));
    }
    // Typing narrows the list at once; the arrows and Enter work from there.
    txtFilter->setFocus();
}

void frmAddSecurity::loadPrincipals(const QString& domain) {
    const QStringList groups = mCtx.directory->GetGroups(domain, false);
    const QList<DirectoryAccount> users = mCtx.directory->GetUsersWithSids(domain, false);
    QList<PrincipalList::Item> items;
    items.reserve(groups.size() + users.size());
    for (const QString& group : groups)
        items.append({group, QString(), QStringLiteral("G"), PrincipalArt::kGroupPicture});
    for (const DirectoryAccount& user : users)
        items.append({user.name, user.sid, QStringLiteral("U"), PrincipalArt::kUserPicture});
    // One pass with painting held back: the view lays the list out once.
    lstPer->setUpdatesEnabled(false);
    lstPer->SetItems(std::move(items));
    lstPer->setUpdatesEnabled(true);
}

void frmAddSecurity::txtFilter_Change() {
    lstPer->Filter(txtFilter->text());
}

void frmAddSecurity::cmdAdd_Click() {
    const int selected = lstPer->SelectedItem();
    if (selected == 0) {
        mCtx.prompt->MsgBox(QStringLiteral("Please select a user or group to continue"),
                            PromptButtons::Ok, PromptIcon::Exclamation, QStringLiteral("Oops"));
        return;
    }
    RunTrapped(mCtx, [this, selected] {
        frmChange editor(mCtx, this);
        editor.showModal = showModal;
        connect(&editor, &frmChange::RuleStored, this, &frmAddSecurity::RuleStored);
        editor.CreateMe(mProgram, lstPer->Text(selected), QStringLiteral("-1"),
                        lstPer->Tag(selected));
    });
    // Stored or not, the picker's work is done.
    done(QDialog::Accepted);
}

bool frmAddSecurity::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtFilter && event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            // The list, without the focus, keeps its selection but no current item: the
            // arrows move on from the selected one.
            if (!lstPer->currentIndex().isValid() && lstPer->SelectedItem() != 0)
                lstPer->SelectItem(lstPer->SelectedItem());
            QCoreApplication::sendEvent(lstPer, event);
            return true;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmAddSecurity::cmdCancel_Click() {
    done(QDialog::Rejected);
}
