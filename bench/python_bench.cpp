// The Python module against the command-line tool on a 68 MB model whose one segment has 2.6
// million vertices, whole processes run side by side in each iteration: x_info is a script's
// vertwright.open (Python's start included) against vertwright-cli info of the same file;
// x_check is a script that opens it, scales the positions array with NumPy and saves, against
// vertwright-cli check. Each script also fails unless the array's base is the model.

#include "support/ebo_builder.h"
#include "support/temp_dir.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kColumns = 1625, kRows = 1600; // 2.6 million vertices
constexpr size_t kStripEntries = 2'800'000;  // brings the file to about 68 MB

struct PythonBench {
    vw::test::TempDir dir;
    std::string path = (dir / "big.ebo").string();

    PythonBench() {
        vw::test::EboPlan plan;
        plan.parts.resize(1);
        vw::test::SegmentPlan segment = vw::test::gridSegment(kColumns, kRows);
        segment.strip.resize(kStripEntries);
        plan.parts[0].segments.push_back(std::move(segment));
        vw::test::writeEbo(vw::test::buildEbo(plan), path, dir.path());
        setenv("PYTHONPATH", VW_PYTHON_MODULE_DIR, 1);
    }

    std::string cli(const std::string& command) const {
        return std::string("'") + VW_CLI_PATH + "' " + command + " '" + path + "' >/dev/null";
    }
    std::string python(const std::string& script, const std::string& argument = "") const {
        return std::string("'") + VW_PYTHON + "' -c '" + script + "' '" + path + "' " + argument;
    }
};

const PythonBench& bench() {
    static const PythonBench instance;
    return instance;
}

// Runs command, returning its wall-clock time; a failing command ends the benchmark.
double timed(benchmark::State& state, const std::string& command) {
    const auto start = Clock::now();
    const int status = std::system(command.c_str());
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (status != 0)
        state.SkipWithError(("failed: " + command).c_str());
    return seconds;
}

// Times ours and theirs once per iteration and reports ours, and its ratio to theirs as ratio.
template <typename Ours>
void sideBySide(benchmark::State& state, const std::string& theirs, Ours ours, const char* ratio) {
    double oursSeconds = 0, theirsSeconds = 0;
    int iteration = 0;
    for (auto _ : state) {
        theirsSeconds += timed(state, theirs);
        const double seconds = timed(state, ours(iteration++));
        oursSeconds += seconds;
        state.SetIterationTime(seconds);
    }
    state.counters[ratio] = oursSeconds / theirsSeconds;
    state.counters["theirs_ms"] = 1000 * theirsSeconds / static_cast<double>(state.iterations());
}

void BM_PythonOpen(benchmark::State& state) {
    const std::string script = "import sys, vertwright; vertwright.open(sys.argv[1])";
    sideBySide(
        state, bench().cli("info"), [&](int) { return bench().python(script); }, "x_info");
}

// Scales by 2 and by 0.5 in turn, so the values stay exact and the file keeps its size.
void BM_PythonScaleAndSave(benchmark::State& state) {
    const std::string script = "import sys, vertwright; m = vertwright.open(sys.argv[1]); "
                               "p = m.parts[0].segments[0].positions; assert p.base is m; "
                               "p *= float(sys.argv[2]); m.save()";
    sideBySide(
        state, bench().cli("check"),
        [&](int i) { return bench().python(script, i % 2 ? "0.5" : "2"); }, "x_check");
}

void configure(benchmark::internal::Benchmark* b) {
    b->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10)->Repetitions(3);
    b->ReportAggregatesOnly(true);
}

BENCHMARK(BM_PythonOpen)->Apply(configure);
BENCHMARK(BM_PythonScaleAndSave)->Apply(configure);

} // namespace
