#pragma once
// The pane's logic without a widget: the four views and the conversions, the values the tools
// share, the working data loading, the three canvases and the refresh tick. frmPanes owns one,
// turns Qt events into its entry points and shows picMain.
//
// Redraw requests: isChanged keeps its meaning (a full redraw is wanted; it stays set), but a
// tick draws only what would come out new (frame_cache.h).
//
// Announcements: surfaceChanged when picMain has new content, paletteChanged when the palette's
// state changed, viewChanged when the tab, its view or the surface's size changed.

#include "model/editing/edit_session.h"
#include "model/model.h"
#include "views/frame_cache.h"
#include "views/grid.h"
#include "views/key_map.h"
#include "views/pane_background.h"
#include "views/pane_codes.h"
#include "views/pane_input.h"
#include "views/segment_drawing.h"
#include "views/tool_palette.h"
#include "views/twips.h"
#include "views/view_params.h"
#include "views/view_transform.h"

#include <QImage>
#include <QObject>
#include <QPointF>
#include <QRect>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace vw {

class Raster;

class Pane : public QObject {
    Q_OBJECT
public:
    // The drawing surface's place inside the pane window, in twips.
    static constexpr int32_t picMainLeft = 60;
    static constexpr int32_t picMainTop = 360;

    // A pane over an editing session of its own, or over the editor's shared one. Edits made
    // elsewhere (the sheet, undo, redo) redraw the pane at once.
    explicit Pane(Model& model);
    explicit Pane(EditSession& session);
    ~Pane();

    Model& model() { return m_model; }
    const Model& model() const { return m_model; }
    // What the pane shows and its tools edit through: the selection, the hiding, the aids.
    EditSession& session() { return m_session.get(); }
    const EditSession& session() const { return m_session.get(); }
    Document& document() { return session().document(); }

    // State shared with the tools.
    std::array<ViewParams, 4> views{}; // tabs 1 to 4
    uint8_t toolMode = 0;
    KeyMap keyMap = KeyMap::Designed; // Options > Keys
    bool isChanged = false;
    bool isLeftButton = false;
    bool isOnRotater = false;
    float ZoomInc = 0.25f;
    int32_t downX = 0, downY = 0;
    int32_t lastX = 0, lastY = 0;
    float selLeft = 0, selTop = 0, selRight = 0, selBottom = 0;
    float rotAngle = 0;
    // The soft selection's radius, drawn around the pointer (pane units) while a drag uses it;
    // a radius of 0 draws nothing.
    float softCircleX = 0, softCircleY = 0, softCircleRadius = 0;

    // The number of selected working vertices, as the session counts them.
    int32_t SelCount() const { return session().selCount(); }

    // The canvases, all Format_RGB32 and of the surface's pixel size; picMap holds the image map.
    QImage picBack, picBuff, picMain, picMap;

    // The selected tab, 1 to 5. Choosing one does not redraw; tabAxes_Click does.
    int selectedTab() const { return m_tab; }
    void selectTab(int tab) { m_tab = tab >= kTabXY && tab <= kTabPreview ? tab : m_tab; }
    void tabAxes_Click(int tab);

    // The view of the selected tab; only meaningful on tabs 1 to 4. Every change of it goes
    // through setCurrentView, which announces it.
    const ViewParams& currentView() const { return views[viewIndex()]; }
    void setCurrentView(const ViewParams& view);

    // Model value to pane position (rounded, ties to even) and back, in the current view.
    int32_t toPaneX(float value) const { return toPane(value, view().zoom, view().originX); }
    int32_t toPaneY(float value) const { return toPane(value, view().zoom, view().originY); }
    float toModelX(float x) const { return toModel(x, view().zoom, view().originX); }
    float toModelY(float y) const { return toModel(y, view().zoom, view().originY); }

    static double Squared(double x) { return x * x; }

    // Resets the views, the zoom step and the tool for a newly loaded model and loads the
    // working data. A curPart or curSeg the model lacks is reset to 0 first.
    void Init_Ebo();
    // Copies the current part (curSeg 0) or segment curSeg - 1 into curData and redraws.
    void setCurData();
    // The bounding box of the selected working vertices in the current view; on tab 5 the box
    // is left as it was.
    void SetScaleValues();
    // The tab's view as a new model shows it: zoom 100 centred on the plane tabs, the texture
    // square over two thirds of the height on the UV tab. Tab 5 has no view.
    void resetView(int tab);

    // The pane window's interior changed to width x height twips: lays out picMain, sizes the
    // canvases and redraws. A size that would be negative leaves the surface as it was.
    void resize(int32_t windowWidth, int32_t windowHeight);
    QRect picMainGeometry() const { // twips, inside the pane window
        return QRect(picMainLeft, picMainTop, m_surfaceWidth, m_surfaceHeight);
    }
    int32_t surfaceWidth() const { return m_surfaceWidth; }   // interior of picMain, twips
    int32_t surfaceHeight() const { return m_surfaceHeight; } // interior of picMain, twips

    // Full redraw of the selected tab; always draws, unless held.
    void RefreshEbo();
    // For a pane about to be set up for its model: until Init_Ebo, which draws the model in its
    // reset views, a redraw only clears the surface to the ground colour.
    void holdFramesUntilInit() { m_framesHeld = true; }
    // One frame of the working data over the background, copied to picMain.
    void composeView();
    // The segment's triangles as lines in pen; strip joints are skipped. One raster serves every
    // segment of a canvas, so that what it learns of the canvas carries over.
    void drawSegmentEdges(const Segment& segment, Raster& raster, QRgb pen, int tab);
    // Every working vertex's mark: all the unselected ones first, then the selected ones over
    // them, whatever segment each is in; hidden vertices have none.
    void drawVertexMarks(QImage& canvas, int tab);
    // The grid under everything else on the plane and UV tabs, while shown; off at first.
    bool gridShown() const { return m_background.gridShown(); }
    void setGridShown(bool shown) {
        if (m_background.showGrid(shown))
            markChanged();
    }
    // The grid's spacing in model units on the selected tab; 0 on tab 5.
    double gridSpacing() const { return m_tab == kTabPreview ? 0 : vw::gridSpacing(view().zoom); }
    // The 10-millisecond refresh: the current tool's overlay (pane_input.h) over the last frame or
    // over a new one, or a full redraw while isChanged.
    void tmeRefresher_Timer();

    // The colour drawn on picMain at a pane position; black outside the surface.
    QRgb colourAt(int32_t x, int32_t y) const { return colourUnder(picMain, x, y); }

    // Something drawn changed outside a pointer or key event: a full redraw is wanted.
    void markChanged() {
        m_frames.contentChanged();
        isChanged = true;
    }

    // Which segments the background draws, by their tree node index; unset means every one.
    void setBackgroundFilter(std::function<bool(int32_t nodeIndex)> filter) {
        m_background.setFilter(std::move(filter));
    }
    // Whether the background draws the segment with this tree node index.
    bool isInBackground(int32_t nodeIndex) const { return m_background.shows(nodeIndex); }
    // The filter's answers changed: the background is drawn anew at the next tick.
    void invalidateBackground() { m_background.invalidate(); }
    // Replaces the image map; it shows at the next full redraw.
    void setImageMap(const QImage& picture) { picMap = picture; }

    // Pointer events on picMain and key presses of the pane, handed to the tools' frame.
    void setInput(PaneInput* input) { m_input = input; }
    void picMain_MouseDown(const PointerInput& input);
    void picMain_MouseMove(const PointerInput& input);
    void picMain_MouseUp(const PointerInput& input);
    // Wheel notches over the surface (positive away from the user).
    void picMain_Wheel(const PointerInput& input, int notches);
    void Form_KeyPress(uint16_t keyAscii);
    // Where the pointer last moved over the surface, in twips; none once it left.
    std::optional<QPointF> pointerAt() const { return m_pointerAt; }
    void pointerLeft() { m_pointerAt.reset(); }

    // The tool palette's state: buttons 1 to 6 by tool code, enabled or not, and the one shown
    // pressed.
    bool isToolEnabled(int position) const { return m_palette.isEnabled(position); }
    void setToolEnabled(int position, bool enabled) {
        if (m_palette.setEnabled(position, enabled))
            emit paletteChanged();
    }
    int pressedTool() const { return m_palette.pressed(); }
    void pressTool(int position) {
        m_palette.press(position);
        emit paletteChanged();
    }

signals:
    void surfaceChanged();
    void paletteChanged();
    void viewChanged();

private:
    void start();
    void documentChanged(const DocumentChange& change);
    int viewIndex() const { return (m_tab >= kTabXY && m_tab <= kTabUV ? m_tab : kTabXY) - 1; }
    const ViewParams& view() const { return views[viewIndex()]; }
    // Hands an event to the tools' frame, with the document's announcements of it counted as
    // the pane's own; changes tells whether it may change what is drawn.
    template <typename Event> void handOn(Event event, bool changes = true) {
        const ScopedFlag acting(m_acting);
        if (m_input)
            event(*m_input);
        if (changes)
            m_frames.contentChanged();
    }
    // composeView without announcing the frame, for callers that draw more on it first.
    void composeFrame();
    // One tick's overlay over the last frame or over a new one.
    void showOverlayOnLastFrame();
    void showOverlayOnNewFrame();
    void frameShown(const FrameKey& key);

    SessionRef m_session;
    Model& m_model;
    Subscription m_subscription;
    bool m_acting = false;
    bool m_framesHeld = false;
    PaneInput* m_input = nullptr;
    int m_tab = kTabXY;
    int32_t m_surfaceWidth = 0;
    int32_t m_surfaceHeight = 0;
    ToolPalette m_palette;
    std::optional<QPointF> m_pointerAt;
    PaneBackground m_background{*this};
    FrameCache m_frames{*this, m_background};
    SegmentDrawing m_drawing;
};

} // namespace vw
