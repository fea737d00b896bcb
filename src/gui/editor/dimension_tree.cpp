#include "gui/editor/dimension_tree.h"

#include <QString>
#include <QTreeWidget>

#include "core/model/vexa_mess.h"

namespace zendra {
namespace {

QTreeWidgetItem* node(const QString& text, const QString& key, int tag) {
  auto* item = new QTreeWidgetItem(QStringList{text});
  item->setData(0, kTreeKeyRole, key);
  item->setData(0, kTreeTagRole, tag);
  return item;
}

}  // namespace

void FillDimensionTree(const VexaMess& doc, QTreeWidget* tree) {
  tree->clear();
  std::int32_t position = 0;
  QTreeWidgetItem* last = nullptr;
  auto addGroup = [&](const DimensionDataColl& side, const QString& name, int tag) {
    QTreeWidgetItem* group = node(name, name, 0);
    tree->addTopLevelItem(group);
    for (const DimensionRef& variable : side) {
      last = node(QString::fromStdString(variable->name), QString("A%1").arg(++position), tag);
      group->addChild(last);
    }
    return group;
  };
  QTreeWidgetItem* stub = addGroup(doc.colStub, "Stub", 1);
  if (doc.colHeading.Count() > 0) addGroup(doc.colHeading, "Heading", 2);
  // Both groups open, so that every variable is one click away.
  tree->expandAll();
  if (last) tree->scrollToItem(last);
  tree->setCurrentItem(stub);
}

std::int32_t TreeVariablePosition(const QTreeWidgetItem* item) {
  if (!item || item->data(0, kTreeTagRole).toInt() == 0) return 0;
  return item->data(0, kTreeKeyRole).toString().mid(1).toInt();
}

}  // namespace zendra
