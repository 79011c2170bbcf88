#include "views/image_map.h"

#include "views/pane_colours.h"
#include "views/raster.h"
#include "views/twips.h"
#include "views/view_transform.h"

#include <QFont>
#include <QPainter>

namespace vw {

QImage builtInImageMap() {
    constexpr int size = 128;
    constexpr int cells = 4;
    constexpr int cell = size / cells;
    QImage picture(size, size, QImage::Format_RGB32);
    QPainter painter(&picture);
    QFont font = painter.font();
    font.setPixelSize(11);
    font.setBold(true);
    painter.setFont(font);
    for (int row = 0; row < cells; ++row) {
        for (int column = 0; column < cells; ++column) {
            const QRect area(column * cell, row * cell, cell, cell);
            const bool light = (row + column) % 2 == 0;
            painter.fillRect(area, light ? QColor(214, 196, 160) : QColor(120, 140, 170));
            painter.setPen(light ? QColor(60, 50, 40) : QColor(245, 245, 250));
            const QString label = QString(QChar(u'A' + column)) + QString::number(row + 1);
            painter.drawText(area, Qt::AlignCenter, label);
        }
    }
    painter.setPen(QColor(40, 40, 40));
    for (int line = 0; line <= cells; ++line) {
        const int at = std::min(line * cell, size - 1);
        painter.drawLine(at, 0, at, size - 1);
        painter.drawLine(0, at, size - 1, at);
    }
    return picture;
}

void drawImageMapTiles(QImage& canvas, const ViewParams& view, const QImage& picture) {
    if (canvas.isNull())
        return;
    QPainter painter(&canvas);
    for (int gy = -1; gy <= 1; ++gy) {
        for (int gx = -1; gx <= 1; ++gx) {
            const double x = toPane(static_cast<float>(gx), view.zoom, view.originX);
            const double y = toPane(static_cast<float>(gy), view.zoom, view.originY);
            painter.drawImage(pixelBox(x, y, x + view.zoom, y + view.zoom), picture);
        }
    }
}

void drawImageMapFrame(QImage& canvas, const ViewParams& view) {
    const double left = view.originX;
    const double top = view.originY;
    Raster(canvas).outlineBox(pixelBox(left, top, left + view.zoom, top + view.zoom),
                              kImageMapFrame);
}

} // namespace vw
