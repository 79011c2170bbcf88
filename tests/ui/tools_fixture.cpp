#include "tools_fixture.h"

#include "model/ebo/ebo_loader.h"
#include "support/ebo_builder.h"
#include "views/pane_surface.h"
#include "views/twips.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include <algorithm>

namespace vw::test {
namespace {

EboPlan plainMesh(const std::vector<PartPoints>& parts) {
    EboPlan plan;
    for (const PartPoints& part : parts) {
        PartPlan partPlan;
        for (const SegmentPoints& points : part) {
            SegmentPlan segment;
            for (const Point& p : points)
                segment.verts.push_back({p.x, -p.y, p.z, p.u, p.v, 10, 20, 30, 255});
            for (size_t i = 0; i < std::max<size_t>(points.size(), 3); ++i)
                segment.strip.push_back(int16_t(points.empty() ? 0 : i % points.size()));
            partPlan.segments.push_back(segment);
        }
        plan.parts.push_back(partPlan);
    }
    return plan;
}

} // namespace

void sendMouse(QWidget* widget, QEvent::Type type, QPointF pixel, Qt::MouseButton button,
               Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    QMouseEvent event(type, pixel, widget->mapToGlobal(pixel), button, buttons, modifiers);
    QApplication::sendEvent(widget, &event);
}

ToolsTest::ToolsTest() : m_panes(std::make_unique<frmPanes>(model)) {
    m_panes->resize(400, 300);
    m_panes->show();
}

void ToolsTest::loadModel(const std::vector<PartPoints>& parts) {
    const auto file = m_dir / "model.ebo";
    writeEbo(buildEbo(plainMesh(parts)), file, m_dir.path());
    ASSERT_NE(vw::loadModel(model, file.string(), {m_dir.path(), m_dir / "current.tmp"}),
              kLoadFailed);
    m_panes->Init_Ebo();
}

QWidget* ToolsTest::surface() {
    return m_panes->picMain;
}

QPointF ToolsTest::pixelAt(float h, float v) {
    return pixelAtPane(pane().toPaneX(h), pane().toPaneY(v));
}

// The refresh timer runs between a user's events; a press reads back what it drew.
void ToolsTest::press(QPointF pixel, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
    tick();
    sendMouse(surface(), QEvent::MouseButtonPress, pixel, button, button, modifiers);
}

void ToolsTest::moveTo(QPointF pixel, Qt::MouseButtons held, Qt::KeyboardModifiers modifiers) {
    sendMouse(surface(), QEvent::MouseMove, pixel, Qt::NoButton, held, modifiers);
}

void ToolsTest::release(QPointF pixel, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
    sendMouse(surface(), QEvent::MouseButtonRelease, pixel, button, Qt::NoButton, modifiers);
}

void ToolsTest::click(QPointF pixel, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
    press(pixel, button, modifiers);
    moveTo(pixel, button, modifiers);
    release(pixel, button, modifiers);
}

void ToolsTest::drag(QPointF from, QPointF to, Qt::KeyboardModifiers modifiers, int steps) {
    press(from, Qt::LeftButton, modifiers);
    for (int step = 1; step <= steps; ++step)
        moveTo(from + (to - from) * step / steps, Qt::LeftButton, modifiers);
    release(to, Qt::LeftButton, modifiers);
}

void ToolsTest::typeKey(char character) {
    QTest::keyClick(surface(), character);
}

void ToolsTest::chooseTab(int tab) {
    m_panes->tabAxes->setCurrentIndex(tab - 1);
}

QRgb ToolsTest::pixelColour(int32_t x, int32_t y) const {
    const QImage& canvas = m_panes->pane().picMain;
    return rgbOf(canvas.pixel(twipToPixel(x), twipToPixel(y)));
}

QRgb ToolsTest::colourOfVertex(size_t segment, size_t index) {
    const Vertex& v = vert(segment, index);
    const ViewParams& view = pane().currentView();
    return pixelColour(pane().toPaneX(v.coord(view.axisH)), pane().toPaneY(v.coord(view.axisV)));
}

} // namespace vw::test
