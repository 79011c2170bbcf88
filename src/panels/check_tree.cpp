#include "panels/check_tree.h"

#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionViewItem>

namespace vw {

CheckTree::CheckTree(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* node) { emit nodeClicked(node); });
}

QTreeWidgetItem* CheckTree::checkBoxAt(const QPoint& pos) const {
    const QModelIndex index = indexAt(pos);
    if (!index.isValid() || !(index.flags() & Qt::ItemIsUserCheckable))
        return nullptr;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    option.features |= QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    option.checkState = index.data(Qt::CheckStateRole).value<Qt::CheckState>();
    option.text = index.data(Qt::DisplayRole).toString();
    const QRect box = style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, this);
    return box.contains(pos) ? itemFromIndex(index) : nullptr;
}

bool CheckTree::pressCheckBox(QMouseEvent* event) {
    m_pressedCheckBox = QPersistentModelIndex();
    if (event->button() == Qt::LeftButton)
        m_pressedCheckBox = indexFromItem(checkBoxAt(event->position().toPoint()));
    if (!m_pressedCheckBox.isValid())
        return false;
    event->accept();
    return true;
}

bool CheckTree::choosesNode(const QMouseEvent& event) const {
    return event.button() == Qt::LeftButton && !(event.modifiers() & Qt::ControlModifier) &&
           itemAt(event.position().toPoint());
}

void CheckTree::mousePressEvent(QMouseEvent* event) {
    m_ignoringPress = false;
    if (pressCheckBox(event))
        return;
    if (!choosesNode(*event)) {
        m_ignoringPress = true;
        event->accept();
        return;
    }
    QTreeWidget::mousePressEvent(event);
}

void CheckTree::mouseDoubleClickEvent(QMouseEvent* event) {
    if (pressCheckBox(event))
        return;
    if (choosesNode(*event))
        QTreeWidget::mouseDoubleClickEvent(event);
    else
        event->accept();
}

void CheckTree::mouseMoveEvent(QMouseEvent* event) {
    if (m_pressedCheckBox.isValid() || m_ignoringPress)
        event->accept();
    else
        QTreeWidget::mouseMoveEvent(event);
}

void CheckTree::mouseReleaseEvent(QMouseEvent* event) {
    if (m_ignoringPress) {
        m_ignoringPress = false;
        event->accept();
        return;
    }
    if (!m_pressedCheckBox.isValid()) {
        QTreeWidget::mouseReleaseEvent(event);
        return;
    }
    QTreeWidgetItem* pressed = itemFromIndex(m_pressedCheckBox);
    m_pressedCheckBox = QPersistentModelIndex();
    event->accept();
    if (event->button() == Qt::LeftButton && checkBoxAt(event->position().toPoint()) == pressed)
        pressed->setCheckState(0,
                               pressed->checkState(0) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

void CheckTree::keyPressEvent(QKeyEvent* event) {
    const QTreeWidgetItem* before = currentItem();
    QTreeWidget::keyPressEvent(event);
    if (currentItem() && currentItem() != before)
        emit nodeClicked(currentItem());
}

} // namespace vw
