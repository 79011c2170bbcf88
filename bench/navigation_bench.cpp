// Fit Model on a model of about 2.6 million vertices, against a full RefreshEbo of it (target at
// most 0.2x), and Select Coincident over a working part of 32,768 vertices, against a Move step
// over the same vertices (target at most 5x). Each baseline is timed in the same run, between
// the measured calls, and the ratio is reported.

#include "bench_application.h"
#include "model/model.h"
#include "tools/move_tool.h"
#include "tools/selection.h"
#include "tools/tool_frame.h"
#include "tools/view_navigation.h"
#include "views/pane.h"
#include "views/twips.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>

namespace {

using Clock = std::chrono::steady_clock;

vw::Segment grid(int columns, int rows, float left, float top) {
    vw::Segment segment;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            segment.verts.push_back({left + c * 0.05f, top + r * 0.05f, 0.25f * (c % 4),
                                     c / float(columns), r / float(rows), 200, 200, 200, 255, 0});
    for (int i = 0; i < columns * 2; ++i)
        segment.strip.push_back(int16_t(i % 2 == 0 ? i / 2 : columns + i / 2));
    return segment;
}

struct NavigationBench {
    bool application = ensureApplication();
    vw::Model model;
    vw::Pane pane{model};
    vw::ToolFrame frame{pane};

    // parts x segments grids of 256 x 128 vertices side by side.
    NavigationBench(int parts, int segments) {
        for (int p = 0; p < parts; ++p) {
            model.Parts.emplace_back();
            for (int s = 0; s < segments; ++s)
                model.Parts.back().segments.push_back(grid(256, 128, p * 13.0f, s * 7.0f));
        }
        pane.setInput(&frame);
        pane.resize(1600 * vw::kTwipsPerPixel + 2 * vw::Pane::picMainLeft,
                    1000 * vw::kTwipsPerPixel + vw::Pane::picMainTop + vw::Pane::picMainLeft);
        pane.Init_Ebo();
    }
};

double secondsOf(const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Times measured against baseline, one of each per iteration after an untimed prepare, and
// reports the ratio.
void sideBySide(
    benchmark::State& state, const std::function<void()>& measured,
    const std::function<void()>& baseline, const std::function<void()>& prepare = [] {}) {
    double measuredSeconds = 0, baselineSeconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        prepare();
        state.ResumeTiming();
        measuredSeconds += secondsOf(measured);
        state.PauseTiming();
        baselineSeconds += secondsOf(baseline);
        state.ResumeTiming();
    }
    state.counters["baseline_ms"] = 1000 * baselineSeconds / double(state.iterations());
    state.counters["ratio"] = measuredSeconds / baselineSeconds;
}

void BM_FitModel(benchmark::State& state) {
    NavigationBench bench(10, 8); // 80 x 32,768 = 2,621,440 vertices
    sideBySide(
        state, [&] { vw::fitModel(bench.pane); }, [&] { bench.pane.RefreshEbo(); });
    state.counters["vertices"] = 80.0 * 32768;
}
BENCHMARK(BM_FitModel)->Unit(benchmark::kMillisecond);

// Against one Move step of the same selection (its arithmetic and its write-back).
void coincidentAgainstMove(benchmark::State& state, int selectedEvery) {
    NavigationBench bench(1, 1);
    auto select = [&] {
        std::vector<vw::Vertex>& verts = bench.model.curData[0].verts;
        for (size_t i = 0; i < verts.size(); ++i)
            verts[i].selected = i % size_t(selectedEvery) == 0 ? -1 : 0;
        bench.pane.session().select([](std::vector<vw::Segment>&, int32_t) { return 1; });
    };
    select();
    bench.pane.toolMode = vw::kToolMove;
    bench.pane.downX = 12000;
    bench.pane.downY = 7500;
    float offset = 15;
    sideBySide(
        state, [&] { vw::selectCoincident(bench.pane); },
        [&] {
            bench.pane.picMain_MouseMove(
                {1, 0, float(bench.pane.downX) + offset, float(bench.pane.downY)});
            offset = -offset;
        },
        select);
    state.counters["vertices"] = 32768;
}

void BM_SelectCoincidentAllSelected(benchmark::State& state) {
    coincidentAgainstMove(state, 1);
}
BENCHMARK(BM_SelectCoincidentAllSelected)->Unit(benchmark::kMillisecond);

void BM_SelectCoincidentHalfSelected(benchmark::State& state) {
    coincidentAgainstMove(state, 2);
}
BENCHMARK(BM_SelectCoincidentHalfSelected)->Unit(benchmark::kMillisecond);

} // namespace
