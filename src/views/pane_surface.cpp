#include "views/pane_surface.h"

#include "views/twips.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

PaneSurface::PaneSurface(vw::Pane& pane, QWidget* parent) : QWidget(parent), m_pane(pane) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

vw::PointerInput PaneSurface::pointerInput(const QMouseEvent& event,
                                           Qt::MouseButtons buttons) const {
    vw::PointerInput input;
    input.buttons = vw::buttonMask(buttons);
    input.modifiers = vw::modifierMask(event.modifiers());
    input.x = static_cast<float>(event.position().x() * vw::kTwipsPerPixel);
    input.y = static_cast<float>(event.position().y() * vw::kTwipsPerPixel);
    return input;
}

void PaneSurface::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), m_pane.picMain);
    const QRegion uncovered = QRegion(event->rect()).subtracted(m_pane.picMain.rect());
    for (const QRect& area : uncovered)
        painter.fillRect(area, palette().window());
}

// A press and a release report the button that changed; a move reports the buttons held.
void PaneSurface::mousePressEvent(QMouseEvent* event) {
    m_pane.picMain_MouseDown(pointerInput(*event, event->button()));
}

void PaneSurface::mouseMoveEvent(QMouseEvent* event) {
    m_pane.picMain_MouseMove(pointerInput(*event, event->buttons()));
}

void PaneSurface::mouseReleaseEvent(QMouseEvent* event) {
    m_pane.picMain_MouseUp(pointerInput(*event, event->button()));
}

void PaneSurface::wheelEvent(QWheelEvent* event) {
    constexpr int kNotch = 120; // eighths of a degree
    m_wheelEighths += event->angleDelta().y();
    const int notches = m_wheelEighths / kNotch;
    m_wheelEighths -= notches * kNotch;
    event->accept();
    if (notches == 0)
        return;
    vw::PointerInput input;
    input.buttons = vw::buttonMask(event->buttons());
    input.modifiers = vw::modifierMask(event->modifiers());
    input.x = static_cast<float>(event->position().x() * vw::kTwipsPerPixel);
    input.y = static_cast<float>(event->position().y() * vw::kTwipsPerPixel);
    m_pane.picMain_Wheel(input, notches);
}
