// Select Linked over every segment of the tori model (tori_model.h) against a full plane-view
// refresh of the same model, run side by side in each iteration: x_refresh is their ratio.

#include "bench_application.h"
#include "model/editing/mesh_selection.h"
#include "tori_model.h"
#include "views/pane.h"
#include "views/twips.h"

#include <benchmark/benchmark.h>

#include <chrono>

using namespace vw;
using namespace vw::test;

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void BM_SelectLinkedAgainstRefresh(benchmark::State& state) {
    ensureApplication();
    Model model = tori().loaded;
    Pane pane(model);
    pane.resize(1600 * kTwipsPerPixel + 2 * Pane::picMainLeft,
                1000 * kTwipsPerPixel + Pane::picMainTop + Pane::picMainLeft);
    pane.Init_Ebo();
    // Every torus as working data, one vertex of each selected.
    std::vector<Segment> all;
    for (const Part& part : model.Parts)
        for (const Segment& segment : part.segments) {
            all.push_back(segment);
            all.back().verts[all.back().verts.size() / 2].selected = -1;
        }
    double linked = 0, refreshed = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        selectLinked(all);
        const double seconds = secondsSince(start);
        linked += seconds;
        state.SetIterationTime(seconds);
        const auto refresh = Clock::now();
        pane.RefreshEbo();
        refreshed += secondsSince(refresh);
    }
    size_t vertices = 0;
    for (const Segment& segment : all)
        vertices += segment.verts.size();
    state.counters["vertices"] = double(vertices);
    state.counters["refresh_ms"] = 1000 * refreshed / double(state.iterations());
    state.counters["x_refresh"] = linked / refreshed;
}
BENCHMARK(BM_SelectLinkedAgainstRefresh)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

} // namespace
