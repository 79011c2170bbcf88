#include "support/quad_grid.h"

#include <algorithm>

namespace vw::test {

int16_t QuadGrid::at(int column, int row) const {
    const int perRow = wraps ? columns : columns + 1;
    return int16_t(row * perRow + (wraps ? column % columns : column));
}

size_t QuadGrid::vertexCount() const {
    return size_t((wraps ? columns : columns + 1) * (rows + 1));
}

std::vector<StripRun> QuadGrid::runs() const {
    std::vector<StripRun> result;
    for (int row = 0; row < rows; ++row) {
        StripRun run;
        for (int column = 0; column <= columns; ++column) {
            const bool holeAfter =
                std::find(holes.begin(), holes.end(), std::pair{column, row}) != holes.end();
            run.push_back(at(column, row + 1));
            run.push_back(at(column, row));
            if (holeAfter || column == columns) {
                if (run.size() >= 4)
                    result.push_back(run);
                run.clear();
            }
        }
    }
    return result;
}

StripRun quadRun(int16_t a, int16_t b, int16_t c, int16_t d) {
    return {a, b, d, c};
}

std::vector<int16_t> joinRuns(const std::vector<StripRun>& runs) {
    std::vector<int16_t> strip;
    for (const StripRun& run : runs) {
        if (!strip.empty() && !run.empty()) {
            strip.push_back(strip.back());
            strip.push_back(run.front());
        }
        strip.insert(strip.end(), run.begin(), run.end());
    }
    return strip;
}

} // namespace vw::test
