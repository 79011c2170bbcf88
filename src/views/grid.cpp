#include "views/grid.h"

#include "views/pane_colours.h"
#include "views/raster.h"
#include "views/twips.h"
#include "views/view_transform.h"

#include <cmath>

namespace vw {

double gridSpacing(float zoom) {
    if (!(zoom > 0) || !std::isfinite(zoom))
        return 0;
    const double minimum = kGridMinPixels * kTwipsPerPixel / double(zoom);
    const double decade = std::pow(10.0, std::floor(std::log10(minimum)));
    for (const double step : {1.0, 2.0, 5.0}) {
        // A hair of tolerance: 20 pixels exactly must not be lost to the logarithm's rounding.
        if (step * decade >= minimum * (1 - 1e-12))
            return step * decade;
    }
    return 10 * decade;
}

std::vector<GridLine> gridLines(double spacing, float zoom, int32_t origin, int32_t extent) {
    std::vector<GridLine> lines;
    if (!(spacing > 0) || !(zoom > 0) || extent < 0)
        return lines;
    const double first = std::ceil((0.0 - origin) / zoom / spacing);
    const double last = std::floor((double(extent) - origin) / zoom / spacing);
    // Lines are kGridMinPixels apart, so a surface holds few; anything more is a zoom at the
    // edge of what a float can say, where no grid is drawn.
    if (!(last - first < 100000))
        return lines;
    for (double k = first; k <= last; ++k)
        lines.push_back({toPane(float(k * spacing), zoom, origin), k == 0});
    return lines;
}

void drawGrid(QImage& canvas, const ViewParams& view, double spacing) {
    if (canvas.isNull())
        return;
    const std::vector<GridLine> columns =
        gridLines(spacing, view.zoom, view.originX, canvas.width() * kTwipsPerPixel);
    const std::vector<GridLine> rows =
        gridLines(spacing, view.zoom, view.originY, canvas.height() * kTwipsPerPixel);
    Raster raster(canvas);
    // The axes go last, so no other line crosses them.
    for (const bool axes : {false, true}) {
        const QRgb colour = axes ? kGridAxis : kGridLine;
        for (const GridLine& line : columns)
            if (line.axis == axes)
                raster.fillBox(QRect(twipToPixel(line.at), 0, 1, canvas.height()), colour);
        for (const GridLine& line : rows)
            if (line.axis == axes)
                raster.fillBox(QRect(0, twipToPixel(line.at), canvas.width(), 1), colour);
    }
}

} // namespace vw
