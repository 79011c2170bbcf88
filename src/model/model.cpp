#include "model/model.h"

#include <algorithm>

namespace vw {

int16_t maxOf(const std::vector<int16_t>& values) {
    int16_t best = values.front();
    for (int16_t value : values) {
        if (value > best)
            best = value;
    }
    return best;
}

bool isInRect(float x, float y, float x1, float y1, float x2, float y2) {
    return x >= std::min(x1, x2) && x <= std::max(x1, x2) && y >= std::min(y1, y2) &&
           y <= std::max(y1, y2);
}

} // namespace vw
