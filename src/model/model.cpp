#include "model/model.h"

#include <algorithm>
#include <utility>

namespace vw {

const Segment* segmentAt(const Model& model, SegmentRef ref) {
    if (ref.part < 0 || size_t(ref.part) >= model.Parts.size())
        return nullptr;
    const std::vector<Segment>& segments = model.Parts[size_t(ref.part)].segments;
    return ref.seg >= 0 && size_t(ref.seg) < segments.size() ? &segments[size_t(ref.seg)] : nullptr;
}

Segment* segmentAt(Model& model, SegmentRef ref) {
    return const_cast<Segment*>(segmentAt(std::as_const(model), ref));
}

std::string segmentName(SegmentRef ref) {
    return std::to_string(ref.part) + "/" + std::to_string(ref.seg);
}

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
