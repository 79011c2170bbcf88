#pragma once
// Models and clicks shared by the parts-tree tests.

#include "model/model.h"
#include "panels/check_tree.h"
#include "panels/frm_parts.h"

#include <QPoint>
#include <QTest>

#include <vector>

namespace vw::test {

// One triangle per segment; segmentCounts[p] segments in part p.
inline Model modelWithSegments(const std::vector<int>& segmentCounts) {
    Model model;
    for (int count : segmentCounts) {
        Part part;
        for (int s = 0; s < count; ++s) {
            Segment segment;
            segment.verts.resize(3);
            segment.verts[1].x = 1;
            segment.verts[2].y = static_cast<float>(s + 1);
            segment.strip = {0, 1, 2};
            part.segments.push_back(segment);
        }
        model.Parts.push_back(part);
    }
    return model;
}

// A point on the node's row, right of its check box.
inline QPoint rowPoint(CheckTree& tree, QTreeWidgetItem* item) {
    tree.scrollToItem(item);
    const QRect row = tree.visualItemRect(item);
    return {row.right() - 4, row.center().y()};
}

// The middle of the node's check box, found along its row.
inline QPoint checkBoxPoint(CheckTree& tree, QTreeWidgetItem* item) {
    tree.scrollToItem(item);
    const QRect row = tree.visualItemRect(item);
    int left = row.left();
    while (left < row.right() && tree.checkBoxAt({left, row.center().y()}) != item)
        ++left;
    int right = left;
    while (tree.checkBoxAt({right + 1, row.center().y()}) == item)
        ++right;
    return {(left + right) / 2, row.center().y()};
}

inline void clickNode(CheckTree& tree, QTreeWidgetItem* item) {
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, Qt::NoModifier, rowPoint(tree, item));
}

inline void clickCheckBox(CheckTree& tree, QTreeWidgetItem* item) {
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, Qt::NoModifier, checkBoxPoint(tree, item));
}

inline void clickNodeOf(frmParts& parts, int32_t index) {
    parts.tvwParts->expandAll();
    clickNode(*parts.tvwParts, parts.node(index));
}

inline void clickCheckBoxOf(frmParts& parts, int32_t index) {
    parts.tvwParts->expandAll();
    clickCheckBox(*parts.tvwParts, parts.node(index));
}

} // namespace vw::test
