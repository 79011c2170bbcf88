#include "model/editing/aids/edit_aids.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace vw {
namespace {

constexpr int kFloatFields = 5; // x, y, z, u, v

Vertex& at(std::vector<Segment>& data, VertexAt place) {
    return data[place.seg].verts[place.index];
}

const Vertex& at(const std::vector<Segment>& data, VertexAt place) {
    return data[place.seg].verts[place.index];
}

uint64_t keyOf(VertexAt place) {
    return uint64_t(place.seg) << 32 | place.index;
}

void setFloats(Vertex& to, const Vertex& from, uint8_t fields) {
    for (int f = 0; f < kFloatFields; ++f)
        if (fields >> f & 1)
            to.coord(f) = from.coord(f);
}

// start moved by change; no change keeps the value as it is, down to the sign of a zero.
float moved(float start, double change) {
    return change == 0 ? start : static_cast<float>(start + change);
}

// The soft vertex between where it started and where it would be if selected.
void blend(Vertex& vertex, const Vertex& start, const Vertex& full, double weight, uint8_t fields) {
    for (int f = 0; f < kFloatFields; ++f)
        if (fields >> f & 1)
            vertex.coord(f) =
                moved(start.coord(f), weight * (double(full.coord(f)) - start.coord(f)));
}

// The partner takes the source's change, with the position axes of mirror negated; a byte the
// change wrote is copied.
void mirrorChange(Vertex& partner, const Vertex& partnerStart, const Vertex& source,
                  const Vertex& sourceStart, uint8_t mirror) {
    for (int f = 0; f < kFloatFields; ++f) {
        double change = double(source.coord(f)) - sourceStart.coord(f);
        if (f < 3 && (mirror >> f & 1))
            change = -change;
        partner.coord(f) = moved(partnerStart.coord(f), change);
    }
    auto byte = [](uint8_t now, uint8_t was, uint8_t partnerWas) {
        return now != was ? now : partnerWas;
    };
    partner.red = byte(source.red, sourceStart.red, partnerStart.red);
    partner.green = byte(source.green, sourceStart.green, partnerStart.green);
    partner.blue = byte(source.blue, sourceStart.blue, partnerStart.blue);
    partner.alpha = byte(source.alpha, sourceStart.alpha, partnerStart.alpha);
}

// Which working vertices an edit already drives, so each is driven by one source only: the
// first that reaches it.
class Claims {
public:
    explicit Claims(const std::vector<Segment>& data) : m_offsets(data.size() + 1, 0) {
        for (size_t seg = 0; seg < data.size(); ++seg)
            m_offsets[seg + 1] = m_offsets[seg] + data[seg].verts.size();
        m_taken.assign(m_offsets.back(), false);
    }

    // Whether the vertex was free; it is taken after.
    bool take(VertexAt place) {
        const size_t flat = m_offsets[place.seg] + place.index;
        if (m_taken[flat])
            return false;
        m_taken[flat] = true;
        return true;
    }

private:
    std::vector<size_t> m_offsets;
    std::vector<bool> m_taken;
};

// Hidden vertices are taken before any partner or soft vertex can be.
void claimHidden(const std::vector<Segment>& data, const HiddenVertices& hidden, Claims& claims) {
    for (size_t seg = 0; seg < data.size(); ++seg) {
        const std::span<const uint8_t> flags = hidden.flagsOf(seg);
        for (size_t i = 0; i < flags.size() && i < data[seg].verts.size(); ++i)
            if (flags[i] != 0)
                claims.take({uint32_t(seg), uint32_t(i)});
    }
}

// Keeps the links to free partners, their sources counted from first in the driven vertices.
void addLinks(std::vector<MirrorLink>& kept, const std::vector<MirrorLink>& links, uint32_t first,
              Claims& claims) {
    for (MirrorLink link : links) {
        if (!claims.take(link.partner))
            continue;
        link.source += first;
        kept.push_back(link);
    }
}

// By vertex: the bits of the mirror axes whose plane it lies on, within the tolerance.
std::vector<uint8_t> planesUnder(const std::vector<Segment>& data,
                                 const std::vector<VertexAt>& places, uint8_t axes,
                                 float tolerance) {
    std::vector<uint8_t> planes;
    if (axes == 0)
        return planes;
    planes.reserve(places.size());
    for (VertexAt place : places) {
        const Vertex& vertex = at(data, place);
        uint8_t on = 0;
        for (int axis = 0; axis < 3; ++axis)
            if ((axes >> axis & 1) &&
                std::fabs(vertex.coord(axis) + vertex.coord(axis)) <= tolerance)
                on |= uint8_t(1u << axis);
        planes.push_back(on);
    }
    return planes;
}

} // namespace

EditAids::EditAids(Document& document) : m_document(document) {
    m_subscription =
        document.subscribe([this](const DocumentChange& change) { documentChanged(change); });
}

void EditAids::documentChanged(const DocumentChange& change) {
    if (ownEditOpen())
        return;
    if (change.selection || change.workingData || change.model || !change.vertices.empty()) {
        m_region.reset();
        m_changed.send();
    }
}

void EditAids::setOptions(const AidOptions& options) {
    if (options == m_options)
        return;
    m_options = options;
    if (ownEditOpen() && m_run.begun && m_region)
        findAgainDuringDrag();
    else
        m_region.reset();
    m_changed.send();
}

size_t EditAids::unpartneredCount() {
    if (m_options.mirrorAxes == 0)
        return 0;
    return region(m_document.model().curData, m_options.soft).unpartnered;
}

Result EditAids::edit(std::string label, uint16_t fields, int32_t selCount,
                      const Document::Change& change, AidUse use) {
    const bool soft = use == AidUse::MirrorAndSoft && m_options.soft;
    if (m_options.mirrorAxes == 0 && !soft)
        return m_document.edit(std::move(label), fields, selCount, change);
    m_run = {};
    m_soft = soft;
    m_fields = fields;
    m_editing = true;
    Result result = m_document.edit(std::move(label), fields, selCount,
                                    [&](std::vector<Segment>& data) { run(data, change); });
    m_editing = false;
    return result;
}

Result EditAids::beginDrag(std::string label, uint16_t fields, int32_t selCount) {
    m_run = {};
    m_soft = m_options.soft;
    m_fields = fields;
    Result result = m_document.beginDrag(std::move(label), fields, selCount);
    m_editing = result.ok();
    return result;
}

void EditAids::dragStep(const Document::Change& change, bool commitNow) {
    if (!ownEditOpen() || (m_options.mirrorAxes == 0 && !m_soft)) {
        m_document.dragStep(change, commitNow);
        return;
    }
    m_document.dragStep([&](std::vector<Segment>& data) { run(data, change); }, commitNow);
}

const EditAids::Region& EditAids::region(const std::vector<Segment>& data, bool soft) {
    soft = soft && m_options.soft;
    if (!m_region || m_region->soft != soft)
        m_region = findRegion(data, soft);
    return *m_region;
}

EditAids::Region EditAids::findRegion(const std::vector<Segment>& data, bool soft) const {
    Region found;
    found.soft = soft;
    found.driven = selectedVertices(data);
    found.selectedCount = found.driven.size();
    const uint8_t axes = m_options.mirrorAxes;
    Claims claims(data);
    for (VertexAt place : found.driven)
        claims.take(place);
    if (m_hidden != nullptr)
        claimHidden(data, *m_hidden, claims);
    // The selection's own partners come first: a soft weight must not pull them off the exact
    // mirror of what the user picked.
    if (axes != 0) {
        const MirrorPartners partners =
            findMirrorPartners(data, found.driven, axes, m_options.mirrorTolerance);
        found.unpartnered =
            size_t(std::count(partners.lacksPartner.begin(), partners.lacksPartner.end(), true));
        addLinks(found.links, partners.links, 0, claims);
    }
    if (soft) {
        for (const SoftVertex& vertex :
             softRegion(data, found.driven, m_options.softRadius, m_options.falloff)) {
            if (!claims.take(vertex.at))
                continue;
            found.driven.push_back(vertex.at);
            found.weights.push_back(vertex.weight);
            found.nearest.push_back(vertex.nearest);
        }
    }
    if (axes != 0 && found.driven.size() > found.selectedCount) {
        const std::vector<VertexAt> region(
            found.driven.begin() + std::ptrdiff_t(found.selectedCount), found.driven.end());
        addLinks(found.links,
                 findMirrorPartners(data, region, axes, m_options.mirrorTolerance).links,
                 uint32_t(found.selectedCount), claims);
    }
    found.onPlane = planesUnder(data, found.driven, axes, m_options.mirrorTolerance);
    return found;
}

void EditAids::begin(const std::vector<Segment>& data) {
    const Region& region = *m_region;
    m_run.begun = true;
    m_run.softFields = uint8_t(m_fields == 0 ? (1u << kFloatFields) - 1 : m_fields & 0x1F);
    m_run.drivenStart.clear();
    for (VertexAt place : region.driven)
        m_run.drivenStart.push_back(at(data, place));
    m_run.partnerStart.clear();
    for (const MirrorLink& link : region.links)
        m_run.partnerStart.push_back(at(data, link.partner));
    m_run.shadows.assign(m_run.drivenStart.begin() + std::ptrdiff_t(region.selectedCount),
                         m_run.drivenStart.end());
}

void EditAids::run(std::vector<Segment>& data, const Document::Change& change) {
    const Region& found = region(data, m_soft);
    if (!m_run.begun)
        begin(data);
    const size_t first = found.selectedCount;
    // The soft vertices pass through the change as if selected, from where it would have
    // taken them, so a change that works from a snapshot (Rotate) serves as well as one that
    // works step by step (Move, Scale).
    for (size_t k = 0; k < m_run.shadows.size(); ++k) {
        Vertex& vertex = at(data, found.driven[first + k]);
        setFloats(vertex, m_run.shadows[k], m_run.softFields);
        vertex.selected = -1;
    }
    change(data);
    for (size_t k = 0; k < m_run.shadows.size(); ++k) {
        Vertex& vertex = at(data, found.driven[first + k]);
        setFloats(m_run.shadows[k], vertex, m_run.softFields);
        vertex.selected = 0;
        blend(vertex, m_run.drivenStart[first + k], m_run.shadows[k], found.weights[k],
              m_run.softFields);
    }
    spread(data);
}

void EditAids::spread(std::vector<Segment>& data) const {
    const Region& found = *m_region;
    for (size_t i = 0; i < found.onPlane.size(); ++i)
        for (int axis = 0; axis < 3; ++axis)
            if (found.onPlane[i] >> axis & 1)
                at(data, found.driven[i]).coord(axis) = m_run.drivenStart[i].coord(axis);
    for (size_t k = 0; k < found.links.size(); ++k) {
        const MirrorLink& link = found.links[k];
        mirrorChange(at(data, link.partner), m_run.partnerStart[k],
                     at(data, found.driven[link.source]), m_run.drivenStart[link.source],
                     link.mirror);
    }
}

void EditAids::findAgainDuringDrag() {
    std::vector<Segment>& data = m_document.model().curData;
    const Region old = std::move(*m_region);
    const Run was = std::move(m_run);
    // The new region is found from where the drag began: everything goes back there for the
    // moment, the selection included.
    std::vector<Vertex> selectedNow;
    for (size_t i = 0; i < old.driven.size(); ++i) {
        Vertex& vertex = at(data, old.driven[i]);
        if (i < old.selectedCount)
            selectedNow.push_back(vertex);
        vertex = was.drivenStart[i];
    }
    for (size_t k = 0; k < old.links.size(); ++k)
        at(data, old.links[k].partner) = was.partnerStart[k];
    std::unordered_map<uint64_t, Vertex> shadows;
    for (size_t k = 0; k < was.shadows.size(); ++k)
        shadows.emplace(keyOf(old.driven[old.selectedCount + k]), was.shadows[k]);

    m_soft = m_options.soft;
    m_region = findRegion(data, m_soft);
    begin(data);
    const Region& found = *m_region;
    for (size_t k = 0; k < m_run.shadows.size(); ++k) {
        if (auto kept = shadows.find(keyOf(found.driven[found.selectedCount + k]));
            kept != shadows.end()) {
            m_run.shadows[k] = kept->second;
            continue;
        }
        // New to the region: taken as far as its nearest selected vertex was.
        const uint32_t nearest = found.nearest[k];
        for (int f = 0; f < kFloatFields; ++f)
            m_run.shadows[k].coord(f) =
                moved(m_run.shadows[k].coord(f),
                      double(selectedNow[nearest].coord(f)) - m_run.drivenStart[nearest].coord(f));
    }
    for (size_t i = 0; i < found.selectedCount && i < selectedNow.size(); ++i)
        at(data, found.driven[i]) = selectedNow[i];
    m_document.dragStep(
        [this](std::vector<Segment>& working) { run(working, [](std::vector<Segment>&) {}); });
}

} // namespace vw
