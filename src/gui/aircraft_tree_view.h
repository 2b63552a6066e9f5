#pragma once
// Shows an AircraftTree in a QTreeWidget with check boxes. Each item carries
// its node's id, key, tag and colour in item data, so that features which
// only see the widget can read them; the AircraftTree stays the one record.
#include <QTreeWidget>

#include "gui/aircraft_tree.h"

namespace velk {

enum AircraftTreeRole : int {
  kNodeIdRole = Qt::UserRole,  // int: id in the AircraftTree
  kNodeKeyRole,                // QString: the node's key
  kNodeTagRole,                // QString (Move) or int (Shuffle leaf index; -1 otherwise)
  kNodeColourRole,             // uint: the colour value of the node
};

// Replaces the widget's items by the tree's nodes, in display order.
void ShowAircraftTree(QTreeWidget* widget, const AircraftTree& tree);
// Brings check marks, colours and tags of the shown items up to date.
void RefreshAircraftTree(QTreeWidget* widget, const AircraftTree& tree);
// The node id of an item; -1 for none.
int AircraftTreeNodeId(const QTreeWidgetItem* item);

}  // namespace velk
