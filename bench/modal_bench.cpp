// A step of the Blender map's modal Move (G, the pointer moving with no button held) over the
// 655,360 selected vertices of one part of the tori model (tori_model.h), against a step of a
// Move tool drag over them, in the XY view, timed in the same run on the wall clock. Target: at
// most 1.1x.

#include "bench_application.h"
#include "tools/selection.h"
#include "tools/tool_frame.h"
#include "tori_model.h"
#include "views/pane.h"
#include "views/twips.h"

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

using namespace vw;
using Clock = std::chrono::steady_clock;

constexpr int kSteps = 4; // pointer steps of each drag, between its start and its cancel

struct PartBench {
    bool application = ensureApplication();
    Model model = test::tori().loaded;
    EditSession session{model};
    Pane pane{session};
    ToolFrame frame{pane};

    PartBench() {
        model.curPart = 0;
        model.curSeg = 0;
        pane.setInput(&frame);
        pane.resize(1600 * kTwipsPerPixel + 2 * Pane::picMainLeft,
                    1000 * kTwipsPerPixel + Pane::picMainTop + Pane::picMainLeft);
        pane.Init_Ebo();
        selectAll(pane);
    }

    // The pointer's steps, right and left by 15 twips from (x, y) with the buttons given; the
    // seconds they took.
    double steps(int buttons, float x, float y) {
        const auto start = Clock::now();
        for (int i = 0; i < kSteps; ++i)
            pane.picMain_MouseMove({buttons, 0, x + (i % 2 == 0 ? 15.0f : 0.0f), y});
        return std::chrono::duration<double>(Clock::now() - start).count();
    }
};

void BM_ModalMoveStepAgainstMoveTool(benchmark::State& state) {
    PartBench bench;
    const float x = 12000, y = 7500;
    double modal = 0, tool = 0;
    for (auto _ : state) {
        bench.pane.toolMode = kToolMove;
        bench.pane.picMain_MouseDown({1, 0, x, y});
        tool += bench.steps(1, x, y);
        bench.frame.cancelDrag();
        bench.pane.picMain_MouseUp({1, 0, x, y});

        bench.pane.picMain_MouseMove({0, 0, x, y});
        if (!bench.frame.beginModal(TransformKind::Move)) {
            state.SkipWithError("the modal Move did not begin");
            return;
        }
        modal += bench.steps(0, x, y);
        bench.frame.cancelDrag();
    }
    const double steps = double(state.iterations()) * kSteps;
    state.counters["selected"] = bench.pane.SelCount();
    state.counters["modal_step_ms"] = 1000 * modal / steps;
    state.counters["tool_step_ms"] = 1000 * tool / steps;
    state.counters["x_tool"] = modal / tool;
}
BENCHMARK(BM_ModalMoveStepAgainstMoveTool)->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace
