// Select Linked over every segment of the tori model (tori_model.h), and finding the mirror
// partners of one torus among all of them, each against a full plane-view refresh of the same
// model, run side by side in each iteration: x_refresh is their ratio (targets: at most 1.0).
// A soft Move step over 32,768 selected vertices with 65,536 more inside the radius against the
// plain Move step over the same selection, alternated in each iteration: x_plain is their ratio
// (target: at most 3).

#include "bench_application.h"
#include "model/editing/aids/edit_aids.h"
#include "model/editing/selection/mesh_selection.h"
#include "tools/drag_edit.h"
#include "tools/tool_frame.h"
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

// A full plane-view refresh of the tori model on a 1600 x 1000 pixel surface, timed beside what
// is measured.
struct RefreshBaseline {
    bool application = ensureApplication();
    Model model = tori().loaded;
    Pane pane{model};
    double seconds = 0;

    RefreshBaseline() {
        pane.resize(1600 * kTwipsPerPixel + 2 * Pane::picMainLeft,
                    1000 * kTwipsPerPixel + Pane::picMainTop + Pane::picMainLeft);
        pane.Init_Ebo();
    }
    void refresh() {
        const auto start = Clock::now();
        pane.RefreshEbo();
        seconds += secondsSince(start);
    }
    void report(benchmark::State& state, double ours) const {
        state.counters["refresh_ms"] = 1000 * seconds / double(state.iterations());
        state.counters["x_refresh"] = ours / seconds;
    }
};

void BM_SelectLinkedAgainstRefresh(benchmark::State& state) {
    RefreshBaseline baseline;
    const Model& model = baseline.model;
    // Every torus as working data, one vertex of each selected.
    std::vector<Segment> all;
    for (const Part& part : model.Parts)
        for (const Segment& segment : part.segments) {
            all.push_back(segment);
            all.back().verts[all.back().verts.size() / 2].selected = -1;
        }
    double linked = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        selectLinked(all);
        const double seconds = secondsSince(start);
        linked += seconds;
        state.SetIterationTime(seconds);
        baseline.refresh();
    }
    size_t vertices = 0;
    for (const Segment& segment : all)
        vertices += segment.verts.size();
    state.counters["vertices"] = double(vertices);
    baseline.report(state, linked);
}
BENCHMARK(BM_SelectLinkedAgainstRefresh)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

void BM_MirrorPartnersAgainstRefresh(benchmark::State& state) {
    RefreshBaseline baseline;
    const Model& model = baseline.model;
    // Every torus as working data; the one about the origin (in the first part) selected.
    Model working = model;
    working.curData.clear();
    for (const Part& part : model.Parts)
        for (const Segment& segment : part.segments)
            working.curData.push_back(segment);
    for (Vertex& vertex : working.curData[0].verts)
        vertex.selected = -1;
    Document document(working);
    EditAids aids(document);
    aids.setOptions({kMirrorX, false, Falloff::Smooth, 1});
    double found = 0;
    size_t unpartnered = 0;
    for (auto _ : state) {
        document.selectionChanged(kRings * kAround);
        const auto start = Clock::now();
        unpartnered = aids.unpartneredCount();
        const double seconds = secondsSince(start);
        found += seconds;
        state.SetIterationTime(seconds);
        baseline.refresh();
    }
    state.counters["unpartnered"] = double(unpartnered);
    baseline.report(state, found);
}
BENCHMARK(BM_MirrorPartnersAgainstRefresh)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

constexpr int kGridColumns = 256, kGridRows = 128;
constexpr float kGridSpacing = 0.05f;

// A pane in the middle of a Move drag over three 256 x 128 grids stacked along y, the middle one
// selected, with soft selection on or off.
struct MoveDragBench {
    Model model;
    EditSession session{model};
    Document& document = session.document();
    Pane pane{session};
    ToolFrame frame{pane};

    explicit MoveDragBench(bool soft) {
        model.Parts.resize(1);
        for (int s = 0; s < 3; ++s) {
            Segment segment;
            for (int r = 0; r < kGridRows; ++r)
                for (int c = 0; c < kGridColumns; ++c)
                    segment.verts.push_back({c * kGridSpacing, (s * kGridRows + r) * kGridSpacing,
                                             0, 0, 0, 200, 200, 200, 255, 0});
            for (int i = 0; i < kGridColumns * 2; ++i)
                segment.strip.push_back(int16_t(i % 2 == 0 ? i / 2 : kGridColumns + i / 2));
            model.Parts[0].segments.push_back(segment);
        }
        pane.setInput(&frame);
        pane.resize(1600 * kTwipsPerPixel + 2 * Pane::picMainLeft,
                    1000 * kTwipsPerPixel + Pane::picMainTop + Pane::picMainLeft);
        pane.Init_Ebo();
        for (Vertex& vertex : model.curData[1].verts)
            vertex.selected = -1;
        pane.session().select(
            [](std::vector<Segment>&, int32_t) { return int32_t(kGridColumns * kGridRows); });
        // Every vertex of the other two grids lies within 6.4 of the selection.
        pane.session().aids().setOptions({0, soft, Falloff::Smooth, 6.5});
        pane.toolMode = kToolMove;
        (void)pane.session().beginDrag("Move %n", viewFields(pane.currentView()));
        pane.downX = 12000;
        pane.downY = 7500;
        step(); // the soft region is found at the first step
    }

    void step() {
        m_offset = -m_offset;
        pane.picMain_MouseMove({1, 0, float(pane.downX) + m_offset, float(pane.downY)});
    }

private:
    float m_offset = 15;
};

void BM_SoftMoveStepAgainstPlain(benchmark::State& state) {
    ensureApplication();
    MoveDragBench plain(false), soft(true);
    double plainSeconds = 0, softSeconds = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        soft.step();
        const double seconds = secondsSince(start);
        softSeconds += seconds;
        state.SetIterationTime(seconds);
        const auto baseline = Clock::now();
        plain.step();
        plainSeconds += secondsSince(baseline);
    }
    benchmark::DoNotOptimize(soft.model.Parts[0].segments[0].verts[0].y);
    state.counters["plain_ms"] = 1000 * plainSeconds / double(state.iterations());
    state.counters["x_plain"] = softSeconds / plainSeconds;
}
BENCHMARK(BM_SoftMoveStepAgainstPlain)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
