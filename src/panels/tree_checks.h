#pragma once
// Check-box propagation in a tree of checkable nodes. Changes made here raise no itemChanged,
// so a handler of the user's check can call them without being re-entered.

class QTreeWidget;
class QTreeWidgetItem;

namespace vw {

// checkChildren, then checkParents, for the node the user toggled.
void syncChecks(QTreeWidget& tree, QTreeWidgetItem* node);

// Gives every descendant of node the node's check state.
void checkChildren(QTreeWidget& tree, QTreeWidgetItem* node);

// Checks each ancestor of node when at least one of its children is checked, else unchecks it.
void checkParents(QTreeWidget& tree, QTreeWidgetItem* node);

} // namespace vw
