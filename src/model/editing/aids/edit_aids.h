#pragma once
// Symmetry and soft selection around the document's edit call. Every edit of the selection (a
// drag's steps, a nudge, the sheet, a typed transform) goes through one EditAids, which runs the
// caller's change and then also edits the soft region (weighted) and the mirror partners of the
// selection and of that region (mirrored), all in the one undoable step. With both aids off the
// change reaches the document as it is.

#include "model/editing/aids/mirror_partners.h"
#include "model/editing/aids/soft_selection.h"
#include "model/editing/history/document.h"
#include "model/editing/selection/hidden_vertices.h"
#include "model/signal.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vw {

struct AidOptions {
    uint8_t mirrorAxes = 0; // MirrorAxis bits
    bool soft = false;
    Falloff falloff = Falloff::Smooth;
    double softRadius = 1;                        // model units
    float mirrorTolerance = kCoincidentTolerance; // how far off a mirror partner may lie
    bool operator==(const AidOptions&) const = default;
};

// Typed values and typed transforms take the mirror only: weighting a typed value, or a
// transform about the selection's centre, by distance would not give what was typed.
enum class AidUse { MirrorAndSoft, MirrorOnly };

class EditAids {
public:
    explicit EditAids(Document& document);
    EditAids(const EditAids&) = delete;
    EditAids& operator=(const EditAids&) = delete;

    const AidOptions& options() const { return m_options; }
    // Takes effect at once, also in a drag under way: its region is found anew from where the
    // drag began, and the vertices follow.
    void setOptions(const AidOptions& options);

    // Vertices hidden from view are never driven: neither partners nor in the soft region. The
    // hiding outlives these aids.
    void setHidden(const HiddenVertices* hidden) { m_hidden = hidden; }

    // How many selected working vertices lack a mirror partner; 0 while no mirror is on.
    size_t unpartneredCount();
    // Called when the options changed or what the aids found may have (the selection or the
    // vertices changed from elsewhere).
    [[nodiscard]] Subscription subscribe(std::function<void()> listener) {
        return m_changed.subscribe(std::move(listener));
    }

    // Document::edit, beginDrag and dragStep with the aids. A drag is ended or cancelled with the
    // document's own calls.
    Result edit(std::string label, uint16_t fields, int32_t selCount,
                const Document::Change& change, AidUse use = AidUse::MirrorAndSoft);
    Result beginDrag(std::string label, uint16_t fields, int32_t selCount);
    void dragStep(const Document::Change& change, bool commitNow = true);

private:
    // What an edit drives besides the selected vertices, found once per selection.
    struct Region {
        bool soft = false;
        std::vector<VertexAt> driven; // the selected vertices, then the soft region
        size_t selectedCount = 0;
        std::vector<double> weights;   // by soft vertex
        std::vector<uint32_t> nearest; // by soft vertex: its nearest selected, in driven
        std::vector<uint8_t> onPlane;  // by driven vertex: the mirror planes it lies on
        std::vector<MirrorLink> links; // source in driven; every partner undriven and once
        size_t unpartnered = 0;        // among the selected
    };
    // One edit or drag: the values it started from, and where each soft vertex would be if it
    // were selected.
    struct Run {
        bool begun = false;
        uint8_t softFields = 0; // the float fields the change writes, as bits by number
        std::vector<Vertex> drivenStart;
        std::vector<Vertex> partnerStart;
        std::vector<Vertex> shadows;
    };

    bool ownEditOpen() const { return m_editing && m_document.isDragging(); }
    void documentChanged(const DocumentChange& change);
    const Region& region(const std::vector<Segment>& data, bool soft);
    Region findRegion(const std::vector<Segment>& data, bool soft) const;
    void begin(const std::vector<Segment>& data);
    void run(std::vector<Segment>& data, const Document::Change& change);
    void spread(std::vector<Segment>& data) const;
    void findAgainDuringDrag();

    Document& m_document;
    const HiddenVertices* m_hidden = nullptr;
    Subscription m_subscription;
    Signal<> m_changed;
    AidOptions m_options;
    std::optional<Region> m_region;
    Run m_run;
    bool m_editing = false; // an edit or drag of ours was opened
    bool m_soft = false;    // the open edit takes the soft region
    uint16_t m_fields = 0;  // what the open edit writes; 0 for any field
};

} // namespace vw
