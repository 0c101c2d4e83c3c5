#include "resources/mEnumResourse.h"

#include "resources/ResourceTree.h"
#include "resources/mMain.h"

namespace mEnumResourse {

ResourceTree* gResTree = nullptr;
QTreeWidgetItem* gResNode = nullptr;

namespace {
constexpr int kProgramImage = 1;
constexpr int kTypeImage = 2;
constexpr int kOpenTypeImage = 3;
constexpr int kResourceImage = 4;

// The number at the start of `text`, as the original's Val() reads a key ("3" of "#3").
quint16 LeadingNumber(const QString& text) {
    uint value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            break;
        value = value * 10 + uint(c.unicode() - u'0');
        if (value > 0xFFFF)
            return 0;
    }
    return quint16(value);
}
} // namespace

void LoadResourceTree(ResourceTree* tree, const QString& fileName, const QString& caption) {
    gResTree = tree;
    tree->clear();
    tree->AddNode(nullptr, fileName, caption, kProgramImage, kProgramImage);
    mMain::LoadResourceModule(fileName);
    if (mMain::hResModule != 0)
        PeModule::EnumResourceTypesA(mMain::hResModule, EnumResTypesProc, 0);
    tree->update();
    tree->FirstNode()->setExpanded(true);
    gResTree = nullptr;
}

void ExpandResourceNode(ResourceTree* tree, QTreeWidgetItem* node) {
    gResTree = tree;
    gResNode = node;
    const QString key = ResourceTree::Key(node);
    const PeResourceId type = key.isEmpty() ? PeResourceId::FromString(ResourceTree::Text(node))
                                            : PeResourceId::Number(LeadingNumber(key.mid(1)));
    PeModule::EnumResourceNamesA(mMain::hResModule, type, EnumResNamesProc, 0);
    gResTree = nullptr;
    gResNode = nullptr;
}

bool EnumResTypesProc(PeModule::HMODULE, const PeResourceId& type, qintptr) {
    // The viewer lists icons only: named types and every other number are passed over.
    if (type.isName || type.id != PeModule::RT_ICON)
        return true;
    QTreeWidgetItem* node =
        gResTree->AddNode(gResTree->FirstNode(), QStringLiteral("#%1").arg(type.id),
                          mMain::GetResourceTypeName(type.id), kTypeImage, kOpenTypeImage);
    gResTree->AddNode(node, QString(), QStringLiteral("Dummy"));
    return true;
}

bool EnumResNamesProc(PeModule::HMODULE, const PeResourceId&, const PeResourceId& name, qintptr) {
    const QString text = name.isName ? mMain::TrimNull(name.name) : QString::number(name.id);
    gResTree->AddNode(gResNode, QString(), text, kResourceImage, kResourceImage);
    return true;
}

} // namespace mEnumResourse
