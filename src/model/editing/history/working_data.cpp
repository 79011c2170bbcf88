#include "model/editing/history/working_data.h"

namespace vw {

bool namesWorkingData(const Model& model) {
    if (model.curPart < 0 || size_t(model.curPart) >= model.Parts.size())
        return false;
    const auto& segments = model.Parts[size_t(model.curPart)].segments;
    return model.curSeg >= 0 && size_t(model.curSeg) <= segments.size();
}

void loadCurData(Model& model) {
    if (!namesWorkingData(model)) {
        model.curPart = 0;
        model.curSeg = 0;
    }
    if (model.Parts.empty()) {
        model.curData.clear();
        return;
    }
    const auto& segments = model.Parts[size_t(model.curPart)].segments;
    if (model.curSeg == 0)
        model.curData = segments;
    else
        model.curData = {segments[size_t(model.curSeg) - 1]};
}

void commitCurData(Model& model) {
    if (model.curPart < 0 || size_t(model.curPart) >= model.Parts.size())
        return;
    std::vector<Segment>& segments = model.Parts[size_t(model.curPart)].segments;
    if (model.curSeg == 0) {
        segments = model.curData;
        return;
    }
    if (model.curSeg < 0 || size_t(model.curSeg) > segments.size() || model.curData.empty())
        return;
    segments[size_t(model.curSeg) - 1] = model.curData.front();
}

std::optional<size_t> partSegmentOf(const Model& model, size_t workingSegment) {
    if (!namesWorkingData(model) || workingSegment >= model.curData.size())
        return std::nullopt;
    const size_t count = model.Parts[size_t(model.curPart)].segments.size();
    if (model.curSeg == 0)
        return count == model.curData.size() ? std::optional(workingSegment) : std::nullopt;
    return workingSegment == 0 ? std::optional(size_t(model.curSeg) - 1) : std::nullopt;
}

bool workingDataMatchesParts(const Model& model) {
    if (!namesWorkingData(model))
        return false;
    const auto& segments = model.Parts[size_t(model.curPart)].segments;
    const size_t count = model.curSeg == 0 ? segments.size() : 1;
    if (model.curData.size() != count)
        return false;
    for (size_t i = 0; i < count; ++i)
        if (model.curData[i].verts.size() != segments[*partSegmentOf(model, i)].verts.size())
            return false;
    return true;
}

} // namespace vw
