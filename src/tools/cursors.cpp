#include "tools/cursors.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace vw {
namespace {

constexpr int cursorSize = 32;

QPixmap blankPicture() {
    QPixmap picture(cursorSize, cursorSize);
    picture.fill(Qt::transparent);
    return picture;
}

// A magnifying glass, its lens centred on the hot spot, with a plus or a minus in it.
QCursor zoomCursor(bool zoomIn) {
    QPixmap picture = blankPicture();
    {
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        const QPointF lens(12, 12);
        painter.setPen(QPen(Qt::white, 5, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(19, 19), QPointF(28, 28));
        painter.drawEllipse(lens, 8, 8);
        painter.setPen(QPen(Qt::black, 3, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(19, 19), QPointF(28, 28));
        painter.setPen(QPen(Qt::black, 2));
        painter.setBrush(QColor(255, 255, 255, 200));
        painter.drawEllipse(lens, 8, 8);
        painter.setPen(QPen(Qt::black, 2));
        painter.drawLine(QPointF(8, 12), QPointF(16, 12));
        if (zoomIn)
            painter.drawLine(QPointF(12, 8), QPointF(12, 16));
    }
    return QCursor(picture, 12, 12);
}

// Four arrows around a selected vertex mark: the selection follows the pointer.
QCursor moveCursor() {
    QPixmap picture = blankPicture();
    {
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath arrows;
        const QPointF c(16, 16);
        for (int quarter = 0; quarter < 4; ++quarter) {
            QTransform turn;
            turn.translate(c.x(), c.y());
            turn.rotate(90.0 * quarter);
            QPolygonF head({QPointF(0, -15), QPointF(5, -9), QPointF(1.5, -9), QPointF(1.5, -6),
                            QPointF(-1.5, -6), QPointF(-1.5, -9), QPointF(-5, -9)});
            arrows.addPolygon(turn.map(head));
            arrows.closeSubpath();
        }
        painter.setPen(QPen(Qt::white, 1.5));
        painter.setBrush(Qt::black);
        painter.drawPath(arrows);
        painter.setPen(QPen(Qt::white, 1));
        painter.setBrush(QColor(250, 0, 0));
        painter.drawRect(QRectF(12.5, 12.5, 7, 7));
    }
    return QCursor(picture, 16, 16);
}

} // namespace

// The pictures are drawn once, on first use (a GUI application must exist by then).
QCursor cursorFor(PointerShape shape) {
    switch (shape) {
    case PointerShape::Arrow:
        return QCursor(Qt::ArrowCursor);
    case PointerShape::Crosshair:
        return QCursor(Qt::CrossCursor);
    case PointerShape::ResizeDiagonalNwSe:
        return QCursor(Qt::SizeFDiagCursor);
    case PointerShape::ResizeDiagonalNeSw:
        return QCursor(Qt::SizeBDiagCursor);
    case PointerShape::ResizeVertical:
        return QCursor(Qt::SizeVerCursor);
    case PointerShape::ResizeHorizontal:
        return QCursor(Qt::SizeHorCursor);
    case PointerShape::FourWayMove:
        return QCursor(Qt::SizeAllCursor);
    case PointerShape::OpenHand:
        return QCursor(Qt::OpenHandCursor);
    case PointerShape::ClosedHand:
        return QCursor(Qt::ClosedHandCursor);
    case PointerShape::ZoomIn: {
        static const QCursor cursor = zoomCursor(true);
        return cursor;
    }
    case PointerShape::ZoomOut: {
        static const QCursor cursor = zoomCursor(false);
        return cursor;
    }
    case PointerShape::Move: {
        static const QCursor cursor = moveCursor();
        return cursor;
    }
    }
    return QCursor(Qt::ArrowCursor);
}

} // namespace vw
