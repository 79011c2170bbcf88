// One pointer step of the Move, Scale and Rotate tools on a segment of 32,768 selected vertices,
// each with its write-back into the model. Target: at most 2 ms, so the 10 ms tick keeps up.
// Undo and redo of a Move drag of those vertices: target at most 2x the Move step each.

#include "bench_application.h"
#include "model/editing/history/working_data.h"
#include "model/model.h"
#include "tools/move_tool.h"
#include "tools/rotate_tool.h"
#include "tools/selection.h"
#include "tools/tool_frame.h"
#include "views/pane.h"
#include "views/twips.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <numbers>

namespace {

constexpr int kColumns = 256;
constexpr int kRows = 128; // 32,768 vertices

// A pane on one part of one 256 x 128 grid segment, every vertex selected, on a 1600 x 1000
// pixel surface.
struct ToolBench {
    bool application = ensureApplication();
    vw::Model model;
    vw::EditSession session{model};
    vw::Document& document = session.document();
    vw::Pane pane{session};
    vw::ToolFrame frame{pane};

    explicit ToolBench(uint8_t tool) {
        vw::Segment segment;
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < kColumns; ++c)
                segment.verts.push_back({c * 0.05f - 6.4f, r * 0.05f - 3.2f, 0.5f, c / 256.0f,
                                         r / 128.0f, 200, 200, 200, 255, 0});
        for (int i = 0; i < kColumns * 2; ++i)
            segment.strip.push_back(int16_t(i % 2 == 0 ? i / 2 : kColumns + i / 2));
        model.Parts.resize(1);
        model.Parts[0].segments.push_back(segment);
        pane.setInput(&frame);
        pane.resize(1600 * vw::kTwipsPerPixel + 2 * vw::Pane::picMainLeft,
                    1000 * vw::kTwipsPerPixel + vw::Pane::picMainTop + vw::Pane::picMainLeft);
        pane.Init_Ebo();
        vw::selectVertsInBox(pane, -1000, -1000, 1000, 1000);
        pane.toolMode = tool;
        // The drag a press would open: every step below is one step of it.
        (void)document.beginDrag("Drag %n", 0, pane.SelCount());
    }

    vw::PointerInput leftAt(float x, float y) const { return {1, 0, x, y}; }
};

void BM_MoveStep(benchmark::State& state) {
    ToolBench bench(vw::kToolMove);
    bench.pane.downX = 12000;
    bench.pane.downY = 7500;
    float offset = 15;
    for (auto _ : state) {
        bench.pane.picMain_MouseMove(
            bench.leftAt(float(bench.pane.downX) + offset, float(bench.pane.downY)));
        offset = -offset;
    }
    benchmark::DoNotOptimize(bench.model.Parts[0].segments[0].verts[0].x);
    state.counters["vertices"] = kColumns * kRows;
}
BENCHMARK(BM_MoveStep)->Unit(benchmark::kMillisecond);

void BM_ScaleStep(benchmark::State& state) {
    ToolBench bench(vw::kToolScale);
    bench.pane.SetScaleValues();
    bench.pane.tmeRefresher_Timer();
    const float right = float(bench.pane.toPaneX(bench.pane.selRight));
    const float middle =
        float(bench.pane.toPaneY(bench.pane.selTop) + bench.pane.toPaneY(bench.pane.selBottom)) / 2;
    bench.pane.picMain_MouseDown(bench.leftAt(right, middle)); // grabs the right edge
    float offset = 150;
    for (auto _ : state) {
        bench.pane.picMain_MouseMove(bench.leftAt(right + offset, 3000));
        offset = offset > 0 ? -150 : 150;
    }
    benchmark::DoNotOptimize(bench.model.Parts[0].segments[0].verts[0].x);
    state.counters["vertices"] = kColumns * kRows;
}
BENCHMARK(BM_ScaleStep)->Unit(benchmark::kMillisecond);

// A Rotate step with the write-back a release makes.
void BM_RotateStep(benchmark::State& state) {
    ToolBench bench(vw::kToolRotate);
    auto& rotate = dynamic_cast<vw::RotateTool&>(*bench.frame.currentTool());
    rotate.SetRotateValues();
    bench.pane.tmeRefresher_Timer();
    bench.pane.picMain_MouseDown(bench.leftAt(float(bench.pane.toPaneX(rotate.handle().h)),
                                              float(bench.pane.toPaneY(rotate.handle().v))));
    const float centreX = float(bench.pane.toPaneX(rotate.centre().h));
    const float centreY = float(bench.pane.toPaneY(rotate.centre().v));
    int step = 0;
    for (auto _ : state) {
        const double angle = 2 * std::numbers::pi * (++step % 360) / 360;
        bench.pane.picMain_MouseMove(bench.leftAt(float(centreX + 3000 * std::cos(angle)),
                                                  float(centreY + 3000 * std::sin(angle))));
        vw::commitCurData(bench.model);
    }
    benchmark::DoNotOptimize(bench.model.Parts[0].segments[0].verts[0].x);
    state.counters["vertices"] = kColumns * kRows;
}
BENCHMARK(BM_RotateStep)->Unit(benchmark::kMillisecond);

// Undo or redo of a Move of every vertex, as the Edit menu runs it: through the document alone
// (values written back, working data refreshed, selection restored), or with the pane's redraw
// that follows, the same as after any edit.
void undoOrRedo(benchmark::State& state, bool redo, bool redrawn) {
    ToolBench bench(vw::kToolMove);
    vw::Model model = bench.model;
    vw::Document alone(model);
    vw::Document& document = redrawn ? bench.document : alone;
    (void)document.edit("Move %n", 0, bench.pane.SelCount(), [&](std::vector<vw::Segment>&) {
        for (vw::Vertex& vertex : document.model().curData[0].verts) {
            vertex.x += 1.5f;
            vertex.y -= 0.75f;
        }
    });
    for (auto _ : state) {
        state.PauseTiming();
        if (redo)
            document.undo();
        state.ResumeTiming();
        if (redo)
            document.redo();
        else
            document.undo();
        state.PauseTiming();
        if (!redo)
            document.redo();
        state.ResumeTiming();
    }
    benchmark::DoNotOptimize(document.model().Parts[0].segments[0].verts[0].x);
    state.counters["vertices"] = kColumns * kRows;
    state.counters["historyBytes"] = double(document.historyBytes());
}

void BM_UndoMove(benchmark::State& state) {
    undoOrRedo(state, false, false);
}
BENCHMARK(BM_UndoMove)->Unit(benchmark::kMillisecond);

void BM_RedoMove(benchmark::State& state) {
    undoOrRedo(state, true, false);
}
BENCHMARK(BM_RedoMove)->Unit(benchmark::kMillisecond);

void BM_UndoMoveRedrawn(benchmark::State& state) {
    undoOrRedo(state, false, true);
}
BENCHMARK(BM_UndoMoveRedrawn)->Unit(benchmark::kMillisecond);

} // namespace
