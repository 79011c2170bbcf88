#pragma once
// The pane's logic without a widget: the four views and the conversions, the values the tools
// share, the working data loading, the three canvases and the refresh tick. frmPanes owns one,
// turns Qt events into its entry points and shows picMain.
//
// Redraw requests. isChanged keeps its meaning (a full redraw is wanted; it stays set), but a
// tick never redraws, recomposes or repaints when nothing it would draw from has changed since
// the frame on picMain was made. The pane notices by itself changes of the views, the tab, the
// size, the image map, the tool and its box or handles, every press, release, key press and
// drag move that reaches it through the entry points below, and every change its document
// announces. A tick that composes over the background redraws the background first when the
// view, the tab, the size or the shown segments changed since it was drawn.
//
// Announcements: surfaceChanged when picMain has new content, paletteChanged when the palette's
// state changed, viewChanged when the tab, its view or the surface's size changed.

#include "model/editing/edit_session.h"
#include "model/editing/history/document.h"
#include "model/model.h"
#include "views/pane_input.h"
#include "views/view_params.h"

#include <QImage>
#include <QObject>
#include <QPointF>
#include <QRect>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace vw {

class Raster;

// Tool codes held in toolMode; any other value means no tool.
enum ToolCode : uint8_t {
    kToolSelect = 1,
    kToolMove = 2,
    kToolPan = 3,
    kToolZoom = 4,
    kToolScale = 5,
    kToolRotate = 6,
};

// The tools that transform the selection.
constexpr std::array<uint8_t, 3> kTransformTools{kToolMove, kToolScale, kToolRotate};
constexpr bool isTransformTool(uint8_t code) {
    return code == kToolMove || code == kToolScale || code == kToolRotate;
}

// The three canvases, each with its own ground and pen colour.
enum class Canvas { Back, Buff, Main };

// Tab indexes of the pane; tabs 1 to 4 have a view, tab 5 has none.
enum TabIndex : int {
    kTabXY = 1,
    kTabYZ = 2,
    kTabXZ = 3,
    kTabUV = 4,
    kTabPreview = 5,
};

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
    bool isChanged = false;
    bool isLeftButton = false;
    bool isOnRotater = false;
    float ZoomInc = 0.25f;
    int32_t downX = 0, downY = 0;
    int32_t lastX = 0, lastY = 0;
    float selLeft = 0, selTop = 0, selRight = 0, selBottom = 0;
    float rotCenterH = 0, rotCenterV = 0;
    float rotHandleH = 0, rotHandleV = 0;
    bool grabLeft = false, grabTop = false, grabRight = false, grabBottom = false;
    float invZoom = 0;
    float rotAngle = 0;
    std::vector<Segment> rotSnapshot;
    // The soft selection's radius, drawn around the pointer (pane units) while a drag uses it;
    // a radius of 0 draws nothing.
    float softCircleX = 0, softCircleY = 0, softCircleRadius = 0;

    // The number of selected working vertices, as the session counts them.
    int32_t SelCount() const { return session().selCount(); }

    // The canvases, all Format_RGB32 and of the surface's pixel size; picMap holds the image map.
    QImage picBack, picBuff, picMain, picMap;

    // The selected tab, 1 to 5. Choosing one does not redraw; tabAxes_Click does.
    int selectedTab() const { return m_tab; }
    void selectTab(int tab);
    void tabAxes_Click(int tab);

    // The view of the selected tab; only meaningful on tabs 1 to 4. Every change of it goes
    // through setCurrentView, which announces it.
    const ViewParams& currentView() const { return views[viewIndex()]; }
    void setCurrentView(const ViewParams& view);

    // Model value to pane position (rounded, ties to even) and back, in the current view.
    int32_t toPaneX(float value) const;
    int32_t toPaneY(float value) const;
    float toModelX(float x) const;
    float toModelY(float y) const;

    static double Squared(double x) { return x * x; }

    // Resets the views, the zoom step and the tool for a newly loaded model and loads the
    // working data. A curPart or curSeg the model lacks is reset to 0 first.
    void Init_Ebo();
    // Copies the current part (curSeg 0) or segment curSeg - 1 into curData and redraws.
    void setCurData();
    // The bounding box of the selected working vertices in the current view; on tab 5 the box
    // is left as it was.
    void SetScaleValues();
    void SetRotateValues();
    // The tab's view as a new model shows it: zoom 100 centred on the plane tabs, the texture
    // square over two thirds of the height on the UV tab. Tab 5 has no view.
    void resetView(int tab);

    // The pane window's interior changed to width x height twips: lays out picMain, sizes the
    // canvases and redraws. A size that would be negative leaves the surface as it was.
    void resize(int32_t windowWidth, int32_t windowHeight);
    QRect picMainGeometry() const;                            // twips, inside the pane window
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
    // Unselected marks first, then selected ones over them; a vertex flagged in hiddenFlags has
    // none.
    void drawVertexMarks(const std::vector<Vertex>& verts, Canvas canvas, int tab,
                         std::span<const uint8_t> hiddenFlags = {});
    // The grid under everything else on the plane and UV tabs, while shown; off at first.
    bool gridShown() const { return m_gridShown; }
    void setGridShown(bool shown);
    // The grid's spacing in model units on the selected tab; 0 on tab 5.
    double gridSpacing() const;
    // The 10-millisecond refresh: rubber band, tool overlays, or a full redraw while isChanged.
    void tmeRefresher_Timer();

    // The colour drawn on picMain at a pane position; black outside the surface.
    QRgb colourAt(int32_t x, int32_t y) const;

    // Something drawn changed outside a pointer or key event: a full redraw is wanted.
    void markChanged();

    // Which segments the background draws, by their tree node index; unset means every one.
    void setBackgroundFilter(std::function<bool(int32_t nodeIndex)> filter);
    // Whether the background draws the segment with this tree node index.
    bool isInBackground(int32_t nodeIndex) const;
    // The filter's answers changed: the background is drawn anew at the next tick.
    void invalidateBackground();
    // Replaces the image map; it shows at the next full redraw.
    void setImageMap(const QImage& picture);

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
    bool isToolEnabled(int position) const;
    void setToolEnabled(int position, bool enabled);
    int pressedTool() const { return m_pressedTool; }
    void pressTool(int position);

signals:
    void surfaceChanged();
    void paletteChanged();
    void viewChanged();

private:
    // What a frame on picMain was made from; a tick whose frame would come out the same as the
    // one shown does nothing.
    struct FrameKey {
        enum Kind : uint8_t { None, Full, Composed, Band, Overlay } kind = None;
        uint64_t content = 0;
        uint64_t background = 0;
        uint64_t buffer = 0;
        int tab = 0;
        ViewParams view{};
        QSize size;
        qint64 imageMap = 0;
        uint8_t tool = 0;
        std::array<uint32_t, 8> geometry{}; // band corners or box and handles, bit for bit
        std::array<uint32_t, 3> softCircle{};
        bool operator==(const FrameKey&) const = default;
    };
    // What picBack was drawn from.
    struct BackKey {
        int tab = 0;
        ViewParams view{};
        QSize size;
        uint64_t background = 0;
        qint64 imageMap = 0;
        bool operator==(const BackKey&) const = default;
    };

    void start();
    void documentChanged(const DocumentChange& change);
    int viewIndex() const { return (m_tab >= kTabXY && m_tab <= kTabUV ? m_tab : kTabXY) - 1; }
    void drawBackground();
    // The back edges of the working segments of Parts, or of all others.
    void drawSegmentsBehind(bool working);
    bool isWorkingSegment(int32_t part, int32_t seg) const;
    // picBack after an edit of the working segments alone: the others as last drawn, the working
    // ones anew; false, drawing nothing, when the others are not held for this view.
    bool redrawWorkingBehind();
    // composeView without announcing the frame, for callers that draw more on it first.
    void composeFrame();
    BackKey backKey() const;
    void contentChanged();
    QImage& image(Canvas canvas);
    void clear(Canvas canvas);
    void placeVertices(const std::vector<Vertex>& verts, const ViewParams& view);
    void drawImageMapTiles();
    void drawImageMapFrame();
    void drawGrid();
    void drawScaleBox();
    void drawRotateHandle();
    void drawRubberBand();
    void drawSoftCircle();
    void frameShown(const FrameKey& key);
    FrameKey fullKey() const;
    FrameKey bandKey() const;
    FrameKey overlayKey() const;

    SessionRef m_session;
    Model& m_model;
    Subscription m_subscription;
    bool m_acting = false;
    bool m_framesHeld = false;
    PaneInput* m_input = nullptr;
    int m_tab = kTabXY;
    int32_t m_surfaceWidth = 0;
    int32_t m_surfaceHeight = 0;
    std::array<bool, 6> m_toolEnabled{};
    int m_pressedTool = 0;
    bool m_gridShown = false;
    std::optional<QPointF> m_pointerAt;
    std::function<bool(int32_t)> m_backgroundFilter;
    uint64_t m_contentGeneration = 1;
    uint64_t m_backgroundGeneration = 1;
    uint64_t m_backVersion = 0; // bumped whenever picBack is redrawn
    BackKey m_backDrawn;
    // No vertex value changed since picBack was drawn.
    bool m_backHoldsParts = false;
    // picBack without the working segments of part m_othersPart, segment m_othersSeg (the
    // working data then); part -1 when it does not hold the other segments as they are.
    QImage m_othersBack;
    BackKey m_othersDrawn;
    int32_t m_othersPart = -1;
    int32_t m_othersSeg = 0;
    uint64_t m_bufferVersion = 0; // bumped whenever picBuff is recomposed
    FrameKey m_shown;             // what picMain shows
    std::vector<QPoint> m_placed; // pane positions of the vertices being drawn, reused
    std::vector<QPoint> m_pixels; // and the pixels holding them
};

} // namespace vw
