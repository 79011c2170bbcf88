#include "panels/frm_parts.h"

#include "panels/tree_checks.h"
#include "views/pane.h"

#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

constexpr int kIndexRole = Qt::UserRole;

} // namespace

frmParts::frmParts(vw::Model& model, QWidget* parent)
    : QWidget(parent), m_document(model), m_model(model) {
    setUp();
}

frmParts::frmParts(vw::Document& document, QWidget* parent)
    : QWidget(parent), m_document(document), m_model(document.model()) {
    setUp();
}

frmParts::~frmParts() = default;

void frmParts::setUp() {
    m_subscription = m_document.get().subscribe(
        [this](const vw::DocumentChange& change) { documentChanged(change); });
    setWindowTitle(QStringLiteral("Parts"));
    tvwParts = new vw::CheckTree(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tvwParts);

    connect(tvwParts, &QTreeWidget::itemChanged, this,
            [this](QTreeWidgetItem* item) { tvwParts_NodeCheck(item); });
    connect(tvwParts, &vw::CheckTree::nodeClicked, this, &frmParts::tvwParts_NodeClick);
}

void frmParts::setPane(vw::Pane* pane) {
    m_pane = pane;
}

void frmParts::LoadList() {
    const QSignalBlocker blocker(tvwParts);
    tvwParts->clear();
    m_nodes.clear();
    m_selectedIndex = 0;

    // Nodes are built detached and inserted at once: adding them one by one to a live tree
    // costs a model update each, which a part of many segments feels.
    QList<QTreeWidgetItem*> roots;
    for (size_t p = 0; p < m_model.Parts.size(); ++p) {
        const auto part = static_cast<int32_t>(p);
        QTreeWidgetItem* partNode = addNode(nullptr, QStringLiteral("Part%1").arg(part), part, 0);
        std::vector<vw::Segment>& segments = m_model.Parts[p].segments;
        for (size_t s = 0; s < segments.size(); ++s) {
            const auto seg = static_cast<int32_t>(s);
            addNode(partNode, QStringLiteral("Seg%1").arg(seg), part, seg + 1);
            segments[s].nodeIndex = nodeCount();
        }
        roots.append(partNode);
    }
    tvwParts->addTopLevelItems(roots);
}

QTreeWidgetItem* frmParts::addNode(QTreeWidgetItem* parent, const QString& text, int32_t part,
                                   int32_t seg) {
    auto* item = new QTreeWidgetItem(QStringList{text});
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
    item->setCheckState(0, Qt::Checked);
    if (parent)
        parent->addChild(item);
    m_nodes.push_back({item, part, seg});
    item->setData(0, kIndexRole, nodeCount());
    return item;
}

QString frmParts::nodeKey(int32_t index) const {
    const Node& node = m_nodes.at(index - 1);
    const QString partKey = QStringLiteral("Part%1").arg(node.part);
    return node.seg == 0 ? partKey : partKey + QStringLiteral("Seg%1").arg(node.seg - 1);
}

int64_t frmParts::nodeTag(int32_t index) const {
    const Node& node = m_nodes.at(index - 1);
    return int64_t{node.part} * 10000 + node.seg;
}

bool frmParts::isInBackground(int32_t nodeIndex) const {
    if (nodeIndex < 1 || nodeIndex > nodeCount())
        return true;
    return nodeIndex != m_selectedIndex &&
           m_nodes[nodeIndex - 1].item->checkState(0) == Qt::Checked;
}

bool frmParts::isShown(int32_t nodeIndex) const {
    if (nodeIndex < 1 || nodeIndex > nodeCount())
        return true;
    return m_nodes[nodeIndex - 1].item->checkState(0) == Qt::Checked;
}

int32_t frmParts::indexOf(const QTreeWidgetItem* item) const {
    return item->data(0, kIndexRole).toInt();
}

void frmParts::tvwParts_NodeCheck(QTreeWidgetItem* item) {
    vw::syncChecks(*tvwParts, item);
    emit shownChanged();
}

void frmParts::tvwParts_NodeClick(QTreeWidgetItem* item) {
    const Node& node = m_nodes.at(indexOf(item) - 1);
    m_model.curPart = node.part;
    m_model.curSeg = node.seg;
    showWorkingNode();
    if (m_pane)
        m_pane->setCurData();
}

void frmParts::documentChanged(const vw::DocumentChange& change) {
    if (change.workingData)
        showWorkingNode();
}

void frmParts::showWorkingNode() {
    int32_t index = 0;
    for (size_t i = 0; i < m_nodes.size() && index == 0; ++i)
        if (m_nodes[i].part == m_model.curPart && m_nodes[i].seg == m_model.curSeg)
            index = int32_t(i) + 1;
    if (index == m_selectedIndex && (index == 0 || m_nodes[index - 1].item->isSelected()))
        return;
    m_selectedIndex = index;
    {
        const QSignalBlocker blocker(tvwParts);
        if (index == 0) {
            tvwParts->clearSelection();
        } else {
            tvwParts->setCurrentItem(m_nodes[index - 1].item);
            m_nodes[index - 1].item->setSelected(true);
        }
    }
    tvwParts->viewport()->update();
    // The pane redraws after every change of its working data; it must not skip the frame.
    if (m_pane)
        m_pane->invalidateBackground();
}
