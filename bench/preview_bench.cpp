// The Preview's frames against a full RefreshEbo of the XY tab of the same model on a surface of
// the same size, in the same run: a frame while the camera orbits, a still frame, and the first
// frame after opening (every buffer made and sent). Needs OpenGL: run it under
// tests/gl/under_xvfb.sh (Mesa's software renderer); elsewhere it reports that it was skipped.
// Frames are timed once the simplified versions are built (detail_build_ms, in the background
// while the events run); differing_share is the share of pixels a still frame from them differs
// in from one drawing every triangle. Also the buffer bytes per vertex.

#include "bench_application.h"
#include "model/editing/history/document.h"
#include "preview/gl_support.h"
#include "preview/preview_view.h"
#include "support/frame_difference.h"
#include "timed_preview.h"
#include "views/pane.h"
#include "views/twips.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <numbers>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kWidth = 1600, kHeight = 1000;

// A bumpy ring segment of rings x around vertices with short edges, as one strip of rows joined
// by repeated indexes.
vw::Segment ringSegment(int rings, int around, float cx, float cy, float radius) {
    vw::Segment segment;
    segment.colorBlockAt = 1;
    for (int r = 0; r < rings; ++r) {
        const float s = static_cast<float>(r) / (rings - 1);
        for (int a = 0; a < around; ++a) {
            const float angle = 2 * std::numbers::pi_v<float> * a / (around - 1);
            const float bump = 1 + 0.05f * std::sin(9 * angle) * std::sin(7 * s * 3.1f);
            vw::Vertex v;
            v.x = cx + radius * bump * std::cos(angle);
            v.y = cy + radius * (s * 2 - 1);
            v.z = radius * bump * std::sin(angle);
            v.u = static_cast<float>(a) / around;
            v.v = s;
            v.red = static_cast<uint8_t>(120 + 100 * s);
            v.green = static_cast<uint8_t>(80 + a % 100);
            v.blue = 160;
            v.alpha = 255;
            segment.verts.push_back(v);
        }
    }
    for (int r = 0; r + 1 < rings; ++r) {
        if (r > 0)
            segment.strip.push_back(static_cast<int16_t>(r * around));
        for (int a = 0; a < around; ++a) {
            segment.strip.push_back(static_cast<int16_t>(r * around + a));
            segment.strip.push_back(static_cast<int16_t>((r + 1) * around + a));
        }
        segment.strip.push_back(static_cast<int16_t>((r + 1) * around + around - 1));
    }
    return segment;
}

// segments rings of 32,768 vertices (about 64,800 triangles each) side by side, all within the
// 240 x 150 model units the XY tab shows on a 1600 x 1000 pixel surface at the first zoom.
vw::Model ringModel(int segments) {
    vw::Model model;
    model.modelPath = "rings" + std::to_string(segments) + ".ebo";
    const int columns = static_cast<int>(std::ceil(std::sqrt(segments)));
    const float step = 140.0f / columns;
    int32_t node = 1;
    for (int i = 0; i < segments; ++i) {
        vw::Part part;
        part.segments.push_back(ringSegment(128, 256, step * (i % columns + 0.5f) - 70,
                                            step * (i / columns + 0.5f) - 70, step * 0.4f));
        part.segments.back().nodeIndex = ++node;
        model.Parts.push_back(std::move(part));
    }
    return model;
}

struct PreviewBench {
    vw::Model model;
    vw::EditSession session{model};
    vw::Document& document = session.document();
    vw::Pane pane{session};
    std::unique_ptr<TimedView> view;
    double dragX = 0;
    double detailMs = 0;

    explicit PreviewBench(int segments) : model(ringModel(segments)) {
        pane.resize(kWidth * vw::kTwipsPerPixel + 2 * vw::Pane::picMainLeft,
                    kHeight * vw::kTwipsPerPixel + vw::Pane::picMainTop + vw::Pane::picMainLeft);
        pane.Init_Ebo();
        view = std::make_unique<TimedView>(document);
        view->resize(kWidth, kHeight);
        view->show();
        QApplication::processEvents();
        view->frame();
        // Still frames are drawn from the simplified versions once they are built.
        const auto start = Clock::now();
        while (!view->detailReady())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        detailMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    }
    double triangles() const { return double(view->scene().mesh().triangleCount()); }
    double coarseTriangles() const {
        double count = 0;
        for (const vw::SegmentSpan& span : view->scene().mesh().segments())
            count += span.coarseCount / 3.0;
        return count;
    }
};

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

template <typename Frame> void againstRefresh(benchmark::State& state, int segments, Frame frame) {
    ensureApplication();
    if (!vw::canDrawPreview()) {
        state.SkipWithError("no OpenGL here; run under tests/gl/under_xvfb.sh");
        return;
    }
    PreviewBench bench(segments);
    const auto warmStart = Clock::now();
    frame(bench);
    state.counters["warm_ms"] = msSince(warmStart);
    double oursMs = 0, refreshMs = 0;
    for (auto _ : state) {
        const auto refreshStart = Clock::now();
        bench.pane.RefreshEbo();
        refreshMs += msSince(refreshStart);
        const auto start = Clock::now();
        frame(bench);
        oursMs += msSince(start);
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["ms"] = oursMs / runs;
    state.counters["refresh_ms"] = refreshMs / runs;
    state.counters["x_refresh"] = oursMs / refreshMs;
    state.counters["triangles"] = bench.triangles();
    state.counters["detail_build_ms"] = bench.detailMs;
    state.counters["coarse_triangles"] = bench.coarseTriangles();
    const double vertices = bench.view->scene().mesh().vertexCount();
    state.counters["bytes_per_vertex"] = static_cast<double>(bench.view->bufferBytes()) / vertices;
    const QImage simplified = bench.view->grabFramebuffer();
    bench.view->setSimplifies(false);
    state.counters["differing_share"] =
        test_frames::shareDiffering(simplified, bench.view->grabFramebuffer());
    bench.view->setSimplifies(true);
    vw::PreviewOptions wireframe;
    wireframe.wireframe = true;
    bench.view->setOptions(wireframe);
    bench.view->frame();
    state.counters["wire_bytes_per_vertex"] =
        static_cast<double>(bench.view->bufferBytes()) / vertices;
}

// A frame while the left button drags the camera round: the first one after the press builds
// the coarse triangles when the still frames are slow; it is timed apart.
void orbitFrame(PreviewBench& bench) {
    vw::PreviewScene& scene = bench.view->scene();
    if (!scene.moving()) {
        scene.press(1, 0, 0, 0);
        bench.dragX = 0;
    }
    bench.dragX += 7;
    scene.drag(bench.dragX, 2);
    bench.view->frame();
}

// A frame after the camera stopped: every triangle.
void stillFrame(PreviewBench& bench) {
    bench.view->scene().camera().orbit(7, 2);
    bench.view->frame();
}

void firstFrame(PreviewBench& bench) {
    bench.document.modelReplaced();
    bench.view->frame();
}

// (a) 4 rings, about 259,000 triangles; (b) 64 rings, about 4.1 million.
void BM_PreviewOrbitFrame(benchmark::State& state) {
    againstRefresh(state, static_cast<int>(state.range(0)), orbitFrame);
}
BENCHMARK(BM_PreviewOrbitFrame)->Arg(4)->Arg(64)->Iterations(5)->Unit(benchmark::kMillisecond);

void BM_PreviewStillFrame(benchmark::State& state) {
    againstRefresh(state, static_cast<int>(state.range(0)), stillFrame);
}
BENCHMARK(BM_PreviewStillFrame)->Arg(4)->Arg(64)->Iterations(5)->Unit(benchmark::kMillisecond);

void BM_PreviewFirstFrame(benchmark::State& state) {
    againstRefresh(state, static_cast<int>(state.range(0)), firstFrame);
}
BENCHMARK(BM_PreviewFirstFrame)->Arg(4)->Arg(64)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace
