// Drawing a large model against a naive QPainter drawing of the same picture, measured side by
// side in the same run: composeView of a 32,768-vertex working part and RefreshEbo of about
// 200,000 triangles on a 1600 x 1000 pixel surface. The x_naive counter is the ratio of the two
// times. Also the cost of ticks with nothing new to show, and of an idle pane window.

#include "app/frm_panes.h"
#include "bench_application.h"
#include "model/model.h"
#include "tools/tool_frame.h"
#include "views/pane.h"
#include "views/pane_colours.h"
#include "views/twips.h"
#include "views/view_transform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPainter>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <time.h>

#include <chrono>
#include <cstdlib>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// A columns x rows grid of vertices from (left, top), spaced by step, as one triangle strip:
// row after row, joined by repeated indexes.
vw::Segment gridSegment(int columns, int rows, float left, float top, float stepX, float stepY) {
    vw::Segment segment;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            vw::Vertex vertex;
            vertex.x = left + c * stepX;
            vertex.y = top + r * stepY + 0.3f * (c % 3);
            vertex.z = static_cast<float>(c - r) * 0.1f;
            vertex.u = static_cast<float>(c) / columns;
            vertex.v = static_cast<float>(r) / rows;
            segment.verts.push_back(vertex);
        }
    }
    for (int r = 0; r + 1 < rows; ++r) {
        if (r > 0)
            segment.strip.push_back(static_cast<int16_t>(r * columns));
        for (int c = 0; c < columns; ++c) {
            segment.strip.push_back(static_cast<int16_t>(r * columns + c));
            segment.strip.push_back(static_cast<int16_t>((r + 1) * columns + c));
        }
        segment.strip.push_back(static_cast<int16_t>((r + 1) * columns + columns - 1));
    }
    return segment;
}

// Part 0, the working part: one segment of 128 x 256 = 32,768 vertices (64,770 triangles).
// Parts 1 to 4: three segments of 64 x 120 vertices each (15,106 triangles a segment). About
// 246,000 triangles in all, spread over the 240 x 150 model units a 1600 x 1000 pixel surface
// shows at the first zoom.
vw::Model benchModel() {
    vw::Model model;
    model.Parts.emplace_back();
    model.Parts[0].segments.push_back(gridSegment(128, 256, -60, -70, 0.9f, 0.55f));
    for (int p = 1; p <= 4; ++p) {
        vw::Part part;
        for (int s = 0; s < 3; ++s)
            part.segments.push_back(
                gridSegment(64, 120, -115.0f + 55 * (p - 1), -72.0f + 48 * s, 0.8f, 0.38f));
        model.Parts.push_back(part);
    }
    int32_t node = 1;
    for (vw::Part& part : model.Parts)
        for (vw::Segment& segment : part.segments)
            segment.nodeIndex = ++node;
    for (size_t i = 0; i < model.Parts[0].segments[0].verts.size(); i += 7)
        model.Parts[0].segments[0].verts[i].selected = -1;
    return model;
}

struct BenchPane {
    vw::Model model = benchModel();
    vw::Pane pane{model};
    vw::ToolFrame tools{pane}; // whose tools draw the overlays
    BenchPane() {
        pane.setInput(&tools);
        constexpr int32_t width = 1600 * vw::kTwipsPerPixel, height = 1000 * vw::kTwipsPerPixel;
        pane.resize(width + 2 * vw::Pane::picMainLeft,
                    height + vw::Pane::picMainTop + vw::Pane::picMainLeft);
        pane.Init_Ebo();
    }
};

BenchPane& benchPane() {
    ensureApplication();
    static BenchPane instance;
    return instance;
}

// The plain way: QPainter's drawLines for every edge and fillRect and drawRect for every mark.
class NaiveDrawing {
public:
    explicit NaiveDrawing(const vw::ViewParams& view) : m_view(view) {}

    void edges(QImage& canvas, const vw::Segment& segment, QRgb pen) {
        m_lines.clear();
        const auto& strip = segment.strip;
        for (size_t k = 0; k + 2 < strip.size(); ++k) {
            const int i0 = strip[k], i1 = strip[k + 1], i2 = strip[k + 2];
            if (i0 == i1 || i1 == i2 || i0 == i2)
                continue;
            const QPoint p0 = pixel(segment.verts[i0]), p1 = pixel(segment.verts[i1]),
                         p2 = pixel(segment.verts[i2]);
            m_lines.append({QLine(p0, p1), QLine(p2, p1), QLine(p0, p2)});
        }
        QPainter painter(&canvas);
        painter.setPen(QColor::fromRgb(pen));
        painter.drawLines(m_lines);
    }

    void marks(QImage& canvas, const std::vector<vw::Vertex>& verts) {
        QPainter painter(&canvas);
        painter.setPen(QColor::fromRgb(vw::kMarkOutline));
        for (const vw::Vertex& vertex : verts) {
            if (vertex.selected == 0) {
                const QRect box = markBox(vertex);
                painter.fillRect(box, QColor::fromRgb(vw::kMarkFill));
                painter.drawRect(box.adjusted(0, 0, -1, -1));
            }
        }
        for (const vw::Vertex& vertex : verts) {
            if (vertex.selected != 0)
                painter.fillRect(markBox(vertex), QColor::fromRgb(vw::kMarkSelected));
        }
    }

private:
    QPoint twips(const vw::Vertex& vertex) const {
        return QPoint(vw::toPane(vertex.coord(m_view.axisH), m_view.zoom, m_view.originX),
                      vw::toPane(vertex.coord(m_view.axisV), m_view.zoom, m_view.originY));
    }
    QPoint pixel(const vw::Vertex& vertex) const {
        const QPoint at = twips(vertex);
        return QPoint(vw::twipToPixel(at.x()), vw::twipToPixel(at.y()));
    }
    QRect markBox(const vw::Vertex& vertex) const {
        const QPoint at = twips(vertex);
        return vw::pixelBox(at.x() - 30, at.y() - 30, at.x() + 30, at.y() + 30);
    }

    vw::ViewParams m_view;
    QList<QLine> m_lines;
};

void naiveCompose(vw::Pane& pane, QImage& back, QImage& buffer, QImage& surface) {
    NaiveDrawing naive(pane.currentView());
    {
        QPainter painter(&buffer);
        painter.drawImage(0, 0, back);
    }
    for (const vw::Segment& segment : pane.model().curData)
        naive.edges(buffer, segment, vw::kBuffPen);
    for (const vw::Segment& segment : pane.model().curData)
        naive.marks(buffer, segment.verts);
    QPainter painter(&surface);
    painter.drawImage(0, 0, buffer);
}

void naiveRefresh(vw::Pane& pane, QImage& back, QImage& buffer, QImage& surface) {
    NaiveDrawing naive(pane.currentView());
    back.fill(vw::kBackGround);
    for (const vw::Part& part : pane.model().Parts)
        for (const vw::Segment& segment : part.segments)
            naive.edges(back, segment, vw::kBackPen);
    naiveCompose(pane, back, buffer, surface);
}

// Wall-clock and this thread's processor time, in milliseconds: on a busy machine the second
// shows the drawing's own cost.
struct Stopwatch {
    Clock::time_point wall = Clock::now();
    double cpu = threadCpuMilliseconds();

    static double threadCpuMilliseconds() {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
    }
    double wallMs() const {
        return std::chrono::duration<double, std::milli>(Clock::now() - wall).count();
    }
    double cpuMs() const { return threadCpuMilliseconds() - cpu; }
};

template <typename Ours, typename Naive>
void sideBySide(benchmark::State& state, Ours ours, Naive naive) {
    double oursMs = 0, naiveMs = 0, oursCpu = 0, naiveCpu = 0;
    for (auto _ : state) {
        const Stopwatch naiveWatch;
        naive();
        naiveMs += naiveWatch.wallMs();
        naiveCpu += naiveWatch.cpuMs();
        const Stopwatch oursWatch;
        ours();
        oursMs += oursWatch.wallMs();
        oursCpu += oursWatch.cpuMs();
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["ms"] = oursMs / runs;
    state.counters["naive_ms"] = naiveMs / runs;
    state.counters["x_naive"] = oursMs / naiveMs;
    state.counters["cpu_ms"] = oursCpu / runs;
    state.counters["naive_cpu_ms"] = naiveCpu / runs;
    state.counters["x_naive_cpu"] = oursCpu / naiveCpu;
}

void BM_ComposeView(benchmark::State& state) {
    vw::Pane& pane = benchPane().pane;
    QImage back = pane.picBack.copy(), buffer = back.copy(), surface = back.copy();
    sideBySide(
        state, [&] { pane.composeView(); }, [&] { naiveCompose(pane, back, buffer, surface); });
    state.counters["vertices"] = static_cast<double>(pane.model().curData[0].verts.size());
}
BENCHMARK(BM_ComposeView)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RefreshEbo(benchmark::State& state) {
    vw::Pane& pane = benchPane().pane;
    QImage back = pane.picBack.copy(), buffer = back.copy(), surface = back.copy();
    sideBySide(
        state, [&] { pane.RefreshEbo(); }, [&] { naiveRefresh(pane, back, buffer, surface); });
    double triangles = 0;
    for (const vw::Part& part : pane.model().Parts)
        for (const vw::Segment& segment : part.segments)
            triangles += static_cast<double>(segment.strip.size()) - 2;
    state.counters["strip_triples"] = triangles;
}
BENCHMARK(BM_RefreshEbo)->Unit(benchmark::kMillisecond)->UseRealTime();

// 100 ticks, one second of an idle editor, with nothing new to show: while isChanged stays set
// and with each of the tools that recompose on every tick.
void BM_IdleTicks(benchmark::State& state) {
    vw::Pane& pane = benchPane().pane;
    benchPane().tools.toolButtonClicked(static_cast<int>(state.range(0)));
    pane.isChanged = true;
    pane.tmeRefresher_Timer();
    for (auto _ : state) {
        for (int tick = 0; tick < 100; ++tick)
            pane.tmeRefresher_Timer();
    }
    pane.toolMode = vw::kToolSelect;
}
BENCHMARK(BM_IdleTicks)
    ->Arg(vw::kToolSelect)
    ->Arg(vw::kToolMove)
    ->Arg(vw::kToolScale)
    ->Arg(vw::kToolRotate)
    ->Unit(benchmark::kMicrosecond);

double processCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// A shown pane window with the model open and its 10-millisecond timer running, left alone
// for two seconds under the event loop: the share of one core it takes.
void BM_IdleWindow(benchmark::State& state) {
    ensureApplication();
    vw::Model model = benchModel();
    frmPanes window(model);
    window.resize(1608, 1028);
    window.show();
    window.Init_Ebo();
    window.pane().isChanged = true;
    QApplication::processEvents();
    double share = 0;
    for (auto _ : state) {
        const double cpuBefore = processCpuSeconds();
        QElapsedTimer wall;
        wall.start();
        QEventLoop loop;
        QTimer::singleShot(2000, &loop, &QEventLoop::quit);
        loop.exec();
        share = (processCpuSeconds() - cpuBefore) / (wall.elapsed() / 1000.0);
    }
    state.counters["core_percent"] = share * 100;
}
BENCHMARK(BM_IdleWindow)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
