// The editor's File > Save of a 64 MB model, from the command to "Saved" with the events it
// leaves behind handled, against the command-line tool's check of the same file run in the same
// iteration: x_check is the ratio of the two wall-clock times. save_ms is the library's save
// alone on the same edit, so that editor_ms - save_ms is what the window adds.

#include "app/frm_main.h"
#include "app/open_model.h"
#include "bench_application.h"
#include "model/ebo/ebo_saver.h"
#include "support/ebo_builder.h"
#include "support/temp_dir.h"
#include "ui/fake_prompts.h"

#include <QStatusBar>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// About 64 MB: 8 parts of 10 segments of 30,000 vertices each.
vw::test::EboPlan bigModel() {
    vw::test::EboPlan plan;
    plan.parts.resize(8);
    for (size_t p = 0; p < plan.parts.size(); ++p) {
        for (int s = 0; s < 10; ++s)
            plan.parts[p].segments.push_back(
                vw::test::gridSegment(200, 150, static_cast<float>(p + s)));
    }
    return plan;
}

struct EditorBench {
    bool application = ensureApplication();
    vw::test::TempDir dir;
    vw::ModelFolders folders{dir / "program", dir / "program" / "current.tmp"};
    std::string path = (dir / "big.ebo").string();
    vw::Model model;
    vw::test::RecordingPrompts prompts;
    frmMain main{model, folders, prompts};

    EditorBench() {
        vw::test::writeEbo(vw::test::buildEbo(bigModel()), path, folders.programDir);
        main.show();
        vw::openModel(main, QString::fromStdString(path));
    }

    // Every vertex moves, so every block is written.
    void moveEverything(float step) {
        for (vw::Part& part : model.Parts)
            for (vw::Segment& segment : part.segments)
                for (vw::Vertex& v : segment.verts)
                    v.x += step;
    }

    double checkSeconds() const {
        const std::string command = std::string("'") + VW_CLI_PATH + "' check '" + path +
                                    "' --program-dir '" + folders.programDir.string() +
                                    "' >/dev/null 2>&1";
        const auto start = Clock::now();
        benchmark::DoNotOptimize(std::system(command.c_str()));
        return secondsSince(start);
    }
};

void BM_EditorSaveAgainstCheck(benchmark::State& state) {
    EditorBench bench;
    double editor = 0, check = 0, library = 0;
    float step = 1.0f;
    for (auto _ : state) {
        check += bench.checkSeconds();
        bench.moveEverything(step);
        step = -step;
        const auto start = Clock::now();
        bench.main.mnuFileSave()->trigger();
        QApplication::processEvents();
        const double seconds = secondsSince(start);
        editor += seconds;
        state.SetIterationTime(seconds);
        if (!bench.main.statusBar()->currentMessage().startsWith(QStringLiteral("Saved")))
            state.SkipWithError("the save failed");
        bench.moveEverything(step);
        step = -step;
        const auto saved = Clock::now();
        benchmark::DoNotOptimize(vw::saveModel(bench.model, bench.model.modelPath, bench.folders));
        library += secondsSince(saved);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["editor_ms"] = 1000 * editor / n;
    state.counters["check_ms"] = 1000 * check / n;
    state.counters["save_ms"] = 1000 * library / n;
    state.counters["x_check"] = editor / check;
}

BENCHMARK(BM_EditorSaveAgainstCheck)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
