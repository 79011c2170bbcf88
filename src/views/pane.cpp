#include "views/pane.h"

#include "views/grid.h"
#include "views/image_map.h"
#include "views/twips.h"
#include "views/view_transform.h"

namespace vw {
Pane::Pane(Model& model) : m_session(model), m_model(model) {
    start();
}

Pane::Pane(EditSession& session) : m_session(session), m_model(session.model()) {
    start();
}

void Pane::start() {
    m_subscription =
        document().subscribe([this](const DocumentChange& change) { documentChanged(change); });
    for (QImage* canvas : {&picBack, &picBuff, &picMain})
        *canvas = QImage(0, 0, QImage::Format_RGB32);
    picMap = builtInImageMap();
}

Pane::~Pane() = default;

void Pane::documentChanged(const DocumentChange& change) {
    // The history, the saved state and notices change nothing drawn.
    if (!change.drawsDifferently())
        return;
    contentChanged();
    const bool selectionOnly = !change.model && !change.workingData && change.vertices.empty();
    if (!selectionOnly)
        m_backHoldsParts = false;
    for (const VertexRange& range : change.vertices)
        if (!isWorkingSegment(range.part, range.seg))
            m_othersPart = -1;
    if (change.model)
        m_othersPart = -1;
    if (m_acting || change.model)
        return;
    // Undo and redo give back a selection the palette has not seen.
    if (change.workingData && change.selection) {
        for (uint8_t tool : kTransformTools)
            setToolEnabled(tool, SelCount() > 0);
    }
    isChanged = true;
    // The Preview draws itself; the surface is drawn again when its tab is left. The background
    // draws no selection: a new one is laid over the background already drawn.
    if (m_tab != kTabPreview) {
        if ((selectionOnly && m_backHoldsParts && backKey() == m_backDrawn) ||
            redrawWorkingBehind()) {
            composeFrame();
            frameShown(fullKey());
        } else {
            RefreshEbo();
        }
    }
}

void Pane::selectTab(int tab) {
    if (tab >= kTabXY && tab <= kTabPreview)
        m_tab = tab;
}

void Pane::tabAxes_Click(int tab) {
    selectTab(tab);
    RefreshEbo();
    emit viewChanged();
}

void Pane::setCurrentView(const ViewParams& view) {
    if (m_tab > kTabUV || views[viewIndex()] == view)
        return;
    views[viewIndex()] = view;
    emit viewChanged();
}

int32_t Pane::toPaneX(float value) const {
    return toPane(value, currentView().zoom, currentView().originX);
}

int32_t Pane::toPaneY(float value) const {
    return toPane(value, currentView().zoom, currentView().originY);
}

float Pane::toModelX(float x) const {
    return toModel(x, currentView().zoom, currentView().originX);
}

float Pane::toModelY(float y) const {
    return toModel(y, currentView().zoom, currentView().originY);
}

void Pane::Init_Ebo() {
    m_framesHeld = false;
    constexpr uint8_t axes[4][2] = {{0, 1}, {2, 1}, {0, 2}, {3, 4}};
    for (int tab = kTabXY; tab <= kTabUV; ++tab) {
        resetView(tab);
        views[tab - 1].axisH = axes[tab - 1][0];
        views[tab - 1].axisV = axes[tab - 1][1];
    }
    ZoomInc = 0.25f;
    setCurData();

    toolMode = kToolSelect;
    pressTool(kToolSelect);
    for (int tool : {kToolSelect, kToolPan, kToolZoom})
        setToolEnabled(tool, true);
    for (uint8_t tool : kTransformTools)
        setToolEnabled(tool, false);
}

void Pane::resetView(int tab) {
    if (tab < kTabXY || tab > kTabUV)
        return;
    const double width = m_surfaceWidth;
    const double height = m_surfaceHeight;
    ViewParams& view = views[tab - 1];
    if (tab != kTabUV) {
        view.zoom = kDefaultZoom;
        view.originX = roundToInt32(width / 2);
        view.originY = roundToInt32(height / 2);
    } else {
        view.zoom = static_cast<float>(height * 2 / 3);
        // A surface of no height would give zoom 0, and every conversion back to the model
        // would divide by it.
        if (!(view.zoom > 0))
            view.zoom = kDefaultZoom;
        view.originX = roundToInt32((width - view.zoom) / 2);
        view.originY = roundToInt32((height - view.zoom) / 2);
    }
    if (tab == m_tab)
        emit viewChanged();
}

bool Pane::isInBackground(int32_t nodeIndex) const {
    return !m_backgroundFilter || m_backgroundFilter(nodeIndex);
}

void Pane::setCurData() {
    {
        const ScopedFlag acting(m_acting);
        document().loadWorkingData();
    }
    contentChanged();
    RefreshEbo();
}

void Pane::SetScaleValues() {
    if (m_tab == kTabPreview)
        return;
    const ViewParams& view = currentView();
    selLeft = 999999;
    selTop = 999999;
    selRight = -999999;
    selBottom = -999999;
    for (const Segment& segment : m_model.curData) {
        for (const Vertex& vertex : segment.verts) {
            if (vertex.selected == 0)
                continue;
            const float h = vertex.coord(view.axisH);
            const float v = vertex.coord(view.axisV);
            if (!(h >= selLeft))
                selLeft = h;
            if (h > selRight)
                selRight = h;
            if (!(v >= selTop))
                selTop = v;
            if (v > selBottom)
                selBottom = v;
        }
    }
}

void Pane::SetRotateValues() {
    SetScaleValues();
    rotCenterH = static_cast<float>((static_cast<double>(selLeft) + selRight) / 2);
    rotCenterV = static_cast<float>((static_cast<double>(selTop) + selBottom) / 2);
    rotHandleH = static_cast<float>((static_cast<double>(selRight) - selLeft) / 2 + rotCenterH);
    rotHandleV = rotCenterV;
}

void Pane::resize(int32_t windowWidth, int32_t windowHeight) {
    const int32_t width = windowWidth - 2 * picMainLeft;
    const int32_t height = windowHeight - (picMainTop + picMainLeft);
    if (width >= 0)
        m_surfaceWidth = width;
    if (height >= 0)
        m_surfaceHeight = height;

    const QSize pixels(twipToPixel(m_surfaceWidth), twipToPixel(m_surfaceHeight));
    if (picMain.size() != pixels) {
        for (QImage* canvas : {&picBack, &picBuff, &picMain})
            *canvas = QImage(pixels, QImage::Format_RGB32);
    }
    RefreshEbo();
    emit viewChanged();
}

QRect Pane::picMainGeometry() const {
    return QRect(picMainLeft, picMainTop, m_surfaceWidth, m_surfaceHeight);
}

QRgb Pane::colourAt(int32_t x, int32_t y) const {
    const QPoint pixel(twipToPixel(x), twipToPixel(y));
    if (!picMain.rect().contains(pixel))
        return qRgb(0, 0, 0);
    return picMain.pixel(pixel) | 0xff000000u;
}

void Pane::markChanged() {
    contentChanged();
    isChanged = true;
}

void Pane::contentChanged() {
    ++m_contentGeneration;
}

void Pane::setBackgroundFilter(std::function<bool(int32_t nodeIndex)> filter) {
    m_backgroundFilter = std::move(filter);
    invalidateBackground();
}

void Pane::invalidateBackground() {
    ++m_backgroundGeneration;
}

void Pane::setGridShown(bool shown) {
    if (shown == m_gridShown)
        return;
    m_gridShown = shown;
    invalidateBackground();
    markChanged();
}

double Pane::gridSpacing() const {
    return m_tab == kTabPreview ? 0 : vw::gridSpacing(currentView().zoom);
}

void Pane::setImageMap(const QImage& picture) {
    picMap = picture;
}

void Pane::picMain_MouseDown(const PointerInput& input) {
    const ScopedFlag acting(m_acting);
    if (m_input)
        m_input->press(input);
    contentChanged();
}

void Pane::picMain_MouseMove(const PointerInput& input) {
    m_pointerAt = QPointF(input.x, input.y);
    // A drag may move, scale, rotate or select; a bare hover changes nothing drawn but the band.
    const bool dragging = input.buttons != 0 || isLeftButton || isOnRotater;
    const ScopedFlag acting(m_acting);
    if (m_input)
        m_input->move(input);
    if (dragging)
        contentChanged();
}

void Pane::picMain_MouseUp(const PointerInput& input) {
    const ScopedFlag acting(m_acting);
    if (m_input)
        m_input->release(input);
    contentChanged();
}

void Pane::picMain_Wheel(const PointerInput& input, int notches) {
    if (m_input)
        m_input->wheel(input, notches);
}

void Pane::Form_KeyPress(uint16_t keyAscii) {
    const ScopedFlag acting(m_acting);
    if (m_input)
        m_input->keyPress(keyAscii);
    contentChanged();
}

bool Pane::isToolEnabled(int position) const {
    return position >= 1 && position <= 6 && m_toolEnabled[position - 1];
}

void Pane::setToolEnabled(int position, bool enabled) {
    if (position < 1 || position > 6)
        return;
    if (m_toolEnabled[position - 1] == enabled)
        return;
    m_toolEnabled[position - 1] = enabled;
    emit paletteChanged();
}

void Pane::pressTool(int position) {
    m_pressedTool = position;
    emit paletteChanged();
}

} // namespace vw
