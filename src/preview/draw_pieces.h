#pragma once
// Splitting one large draw into pieces, so a renderer is handed a bounded amount at a time.

#include <algorithm>
#include <cstdint>

namespace vw {

// How a draw's entries make primitives: each primitive takes `corners` entries, and consecutive
// pieces share `overlap` entries (a strip's face also takes the two entries before it).
struct PieceShape {
    uint32_t corners;
    uint32_t overlap;
};
inline constexpr PieceShape kStripPieces{1, 2};
inline constexpr PieceShape kTrianglePieces{3, 0};
inline constexpr PieceShape kLinePieces{2, 0};
inline constexpr PieceShape kPointPieces{1, 0};

// Calls draw(first, count, primitives) for pieces of count entries that together draw every
// primitive once, each at most maxPrimitives (at least 2). A strip's pieces start at even entries,
// so a strip without restarts keeps every face's winding.
template <typename Draw>
void forEachPiece(PieceShape shape, uint32_t count, uint32_t maxPrimitives, Draw draw) {
    uint32_t step = maxPrimitives * shape.corners;
    if (shape.overlap > 0)
        step &= ~1u;
    for (uint32_t done = 0; done + shape.overlap < count; done += step) {
        const uint32_t n = std::min(step + shape.overlap, count - done);
        draw(done, n, (n - shape.overlap) / shape.corners);
    }
}

} // namespace vw
