// A linked OBJ saved by another program, on one part of the tori model (tori_model.h): the
// time from the moment the save is complete to the moment the model holds its values.

#include "app/obj_link.h"
#include "bench_application.h"
#include "model/interchange/obj_io.h"
#include "tori_model.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <benchmark/benchmark.h>

using namespace vw;
using namespace vw::test;

namespace {

// The settling time is included.
void BM_LinkedObjSaveReachesTheModel(benchmark::State& state) {
    ensureApplication();
    Model model = tori().loaded;
    model.curPart = 0;
    model.curSeg = 0;
    Document document(model);
    document.loadWorkingData();
    bool updated = false;
    ObjLink link(
        document, [&](const QString& text) { updated = text.startsWith("Updated"); },
        [] { return 0; });
    const std::string obj = (tori().dir / "linked.obj").string();
    if (!link.link(QString::fromStdString(obj))) {
        state.SkipWithError("link failed");
        return;
    }
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Model moved = model;
        for (Vertex& vertex : moved.Parts[0].segments[0].verts)
            vertex.x += float(++round % 7 + 1);
        const std::string staged = obj + ".new";
        (void)exportObjFile(moved, workingSelection(model), staged);
        updated = false;
        state.ResumeTiming();
        QElapsedTimer elapsed;
        elapsed.start();
        std::filesystem::rename(staged, obj);
        while (!updated && elapsed.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        state.SetIterationTime(double(elapsed.nsecsElapsed()) / 1e9);
    }
    state.counters["vertices"] = double(model.curData[0].verts.size() * model.curData.size());
}
BENCHMARK(BM_LinkedObjSaveReachesTheModel)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

} // namespace
