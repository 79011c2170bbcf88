#include "tools/tool_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace vw {
namespace {

constexpr int iconSize = 32;
const QColor ink(40, 40, 40);
const QColor accent(200, 30, 30);

void drawSelect(QPainter& p) {
    const QPolygonF arrow({QPointF(9, 4), QPointF(9, 25), QPointF(14, 20), QPointF(18, 28),
                           QPointF(21.5, 26.5), QPointF(17.5, 18.5), QPointF(24, 18.5)});
    p.setPen(QPen(Qt::white, 1.5));
    p.setBrush(ink);
    p.drawPolygon(arrow);
}

void drawMove(QPainter& p) {
    QPainterPath arrows;
    for (int quarter = 0; quarter < 4; ++quarter) {
        QTransform turn;
        turn.translate(16, 16);
        turn.rotate(90.0 * quarter);
        arrows.addPolygon(
            turn.map(QPolygonF({QPointF(0, -14), QPointF(6, -7), QPointF(2, -7), QPointF(2, -4),
                                QPointF(-2, -4), QPointF(-2, -7), QPointF(-6, -7)})));
        arrows.closeSubpath();
    }
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawPath(arrows);
    p.setBrush(accent);
    p.drawRect(QRectF(13, 13, 6, 6));
}

void drawPan(QPainter& p) {
    p.setPen(QPen(ink, 1.5));
    p.setBrush(QColor(250, 220, 180));
    QPainterPath hand;
    const double fingerTops[4] = {8, 5, 6, 9};
    for (int f = 0; f < 4; ++f)
        hand.addRoundedRect(QRectF(8 + 4.5 * f, fingerTops[f], 4, 16 - fingerTops[f] + 4), 2, 2);
    hand.addRoundedRect(QRectF(8, 14, 18, 14), 5, 5);
    QTransform thumb;
    thumb.translate(7, 19);
    thumb.rotate(-40);
    hand.addPolygon(thumb.map(QPolygonF(QRectF(-2, -8, 4, 10))));
    p.drawPath(hand.simplified());
}

void drawZoom(QPainter& p) {
    p.setPen(QPen(ink, 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(19, 19), QPointF(28, 28));
    p.setPen(QPen(ink, 2));
    p.setBrush(QColor(210, 230, 250));
    p.drawEllipse(QPointF(13, 13), 9, 9);
}

void drawScale(QPainter& p) {
    p.setPen(QPen(QColor(0, 0, 255), 1.5, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(6, 6, 20, 20));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 245));
    for (double x : {6.0, 16.0, 26.0})
        for (double y : {6.0, 16.0, 26.0})
            if (x != 16.0 || y != 16.0)
                p.drawRect(QRectF(x - 2.5, y - 2.5, 5, 5));
}

void drawRotate(QPainter& p) {
    p.setPen(QPen(QColor(0, 160, 0), 3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(6, 6, 20, 20), 90 * 16, 270 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 160, 0));
    p.drawPolygon(QPolygonF({QPointF(16, 1), QPointF(23, 6), QPointF(16, 11)}));
}

} // namespace

QIcon toolIcon(int toolCode) {
    QPixmap picture(iconSize, iconSize);
    picture.fill(Qt::transparent);
    {
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        switch (toolCode) {
        case 1:
            drawSelect(painter);
            break;
        case 2:
            drawMove(painter);
            break;
        case 3:
            drawPan(painter);
            break;
        case 4:
            drawZoom(painter);
            break;
        case 5:
            drawScale(painter);
            break;
        case 6:
            drawRotate(painter);
            break;
        default:
            break;
        }
    }
    return QIcon(picture);
}

} // namespace vw
