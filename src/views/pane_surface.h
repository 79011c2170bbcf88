#pragma once
// picMain on the screen: shows the pane's visible canvas and hands its pointer events to the
// pane as button mask, modifier mask and position in twips. Its keys go on to the pane window.

#include "views/pane.h"

#include <QWidget>

class PaneSurface : public QWidget {
    Q_OBJECT
public:
    PaneSurface(vw::Pane& pane, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    vw::PointerInput pointerInput(const QMouseEvent& event, Qt::MouseButtons buttons) const;

    vw::Pane& m_pane;
    int m_wheelEighths = 0; // wheel turn not yet a whole notch (touchpads send small steps)
};
