// The ways a model leaves for other programs, on the tori model (tori_model.h): the glTF
// export against the OBJ export of the same model, and a thumbnail against `info` of the same
// file, each pair measured in the same run.

#include "cli/commands.h"
#include "model/interchange/gltf_export.h"
#include "model/interchange/obj_io.h"
#include "tori_model.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <sstream>

using namespace vw;
using namespace vw::test;

namespace {

// Runs both operations once per iteration; reports op's time and its ratio to the baseline's.
template <typename Op, typename Baseline>
void againstBaseline(benchmark::State& state, const char* ratioName, Op op, Baseline baseline) {
    using Clock = std::chrono::steady_clock;
    double opSeconds = 0, baseSeconds = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        baseline();
        const auto between = Clock::now();
        op();
        const auto done = Clock::now();
        baseSeconds += std::chrono::duration<double>(between - start).count();
        opSeconds += std::chrono::duration<double>(done - between).count();
        state.SetIterationTime(std::chrono::duration<double>(done - between).count());
    }
    state.counters[ratioName] = opSeconds / baseSeconds;
}

void BM_GltfExportAgainstObj(benchmark::State& state) {
    ToriFiles& files = tori();
    againstBaseline(
        state, "x_obj",
        [&] { (void)exportGltfFile(files.loaded, {}, nullptr, files.dir / "tori.glb"); },
        [&] { (void)exportObjFile(files.loaded, {}, files.dir / "tori.obj"); });
}
BENCHMARK(BM_GltfExportAgainstObj)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

int runCli(const std::vector<std::string>& words) {
    CliArgs args;
    args.command = words[0];
    args.files.assign(words.begin() + 1, words.end());
    std::ostringstream out, err;
    return runCommand(args, tori().dir.path(), out, err);
}

void BM_ThumbnailAgainstInfo(benchmark::State& state) {
    ToriFiles& files = tori();
    const std::string picture = (files.dir / "tori.png").string();
    againstBaseline(
        state, "x_info",
        [&] {
            runCli({"thumbnail", files.model, picture});
        },
        [&] {
            runCli({"info", files.model});
        });
}
BENCHMARK(BM_ThumbnailAgainstInfo)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
