#pragma once
// The parts tree: every part and its segments with a check box each. Checked segments are
// drawn behind the working data (except the selected node's); clicking a node makes its part
// or segment the pane's working data.

#include "model/editing/history/document.h"
#include "model/model.h"
#include "panels/check_tree.h"

#include <QString>
#include <QWidget>

#include <cstdint>
#include <vector>

namespace vw {
class Pane;
}

class frmParts : public QWidget {
    Q_OBJECT
public:
    explicit frmParts(vw::Model& model, QWidget* parent = nullptr);
    explicit frmParts(vw::Document& document, QWidget* parent = nullptr);
    ~frmParts() override;

    // The pane showing the model; null while there is none. The owner clears it before the
    // pane goes.
    void setPane(vw::Pane* pane);

    // Rebuilds the tree from Parts: nodes 1..N in insertion order, all checked and collapsed,
    // none selected; each segment's nodeIndex names its node.
    void LoadList();

    // Whether the background draws the segment of this node: checked and not the node of the
    // working data, which is the tree's selected node. An index the tree does not hold is drawn.
    bool isInBackground(int32_t nodeIndex) const;
    // Whether the Preview shows the segment of this node: its box is checked. An index the tree
    // does not hold is shown.
    bool isShown(int32_t nodeIndex) const;

    // The nodes by their 1-based index.
    int32_t nodeCount() const { return static_cast<int32_t>(m_nodes.size()); }
    QTreeWidgetItem* node(int32_t index) const { return m_nodes.at(index - 1).item; }
    QString nodeKey(int32_t index) const;
    int64_t nodeTag(int32_t index) const;

    vw::CheckTree* tvwParts = nullptr;

signals:
    // A check box changed: what the background and the Preview show.
    void shownChanged();

private:
    // What a node stands for, so a click never depends on decoding the tag.
    struct Node {
        QTreeWidgetItem* item;
        int32_t part;
        int32_t seg; // 0 for the part node, s + 1 for segment s
    };

    void setUp();
    QTreeWidgetItem* addNode(QTreeWidgetItem* parent, const QString& text, int32_t part,
                             int32_t seg);
    int32_t indexOf(const QTreeWidgetItem* item) const;
    void tvwParts_NodeCheck(QTreeWidgetItem* item);
    void tvwParts_NodeClick(QTreeWidgetItem* item);
    void documentChanged(const vw::DocumentChange& change);
    // Makes the node of curPart and curSeg the tree's current, selected node.
    void showWorkingNode();

    vw::DocumentRef m_document;
    vw::Model& m_model;
    vw::Subscription m_subscription;
    vw::Pane* m_pane = nullptr;
    std::vector<Node> m_nodes; // index - 1
    int32_t m_selectedIndex = 0;
};
