// The drawing of the pane: full redraws, composed frames, edges, marks and tool overlays.

#include "views/pane.h"

#include "model/strip_walk.h"
#include "views/grid.h"
#include "views/pane_colours.h"
#include "views/raster.h"
#include "views/twips.h"
#include "views/view_transform.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vw {
namespace {

// A mark reaches 30 twips, a handle 60 twips to each side of its centre.
constexpr int32_t kMarkReach = 30;
constexpr int32_t kHandleReach = 60;

QRect boxAround(double x, double y, int32_t reach) {
    return pixelBox(x - reach, y - reach, x + reach, y + reach);
}

// boxAround for a whole-twip centre, without floating point: the mark of a vertex.
QRect markAround(QPoint pane) {
    const int32_t left = twipToPixel(pane.x() - kMarkReach);
    const int32_t top = twipToPixel(pane.y() - kMarkReach);
    return QRect(left, top, twipToPixel(pane.x() + kMarkReach) - left,
                 twipToPixel(pane.y() + kMarkReach) - top);
}

// Copies one canvas onto another of the same size without reallocating the target.
void copyCanvas(const QImage& from, QImage& to) {
    if (from.size() != to.size() || from.bytesPerLine() != to.bytesPerLine()) {
        to = from.copy();
        return;
    }
    if (!from.isNull())
        std::memcpy(to.bits(), from.constBits(), static_cast<size_t>(from.sizeInBytes()));
}

} // namespace

QImage& Pane::image(Canvas canvas) {
    switch (canvas) {
    case Canvas::Back:
        return picBack;
    case Canvas::Buff:
        return picBuff;
    case Canvas::Main:
        break;
    }
    return picMain;
}

void Pane::clear(Canvas canvas) {
    const QRgb ground = canvas == Canvas::Back   ? kBackGround
                        : canvas == Canvas::Buff ? kBuffGround
                                                 : kMainGround;
    image(canvas).fill(ground);
}

void Pane::placeVertices(const std::vector<Vertex>& verts, const ViewParams& view) {
    m_placed.resize(verts.size());
    m_pixels.resize(verts.size());
    for (size_t i = 0; i < verts.size(); ++i) {
        // Far beyond any surface, and far enough from the int32 limits for a mark's reach.
        constexpr int32_t far = 1 << 30;
        const QPoint pane(
            std::clamp(toPane(verts[i].coord(view.axisH), view.zoom, view.originX), -far, far),
            std::clamp(toPane(verts[i].coord(view.axisV), view.zoom, view.originY), -far, far));
        m_placed[i] = pane;
        m_pixels[i] = QPoint(twipToPixel(pane.x()), twipToPixel(pane.y()));
    }
}

void Pane::RefreshEbo() {
    if (m_framesHeld) {
        clear(Canvas::Main);
        return;
    }
    if (m_tab == kTabPreview) {
        clear(Canvas::Main);
        if (!picMain.isNull()) {
            QPainter painter(&picMain);
            painter.setPen(QColor::fromRgb(kMainPen));
            painter.drawText(picMain.rect(), Qt::AlignLeft | Qt::AlignTop, "not yet implemented");
        }
        frameShown(fullKey());
        return;
    }
    drawBackground();
    composeFrame();
    frameShown(fullKey());
}

void Pane::drawBackground() {
    clear(Canvas::Back);
    m_othersPart = -1;
    if (m_tab == kTabUV) {
        drawImageMapTiles();
        drawGrid();
        drawImageMapFrame();
    } else {
        drawGrid();
        // One colour over the ground: the working segments drawn last give the same pixels.
        m_othersPart = m_model.curPart;
        m_othersSeg = m_model.curSeg;
        drawSegmentsBehind(false);
        copyCanvas(picBack, m_othersBack);
        m_othersDrawn = backKey();
        drawSegmentsBehind(true);
    }
    ++m_backVersion;
    m_backDrawn = backKey();
    m_backHoldsParts = true;
}

void Pane::drawSegmentsBehind(bool working) {
    Raster raster(picBack);
    raster.passOverFullTiles(kBackPen);
    for (size_t p = 0; p < m_model.Parts.size(); ++p) {
        const std::vector<Segment>& segments = m_model.Parts[p].segments;
        for (size_t s = 0; s < segments.size(); ++s) {
            if (isInBackground(segments[s].nodeIndex) &&
                isWorkingSegment(int32_t(p), int32_t(s)) == working)
                drawSegmentEdges(segments[s], raster, kBackPen, m_tab);
        }
    }
}

bool Pane::isWorkingSegment(int32_t part, int32_t seg) const {
    return part == m_othersPart && (m_othersSeg == 0 || seg == m_othersSeg - 1);
}

bool Pane::redrawWorkingBehind() {
    if (m_othersPart < 0 || m_othersPart != m_model.curPart || m_othersSeg != m_model.curSeg ||
        m_othersDrawn != backKey())
        return false;
    copyCanvas(m_othersBack, picBack);
    drawSegmentsBehind(true);
    ++m_backVersion;
    m_backDrawn = backKey();
    m_backHoldsParts = true;
    return true;
}

void Pane::drawImageMapTiles() {
    const ViewParams& view = views[kTabUV - 1];
    if (!picBack.isNull()) {
        QPainter painter(&picBack);
        for (int gy = -1; gy <= 1; ++gy) {
            for (int gx = -1; gx <= 1; ++gx) {
                const double x = toPane(static_cast<float>(gx), view.zoom, view.originX);
                const double y = toPane(static_cast<float>(gy), view.zoom, view.originY);
                painter.drawImage(pixelBox(x, y, x + view.zoom, y + view.zoom), picMap);
            }
        }
    }
}

void Pane::drawImageMapFrame() {
    const ViewParams& view = views[kTabUV - 1];
    const double left = view.originX;
    const double top = view.originY;
    Raster(picBack).outlineBox(pixelBox(left, top, left + view.zoom, top + view.zoom),
                               kImageMapFrame);
}

void Pane::drawGrid() {
    if (!m_gridShown || picBack.isNull())
        return;
    const ViewParams& view = currentView();
    const double spacing = gridSpacing();
    const std::vector<GridLine> columns =
        gridLines(spacing, view.zoom, view.originX, picBack.width() * kTwipsPerPixel);
    const std::vector<GridLine> rows =
        gridLines(spacing, view.zoom, view.originY, picBack.height() * kTwipsPerPixel);
    Raster raster(picBack);
    // The axes go last, so no other line crosses them.
    for (const bool axes : {false, true}) {
        const QRgb colour = axes ? kGridAxis : kGridLine;
        for (const GridLine& line : columns)
            if (line.axis == axes)
                raster.fillBox(QRect(twipToPixel(line.at), 0, 1, picBack.height()), colour);
        for (const GridLine& line : rows)
            if (line.axis == axes)
                raster.fillBox(QRect(0, twipToPixel(line.at), picBack.width(), 1), colour);
    }
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
    for (size_t i = 0; i < m_model.curData.size(); ++i)
        drawVertexMarks(m_model.curData[i].verts, Canvas::Buff, m_tab,
                        session().hidden().flagsOf(i));
    ++m_bufferVersion;
    copyCanvas(picBuff, picMain);
}

void Pane::drawSegmentEdges(const Segment& segment, Raster& raster, QRgb pen, int tab) {
    const std::vector<int16_t>& strip = segment.strip;
    if (strip.size() < 3 || tab < kTabXY || tab > kTabUV)
        return;
    placeVertices(segment.verts, views[tab - 1]);
    forEachStripTriangle(strip, m_placed.size(),
                         [&](size_t, int32_t i0, int32_t i1, int32_t i2, bool afterDrawn) {
                             const QPoint p0 = m_pixels[i0], p1 = m_pixels[i1], p2 = m_pixels[i2];
                             // The previous triangle drew this edge from the other end; on the
                             // canvas a line's pixels do not depend on its direction, so drawing
                             // it again would change nothing.
                             if (!afterDrawn || !raster.contains(p0) || !raster.contains(p1))
                                 raster.line(p0, p1, pen);
                             raster.line(p2, p1, pen);
                             raster.line(p0, p2, pen);
                         });
}

void Pane::drawVertexMarks(const std::vector<Vertex>& verts, Canvas canvas, int tab,
                           std::span<const uint8_t> hiddenFlags) {
    if (tab < kTabXY || tab > kTabUV)
        return;
    placeVertices(verts, views[tab - 1]);
    Raster raster(image(canvas));
    for (size_t i = 0; i < verts.size(); ++i) {
        if (verts[i].selected != 0 || (i < hiddenFlags.size() && hiddenFlags[i] != 0))
            continue;
        raster.framedBox(markAround(m_placed[i]), kMarkFill, kMarkOutline);
    }
    for (size_t i = 0; i < verts.size(); ++i) {
        if (verts[i].selected != 0)
            raster.fillBox(markAround(m_placed[i]), kMarkSelected);
    }
}

void Pane::drawScaleBox() {
    const double left = toPaneX(selLeft), right = toPaneX(selRight);
    const double top = toPaneY(selTop), bottom = toPaneY(selBottom);
    const double middleX = (left + right) / 2, middleY = (top + bottom) / 2;
    Raster raster(picMain);
    raster.outlineBox(pixelBox(left, top, right, bottom), kScaleBox);
    for (const ScaleHandleColour& handle : kScaleHandles) {
        const double x = handle.left ? left : handle.right ? right : middleX;
        const double y = handle.top ? top : handle.bottom ? bottom : middleY;
        raster.fillBox(boxAround(x, y, kHandleReach), handle.colour);
    }
}

void Pane::drawRotateHandle() {
    if (!picMain.isNull()) {
        const double radius =
            std::abs(static_cast<double>(toPaneX(selRight)) - toPaneX(selLeft)) / 2;
        const QPoint centre(twipToPixel(toPaneX(rotCenterH)), twipToPixel(toPaneY(rotCenterV)));
        QPainter painter(&picMain);
        painter.setPen(QColor::fromRgb(kRotateCircle));
        const double pixelRadius = radius / kTwipsPerPixel;
        painter.drawEllipse(QPointF(centre), pixelRadius, pixelRadius);
    }
    Raster(picMain).fillBox(boxAround(toPaneX(rotHandleH), toPaneY(rotHandleV), kHandleReach),
                            kRotateHandle);
}

void Pane::drawSoftCircle() {
    if (picMain.isNull())
        return;
    const double pixelRadius = double(softCircleRadius) * currentView().zoom / kTwipsPerPixel;
    // A circle on the pointer's own pixel would change what Scale reads under it.
    if (pixelRadius < 2)
        return;
    QPainter painter(&picMain);
    painter.setPen(QColor::fromRgb(kSoftCircle));
    const QPoint centre(twipToPixel(double(softCircleX)), twipToPixel(double(softCircleY)));
    painter.drawEllipse(QPointF(centre), pixelRadius, pixelRadius);
}

void Pane::drawRubberBand() {
    copyCanvas(picBuff, picMain);
    Raster(picMain).outlineBox(pixelBox(downX, downY, lastX, lastY), kRubberBand);
}

} // namespace vw
