#include "admin/frmSetup.h"

#include "platform/OrvError.h"
#include "platform/ProductBanner.h"
#include "platform/Text.h"
#include "services/AppContext.h"
#include "services/ThemeLogo.h"
#include "widgets/DialogCommon.h"
#include "widgets/GlyphButton.h"
#include "widgets/LowColor.h"
#include "widgets/PlainText.h"
#include "widgets/ScreenFit.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSysInfo>
#include <QVBoxLayout>

namespace {

// The designed logo: the product's banner, titled.
QPixmap DesignedLogo(qreal ratio) {
    return ProductBanner(QSize(360, 64), ratio, QStringLiteral("Tessaro Orvane Setup"), 16, 16);
}

} // namespace

frmSetup::frmSetup(AppContext& ctx, QWidget* parent) : QDialog(parent), mCtx(ctx) {
    setObjectName(QStringLiteral("frmSetup"));
    setWindowTitle(QStringLiteral("Tessaro Orvane Setup...."));
    BuildControls();
    ScreenFit::Keep(this);
    Form_Load();
}

void frmSetup::BuildControls() {
    Image1 = PlainLabel(this);
    Image1->setPixmap(DesignedLogo(devicePixelRatioF()));
    Image1->setScaledContents(false);
    Picture1 = Decoration(QStringLiteral("computer"), 32, this);
    Image2 = Decoration(QStringLiteral("network-server"), 32, this);
    imgEdit = Decoration(QStringLiteral("document-properties"), 16, this);
    imgServer = Decoration(QStringLiteral("network-server"), 16, this);
    imgSync = Decoration(QStringLiteral("view-refresh"), 16, this);
    imgTable = Decoration(QStringLiteral("x-office-spreadsheet"), 16, this);

    Label2 = PlainLabel(QStringLiteral("Please select which domain(s) to use :"), this);
    cboDomains = new QComboBox(this);
    cboDomains->setEditable(true);
    cboDomains->setInsertPolicy(QComboBox::NoInsert);
    Label3 =
        PlainLabel(QStringLiteral("Select which group has admin rights on the program :"), this);
    cboGroups = new QComboBox(this);
    cboGroups->setEditable(true);
    cboGroups->setInsertPolicy(QComboBox::NoInsert);
    Label2->setBuddy(cboDomains);
    Label3->setBuddy(cboGroups);
    // The typing field inside each box is an object of its own to a screen reader.
    cboDomains->lineEdit()->setAccessibleName(Label2->text());
    cboGroups->lineEdit()->setAccessibleName(Label3->text());
    cmdSave = new GlyphButton(QStringLiteral("Save.."), this);
    cmdCancel = new GlyphButton(QStringLiteral("Cancel"), this);
    cmdSave->setDefault(true);

    connect(cboDomains, &QComboBox::activated, this, [this] { cboDomains_Click(); });
    connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });

    auto* fields = new QGridLayout;
    fields->addWidget(imgServer, 0, 0);
    fields->addWidget(Label2, 0, 1);
    fields->addWidget(cboDomains, 1, 1);
    fields->addWidget(imgTable, 2, 0);
    fields->addWidget(Label3, 2, 1);
    fields->addWidget(cboGroups, 3, 1);
    fields->setColumnStretch(1, 1);

    auto* pictures = new QVBoxLayout;
    pictures->addWidget(Picture1);
    pictures->addWidget(Image2);
    pictures->addWidget(imgEdit, 0, Qt::AlignHCenter);
    pictures->addWidget(imgSync, 0, Qt::AlignHCenter);
    pictures->addStretch();

    auto* middle = new QHBoxLayout;
    middle->addLayout(pictures);
    middle->addSpacing(12);
    middle->addLayout(fields, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdSave);
    buttons->addWidget(cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Image1);
    layout->addLayout(middle);
    layout->addStretch();
    layout->addLayout(buttons);
    setMinimumWidth(420);
}

void frmSetup::Form_Load() {
    if (mCtx.gLowColor)
        ApplyLowColor(this);
    if (const auto logo = ThemeLogo(mCtx, QStringLiteral("Theme_LogoSetup"))) {
        Image1->setPixmap(*logo);
        update();
    }
}

void frmSetup::loadDomains() {
    const QStringList domains = mCtx.directory->GetDomains(true);
    cboDomains->addItem(QSysInfo::machineHostName());
    for (qsizetype i = 1; i <= Count(domains); ++i)
        cboDomains->addItem(TrimSpaces(Item(domains, i)));
    // The boxes open on what is set, so that Save without a change keeps it; nothing is
    // chosen on a first run.
    cboDomains->setCurrentIndex(-1);
    const QString domain = StoredValue(QStringLiteral("5"));
    if (domain.isEmpty())
        return;
    const int known = cboDomains->findText(domain, Qt::MatchFixedString);
    if (known >= 0)
        cboDomains->setCurrentIndex(known);
    else
        cboDomains->setEditText(domain);
    LoadGroups();
    const QString group = StoredValue(QStringLiteral("6"));
    const int listed = cboGroups->findText(group, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (listed >= 0)
        cboGroups->setCurrentIndex(listed);
    else
        cboGroups->setEditText(group);
}

QString frmSetup::StoredValue(const QString& name) const {
    RegistryStore& registry = *mCtx.registry;
    const int root = RegistryStore::HKEY_LOCAL_MACHINE_;
    if (!registry.KeyExists(root, RegistryStore::kSettingsKey))
        return {};
    return registry.GetValue(root, RegistryStore::kSettingsKey, name).toString();
}

void frmSetup::cboDomains_Click() {
    LoadGroups();
}

void frmSetup::LoadGroups() {
    cboGroups->clear();
    const QStringList groups = mCtx.directory->GetGroups(cboDomains->currentText(), false);
    for (qsizetype i = 1; i <= Count(groups); ++i)
        cboGroups->addItem(Item(groups, i));
    cboGroups->setCurrentIndex(-1);
}

void frmSetup::cmdSave_Click() {
    RegistryStore& registry = *mCtx.registry;
    const int root = RegistryStore::HKEY_LOCAL_MACHINE_;
    // An administrator of the launcher who may not write the machine's settings learns why;
    // the program goes on with the settings it started with.
    try {
        if (registry.KeyExists(root, RegistryStore::kSettingsKey)) {
            if (!ConfirmNoGroup())
                return;
            registry.SetValue(root, RegistryStore::kSettingsKey, QStringLiteral("5"),
                              TrimSpaces(cboDomains->currentText()));
            registry.SetValue(root, RegistryStore::kSettingsKey, QStringLiteral("6"),
                              TrimSpaces(cboGroups->currentText()));
        }
    } catch (const OrvError& error) {
        mCtx.prompt->MsgBox(error.Description(), PromptButtons::Ok, PromptIcon::Critical,
                            QStringLiteral("Error"));
    }
    accept();
}

bool frmSetup::ConfirmNoGroup() {
    // Without a group nobody administers the launcher from its next start on: asked first.
    if (!TrimSpaces(cboGroups->currentText()).isEmpty())
        return true;
    return mCtx.prompt->MsgBox(
               QStringLiteral("No administrators' group is chosen. Saved so, nobody "
                              "will see the administration menus from the next "
                              "start on, until someone who may change the "
                              "settings file %1 sets a group (orvanectl settings "
                              "set admin-group GROUP). Save without a group?")
                   .arg(mCtx.registry->File()),
               PromptButtons::YesNo, PromptIcon::Exclamation) == PromptAnswer::Yes;
}

void frmSetup::cmdCancel_Click() {
    reject();
}
