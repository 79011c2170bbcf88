// The pane's frames: full redraws, and the working data composed over the background.

#include "views/pane.h"

#include "views/overlay_drawing.h"
#include "views/raster.h"

#include <QPainter>

namespace vw {

void Pane::RefreshEbo() {
    if (m_framesHeld || m_tab == kTabPreview) {
        picMain.fill(kMainGround);
        if (m_framesHeld)
            return;
        if (!picMain.isNull()) {
            QPainter painter(&picMain);
            painter.setPen(QColor::fromRgb(kMainPen));
            painter.drawText(picMain.rect(), Qt::AlignLeft | Qt::AlignTop, "not yet implemented");
        }
        frameShown(m_frames.full());
        return;
    }
    m_background.draw();
    composeFrame();
    frameShown(m_frames.full());
}

void Pane::composeView() {
    if (m_tab == kTabPreview)
        return;
    composeFrame();
    FrameKey composed;
    composed.kind = FrameKey::Composed;
    frameShown(composed);
}

void Pane::composeFrame() {
    // Clearing picBuff first would be invisible: the background covers all of it.
    copyCanvas(picBack, picBuff);
    Raster edges(picBuff);
    edges.passOverFullTiles(kBuffPen);
    for (const Segment& segment : m_model.curData)
        drawSegmentEdges(segment, edges, kBuffPen, m_tab);
    drawVertexMarks(picBuff, m_tab);
    m_frames.bufferComposed();
    copyCanvas(picBuff, picMain);
}

void Pane::drawSegmentEdges(const Segment& segment, Raster& raster, QRgb pen, int tab) {
    if (tab >= kTabXY && tab <= kTabUV)
        m_drawing.edges(segment, raster, pen, views[tab - 1]);
}

void Pane::drawVertexMarks(QImage& canvas, int tab) {
    if (tab < kTabXY || tab > kTabUV)
        return;
    const std::vector<Segment>& data = m_model.curData;
    drawCursorCross(canvas, views[tab - 1], session().pivotMarks().cursor);
    for (size_t i = 0; i < data.size(); ++i)
        m_drawing.unselectedMarks(data[i].verts, canvas, views[tab - 1],
                                  session().hidden().flagsOf(i));
    for (const Segment& segment : data)
        m_drawing.selectedMarks(segment.verts, canvas, views[tab - 1]);
}

} // namespace vw
