#pragma once
// Strips of quads for the loop and ring tests: a grid whose every row of quads is one run of the
// strip, runs joined by repeated entries, and single quads or triangles as runs of their own.

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace vw::test {

using StripRun = std::vector<int16_t>;

// Vertex (column, row) is row * (columns + 1) + column and lies at x = column, y = row; with
// wraps the grid is a tube whose column `columns` is column 0 again.
struct QuadGrid {
    int columns = 1;
    int rows = 1;
    bool wraps = false;
    std::vector<std::pair<int, int>> holes = {}; // cells (column, row) left out

    int16_t at(int column, int row) const;
    size_t vertexCount() const;
    // Row r of quads, from the vertices of row r + 1 and row r in turn, as one run; a hole
    // breaks it in two.
    std::vector<StripRun> runs() const;
};

// The run of the one quad a-b-c-d (corners in order round it): a, b, d, c.
StripRun quadRun(int16_t a, int16_t b, int16_t c, int16_t d);

// One strip of the runs: each run's last entry and the next one's first are repeated, so every
// triangle between two runs has two equal entries and none is drawn.
std::vector<int16_t> joinRuns(const std::vector<StripRun>& runs);

} // namespace vw::test
