// The editor's File > Save of a 64 MB model, from the key press to "Saved" with the events it
// leaves behind handled, against the command-line tool's check of the same file run in the same
// iteration: x_check is the ratio of the two wall-clock times. save_ms is the library's save
// alone on the same edit, so that editor_ms - save_ms is what the window adds, events_ms the part
// of it spent on the events the save leaves behind.

#include "app/frm_main.h"
#include "app/frm_panes.h"
#include "app/open_model.h"
#include "bench_application.h"
#include "model/ebo/ebo_saver.h"
#include "support/ebo_builder.h"
#include "support/temp_dir.h"
#include "ui/fake_prompts.h"
#include "views/pane.h"

#include <QLabel>
#include <QTabBar>
#include <QTest>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

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
        std::filesystem::create_directories(folders.programDir);
        vw::test::writeEbo(vw::test::buildEbo(bigModel()), path, folders.programDir);
        main.show();
        vw::openModel(main, QString::fromStdString(path));
    }

    void editWorkingData(float step) {
        (void)main.document().edit("Move %n", 0, 0, [step](std::vector<vw::Segment>& data) {
            for (vw::Segment& segment : data)
                for (vw::Vertex& v : segment.verts)
                    v.x += step;
        });
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

// Ctrl+S pressed, then the events it leaves behind handled (listeners, the title, redraws);
// events counts the time of the latter alone.
double editorSaveSeconds(EditorBench& bench, benchmark::State& state, double& events) {
    QApplication::setActiveWindow(&bench.main);
    const auto start = Clock::now();
    QTest::keyClick(&bench.main, Qt::Key_S, Qt::ControlModifier);
    const auto saved = Clock::now();
    QApplication::processEvents();
    events += secondsSince(saved);
    if (!bench.main.noticePanel()->text().startsWith(QStringLiteral("Saved")))
        state.SkipWithError("the save failed");
    return secondsSince(start);
}

// edited: each save follows an edit through the document of every vertex of the pane's part
// (a tenth of the model), as a Move of everything selected makes one.
void editorSaveAgainstCheck(benchmark::State& state, bool edited, int tab = vw::kTabXY) {
    EditorBench bench;
    bench.main.panes()->tabAxes->setCurrentIndex(tab);
    QTest::qWait(50);
    double editor = 0, check = 0, library = 0, events = 0;
    float step = 1.0f;
    for (auto _ : state) {
        check += bench.checkSeconds();
        if (edited)
            bench.editWorkingData(step);
        step = -step;
        // The edit's own redraws come before the key press, as they do for a user.
        QTest::qWait(50);
        const double seconds = editorSaveSeconds(bench, state, events);
        editor += seconds;
        state.SetIterationTime(seconds);
        if (edited)
            bench.editWorkingData(step);
        step = -step;
        const auto saved = Clock::now();
        benchmark::DoNotOptimize(vw::saveModel(bench.model, bench.model.modelPath, bench.folders));
        library += secondsSince(saved);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["editor_ms"] = 1000 * editor / n;
    state.counters["check_ms"] = 1000 * check / n;
    state.counters["save_ms"] = 1000 * library / n;
    state.counters["events_ms"] = 1000 * events / n;
    state.counters["x_check"] = editor / check;
}

void BM_EditorSaveUneditedAgainstCheck(benchmark::State& state) {
    editorSaveAgainstCheck(state, false);
}

void BM_EditorSaveEditedAgainstCheck(benchmark::State& state) {
    editorSaveAgainstCheck(state, true);
}

// The same with the Preview shown, which draws the whole model in one frame.
void BM_EditorSaveEditedOnPreviewAgainstCheck(benchmark::State& state) {
    editorSaveAgainstCheck(state, true, vw::kTabPreview);
}

BENCHMARK(BM_EditorSaveUneditedAgainstCheck)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_EditorSaveEditedAgainstCheck)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_EditorSaveEditedOnPreviewAgainstCheck)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

} // namespace
