#pragma once

#include "platform/PeModule.h"

#include <QString>

class QTreeWidgetItem;
class ResourceTree;

// Fills the viewer's tree with the icon resources of an executable, one level at a time.
//
// Nodes: the program (key and text the file name, image 1), under it one node per listed
// resource type (key "#" and the type number, text the type's display name, image 2, selected
// image 3) with a placeholder child "Dummy" until its names are read, and under a type its
// resources (no key, text the decimal id or the name, image 4).
namespace mEnumResourse {

// The tree being filled and the type node being expanded; set only during LoadResourceTree
// and ExpandResourceNode.
extern ResourceTree* gResTree;
extern QTreeWidgetItem* gResNode;

// Empties the tree, adds the program node, loads the file and lists its icon type; then
// expands the program node. A file that does not load leaves the program node alone.
void LoadResourceTree(ResourceTree* tree, const QString& fileName, const QString& caption);
// Adds the names of the type that `node` stands for as its children.
void ExpandResourceNode(ResourceTree* tree, QTreeWidgetItem* node);

// The enumeration callbacks; both always return true so that the enumeration runs to its end.
bool EnumResTypesProc(PeModule::HMODULE module, const PeResourceId& type, qintptr param);
bool EnumResNamesProc(PeModule::HMODULE module, const PeResourceId& type, const PeResourceId& name,
                      qintptr param);

} // namespace mEnumResourse
