#include "views/pane.h"

#include "views/image_map.h"
#include "views/selection_bounds.h"
#include "views/twips.h"

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
    m_frames.contentChanged();
    m_background.changed(change);
    if (m_acting || change.model)
        return;
    // Undo and redo give back a selection the palette has not seen.
    if (change.workingData && change.selection)
        for (uint8_t tool : kTransformTools)
            setToolEnabled(tool, SelCount() > 0);
    isChanged = true;
    // The Preview draws itself; the surface is drawn again when its tab is left.
    if (m_tab != kTabPreview) {
        if (m_background.catchUp(change)) {
            composeFrame();
            frameShown(m_frames.full());
        } else {
            RefreshEbo();
        }
    }
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
    views[tab - 1] = startView(views[tab - 1], tab == kTabUV, m_surfaceWidth, m_surfaceHeight);
    if (tab == m_tab)
        emit viewChanged();
}

void Pane::setCurData() {
    {
        const ScopedFlag acting(m_acting);
        document().loadWorkingData();
    }
    m_frames.contentChanged();
    RefreshEbo();
}

void Pane::SetScaleValues() {
    if (m_tab == kTabPreview)
        return;
    const SelectionBounds box = selectionBounds(m_model.curData, currentView());
    selLeft = box.left;
    selTop = box.top;
    selRight = box.right;
    selBottom = box.bottom;
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

void Pane::picMain_MouseDown(const PointerInput& input) {
    handOn([&](PaneInput& tools) { tools.press(input); });
}

void Pane::picMain_MouseMove(const PointerInput& input) {
    m_pointerAt = QPointF(input.x, input.y);
    // A drag may move, scale, rotate or select; a bare hover changes nothing drawn but the band.
    const bool dragging = input.buttons != 0 || isLeftButton || isOnRotater;
    handOn([&](PaneInput& tools) { tools.move(input); }, dragging);
}

void Pane::picMain_MouseUp(const PointerInput& input) {
    handOn([&](PaneInput& tools) { tools.release(input); });
}

void Pane::picMain_Wheel(const PointerInput& input, int notches) {
    if (m_input)
        m_input->wheel(input, notches);
}

void Pane::Form_KeyPress(uint16_t keyAscii) {
    handOn([&](PaneInput& tools) { tools.keyPress(keyAscii); });
}

} // namespace vw
