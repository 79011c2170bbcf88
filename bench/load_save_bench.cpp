// Loading and saving against copying the same files with std::filesystem::copy_file, measured
// side by side in the same run: each iteration copies, then loads or saves. The x_copy counter
// is the ratio of the two wall-clock times, x_copy_cpu that of the processor times.

#include "model/ebo/ebo_loader.h"
#include "model/ebo/ebo_saver.h"
#include "model/ebo/save_check.h"
#include "model/files/background_removal.h"
#include "model/files/file_io.h"
#include "support/ebo_builder.h"
#include "support/temp_dir.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <memory>
#include <thread>
#include <vector>

using namespace vw;
using namespace vw::test;

namespace {

// About 64 MB: 8 parts of 10 segments of 30,000 vertices each.
EboPlan plainModel() {
    EboPlan plan;
    plan.parts.resize(8);
    for (size_t p = 0; p < plan.parts.size(); ++p) {
        for (int s = 0; s < 10; ++s)
            plan.parts[p].segments.push_back(gridSegment(200, 150, static_cast<float>(p + s)));
    }
    return plan;
}

// Four parts of 32,000 base vertices each.
EboPlan deltaModel() {
    EboPlan plan;
    plan.modelFormat = 0;
    for (int p = 0; p < 4; ++p)
        plan.deltaParts[p] = simpleDeltaPart(32000, static_cast<float>(p));
    return plan;
}

struct BenchFiles {
    TempDir dir;
    ModelFolders folders{dir / "program", dir / "program" / "current.tmp"};
    std::string plain = (dir / "plain.ebo").string();
    std::string delta = (dir / "head2.ebo").string();
    std::vector<std::filesystem::path> deltaCompanions{dir / "program" / "lod" / "base_lod2.ebo",
                                                       dir / "program" / "misc2.dat"};

    BenchFiles() {
        writeEbo(buildEbo(plainModel()), plain, folders.programDir);
        writeEbo(buildEbo(deltaModel()), delta, folders.programDir);
    }
};

const BenchFiles& files() {
    static const BenchFiles instance;
    return instance;
}

// What the copies write to: fresh files, or the files the copies before them wrote. On ext4,
// replacing a file costs more than writing a fresh one: the old file's pages and blocks are
// dropped, and a rename or truncation over it makes the new file's blocks be allocated at once.
// An operation that replaces a file is compared with copies that replace theirs.
enum class CopyTarget { kFresh, kReplaced };

// Runs op once per iteration after copying each of sources, timing both; reports op's time and
// its ratio to the copies'. Both start from a warm page cache: the copies read the same files
// just before op does. prepare runs first in each iteration, outside both times.
template <typename Op, typename Prepare = void (*)()>
void againstCopy(
    benchmark::State& state, CopyTarget target, const std::vector<std::filesystem::path>& sources,
    Op op, Prepare prepare = [] {}) {
    using Clock = std::chrono::steady_clock;
    const std::filesystem::path copies = files().dir / "copies";
    double opSeconds = 0, copySeconds = 0;
    std::clock_t opCpu = 0, copyCpu = 0;
    const auto copyAll = [&] {
        for (const auto& source : sources) {
            std::filesystem::copy_file(source, copies / source.filename(),
                                       std::filesystem::copy_options::overwrite_existing);
        }
    };
    std::filesystem::remove_all(copies);
    std::filesystem::create_directories(copies);
    if (target == CopyTarget::kReplaced)
        copyAll();
    for (auto _ : state) {
        // A replaced file is freed on a thread of its own after op; that is left out of both
        // times rather than slowing the next copy.
        waitForRemovals();
        if (target == CopyTarget::kFresh) {
            std::filesystem::remove_all(copies);
            std::filesystem::create_directories(copies);
        }
        prepare();
        const auto start = Clock::now();
        const std::clock_t startCpu = std::clock();
        copyAll();
        const auto copied = Clock::now();
        const std::clock_t copiedCpu = std::clock();
        op(state);
        const auto done = Clock::now();
        const std::clock_t doneCpu = std::clock();
        copySeconds += std::chrono::duration<double>(copied - start).count();
        opSeconds += std::chrono::duration<double>(done - copied).count();
        copyCpu += copiedCpu - startCpu;
        opCpu += doneCpu - copiedCpu;
        state.SetIterationTime(std::chrono::duration<double>(done - copied).count());
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["copy_ms"] = 1000 * copySeconds / n;
    state.counters["x_copy"] = opSeconds / copySeconds;
    // Processor time of all threads, which the machine's other work disturbs less than wall time.
    state.counters["x_copy_cpu"] = static_cast<double>(opCpu) / static_cast<double>(copyCpu);
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(sources.front())) / 1e6;
}

void load(benchmark::State& state, Model& model, const std::string& path) {
    if (loadModel(model, path, files().folders) == kLoadFailed)
        state.SkipWithError("load failed");
}

void save(benchmark::State& state, Model& model, SameBytes same = SameBytes::kRewrite) {
    const Result saved = saveModel(model, model.modelPath, files().folders, same);
    if (!saved)
        state.SkipWithError(saved.reason().c_str());
}

// Each load goes into a fresh model; dropping the model loaded before is left out of the time.
// The first load in the editor makes a fresh working copy, every later one replaces it.
void againstCopyLoading(benchmark::State& state, CopyTarget target,
                        const std::vector<std::filesystem::path>& sources,
                        const std::string& path) {
    Model model;
    againstCopy(
        state, target, sources, [&](auto& s) { load(s, model, path); },
        [&] {
            model = Model{};
            if (target == CopyTarget::kFresh)
                std::filesystem::remove(files().folders.workingCopy);
        });
}

void BM_LoadPlain(benchmark::State& state) {
    againstCopyLoading(state, CopyTarget::kFresh, {files().plain}, files().plain);
}

void BM_LoadPlainOverWorkingCopy(benchmark::State& state) {
    againstCopyLoading(state, CopyTarget::kReplaced, {files().plain}, files().plain);
}

// The check a save makes that the working copy is still the one this model loaded or saved:
// its stamp (identity, size, modification time) taken again and compared.
double workingCopyCheckSeconds(const Model& model) {
    constexpr int kChecks = 1000;
    const auto start = std::chrono::steady_clock::now();
    int matching = 0;
    for (int i = 0; i < kChecks; ++i) {
        FileStamp now;
        matching += stampOf(files().folders.workingCopy, now).ok();
        matching += now == model.workingCopyStamp;
    }
    benchmark::DoNotOptimize(matching);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() /
           kChecks;
}

void BM_SavePlainUnedited(benchmark::State& state) {
    Model model;
    load(state, model, files().plain);
    double checkSeconds = 0;
    againstCopy(
        state, CopyTarget::kReplaced, {files().plain}, [&](auto& s) { save(s, model); },
        [&] { checkSeconds += workingCopyCheckSeconds(model); });
    // The working-copy check as a share of the save it guards.
    const double saveSeconds = state.counters["x_copy"] * state.counters["copy_ms"] / 1000;
    state.counters["check_us"] = 1e6 * checkSeconds / static_cast<double>(state.iterations());
    state.counters["x_check"] = state.counters["check_us"] / 1e6 / saveSeconds;
}

// The editor's save of the same: the model file already holds every byte, so it is left alone.
void BM_SavePlainUneditedLeftAlone(benchmark::State& state) {
    Model model;
    load(state, model, files().plain);
    againstCopy(state, CopyTarget::kReplaced, {files().plain},
                [&](auto& s) { save(s, model, SameBytes::kLeaveAlone); });
}

void moveEveryVertex(Model& model, float step) {
    for (Part& part : model.Parts) {
        for (Segment& segment : part.segments) {
            for (Vertex& v : segment.verts)
                v.x += step;
        }
    }
}

// The check before the file is replaced, alone: the patched bytes read back and compared.
double savedBytesCheckSeconds(const Model& model) {
    FileBytes original;
    if (!readFileBytes(files().folders.workingCopy, original))
        return 0;
    std::vector<uint8_t> patched(original.bytes().begin(), original.bytes().end());
    if (!saveModelBytes(model, patched))
        return 0;
    const auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(checkSavedBytes(model, original.bytes(), patched));
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Every save moves every vertex, so every block is written and the saved bytes are checked.
// verify_ms is that check alone; x_verify compares the save with the save less the check, as
// if the check did not run beside the copy (it does, so the true cost is lower).
void BM_SavePlainEdited(benchmark::State& state) {
    Model model;
    load(state, model, files().plain);
    float step = 1.0f;
    double verifySeconds = 0;
    againstCopy(
        state, CopyTarget::kReplaced, {files().plain}, [&](auto& s) { save(s, model); },
        [&] {
            moveEveryVertex(model, step);
            step = -step;
            verifySeconds += savedBytesCheckSeconds(model);
        });
    const double saveSeconds = state.counters["x_copy"] * state.counters["copy_ms"] / 1000;
    const double verify = verifySeconds / static_cast<double>(state.iterations());
    state.counters["verify_ms"] = 1000 * verify;
    state.counters["x_verify"] = saveSeconds / (saveSeconds - verify);
}

// The bytes a loaded model holds in its vertices and strips: what a load must fault in afresh.
size_t heldBytes(const Model& model) {
    size_t bytes = 0;
    for (const Part& part : model.Parts) {
        for (const Segment& segment : part.segments)
            bytes += segment.verts.size() * sizeof(Vertex) + segment.strip.size() * sizeof(int16_t);
    }
    return bytes;
}

// What no plain load can beat on this machine: the working copy made while as much fresh memory
// as the loaded model holds is touched, page by page, on the parse's two threads. Nothing is
// parsed; x_copy is the floor for BM_LoadPlain's.
void BM_CopyBesideFreshMemory(benchmark::State& state) {
    Model model;
    load(state, model, files().plain);
    const size_t bytes = heldBytes(model);
    const std::filesystem::path second = files().dir / "second.ebo";
    std::unique_ptr<char[]> memory;
    const auto touch = [&memory, bytes](size_t from, size_t to) {
        for (size_t i = from; i < to; i += 4096)
            memory[i] = 1;
    };
    againstCopy(
        state, CopyTarget::kFresh, {files().plain},
        [&](auto&) {
            std::jthread copy([&] { std::filesystem::copy_file(files().plain, second); });
            memory.reset(new char[bytes]);
            std::jthread half([&] { touch(0, bytes / 2); });
            touch(bytes / 2, bytes);
        },
        [&] {
            memory.reset();
            std::filesystem::remove(second);
        });
    state.counters["held_MB"] = static_cast<double>(bytes) / 1e6;
}

void BM_LoadDelta(benchmark::State& state) {
    againstCopyLoading(state, CopyTarget::kFresh, {files().delta}, files().delta);
}

// The delta load reads three files; this compares it with copying all three.
void BM_LoadDeltaWithCompanions(benchmark::State& state) {
    std::vector<std::filesystem::path> all{files().delta};
    all.insert(all.end(), files().deltaCompanions.begin(), files().deltaCompanions.end());
    againstCopyLoading(state, CopyTarget::kFresh, all, files().delta);
}

void BM_SaveDeltaUnedited(benchmark::State& state) {
    Model model;
    load(state, model, files().delta);
    againstCopy(state, CopyTarget::kReplaced, {files().delta}, [&](auto& s) { save(s, model); });
}

// Repeated, as the machine's other work shifts single runs; the median is the figure to read.
void configure(benchmark::internal::Benchmark* b, double seconds) {
    b->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(seconds)->Repetitions(3);
    b->ReportAggregatesOnly(true);
}

BENCHMARK(BM_LoadPlain)->Apply([](auto* b) { configure(b, 2.0); });
BENCHMARK(BM_LoadPlainOverWorkingCopy)->Apply([](auto* b) { configure(b, 2.0); });
BENCHMARK(BM_CopyBesideFreshMemory)->Apply([](auto* b) { configure(b, 2.0); });
BENCHMARK(BM_SavePlainUnedited)->Apply([](auto* b) { configure(b, 2.0); });
BENCHMARK(BM_SavePlainUneditedLeftAlone)->Apply([](auto* b) { configure(b, 2.0); });
BENCHMARK(BM_SavePlainEdited)->Apply([](auto* b) { configure(b, 2.0); });
BENCHMARK(BM_LoadDelta)->Apply([](auto* b) { configure(b, 0.5); });
BENCHMARK(BM_LoadDeltaWithCompanions)->Apply([](auto* b) { configure(b, 0.5); });
BENCHMARK(BM_SaveDeltaUnedited)->Apply([](auto* b) { configure(b, 0.5); });

} // namespace
