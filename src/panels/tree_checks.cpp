#include "panels/tree_checks.h"

#include <QSignalBlocker>
#include <QTreeWidget>

namespace vw {

void syncChecks(QTreeWidget& tree, QTreeWidgetItem* node) {
    checkChildren(tree, node);
    checkParents(tree, node);
}

void checkChildren(QTreeWidget& tree, QTreeWidgetItem* node) {
    const QSignalBlocker blocker(tree);
    const Qt::CheckState state = node->checkState(0);
    for (int i = 0; i < node->childCount(); ++i) {
        QTreeWidgetItem* child = node->child(i);
        child->setCheckState(0, state);
        checkChildren(tree, child);
    }
}

void checkParents(QTreeWidget& tree, QTreeWidgetItem* node) {
    const QSignalBlocker blocker(tree);
    for (QTreeWidgetItem* parent = node->parent(); parent; parent = parent->parent()) {
        bool anyChecked = false;
        for (int i = 0; i < parent->childCount() && !anyChecked; ++i)
            anyChecked = parent->child(i)->checkState(0) == Qt::Checked;
        parent->setCheckState(0, anyChecked ? Qt::Checked : Qt::Unchecked);
    }
}

} // namespace vw
