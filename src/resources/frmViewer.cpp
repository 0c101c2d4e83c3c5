#include "resources/frmViewer.h"

#include "platform/OrvError.h"
#include "platform/Text.h"
#include "resources/PictureBox.h"
#include "resources/ResourceTree.h"
#include "resources/clsQueryStatus.h"
#include "resources/mEnumResourse.h"
#include "resources/mGetResource.h"
#include "resources/mGlobal.h"
#include "resources/mMain.h"
#include "resources/mShowResource.h"
#include "services/AppContext.h"
#include "widgets/GlyphButton.h"
#include "widgets/ImageList.h"
#include "widgets/LowColor.h"
#include "widgets/ScreenFit.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageWriter>
#include <QSaveFile>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Types previewed as pictures of the module, the ones of them that are decoded (cursor,
// bitmap, icon; the groups only list them), and types whose data is a whole image file.
const QStringList kPictureTypes = {u"1"_s, u"2"_s, u"3"_s, u"12"_s, u"14"_s};
const QStringList kDecodedTypes = {u"1"_s, u"2"_s, u"3"_s};
const QStringList kImageFileTypes = {u"JPG"_s, u"JPEG"_s, u"GIF"_s, u"PNG"_s,
                                     u"TIF"_s, u"TIFF"_s, u"WMF"_s, u"EMF"_s};

// The text of a node as the original's IsNumeric reads it: digits, perhaps with spaces around.
bool IsNumericText(const QString& text) {
    const QString trimmed = TrimSpaces(text);
    return !trimmed.isEmpty() &&
           std::all_of(trimmed.begin(), trimmed.end(), [](QChar c) { return c.isDigit(); });
}

// The type a node stands for: its text when it has no key, else its key without the "#".
QString NodeType(const QTreeWidgetItem* node) {
    const QString key = ResourceTree::Key(node);
    return key.isEmpty() ? ResourceTree::Text(node) : key.mid(1);
}

// Writes the picture as a Windows bitmap, replacing the file only once it is complete.
void SavePicture(const QImage& image, const QString& path) {
    QSaveFile file(path);
    if (image.isNull() || !file.open(QIODevice::WriteOnly) ||
        !QImageWriter(&file, "bmp").write(image) || !file.commit())
        throw OrvError(75, QStringLiteral("Path/File access error"), QStringLiteral("frmViewer"));
}

// `text` broken at spaces into lines no wider than `width` pixels (a longer word stays whole).
QStringList WrapToWidth(const QString& text, const QFontMetrics& metrics, int width) {
    QStringList lines;
    QString line;
    for (const QString& word : text.split(u' ', Qt::SkipEmptyParts)) {
        const QString longer = line.isEmpty() ? word : line + u' ' + word;
        if (!line.isEmpty() && metrics.horizontalAdvance(longer) > width) {
            lines.append(line);
            line = word;
        } else {
            line = longer;
        }
    }
    if (!line.isEmpty())
        lines.append(line);
    return lines;
}

class WaitCursor {
public:
    explicit WaitCursor(QWidget* window) : mWindow(window) { window->setCursor(Qt::WaitCursor); }
    ~WaitCursor() { mWindow->unsetCursor(); }

private:
    QWidget* mWindow;
};

} // namespace

frmViewer::frmViewer(AppContext& ctx, QWidget* parent) : QDialog(parent), mCtx(ctx) {
    setObjectName(QStringLiteral("frmViewer"));
    setWindowTitle(QStringLiteral("Resource Viewer..."));
    BuildControls();
    ScreenFit::Keep(this);
    Form_Load();
}

frmViewer::~frmViewer() {
    Form_Unload();
}

void frmViewer::BuildControls() {
    mImages = std::make_unique<ImageList>(QSize(16, 16));
    ImageList1 = mImages.get();
    // Program, closed type, open type, resource.
    for (const auto kind : {QStyle::SP_ComputerIcon, QStyle::SP_DirClosedIcon,
                            QStyle::SP_DirOpenIcon, QStyle::SP_FileIcon})
        ImageList1->Add(style()->standardIcon(kind));

    TreeView1 = new ResourceTree(this);
    TreeView1->SetImageList(ImageList1);
    Frame1 = new QGroupBox(QStringLiteral("Preview"), this);
    Picture1 = new PictureBox(Frame1);
    Picture2 = new PictureBox(Picture1);
    Picture2->SetBackColor(Qt::white);
    Picture2->setMinimumSize(280, 280);
    cmdOk = new GlyphButton(QStringLiteral("Select"), this);
    cmdCancel = new GlyphButton(QStringLiteral("Close"), this);
    cmdOk->setDefault(true);

    auto* inPicture1 = new QVBoxLayout(Picture1);
    inPicture1->setContentsMargins(4, 4, 4, 4);
    inPicture1->addWidget(Picture2);
    auto* inFrame = new QVBoxLayout(Frame1);
    inFrame->addWidget(Picture1);
    auto* middle = new QHBoxLayout;
    middle->addWidget(TreeView1, 1);
    middle->addWidget(Frame1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(middle, 1);
    layout->addLayout(buttons);
    resize(640, 400);

    connect(TreeView1, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* node) { TreeView1_Expand(node); });
    connect(TreeView1, &QTreeWidget::itemCollapsed, this,
            [this](QTreeWidgetItem* node) { TreeView1_Collapse(node); });
    // A click on a node, or a move of the selection with the keyboard.
    connect(TreeView1, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* node) { TreeView1_NodeClick(node); });
    connect(TreeView1, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* node) {
        if (node && QApplication::mouseButtons() == Qt::NoButton)
            TreeView1_NodeClick(node);
    });
    connect(cmdOk, &QPushButton::clicked, this, [this] { cmdOk_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

void frmViewer::Form_Load() {
    if (mCtx.gLowColor)
        ApplyLowColor(this);
}

void frmViewer::Form_Unload() {
    if (mUnloaded)
        return;
    mUnloaded = true;
    mMain::UnloadResourceModule();
}

void frmViewer::Unload() {
    Form_Unload();
    done(mSelected ? QDialog::Accepted : QDialog::Rejected);
}

void frmViewer::closeEvent(QCloseEvent* event) {
    Form_Unload();
    QDialog::closeEvent(event);
}

void frmViewer::CreateMe(const QString& programPath) {
    clsQueryStatus& status = mGlobal::gQueryStatus(mCtx);
    status.SetProgressMax(2);
    status.SetProgressValue(1);
    status.showProgress();
    const QString path = TrimSpaces(programPath);
    mEnumResourse::LoadResourceTree(TreeView1, path, path);
    // The wait window goes before the viewer shows itself.
    status.hideProgress();
}

void frmViewer::TreeView1_Expand(QTreeWidgetItem* node) {
    if (node->childCount() > 0 && ResourceTree::Text(node->child(0)) == QLatin1String("Dummy")) {
        TreeView1->RemoveNode(node->child(0));
        mEnumResourse::ExpandResourceNode(TreeView1, node);
    }
}

void frmViewer::TreeView1_Collapse(QTreeWidgetItem*) {
    ClearPreview();
}

void frmViewer::ClearPreview() {
    // The preview is Picture1 with Picture2 inside it; both are emptied.
    Picture1->Cls();
    Picture2->Cls();
    Picture1->Refresh();
}

void frmViewer::TreeView1_NodeClick(QTreeWidgetItem* node) {
    Picture2->Cls();
    ClearPreview();
    mGlobal::gResType.clear();
    mGlobal::gResName.clear();
    const QTreeWidgetItem* root = TreeView1->FirstNode();
    if (!node || !root || ResourceTree::Text(node) == ResourceTree::Text(root))
        return;
    mGlobal::gResType = NodeType(node);
    const QTreeWidgetItem* parent = node->parent();
    if (!parent || ResourceTree::Text(parent) == ResourceTree::Text(root))
        return; // a type node selects no resource

    WaitCursor busy(this);
    const QString text = ResourceTree::Text(node);
    mGlobal::gResType = NodeType(parent);
    mGlobal::gResName = IsNumericText(text) ? QStringLiteral("#") + TrimSpaces(text) : text;
    const QString type = mGlobal::gResType.toUpper();
    QString problem;
    bool shown = false;
    if (kPictureTypes.contains(type))
        shown = mShowResource::ShowPicture(
            mGetResource::GetResourcePicture(mGlobal::gResType, mGlobal::gResName, &problem),
            *Picture2);
    else if (kImageFileTypes.contains(type))
        shown = mShowResource::ShowPicture(
            mGetResource::GetResourceImageFile(mGlobal::gResType, mGlobal::gResName, &problem),
            *Picture2);
    if (!shown && !problem.isEmpty())
        ShowProblem(problem);
    Picture1->Refresh();
}

void frmViewer::ShowProblem(const QString& problem) {
    // In the preview, where the picture would be, so that the reason is seen before Select.
    const int width = Picture2->contentsRect().width() - 8;
    Picture2->CurrentX = 0;
    Picture2->CurrentY = 0;
    for (const QString& line : WrapToWidth(problem, Picture2->fontMetrics(), width))
        Picture2->Print(line);
}

void frmViewer::cmdOk_Click() {
    if (mGlobal::gResName.isEmpty()) {
        mCtx.prompt->MsgBox(QStringLiteral("No resource selected!"), PromptButtons::Ok,
                            PromptIcon::Critical, QStringLiteral("Error"));
        return;
    }
    const QString type = mGlobal::gResType.toUpper();
    // A cursor, bitmap or icon that gives no picture is not written as raw bytes: the
    // program editors would take them for the chosen icon, and no picture can be made of them.
    // The window stays open for another choice.
    std::optional<StdPicture> picture;
    if (kPictureTypes.contains(type)) {
        QString problem;
        picture = mGetResource::GetResourcePicture(mGlobal::gResType, mGlobal::gResName, &problem);
        if (!picture && kDecodedTypes.contains(type)) {
            mCtx.prompt->MsgBox(problem + QStringLiteral(" Nothing was saved; choose another one."),
                                PromptButtons::Ok, PromptIcon::Critical, QStringLiteral("Error"));
            return;
        }
    }
    bool failed = false;
    try {
        const QString path = mCtx.paths.TempPicture();
        QDir().mkpath(mCtx.paths.PictureDir());
        if (!picture) {
            mShowResource::SaveResourceBytes(
                path, mGetResource::GetResourceData(mGlobal::gResType, mGlobal::gResName));
        } else {
            Picture2->SetPicture(picture);
            SavePicture(Picture2->PictureBitmap(), path);
        }
    } catch (const std::exception&) {
        failed = true;
    }
    mSelected = !failed;
    Unload();
    if (failed)
        mCtx.prompt->MsgBox(QStringLiteral("Unable to save resource"), PromptButtons::Ok,
                            PromptIcon::Critical, QStringLiteral("Error"));
}

void frmViewer::cmdCancel_Click() {
    Unload();
}
