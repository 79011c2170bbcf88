#pragma once
// A tree of checkable nodes where a check box is only a check box: clicking it toggles the
// check and neither selects nor chooses the node. Choosing a node (a click beside its check
// box, or moving to it with the keyboard) raises nodeClicked.

#include <QPersistentModelIndex>
#include <QTreeWidget>

namespace vw {

class CheckTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit CheckTree(QWidget* parent = nullptr);

    // The node whose check box is at pos in viewport coordinates, or null.
    QTreeWidgetItem* checkBoxAt(const QPoint& pos) const;

signals:
    void nodeClicked(QTreeWidgetItem* node);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool pressCheckBox(QMouseEvent* event);
    // Only a plain left click on a node may choose it: the selection names the node the pane
    // edits, so right and middle clicks, Ctrl+clicks and clicks on empty space leave it alone.
    bool choosesNode(const QMouseEvent& event) const;

    QPersistentModelIndex m_pressedCheckBox; // survives the tree being cleared meanwhile
    bool m_ignoringPress = false;
};

} // namespace vw
