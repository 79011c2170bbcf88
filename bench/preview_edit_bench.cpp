// Selecting and moving in the Preview on the tori model (tori_model.h), each against a baseline
// measured in the same run: a click pick against a full plane-view refresh of the model, a box
// select of everything in view against a plane-view Move step over the vertices it selects, and
// a Preview Move step over one segment's 32,768 selected vertices against the plane view's Move
// step, each followed by sending the moved vertices to the GPU. Needs OpenGL: run it under
// tests/gl/under_xvfb.sh (Mesa's software renderer); elsewhere it reports that it was skipped.

#include "bench_application.h"
#include "preview/gl_support.h"
#include "preview/preview_picking.h"
#include "timed_preview.h"
#include "tools/move_tool.h"
#include "tools/preview_tools.h"
#include "tools/selection.h"
#include "tools/tool_frame.h"
#include "tori_model.h"
#include "views/pane.h"
#include "views/twips.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <time.h>

#include <memory>

using namespace vw;

namespace {

constexpr int kWidth = 1600, kHeight = 1000;

// This thread's processor time: the machines these run on are shared, and every step measured
// here runs on this thread (the GPU upload too, with Mesa's software renderer).
struct Clock {
    using time_point = double;
    static double now() {
        timespec at{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &at);
        return double(at.tv_sec) * 1e3 + double(at.tv_nsec) / 1e6;
    }
};

double msSince(double start) {
    return Clock::now() - start;
}

// The tori model on a plane view and a Preview of the same size, the working data being the
// part (curSeg 0) or its first segment (curSeg 1), the Preview framed on the whole model.
struct EditBench {
    Model model = test::tori().loaded;
    EditSession session{model};
    Document& document = session.document();
    Pane pane{session};
    ToolFrame frame{pane};
    std::unique_ptr<TimedView> view;
    std::unique_ptr<PreviewTools> tools;

    explicit EditBench(int16_t curSeg) {
        model.curPart = 0;
        model.curSeg = curSeg;
        pane.setInput(&frame);
        pane.resize(kWidth * kTwipsPerPixel + 2 * Pane::picMainLeft,
                    kHeight * kTwipsPerPixel + Pane::picMainTop + Pane::picMainLeft);
        pane.Init_Ebo();
        view = std::make_unique<TimedView>(document);
        view->resize(kWidth, kHeight);
        view->show();
        QApplication::processEvents();
        tools = std::make_unique<PreviewTools>(pane, frame, *view);
        view->setInput(tools.get());
        view->frame();
        // As in the editor while the Preview shows: the plane view is not drawn meanwhile.
        pane.selectTab(kTabPreview);
    }

    // A full redraw of the XY plane view, the Preview tab left meanwhile.
    void refreshPlaneView() {
        pane.selectTab(kTabXY);
        pane.RefreshEbo();
        pane.selectTab(kTabPreview);
    }

    double modelVertices() const {
        double count = 0;
        for (const Part& part : model.Parts)
            for (const Segment& segment : part.segments)
                count += double(segment.verts.size());
        return count;
    }

    double workingVertices() const {
        double count = 0;
        for (const Segment& segment : model.curData)
            count += double(segment.verts.size());
        return count;
    }

    // A window point where a visible working vertex shows.
    QPointF visibleVertex() {
        const std::optional<DepthPatch> depth = view->depthOver(0, 0, kWidth, kHeight);
        const WindowProjector project(view->scene().camera(), &*depth);
        for (const Segment& segment : model.curData)
            for (const Vertex& vertex : segment.verts) {
                WindowPoint at;
                if (project.project(vertex, at) && at.x > 0 && at.y > 0 && at.x < kWidth &&
                    at.y < kHeight && project.isVisible(at))
                    return QPointF(at.x, at.y);
            }
        return QPointF(kWidth / 2.0, kHeight / 2.0);
    }

    // One plane-view Move step of the selection, right or left by 15 twips, on the XY tab.
    void planeMoveStep(float& offset) {
        pane.selectTab(kTabXY);
        pane.picMain_MouseMove({1, 0, float(pane.downX) + offset, float(pane.downY)});
        pane.selectTab(kTabPreview);
        offset = -offset;
    }
};

bool skipWithoutOpenGl(benchmark::State& state) {
    ensureApplication();
    if (canDrawPreview())
        return false;
    state.SkipWithError("no OpenGL here; run under tests/gl/under_xvfb.sh");
    return true;
}

// The click as the Select tool takes it, press and release; the frame after each (which shows
// the new selection) is drawn between clicks, as the event loop would.
void BM_PreviewClickPick(benchmark::State& state) {
    if (skipWithoutOpenGl(state))
        return;
    EditBench bench(0);
    bench.pane.toolMode = kToolSelect;
    const QPointF at = bench.visibleVertex();
    const PreviewPointer click{1, 0, at.x(), at.y()};
    double pickMs = 0, refreshMs = 0;
    for (auto _ : state) {
        bench.view->frame();
        const auto start = Clock::now();
        bench.tools->press(click);
        bench.tools->release(click);
        pickMs += msSince(start);
        const auto refresh = Clock::now();
        bench.refreshPlaneView();
        refreshMs += msSince(refresh);
    }
    const double runs = double(state.iterations());
    state.counters["picked"] = bench.pane.SelCount();
    state.counters["working_vertices"] = bench.workingVertices();
    state.counters["pick_ms"] = pickMs / runs;
    state.counters["refresh_ms"] = refreshMs / runs;
    state.counters["x_refresh"] = pickMs / refreshMs;
}
BENCHMARK(BM_PreviewClickPick)->Iterations(5)->Unit(benchmark::kMillisecond);

// A box over the whole view selects every visible working vertex, against a plane-view Move
// step over the vertices it selected.
void BM_PreviewBoxSelect(benchmark::State& state) {
    if (skipWithoutOpenGl(state))
        return;
    EditBench bench(0);
    double boxMs = 0, moveMs = 0;
    float offset = 15;
    for (auto _ : state) {
        bench.pane.toolMode = kToolSelect;
        bench.view->frame();
        const auto start = Clock::now();
        bench.tools->press({1, 0, 1, 1});
        bench.tools->move({1, 0, kWidth - 1, kHeight - 1});
        bench.tools->release({1, 0, kWidth - 1, kHeight - 1});
        boxMs += msSince(start);
        bench.pane.toolMode = kToolMove;
        (void)bench.document.beginDrag("Move %n", 0, bench.pane.SelCount());
        const auto move = Clock::now();
        bench.planeMoveStep(offset);
        moveMs += msSince(move);
        bench.document.cancelDrag();
    }
    const double runs = double(state.iterations());
    state.counters["selected"] = bench.pane.SelCount();
    state.counters["box_ms"] = boxMs / runs;
    state.counters["move_ms"] = moveMs / runs;
    state.counters["x_move"] = boxMs / moveMs;
    // What a box of the whole view reads back while it selects: 4 bytes a pixel, nothing kept
    // per vertex.
    state.counters["pick_bytes_per_vertex"] = 4.0 * kWidth * kHeight / bench.modelVertices();
}
BENCHMARK(BM_PreviewBoxSelect)->Iterations(5)->Unit(benchmark::kMillisecond);

// One Move step of a Preview drag over a segment of 32,768 selected vertices against one
// plane-view Move step over them, each followed by sending the moved vertices to the GPU.
void BM_PreviewMoveStep(benchmark::State& state) {
    if (skipWithoutOpenGl(state))
        return;
    EditBench bench(1);
    selectAll(bench.pane);
    bench.pane.toolMode = kToolMove;
    const QPointF at = bench.visibleVertex();
    // The tool itself: the Preview's event side would take the drag as ended by the plane
    // view's steps in between.
    MoveTool move(bench.pane, bench.frame.feedback);
    move.previewPress({1, 0, at.x(), at.y()}, *bench.view);
    double previewMs = 0, planeMs = 0;
    float offset = 15;
    double dx = 3;
    for (auto _ : state) {
        const auto start = Clock::now();
        move.previewMove({1, 0, at.x() + dx, at.y()}, *bench.view);
        bench.view->sendPendingVertices();
        previewMs += msSince(start);
        dx = -dx;
        const auto plane = Clock::now();
        bench.planeMoveStep(offset);
        bench.view->sendPendingVertices();
        planeMs += msSince(plane);
    }
    move.previewRelease({1, 0, at.x() + dx, at.y()}, *bench.view);
    const double runs = double(state.iterations());
    state.counters["selected"] = bench.pane.SelCount();
    state.counters["preview_step_ms"] = previewMs / runs;
    state.counters["plane_step_ms"] = planeMs / runs;
    state.counters["x_plane"] = previewMs / planeMs;
}
BENCHMARK(BM_PreviewMoveStep)->Iterations(50)->Unit(benchmark::kMillisecond);

} // namespace
