#include "views/pane_background.h"

#include "views/grid.h"
#include "views/image_map.h"
#include "views/pane.h"
#include "views/pane_colours.h"
#include "views/raster.h"

namespace vw {
namespace {

bool isSelectionOnly(const DocumentChange& change) {
    return !change.model && !change.workingData && change.vertices.empty();
}

} // namespace

PaneBackground::Key PaneBackground::key() const {
    Key key;
    key.tab = m_pane.selectedTab();
    key.view = m_pane.currentView();
    key.size = m_pane.picBack.size();
    key.generation = m_generation;
    if (key.tab == kTabUV)
        key.imageMap = m_pane.picMap.cacheKey();
    return key;
}

void PaneBackground::draw() {
    QImage& picBack = m_pane.picBack;
    picBack.fill(kBackGround);
    m_othersPart = -1;
    if (m_pane.selectedTab() == kTabUV) {
        const ViewParams& view = m_pane.views[kTabUV - 1];
        drawImageMapTiles(picBack, view, m_pane.picMap);
        if (m_gridShown)
            drawGrid(picBack, m_pane.currentView(), m_pane.gridSpacing());
        drawImageMapFrame(picBack, view);
    } else {
        if (m_gridShown)
            drawGrid(picBack, m_pane.currentView(), m_pane.gridSpacing());
        // One colour over the ground: the working segments drawn last give the same pixels.
        m_othersPart = m_pane.model().curPart;
        m_othersSeg = m_pane.model().curSeg;
        drawSegments(false);
        copyCanvas(picBack, m_othersBack);
        m_othersDrawn = key();
        drawSegments(true);
    }
    drawn();
}

void PaneBackground::drawn() {
    ++m_version;
    m_drawn = key();
    m_holdsParts = true;
}

void PaneBackground::drawSegments(bool working) {
    Raster raster(m_pane.picBack);
    raster.passOverFullTiles(kBackPen);
    const std::vector<Part>& parts = m_pane.model().Parts;
    for (size_t p = 0; p < parts.size(); ++p) {
        const std::vector<Segment>& segments = parts[p].segments;
        for (size_t s = 0; s < segments.size(); ++s) {
            if (shows(segments[s].nodeIndex) && isWorkingSegment(int32_t(p), int32_t(s)) == working)
                m_pane.drawSegmentEdges(segments[s], raster, kBackPen, m_pane.selectedTab());
        }
    }
}

bool PaneBackground::isWorkingSegment(int32_t part, int32_t seg) const {
    return part == m_othersPart && (m_othersSeg == 0 || seg == m_othersSeg - 1);
}

bool PaneBackground::redrawWorking() {
    const Model& model = m_pane.model();
    if (m_othersPart < 0 || m_othersPart != model.curPart || m_othersSeg != model.curSeg ||
        m_othersDrawn != key())
        return false;
    copyCanvas(m_othersBack, m_pane.picBack);
    drawSegments(true);
    drawn();
    return true;
}

void PaneBackground::changed(const DocumentChange& change) {
    if (!isSelectionOnly(change))
        m_holdsParts = false;
    for (const VertexRange& range : change.vertices)
        if (!isWorkingSegment(range.part, range.seg))
            m_othersPart = -1;
    if (change.model)
        m_othersPart = -1;
}

bool PaneBackground::catchUp(const DocumentChange& change) {
    // The background draws no selection: a new one is laid over the background already drawn.
    return (isSelectionOnly(change) && m_holdsParts && isCurrent()) || redrawWorking();
}

} // namespace vw
