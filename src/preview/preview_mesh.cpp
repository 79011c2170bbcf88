#include "preview/preview_mesh.h"

#include "preview/strip_triangles.h"

#include <algorithm>
#include <cmath>

namespace vw {
namespace {

// A surface crossing cubic cells of size c meets about 1.5 cells per c squared of its area, and
// a mesh has about two triangles per vertex: the first guess of the cell size for a budget.
constexpr double kCoarseTrianglesPerCellArea = 3.0;
// A guess that keeps more than this share over the budget is corrected with larger cells.
constexpr double kCoarseSlack = 1.25;
constexpr int kCoarseAttempts = 4;
// Vertices converted and sent at a time.
constexpr uint32_t kSendPiece = 65536;

const Segment* segmentOf(const Model& model, const SegmentSpan& span) {
    if (static_cast<size_t>(span.part) >= model.Parts.size())
        return nullptr;
    const std::vector<Segment>& segments = model.Parts[span.part].segments;
    return static_cast<size_t>(span.seg) < segments.size() ? &segments[span.seg] : nullptr;
}

} // namespace

bool isWorkingSegment(const Model& model, const SegmentSpan& span) {
    return span.part == model.curPart && (model.curSeg == 0 || span.seg == model.curSeg - 1);
}

PreviewMapping previewMapping(const Vertex& vertex) {
    return {vertex.u, vertex.v};
}

PreviewVertex previewVertex(const Vertex& vertex, bool hasColours) {
    PreviewVertex out{vertex.x,        -vertex.y,       vertex.z, kUncolouredGrey,
                      kUncolouredGrey, kUncolouredGrey, 255};
    if (hasColours) {
        out.red = vertex.red;
        out.green = vertex.green;
        out.blue = vertex.blue;
        out.alpha = vertex.alpha;
    }
    return out;
}

void PreviewMesh::rebuild(const Model& model) {
    m_segments.clear();
    m_firstSegmentOfPart.clear();
    m_strips.clear();
    m_pending.clear();
    m_vertexCount = 0;
    m_triangleCount = 0;
    for (size_t p = 0; p < model.Parts.size(); ++p) {
        m_firstSegmentOfPart.push_back(static_cast<uint32_t>(m_segments.size()));
        const std::vector<Segment>& segments = model.Parts[p].segments;
        for (size_t s = 0; s < segments.size(); ++s) {
            SegmentSpan span;
            span.part = static_cast<int32_t>(p);
            span.seg = static_cast<int32_t>(s);
            span.nodeIndex = segments[s].nodeIndex;
            span.firstVertex = m_vertexCount;
            span.vertexCount = static_cast<uint32_t>(segments[s].verts.size());
            span.firstIndex = static_cast<uint32_t>(m_strips.size());
            const size_t triangles =
                appendRestartStrip(segments[s].strip, segments[s].verts.size(), m_strips);
            span.indexCount = triangles > 0 ? uint32_t(m_strips.size()) - span.firstIndex : 0;
            m_strips.resize(span.firstIndex + span.indexCount);
            m_vertexCount += span.vertexCount;
            m_triangleCount += triangles;
            m_segments.push_back(span);
        }
    }
    m_detail.assign(m_segments.size(), {});
    m_allPending = true;
}

std::vector<uint16_t> PreviewMesh::buildEdges(const Model& model, bool workingOnly) {
    std::vector<uint16_t> edges;
    for (SegmentSpan& span : m_segments) {
        span.firstEdge = static_cast<uint32_t>(edges.size());
        if (const Segment* segment = segmentOf(model, span);
            segment && (!workingOnly || isWorkingSegment(model, span)))
            appendStripEdges(segment->strip,
                             std::min<size_t>(segment->verts.size(), span.vertexCount), edges);
        span.edgeCount = static_cast<uint32_t>(edges.size()) - span.firstEdge;
    }
    return edges;
}

std::vector<uint16_t> PreviewMesh::segmentTriangles(const Model& model,
                                                    const SegmentSpan& span) const {
    std::vector<uint16_t> triangles;
    if (const Segment* segment = segmentOf(model, span))
        appendStripTriangles(segment->strip,
                             std::min<size_t>(segment->verts.size(), span.vertexCount), triangles);
    return triangles;
}

std::vector<uint16_t> PreviewMesh::buildCoarse(const Model& model, size_t budget) {
    std::vector<float> areas;
    for (const SegmentSpan& span : m_segments)
        if (const Segment* segment = segmentOf(model, span))
            appendTriangleAreas(segment->verts, segmentTriangles(model, span), areas);
    double cellSize = std::sqrt(kCoarseTrianglesPerCellArea * surfaceArea(areas) / double(budget));
    std::vector<uint16_t> coarse;
    for (SegmentSpan& span : m_segments)
        span.firstCoarse = span.coarseCount = 0;
    for (int attempt = 0; attempt < kCoarseAttempts && cellSize > 0 && std::isfinite(cellSize);
         ++attempt) {
        coarse.clear();
        appendCoarse(model, cellSize, coarse);
        const double kept = coarse.size() / 3.0;
        if (kept <= kCoarseSlack * double(budget))
            break;
        cellSize *= std::sqrt(kept / double(budget));
    }
    return coarse;
}

void PreviewMesh::appendCoarse(const Model& model, double cellSize, std::vector<uint16_t>& out) {
    for (SegmentSpan& span : m_segments) {
        span.firstCoarse = static_cast<uint32_t>(out.size());
        if (const Segment* segment = segmentOf(model, span))
            appendCoarseTriangles(segment->verts, segmentTriangles(model, span), cellSize, out);
        span.coarseCount = static_cast<uint32_t>(out.size()) - span.firstCoarse;
    }
}

bool PreviewMesh::detailPending() const {
    return std::any_of(m_detail.begin(), m_detail.end(), [](const Detail& d) { return !d.built; });
}

bool PreviewMesh::detailUnpacked() const {
    return std::any_of(m_detail.begin(), m_detail.end(),
                       [](const Detail& d) { return d.built && !d.packed; });
}

std::optional<PreviewMesh::DetailRequest> PreviewMesh::requestDetail(const Model& model) {
    const auto next = std::find_if(m_detail.begin(), m_detail.end(),
                                   [](const Detail& d) { return !d.built && d.ticket == 0; });
    if (next == m_detail.end())
        return std::nullopt;
    DetailRequest request;
    request.ticket = next->ticket = ++m_lastTicket;
    const SegmentSpan& span = m_segments[next - m_detail.begin()];
    if (const Segment* segment = segmentOf(model, span);
        segment && segment->verts.size() == span.vertexCount) {
        request.verts = segment->verts;
        request.triangles = segmentTriangles(model, span);
    }
    return request;
}

void PreviewMesh::detailBuilt(uint64_t ticket, SegmentDetail versions) {
    const auto requested = std::find_if(m_detail.begin(), m_detail.end(),
                                        [ticket](const Detail& d) { return d.ticket == ticket; });
    if (ticket == 0 || requested == m_detail.end())
        return;
    requested->versions = std::move(versions);
    requested->built = true;
    requested->ticket = 0;
}

bool PreviewMesh::buildNextDetail(const Model& model) {
    std::optional<DetailRequest> request = requestDetail(model);
    if (!request)
        return false;
    detailBuilt(request->ticket, buildSegmentDetail(request->verts, request->triangles));
    return true;
}

std::vector<uint16_t> PreviewMesh::packDetail() {
    std::vector<uint16_t> packed;
    for (Detail& detail : m_detail) {
        for (DetailLevel& level : detail.versions.levels) {
            level.first = static_cast<uint32_t>(packed.size());
            packed.insert(packed.end(), level.triangles.begin(), level.triangles.end());
        }
        detail.packed = detail.built;
    }
    return packed;
}

void PreviewMesh::sendDetailNormals(BufferSink& sink) {
    for (size_t i = 0; i < m_detail.size(); ++i) {
        std::vector<uint32_t>& normals = m_detail[i].versions.normals;
        if (normals.empty())
            continue;
        sink.write(size_t(m_segments[i].firstVertex) * sizeof(uint32_t), normals.data(),
                   normals.size() * sizeof(uint32_t));
        normals = {};
    }
}

const DetailLevel* PreviewMesh::detailFor(const SegmentSpan& span, const OrbitCamera& camera,
                                          double devicePixelRatio) const {
    const size_t index = m_firstSegmentOfPart[span.part] + static_cast<size_t>(span.seg);
    const Detail& detail = m_detail[index];
    return detail.packed ? levelFor(detail.versions, camera, devicePixelRatio) : nullptr;
}

const SegmentSpan* PreviewMesh::spanOf(const VertexRange& range) const {
    if (range.part < 0 || static_cast<size_t>(range.part) >= m_firstSegmentOfPart.size() ||
        range.seg < 0)
        return nullptr;
    const size_t index = m_firstSegmentOfPart[range.part] + static_cast<size_t>(range.seg);
    if (index >= m_segments.size() || m_segments[index].part != range.part)
        return nullptr;
    return &m_segments[index];
}

bool PreviewMesh::fits(const Model& model, const VertexRange& range) const {
    const SegmentSpan* span = spanOf(range);
    const Segment* segment = span ? segmentOf(model, *span) : nullptr;
    return segment && segment->verts.size() == span->vertexCount &&
           model.Parts[range.part].segments.size() ==
               (static_cast<size_t>(range.part) + 1 < m_firstSegmentOfPart.size()
                    ? m_firstSegmentOfPart[range.part + 1]
                    : m_segments.size()) -
                   m_firstSegmentOfPart[range.part];
}

void PreviewMesh::verticesChanged(const VertexRange& range) {
    const SegmentSpan* found = spanOf(range);
    if (!found)
        return;
    const SegmentSpan& span = *found;
    const uint32_t end = std::min(range.end, span.vertexCount);
    if (range.first >= end)
        return;
    m_detail[found - m_segments.data()] = {};
    m_pending.push_back({span.firstVertex + range.first, span.firstVertex + end});
}

template <typename Out, typename Convert>
size_t PreviewMesh::sendRange(const Model& model, uint32_t begin, uint32_t end, BufferSink& sink,
                              Convert convert) {
    std::vector<Out> piece;
    // In pieces, so the whole model is never held a second time while it is sent.
    for (uint32_t from = begin; from < end; from += std::min(end - from, kSendPiece)) {
        const uint32_t to = from + std::min(end - from, kSendPiece);
        piece.clear();
        auto span = std::upper_bound(
            m_segments.begin(), m_segments.end(), from,
            [](uint32_t vertex, const SegmentSpan& s) { return vertex < s.firstVertex; });
        for (--span; span != m_segments.end() && span->firstVertex < to; ++span) {
            const Segment* segment = segmentOf(model, *span);
            const uint32_t first = std::max(from, span->firstVertex) - span->firstVertex;
            const uint32_t last =
                std::min(to, span->firstVertex + span->vertexCount) - span->firstVertex;
            // A vertex the model no longer has keeps its place, so later ones land where they
            // belong.
            for (uint32_t i = first; i < last; ++i)
                piece.push_back(segment && i < segment->verts.size() ? convert(*segment, i)
                                                                     : Out{});
        }
        sink.write(size_t(from) * sizeof(Out), piece.data(), piece.size() * sizeof(Out));
    }
    return size_t(end - begin) * sizeof(Out);
}

size_t PreviewMesh::sendVertices(const Model& model, BufferSink& sink, BufferSink* mapping) {
    if (m_allPending) {
        m_pending.assign(1, {0, m_vertexCount});
        m_allPending = false;
    }
    std::sort(m_pending.begin(), m_pending.end(),
              [](const Pending& a, const Pending& b) { return a.begin < b.begin; });
    size_t sent = 0;
    for (size_t i = 0; i < m_pending.size();) {
        uint32_t begin = m_pending[i].begin, end = m_pending[i].end;
        for (++i; i < m_pending.size() && m_pending[i].begin <= end; ++i)
            end = std::max(end, m_pending[i].end);
        if (begin >= end)
            continue;
        sent += sendRange<PreviewVertex>(model, begin, end, sink, [](const Segment& s, uint32_t i) {
            return previewVertex(s.verts[i], s.colorBlockAt != 0);
        });
        if (mapping)
            sent += sendMappingRange(model, begin, end, *mapping);
    }
    m_pending.clear();
    return sent;
}

size_t PreviewMesh::sendMappingRange(const Model& model, uint32_t begin, uint32_t end,
                                     BufferSink& sink) {
    return sendRange<PreviewMapping>(model, begin, end, sink, [](const Segment& s, uint32_t i) {
        return previewMapping(s.verts[i]);
    });
}

size_t PreviewMesh::sendMapping(const Model& model, BufferSink& sink) {
    return sendMappingRange(model, 0, m_vertexCount, sink);
}

std::vector<SegmentSpan> PreviewMesh::shownSegments(const ShownFilter& shown) const {
    std::vector<SegmentSpan> out;
    for (const SegmentSpan& span : m_segments)
        if (span.indexCount > 0 && (!shown || shown(span.nodeIndex)))
            out.push_back(span);
    return out;
}

std::vector<SegmentSpan> PreviewMesh::workingSegments(const Model& model) const {
    std::vector<SegmentSpan> out;
    for (const SegmentSpan& span : m_segments)
        if (isWorkingSegment(model, span))
            out.push_back(span);
    return out;
}

} // namespace vw
