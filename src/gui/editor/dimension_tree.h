#pragma once

#include <Qt>
#include <cstdint>

class QTreeWidget;
class QTreeWidgetItem;

namespace zendra {

class VexaMess;

// Item data of a variable tree: the node's key ("Stub", "Heading", or "A" and the
// variable's 1-based position in Dimensions) and its tag (0 a group, 1 a stub variable,
// 2 a heading variable).
inline constexpr int kTreeKeyRole = Qt::UserRole;
inline constexpr int kTreeTagRole = Qt::UserRole + 1;

// Fills tree with the table's variables: a "Stub" group with the stub variables in order
// and, when the table has heading variables, a "Heading" group with those. The last
// variable is scrolled into view (which opens its group) and the "Stub" group is selected.
void FillDimensionTree(const VexaMess& doc, QTreeWidget* tree);

// The 1-based position in Dimensions of the variable a node stands for; 0 for a group
// node (or none).
std::int32_t TreeVariablePosition(const QTreeWidgetItem* item);

}  // namespace zendra
