#pragma once
// Working vertices the user has hidden: a state of the view beside the working data, never an
// edit, never saved. A hidden vertex is never selected, so nothing that edits the selection
// reaches it.

#include "model/model.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace vw {

class HiddenVertices {
public:
    // Hides every selected working vertex of the model, deselecting it.
    void hideSelected(Model& model);
    // Hides every unselected working vertex of the model.
    void hideUnselected(Model& model);
    void showAll();

    bool isHidden(size_t segment, size_t vertex) const {
        return segment < m_flags.size() && vertex < m_flags[segment].size() &&
               m_flags[segment][vertex] != 0;
    }
    // One flag per vertex of working segment i; empty when none of its vertices is hidden.
    std::span<const uint8_t> flagsOf(size_t segment) const {
        return segment < m_flags.size() ? std::span<const uint8_t>(m_flags[segment])
                                        : std::span<const uint8_t>();
    }
    size_t count() const { return m_count; }

    // Keeps the hiding while the model's working data is still the part or segment, of the
    // same shape, it was made on; otherwise shows everything again.
    void follow(const Model& model);
    // Deselects every hidden vertex; returns whether any was selected.
    bool deselectHidden(std::vector<Segment>& data) const;

private:
    void hide(Model& model, bool selected);
    bool fits(const std::vector<Segment>& data) const;

    std::vector<std::vector<uint8_t>> m_flags; // per working segment and vertex
    size_t m_count = 0;
    int32_t m_curPart = 0;
    int32_t m_curSeg = 0;
};

} // namespace vw
