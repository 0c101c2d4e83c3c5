#include "admin/frmSetup.h"

#include "platform/OrvError.h"
#include "platform/Text.h"
#include "services/AppContext.h"
#include "services/ThemeLogo.h"
#include "widgets/DialogCommon.h"
#include "widgets/GlyphButton.h"
#include "widgets/LowColor.h"
#include "widgets/PlainText.h"
#include "widgets/ProductBanner.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
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
    cmdSave = new GlyphButton(QStringLiteral("Save.."), this);
    cmdCancel = new GlyphButton(QStringLiteral("Cancel"), this);

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
    // Nothing is chosen until the administrator picks a domain.
    cboDomains->setCurrentIndex(-1);
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

void frmSetup::cmdCancel_Click() {
    reject();
}
