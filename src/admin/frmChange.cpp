#include "admin/frmChange.h"

#include "access/AccessEvaluation.h"
#include "platform/OrvError.h"
#include "platform/Text.h"
#include "services/AppContext.h"
#include "services/CataloguePrincipal.h"
#include "widgets/GlyphButton.h"
#include "widgets/LowColor.h"
#include "widgets/PlainText.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>

namespace {
const QString kNotApplied = QStringLiteral("Unable to apply new security information!");
} // namespace

frmChange::frmChange(AppContext& ctx, QWidget* parent) : QDialog(parent), mCtx(ctx) {
    setObjectName(QStringLiteral("frmChange"));
    UseDialogBorder(this);
    setWindowTitle(QStringLiteral("Change Permission"));
    BuildControls();
    Form_Load();
}

void frmChange::BuildControls() {
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    Label1 = PlainLabel(QStringLiteral("Item:"), this);
    lblItem = PlainLabel(this);
    lblItem->setObjectName(QStringLiteral("lblItem"));
    QFont bold = lblItem->font();
    bold.setBold(true);
    lblItem->setFont(bold);
    Label2 = PlainLabel(QStringLiteral("Please select permission below"), this);
    opAllow = new QRadioButton(QStringLiteral("Allow"), this);
    opAllow->setAccessibleName(QStringLiteral("Allow"));
    opDeny = new QRadioButton(QStringLiteral("Deny"), this);
    opDeny->setAccessibleName(QStringLiteral("Deny"));
    // One choice at most; none until the administrator or CreateMe makes one.
    auto* options = new QButtonGroup(this);
    options->addButton(opAllow);
    options->addButton(opDeny);
    cmdSave = new GlyphButton(QStringLiteral("Save"), this);
    cmdSave->setAccessibleName(QStringLiteral("Save"));
    cmdSave->setDefault(true);

    connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });

    auto* item = new QHBoxLayout;
    item->addWidget(Label1);
    item->addWidget(lblItem, 1);
    auto* choice = new QHBoxLayout;
    choice->addWidget(opAllow);
    choice->addWidget(opDeny);
    choice->addStretch();
    choice->addWidget(cmdSave);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(item);
    layout->addWidget(Label2);
    layout->addLayout(choice);
    setFixedSize(325, 132); // 4875 x 1980 twips
}

void frmChange::Form_Load() {
    if (mCtx.gLowColor)
        ApplyLowColor(this);
}

void frmChange::CreateMe(const QString& strPrgName, const QString& objName,
                         const QString& strStatus, const QString& strTag) {
    mStrPrgName = strPrgName;
    mStrObjName = objName;
    mStrTag = strTag;
    lblItem->setText(TrimSpaces(objName));
    lblItem->setAccessibleName(
        QStringLiteral("Item: ") + TrimSpaces(objName) +
        (strTag == QLatin1String("G") ? QStringLiteral(" (group)") : QStringLiteral(" (user)")));
    if (strStatus == QLatin1String("Denied"))
        opDeny->setChecked(true);
    else if (strStatus == QLatin1String("Allow"))
        opAllow->setChecked(true);
    showModal(*this);
}

void frmChange::cmdSave_Click() {
    bool stored = false;
    try {
        stored = StoreRule();
    } catch (const OrvError& error) {
        // The replace ran in one transaction: the earlier rule is still there.
        mCtx.prompt->MsgBox(kNotApplied + QStringLiteral("\n\n") + error.Description() +
                                QStringLiteral("\n\nThe earlier rule is unchanged; correct the "
                                               "cause and press Save again."),
                            PromptButtons::Ok, PromptIcon::Critical, QStringLiteral("Error"));
        return;
    }
    if (!stored) {
        mCtx.prompt->MsgBox(kNotApplied, PromptButtons::Ok, PromptIcon::Critical,
                            QStringLiteral("Error"));
        return;
    }
    emit RuleStored(mStrObjName, mStrTag);
    accept();
}

bool frmChange::StoreRule() {
    CatalogStore& catalog = mCtx.Catalog();
    const long programId = catalog.GetProgramId(mStrPrgName);
    const int kind = mStrTag == QLatin1String("G")   ? CatalogStore::KindGroup
                     : mStrTag == QLatin1String("U") ? CatalogStore::KindUser
                                                     : 0;
    long principalId = 0;
    if (kind != 0) {
        // The name came from the directory's list or from a stored rule: no need to look it
        // up in the directory again.
        AddPrincipalIfMissing(catalog, *mCtx.directory, modMain::GetDomain(mCtx), mStrObjName, kind,
                              false);
        principalId = catalog.GetObjectId(mStrObjName, kind);
    }
    const int status = opAllow->isChecked() ? CatalogStore::StatusAllow : CatalogStore::StatusDeny;
    return catalog.ReplacePermission(principalId, programId, mStrObjName, status, mStrPrgName,
                                     kind);
}
