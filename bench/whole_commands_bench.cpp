// Whole commands in the editor's windows on the tori model (tori_model.h), its first part of
// 655,360 vertices as the working data, every vertex selected: from the key press (or the
// sheet's entry) until the event queue is empty, listeners and redraws included, against a full
// plane-view refresh of the same model run side by side in each iteration. x_refresh is the
// ratio of the two wall-clock times, x_refresh_cpu that of this thread's processor times;
// step_bytes is what the history grew by with the last step (0 for a command that makes none).

#include "app/frm_main.h"
#include "app/frm_panes.h"
#include "app/open_model.h"
#include "bench_application.h"
#include "model/editing/exact_transform.h"
#include "panels/frm_vertices.h"
#include "support/temp_dir.h"
#include "tori_model.h"
#include "ui/fake_prompts.h"
#include "views/pane.h"

#include <QAction>
#include <QApplication>
#include <QTest>

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <functional>

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// This thread's processor time: on a busy machine it shows the command's own cost.
double cpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

struct Editor {
    bool application = ensureApplication();
    vw::test::TempDir dir;
    vw::ModelFolders folders{dir / "program", dir / "program" / "current.tmp"};
    vw::Model model;
    vw::test::RecordingPrompts prompts;
    frmMain main{model, folders, prompts};

    Editor() {
        std::filesystem::create_directories(folders.programDir);
        main.show();
        vw::openModel(main, QString::fromStdString(vw::test::tori().model));
        QApplication::setActiveWindow(&main);
        QApplication::processEvents();
    }

    vw::Pane& pane() { return main.panes()->pane(); }
    void key(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(widget, key, modifiers);
    }
    void command(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
        this->key(&main, key, modifiers);
    }
    void selectAll() {
        command(Qt::Key_A);
        QApplication::processEvents();
    }
};

Editor& editor() {
    static Editor instance;
    return instance;
}

// Runs prepare untimed, then the command until the events it leaves are handled, then a full
// refresh of the plane view.
void againstRefresh(benchmark::State& state, const std::function<void(Editor&, int)>& prepare,
                    const std::function<void(Editor&, int)>& command) {
    Editor& bench = editor();
    bench.selectAll();
    double commands = 0, refreshes = 0, commandsCpu = 0, refreshesCpu = 0, stepBytes = 0;
    int round = 0;
    const vw::Document& document = bench.main.document();
    for (auto _ : state) {
        prepare(bench, round);
        QApplication::processEvents();
        const size_t historyBefore = document.historyBytes();
        const auto start = Clock::now();
        const double startCpu = cpuSeconds();
        command(bench, round);
        QApplication::processEvents();
        // The refresh tick that follows, with whatever redraw the command left for it.
        bench.pane().tmeRefresher_Timer();
        const double seconds = secondsSince(start);
        commandsCpu += cpuSeconds() - startCpu;
        if (document.historyBytes() > historyBefore)
            stepBytes = double(document.historyBytes() - historyBefore);
        commands += seconds;
        state.SetIterationTime(seconds);
        const auto refresh = Clock::now();
        const double refreshCpu = cpuSeconds();
        bench.pane().RefreshEbo();
        refreshes += secondsSince(refresh);
        refreshesCpu += cpuSeconds() - refreshCpu;
        ++round;
    }
    const double n = double(state.iterations());
    state.counters["command_ms"] = 1000 * commands / n;
    state.counters["refresh_ms"] = 1000 * refreshes / n;
    state.counters["x_refresh"] = commands / refreshes;
    state.counters["x_refresh_cpu"] = commandsCpu / refreshesCpu;
    size_t selected = 0;
    for (const vw::Segment& segment : bench.model.curData)
        for (const vw::Vertex& vertex : segment.verts)
            selected += vertex.selected != 0;
    state.counters["selected"] = double(selected);
    state.counters["step_bytes"] = stepBytes;
}

void nothing(Editor&, int) {}

void nudge(Editor& bench, int round) {
    bench.key(bench.main.panes(), round % 2 == 0 ? Qt::Key_Right : Qt::Key_Left);
}

void BM_WholeSelectAll(benchmark::State& state) {
    againstRefresh(
        state,
        [](Editor& bench, int) {
            bench.command(Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
        },
        [](Editor& bench, int) { bench.command(Qt::Key_A); });
}

void BM_WholeArrowNudge(benchmark::State& state) {
    againstRefresh(state, nothing, nudge);
}

void BM_WholeUndo(benchmark::State& state) {
    againstRefresh(state, nudge, [](Editor& bench, int) { bench.command(Qt::Key_Z); });
}

void BM_WholeRedo(benchmark::State& state) {
    againstRefresh(
        state,
        [](Editor& bench, int round) {
            nudge(bench, round);
            QApplication::processEvents();
            bench.command(Qt::Key_Z);
        },
        [](Editor& bench, int) { bench.command(Qt::Key_Y); });
}

void BM_WholeTransformMove(benchmark::State& state) {
    againstRefresh(state, nothing, [](Editor& bench, int round) {
        vw::ExactTransform move;
        move.amount = {round % 2 == 0 ? 0.25 : -0.25, 0.5, 0};
        bench.prompts.transformAnswer = move;
        bench.command(Qt::Key_T);
    });
}

void BM_WholeSheetChange(benchmark::State& state) {
    againstRefresh(state, nothing, [](Editor& bench, int round) {
        bench.main.vertices()->propSheet->enterValue(QStringLiteral("Z"),
                                                     round % 2 == 0 ? 1.5 : -0.5);
    });
}

#define COMMAND_BENCHMARK(name)                                                                    \
    BENCHMARK(name)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(6)

COMMAND_BENCHMARK(BM_WholeSelectAll);
COMMAND_BENCHMARK(BM_WholeArrowNudge);
COMMAND_BENCHMARK(BM_WholeUndo);
COMMAND_BENCHMARK(BM_WholeRedo);
COMMAND_BENCHMARK(BM_WholeTransformMove);
COMMAND_BENCHMARK(BM_WholeSheetChange);

} // namespace
