// The journal of unsaved edits, as the editing thread pays for it: a Move step of every vertex of
// one segment (32,768 and 655,360 vertices) as one undoable step, with a journal writer
// listening, against the same step on a document without one, in the same run. Counted on the
// wall clock, as the user waits for it, and in this thread's processor time, which leaves the
// writer's own thread (which encodes and writes the journal beside the editor) out. Target: the
// journal adds at most 5% to the step.

#include "model/editing/history/document.h"
#include "model/editing/history/journal_writer.h"
#include "model/editing/history/working_data.h"

#include <benchmark/benchmark.h>

#include <time.h>

namespace {

double wallMs() {
    timespec at{};
    clock_gettime(CLOCK_MONOTONIC, &at);
    return double(at.tv_sec) * 1e3 + double(at.tv_nsec) / 1e6;
}

double threadMs() {
    timespec at{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &at);
    return double(at.tv_sec) * 1e3 + double(at.tv_nsec) / 1e6;
}

// Counts what it is given, as a store that writes to a disk would take it.
class CountingStore : public vw::JournalStore {
public:
    vw::Result identify(const std::string& path, vw::JournalModel& model) override {
        model = {path, 1, 1, 1};
        return {};
    }
    void write(std::span<const uint8_t> journal) override { bytes += journal.size(); }
    void remove() override {}

    size_t bytes = 0;
};

vw::Model gridModel(int vertices) {
    vw::Model model;
    model.modelPath = "/bench/grid.ebo";
    vw::Segment segment;
    for (int i = 0; i < vertices; ++i)
        segment.verts.push_back({float(i % 256) * 0.05f, float(i / 256) * 0.05f, 0.5f,
                                 float(i % 256) / 256, 0.5f, 200, 200, 200, 255, -1});
    model.Parts.resize(1);
    model.Parts[0].segments.push_back(std::move(segment));
    loadCurData(model);
    return model;
}

struct StepMs {
    double wall = 0, thread = 0;
};

// One Move of every selected working vertex by dx, as the Move tool's step writes it.
StepMs moveStepMs(vw::Document& document, float dx) {
    const double wallStart = wallMs(), start = threadMs();
    (void)document.edit("Move %n", 0, 1, [dx](std::vector<vw::Segment>& data) {
        for (vw::Segment& segment : data)
            for (vw::Vertex& vertex : segment.verts)
                if (vertex.selected != 0) {
                    vertex.x += dx;
                    vertex.y -= dx;
                }
    });
    return {wallMs() - wallStart, threadMs() - start};
}

void BM_JournalShareOfAMoveStep(benchmark::State& state) {
    const int vertices = int(state.range(0));
    vw::Model plainModel = gridModel(vertices);
    vw::Model journaledModel = plainModel;
    vw::Document plain(plainModel);
    vw::Document journaled(journaledModel);
    // A few steps of history, as the default limit of 256 MB would keep for the larger model.
    plain.setHistoryLimits(8, size_t(256) << 20);
    journaled.setHistoryLimits(8, size_t(256) << 20);
    CountingStore store;
    vw::JournalWriter writer(journaled, store, 1);
    writer.waitUntilWritten();
    StepMs plainMs, journaledMs;
    float dx = 0.25f;
    for (auto _ : state) {
        const StepMs without = moveStepMs(plain, dx);
        const StepMs with = moveStepMs(journaled, dx);
        plainMs.wall += without.wall;
        plainMs.thread += without.thread;
        journaledMs.wall += with.wall;
        journaledMs.thread += with.thread;
        state.SetIterationTime(with.wall / 1e3);
        // The writer's thread has the second processor to itself, as beside an idle editor.
        writer.waitUntilWritten();
        dx = -dx;
    }
    state.counters["vertices"] = vertices;
    const double runs = double(state.iterations());
    state.counters["step_ms"] = plainMs.wall / runs;
    state.counters["journaled_step_ms"] = journaledMs.wall / runs;
    state.counters["journal_percent"] = (journaledMs.wall - plainMs.wall) / plainMs.wall * 100;
    state.counters["journal_percent_thread"] =
        (journaledMs.thread - plainMs.thread) / plainMs.thread * 100;
    state.counters["journal_kb_written"] = double(store.bytes) / 1024 / double(state.iterations());
}
BENCHMARK(BM_JournalShareOfAMoveStep)
    ->Arg(32768)
    ->Arg(655360)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
