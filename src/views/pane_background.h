#pragma once
// picBack, the pane's background: the grid, the image map on the UV tab, and the back edges of
// every segment the parts tree shows. It is drawn again only when what it was drawn from
// changed; after an edit of the working segments alone, the others are taken as last drawn and
// only the working ones are drawn anew over them.

#include "model/editing/history/document.h"
#include "views/view_params.h"

#include <QImage>
#include <QSize>

#include <cstdint>
#include <functional>

namespace vw {

class Pane;

class PaneBackground {
public:
    explicit PaneBackground(Pane& pane) : m_pane(pane) {}

    // Draws picBack in full.
    void draw();
    // Whether picBack shows the tab, view, size, shown segments and image map of now.
    bool isCurrent() const { return m_drawn == key(); }
    // Forgets what the change made stale.
    void changed(const DocumentChange& change);
    // Brings picBack up to date after the change, if that takes less than a full draw: true
    // when it did, false when it needs draw().
    bool catchUp(const DocumentChange& change);
    // Which segments picBack shows, by their tree node index; unset means every one.
    void setFilter(std::function<bool(int32_t nodeIndex)> filter) {
        m_filter = std::move(filter);
        invalidate();
    }
    bool shows(int32_t nodeIndex) const { return !m_filter || m_filter(nodeIndex); }
    // The filter's answers changed: the next tick draws picBack anew.
    void invalidate() { ++m_generation; }
    // The grid under everything else, while shown; off at first. False when it was so already.
    bool gridShown() const { return m_gridShown; }
    bool showGrid(bool shown) {
        if (shown == m_gridShown)
            return false;
        m_gridShown = shown;
        invalidate();
        return true;
    }
    uint64_t generation() const { return m_generation; }
    // Bumped whenever picBack is drawn.
    uint64_t version() const { return m_version; }

private:
    // What picBack was drawn from.
    struct Key {
        int tab = 0;
        ViewParams view{};
        QSize size;
        uint64_t generation = 0;
        qint64 imageMap = 0;
        bool operator==(const Key&) const = default;
    };

    Key key() const;
    // The back edges of the working segments of Parts, or of all others.
    void drawSegments(bool working);
    bool isWorkingSegment(int32_t part, int32_t seg) const;
    // picBack after an edit of the working segments alone: the others as last drawn, the working
    // ones anew; false, drawing nothing, when the others are not held for this view.
    bool redrawWorking();
    void drawn();

    Pane& m_pane;
    std::function<bool(int32_t)> m_filter;
    bool m_gridShown = false;
    uint64_t m_generation = 1;
    uint64_t m_version = 0;
    Key m_drawn;
    // No vertex value changed since picBack was drawn.
    bool m_holdsParts = false;
    // picBack without the working segments of part m_othersPart, segment m_othersSeg (the
    // working data then); part -1 when it does not hold the other segments as they are.
    QImage m_othersBack;
    Key m_othersDrawn;
    int32_t m_othersPart = -1;
    int32_t m_othersSeg = 0;
};

} // namespace vw
