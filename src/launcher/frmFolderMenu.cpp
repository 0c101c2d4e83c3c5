#include "launcher/frmFolderMenu.h"

#include "launcher/Launching.h"
#include "launcher/MenuArt.h"
#include "platform/ThemeIcon.h"
#include "services/AppContext.h"
#include "widgets/ImageList.h"
#include "widgets/ListView.h"
#include "widgets/ScreenFit.h"

#include <QDir>
#include <QFileInfo>
#include <QVBoxLayout>

namespace {
constexpr int kFilePicture = 1;
constexpr int kFolderPicture = 2;
} // namespace

QString JoinFolderPath(const QString& folder, const QString& name) {
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

frmFolderMenu::frmFolderMenu(AppContext& ctx, QWidget* parent) : QWidget(parent), mCtx(ctx) {
    setWindowFlag(Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frmFolderMenu"));
    setWindowTitle(QStringLiteral("Folder Menu.."));
    setWindowIcon(ThemeIcon::ForWindow(MenuArt::Picture(MenuArt::Kind::Folder)));
    resize(560, 380);
    ScreenFit::Keep(this);

    ImageList1 = std::make_unique<ImageList>(QSize(24, 24));
    ImageList1->Add(MenuArt::Picture(MenuArt::Kind::File));
    ImageList1->Add(MenuArt::Picture(MenuArt::Kind::Folder));
    ListView1 = new ListView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->SetAccessibleName(QStringLiteral("Files and folders"));
    ListView1->SetIcons(ImageList1.get());
    ListView1->SetSmallIcons(ImageList1.get());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(ListView1);
    connect(ListView1, &ListView::DblClick, this, &frmFolderMenu::ListView1_DblClick);
    connect(ListView1, &ListView::KeyDown, this, [this](int key) {
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            ListView1_DblClick();
    });
    Form_Load();
}

frmFolderMenu::~frmFolderMenu() {
    delete ListView1;
    ListView1 = nullptr;
}

void frmFolderMenu::Form_Load() {
    ListView1->Clear();
}

void frmFolderMenu::LoadFolder(const QString& mStrFolderName, const QString& mStrFolderPath) {
    setWindowTitle(QStringLiteral("Viewing Folder : ") + mStrFolderName + QStringLiteral(" (") +
                   mStrFolderPath + QStringLiteral(")"));
    const QFileInfo folderInfo(mStrFolderPath);
    if (mStrFolderPath.isEmpty() || !folderInfo.isDir()) {
        mCtx.prompt->MsgBox(QStringLiteral("Invalid Folder!!!"), PromptButtons::Ok,
                            PromptIcon::Critical, QStringLiteral("Error"));
        return;
    }
    const QDir folder(mStrFolderPath);
    if (!folderInfo.isReadable()) {
        mCtx.prompt->MsgBox(QStringLiteral("Permission denied: ") + mStrFolderPath,
                            PromptButtons::Ok, PromptIcon::Critical, QStringLiteral("Error"));
        return;
    }
    // Hidden entries too, as the desktop's file manager lists them when asked; sockets, pipes
    // and broken links count as files.
    const QDir::Filters common = QDir::NoDotAndDotDot | QDir::Hidden;
    const QDir::SortFlags order = QDir::Name | QDir::IgnoreCase;
    const QFileInfoList subfolders = folder.entryInfoList(QDir::Dirs | common, order);
    for (const QFileInfo& sub : subfolders) {
        const int item = ListView1->AddItem(sub.fileName(), kFolderPicture, kFolderPicture);
        ListView1->SetBold(item, true);
        // The folder the subfolder stands in; it names itself on POSIX, where there are no
        // short names.
        ListView1->SetTag(item, sub.absolutePath());
        ListView1->SetToolTipText(item, sub.fileName());
    }
    const QFileInfoList files = folder.entryInfoList(QDir::Files | QDir::System | common, order);
    for (const QFileInfo& file : files) {
        const int item = ListView1->AddItem(file.fileName(), kFilePicture, kFilePicture);
        ListView1->SetTag(item, file.absoluteFilePath());
    }
}

void frmFolderMenu::ListView1_DblClick() {
    const int selected = ListView1->SelectedItem();
    if (selected == 0)
        return;
    const QString text = ListView1->Text(selected);
    const QString tag = ListView1->Tag(selected);
    if (!ListView1->Bold(selected)) {
        modMain::OpenFolder(mCtx, text, tag);
        return;
    }
    auto* sub = new frmFolderMenu(mCtx, qobject_cast<QWidget*>(mCtx.mainWindow.data()));
    sub->show();
    sub->LoadFolder(text, JoinFolderPath(tag, text));
}
