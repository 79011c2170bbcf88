#pragma once
// Whether vertex values are the same to the bit: the five floats and the colour bytes, with NaN
// payloads and signed zeros told apart.

#include "model/model.h"

#include <bit>
#include <cstdint>
#include <vector>

namespace vw::test {

inline bool sameBits(const Vertex& a, const Vertex& b) {
    for (int axis = 0; axis < 5; ++axis)
        if (std::bit_cast<uint32_t>(a.coord(axis)) != std::bit_cast<uint32_t>(b.coord(axis)))
            return false;
    return a.red == b.red && a.green == b.green && a.blue == b.blue && a.alpha == b.alpha;
}

inline bool sameBits(const std::vector<Part>& a, const std::vector<Part>& b) {
    if (a.size() != b.size())
        return false;
    for (size_t p = 0; p < a.size(); ++p) {
        if (a[p].segments.size() != b[p].segments.size())
            return false;
        for (size_t s = 0; s < a[p].segments.size(); ++s) {
            const std::vector<Vertex>& x = a[p].segments[s].verts;
            const std::vector<Vertex>& y = b[p].segments[s].verts;
            if (x.size() != y.size())
                return false;
            for (size_t i = 0; i < x.size(); ++i)
                if (!sameBits(x[i], y[i]))
                    return false;
        }
    }
    return true;
}

} // namespace vw::test
