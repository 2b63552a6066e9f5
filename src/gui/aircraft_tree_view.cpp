#include "gui/aircraft_tree_view.h"

#include <QSignalBlocker>

#include "platform/qt/qt_text.h"

namespace velk {
namespace {

// Plan and aircraft texts are Windows-1252 bytes.

void ApplyState(QTreeWidgetItem* item, const AircraftTreeNode& node, AircraftTreeKind kind) {
  Qt::CheckState check = node.Checked ? Qt::Checked : Qt::Unchecked;
  // An item shows its box only once it has a check state of its own, so a
  // new item gets one even when it is unchecked.
  QVariant current = item->data(0, Qt::CheckStateRole);
  if (!current.isValid() || current.toInt() != check) item->setCheckState(0, check);
  uint colour = node.Colour;
  if (item->data(0, kNodeColourRole).toUInt() != colour || !item->data(0, kNodeColourRole).isValid()) {
    item->setData(0, kNodeColourRole, colour);
    if (colour & 0x80000000u) {
      item->setData(0, Qt::ForegroundRole, QVariant());  // the window-text colour
    } else {
      item->setForeground(0, QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF));
    }
  }
  QVariant tag = kind == AircraftTreeKind::Move ? QVariant(FromPlanText(node.Tag)) : QVariant(node.Index);
  if (item->data(0, kNodeTagRole) != tag) item->setData(0, kNodeTagRole, tag);
}

}  // namespace

int AircraftTreeNodeId(const QTreeWidgetItem* item) {
  if (!item) return -1;
  bool ok = false;
  int id = item->data(0, kNodeIdRole).toInt(&ok);
  return ok ? id : -1;
}

void ShowAircraftTree(QTreeWidget* widget, const AircraftTree& tree) {
  QSignalBlocker block(widget);
  // Only the widget's own switch is put back: while its window holds
  // drawing off, updatesEnabled() reads false, and setting that back would
  // keep the tree from drawing for good once the window draws again.
  const bool heldOff = widget->testAttribute(Qt::WA_ForceUpdatesDisabled);
  widget->setUpdatesEnabled(false);
  widget->setSortingEnabled(false);
  widget->clear();
  std::vector<QTreeWidgetItem*> items(static_cast<size_t>(tree.Size()), nullptr);
  QList<QTreeWidgetItem*> roots;
  for (int id : tree.DisplayOrder()) {
    const AircraftTreeNode& node = tree.Node(id);
    QTreeWidgetItem* item = node.Parent < 0 ? new QTreeWidgetItem
                                            : new QTreeWidgetItem(items[static_cast<size_t>(node.Parent)]);
    item->setText(0, FromPlanText(node.Text));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setData(0, kNodeIdRole, id);
    item->setData(0, kNodeKeyRole, FromPlanText(node.Key));
    ApplyState(item, node, tree.Kind());
    items[static_cast<size_t>(id)] = item;
    if (node.Parent < 0) roots.append(item);
  }
  widget->addTopLevelItems(roots);
  if (!heldOff) widget->setUpdatesEnabled(true);
}

void RefreshAircraftTree(QTreeWidget* widget, const AircraftTree& tree) {
  QSignalBlocker block(widget);
  for (QTreeWidgetItemIterator it(widget); *it; ++it) {
    int id = AircraftTreeNodeId(*it);
    if (id >= 0 && id < tree.Size()) ApplyState(*it, tree.Node(id), tree.Kind());
  }
}

}  // namespace velk
