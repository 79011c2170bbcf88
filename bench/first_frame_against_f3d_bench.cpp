// Opening the tori model (tori_model.h) to its first Preview frame, as a whole process
// (first_preview_frame), against f3d loading the same mesh exported as binary glTF, rendering one
// frame of the same size offscreen and exiting; both run side by side in each iteration, under
// the same display (tests/gl/under_xvfb.sh). x_f3d is the ratio of the two wall-clock times,
// x_f3d_memory that of the two peak resident sizes. Skipped where f3d is not installed.

#include "model/interchange/gltf_export.h"
#include "tori_model.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

// Built only with the editor, which makes first_preview_frame.
#ifdef VW_FIRST_PREVIEW_FRAME

namespace {

using Clock = std::chrono::steady_clock;

struct Run {
    double seconds = 0;
    double peakBytes = 0;
    bool ok = false;
};

// Runs the program with its arguments, output silenced, and waits for it.
Run runProcess(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const auto start = Clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        std::freopen("/dev/null", "w", stdout);
        std::freopen("/dev/null", "w", stderr);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    Run run;
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.peakBytes = double(usage.ru_maxrss) * 1024;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

void BM_FirstPreviewFrameAgainstF3d(benchmark::State& state) {
    if (std::system("command -v f3d >/dev/null 2>&1") != 0 || !std::getenv("DISPLAY")) {
        state.SkipWithError("needs f3d and a display (run under tests/gl/under_xvfb.sh)");
        return;
    }
    const vw::test::ToriFiles& tori = vw::test::tori();
    const std::filesystem::path glb = tori.dir / "tori.glb";
    const std::filesystem::path folder = tori.dir / "first-frame";
    std::filesystem::create_directories(folder);
    if (!std::filesystem::exists(glb) && !vw::exportGltfFile(tori.loaded, {}, nullptr, glb).ok()) {
        state.SkipWithError("cannot export the glTF file");
        return;
    }
    const std::vector<std::string> ours{VW_FIRST_PREVIEW_FRAME, tori.model, folder.string()};
    const std::vector<std::string> theirs{
        "f3d", "--resolution=1600,1000", "--output=" + (folder / "f3d.png").string(), glb.string()};
    double oursSeconds = 0, theirsSeconds = 0, oursPeak = 0, theirsPeak = 0;
    for (auto _ : state) {
        const Run them = runProcess(theirs);
        const Run us = runProcess(ours);
        if (!them.ok || !us.ok) {
            state.SkipWithError(them.ok ? "first_preview_frame failed" : "f3d failed");
            return;
        }
        theirsSeconds += them.seconds;
        oursSeconds += us.seconds;
        theirsPeak = std::max(theirsPeak, them.peakBytes);
        oursPeak = std::max(oursPeak, us.peakBytes);
        state.SetIterationTime(us.seconds);
    }
    const double n = double(state.iterations());
    state.counters["f3d_ms"] = 1000 * theirsSeconds / n;
    state.counters["x_f3d"] = oursSeconds / theirsSeconds;
    state.counters["peak_MB"] = oursPeak / 1e6;
    state.counters["f3d_peak_MB"] = theirsPeak / 1e6;
    state.counters["x_f3d_memory"] = oursPeak / theirsPeak;
}
BENCHMARK(BM_FirstPreviewFrameAgainstF3d)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

} // namespace

#endif
