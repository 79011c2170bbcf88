// Opening a model (load, working copy included) up to its first full plane-view frame on a
// 1600 x 1000 pixel surface, against copying the model file in the same run: x_copy is the ratio
// of the two times. Two models: the worst case, a 68 MB plain-mesh model of random vertices and
// random strips over the area a fresh plane view shows, so that every edge is long; and the tori
// model, whose first frame has a time of its own to keep.

#include "bench_application.h"
#include "model/ebo/ebo_loader.h"
#include "support/ebo_builder.h"
#include "support/temp_dir.h"
#include "tori_model.h"
#include "views/pane.h"
#include "views/twips.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <chrono>
#include <random>

namespace {

using Clock = std::chrono::steady_clock;

// 4 parts of 20 segments, each 32,768 random vertices in the fresh XY view's 240 x 150 model
// units and a strip of as many random entries.
vw::test::EboPlan randomModel() {
    std::mt19937 random(23);
    std::uniform_real_distribution<float> across(-120, 120), down(-75, 75), unit(0, 1);
    std::uniform_int_distribution<int> entry(0, 32767), byte(0, 255);
    vw::test::EboPlan plan;
    plan.parts.resize(4);
    for (vw::test::PartPlan& part : plan.parts) {
        for (int s = 0; s < 20; ++s) {
            vw::test::SegmentPlan& segment = part.segments.emplace_back();
            segment.verts.resize(32768);
            for (vw::test::FileVertex& v : segment.verts) {
                v = {across(random),        down(random),          across(random),
                     unit(random),          unit(random),          uint8_t(byte(random)),
                     uint8_t(byte(random)), uint8_t(byte(random)), 255};
            }
            segment.strip.resize(32768);
            for (int16_t& index : segment.strip)
                index = static_cast<int16_t>(entry(random));
        }
    }
    return plan;
}

struct WorstCase {
    vw::test::TempDir dir;
    vw::ModelFolders folders{dir / "program", dir / "program" / "current.tmp"};
    std::filesystem::path file = dir / "random.ebo";

    WorstCase() {
        std::filesystem::create_directories(folders.programDir);
        vw::test::writeEbo(vw::test::buildEbo(randomModel()), file, folders.programDir);
    }
};

void firstFrame(benchmark::State& state, const std::filesystem::path& file,
                const vw::ModelFolders& folders) {
    ensureApplication();
    const std::filesystem::path copy = folders.programDir / "copy.ebo";
    double copySeconds = 0, openSeconds = 0;
    for (auto _ : state) {
        std::filesystem::remove(copy);
        const auto start = Clock::now();
        std::filesystem::copy_file(file, copy);
        const auto copied = Clock::now();
        vw::Model model;
        if (vw::loadModel(model, file.string(), folders) == vw::kLoadFailed) {
            state.SkipWithError("load failed");
            return;
        }
        // As the editor makes a pane window for the model it opens: sized, then set up and drawn.
        vw::Pane pane(model);
        pane.holdFramesUntilInit();
        constexpr int32_t width = 1600 * vw::kTwipsPerPixel, height = 1000 * vw::kTwipsPerPixel;
        pane.resize(width + 2 * vw::Pane::picMainLeft,
                    height + vw::Pane::picMainTop + vw::Pane::picMainLeft);
        pane.Init_Ebo();
        const auto shown = Clock::now();
        copySeconds += std::chrono::duration<double>(copied - start).count();
        openSeconds += std::chrono::duration<double>(shown - copied).count();
        state.SetIterationTime(std::chrono::duration<double>(shown - copied).count());
    }
    state.counters["copy_ms"] = 1000 * copySeconds / static_cast<double>(state.iterations());
    state.counters["x_copy"] = openSeconds / copySeconds;
}
void BM_FirstFrameOfRandomModel(benchmark::State& state) {
    static const WorstCase worst;
    firstFrame(state, worst.file, worst.folders);
}

void BM_FirstFrameOfTori(benchmark::State& state) {
    const vw::test::ToriFiles& tori = vw::test::tori();
    static const vw::ModelFolders folders{tori.dir / "program",
                                          tori.dir / "program" / "current.tmp"};
    std::filesystem::create_directories(folders.programDir);
    firstFrame(state, tori.model, folders);
}

void configure(benchmark::internal::Benchmark* b) {
    b->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2)->Repetitions(2);
}

BENCHMARK(BM_FirstFrameOfRandomModel)->Apply(configure);
BENCHMARK(BM_FirstFrameOfTori)->Apply(configure);

} // namespace
