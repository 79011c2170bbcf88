#include "model/editing/selection/hidden_vertices.h"

namespace vw {

void HiddenVertices::hideSelected(Model& model) {
    hide(model, true);
}

void HiddenVertices::hideUnselected(Model& model) {
    hide(model, false);
}

void HiddenVertices::hide(Model& model, bool selected) {
    follow(model);
    std::vector<Segment>& data = model.curData;
    m_flags.resize(data.size());
    m_curPart = model.curPart;
    m_curSeg = model.curSeg;
    for (size_t i = 0; i < data.size(); ++i) {
        std::vector<uint8_t>& flags = m_flags[i];
        flags.resize(data[i].verts.size(), 0);
        for (size_t j = 0; j < flags.size(); ++j) {
            Vertex& vertex = data[i].verts[j];
            if (flags[j] != 0 || (vertex.selected != 0) != selected)
                continue;
            flags[j] = 1;
            vertex.selected = 0;
            ++m_count;
        }
    }
}

void HiddenVertices::showAll() {
    m_flags.clear();
    m_count = 0;
}

void HiddenVertices::follow(const Model& model) {
    if (m_count == 0 || model.curPart != m_curPart || model.curSeg != m_curSeg ||
        !fits(model.curData))
        showAll();
}

bool HiddenVertices::fits(const std::vector<Segment>& data) const {
    if (data.size() != m_flags.size())
        return false;
    for (size_t i = 0; i < data.size(); ++i)
        if (data[i].verts.size() != m_flags[i].size())
            return false;
    return true;
}

bool HiddenVertices::deselectHidden(std::vector<Segment>& data) const {
    if (m_count == 0 || !fits(data))
        return false;
    bool any = false;
    for (size_t i = 0; i < data.size(); ++i)
        for (size_t j = 0; j < data[i].verts.size(); ++j)
            if (m_flags[i][j] != 0 && data[i].verts[j].selected != 0) {
                data[i].verts[j].selected = 0;
                any = true;
            }
    return any;
}

} // namespace vw
