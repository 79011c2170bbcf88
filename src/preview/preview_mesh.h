#pragma once
// The model as the preview's GPU buffers hold it: one vertex buffer of every segment's vertices
// in Parts order, and per segment its strip (and, for the wireframe, its edges) as 16-bit
// indexes into its own vertices. Built once per model; an edit marks the vertex ranges it changed
// and only those are sent again.

#include "model/editing/history/document.h"
#include "model/model.h"
#include "preview/coarse_triangles.h"
#include "preview/detail_levels.h"
#include "preview/fitting.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace vw {

// One vertex as the buffer holds it: file orientation (y up) and colour.
struct PreviewVertex {
    float x, y, z;
    uint8_t red, green, blue, alpha;
};
static_assert(sizeof(PreviewVertex) == 16);

// A vertex's place on the image map, in a buffer of its own made only once the map is shown.
struct PreviewMapping {
    float u, v;
};

// A segment without a colour block shows in this grey, fully opaque.
constexpr uint8_t kUncolouredGrey = 190;

PreviewVertex previewVertex(const Vertex& vertex, bool hasColours);
PreviewMapping previewMapping(const Vertex& vertex);

// Where one segment lies in the buffers, in vertices and in indexes.
struct SegmentSpan {
    int32_t part = 0;
    int32_t seg = 0;
    int32_t nodeIndex = 0;
    uint32_t firstVertex = 0;
    uint32_t vertexCount = 0;
    uint32_t firstIndex = 0; // in the strip list (strip_triangles.h); none without triangles
    uint32_t indexCount = 0;
    uint32_t firstEdge = 0; // in the edge list, built only while the wireframe is shown
    uint32_t edgeCount = 0;
    uint32_t firstCoarse = 0; // in the coarse list, built only when a moving camera needs it
    uint32_t coarseCount = 0;
};

// Whether the span is one of the working data's segments: curPart's, or its segment curSeg - 1.
bool isWorkingSegment(const Model& model, const SegmentSpan& span);

// Takes bytes for a buffer at a byte offset; the GL vertex buffer, or a recorder in tests.
class BufferSink {
public:
    virtual ~BufferSink() = default;
    virtual void write(size_t offsetBytes, const void* data, size_t bytes) = 0;
};

class PreviewMesh {
public:
    // Lays out the model's segments and lists their strips; everything is to be sent.
    void rebuild(const Model& model);
    const std::vector<SegmentSpan>& segments() const { return m_segments; }
    uint32_t vertexCount() const { return m_vertexCount; }
    size_t triangleCount() const { return m_triangleCount; }
    // The strips of every segment, one after the other, to be drawn with primitive restart;
    // handed over once to upload.
    std::vector<uint16_t> takeStrips() { return std::move(m_strips); }
    // The edges of every segment, or of the working data's alone, recorded in the spans (the
    // others get none).
    std::vector<uint16_t> buildEdges(const Model& model, bool workingOnly = false);
    // About `budget` coarse triangles in all (see coarse_triangles.h), recorded in the spans.
    std::vector<uint16_t> buildCoarse(const Model& model, size_t budget);

    // The simplified versions of the segments (detail_levels.h), built one segment at a time and
    // dropped for a segment when an edit changes its vertices.
    bool detailPending() const;
    // What building one segment's versions needs, copied so another thread can build them.
    struct DetailRequest {
        uint64_t ticket = 0;
        std::vector<Vertex> verts;
        std::vector<uint16_t> triangles;
    };
    // The next segment that lacks its versions and is not being built; none when there is none.
    std::optional<DetailRequest> requestDetail(const Model& model);
    // The versions built for a request; dropped when the model or the segment changed since.
    void detailBuilt(uint64_t ticket, SegmentDetail versions);
    // Builds the versions of the next segment that lacks them here; false when none does.
    bool buildNextDetail(const Model& model);
    // Whether versions were built since they were last packed.
    bool detailUnpacked() const;
    // Every built version's triangles, one after the other, recording where each lies; from now
    // on those versions may be drawn from the list.
    std::vector<uint16_t> packDetail();
    // Sends the vertex normals of segments whose versions were built since they were last sent,
    // at four bytes a vertex in buffer order, then lets them go.
    void sendDetailNormals(BufferSink& sink);
    // The version of the span's segment to draw for this camera; null for the full triangles.
    const DetailLevel* detailFor(const SegmentSpan& span, const OrbitCamera& camera,
                                 double devicePixelRatio) const;

    // Whether the range's segment still has the vertex count the buffers were laid out for.
    bool fits(const Model& model, const VertexRange& range) const;
    // An edit changed these vertices of Parts.
    void verticesChanged(const VertexRange& range);
    bool hasPendingVertices() const { return m_allPending || !m_pending.empty(); }
    // Sends every vertex waiting to be sent, and its place on the image map where a mapping
    // sink is given. Returns the bytes sent.
    size_t sendVertices(const Model& model, BufferSink& sink, BufferSink* mapping = nullptr);
    // Sends every vertex's place on the image map. Returns the bytes sent.
    size_t sendMapping(const Model& model, BufferSink& sink);

    // The segments the filter shows, in buffer order.
    std::vector<SegmentSpan> shownSegments(const ShownFilter& shown) const;
    // The working data's segments (curPart's, or its segment curSeg - 1), in buffer order.
    std::vector<SegmentSpan> workingSegments(const Model& model) const;

private:
    std::vector<uint16_t> segmentTriangles(const Model& model, const SegmentSpan& span) const;
    void appendCoarse(const Model& model, double cellSize, std::vector<uint16_t>& out);
    const SegmentSpan* spanOf(const VertexRange& range) const;
    struct Pending {
        uint32_t begin, end;
    };
    // Converts the vertices of buffer places [begin, end) in pieces and writes them to sink.
    template <typename Out, typename Convert>
    size_t sendRange(const Model& model, uint32_t begin, uint32_t end, BufferSink& sink,
                     Convert convert);
    size_t sendMappingRange(const Model& model, uint32_t begin, uint32_t end, BufferSink& sink);

    struct Detail {
        SegmentDetail versions;
        bool built = false;
        bool packed = false;
        uint64_t ticket = 0; // of the request being built, 0 when none is
    };

    std::vector<SegmentSpan> m_segments;
    std::vector<Detail> m_detail; // one per segment
    uint64_t m_lastTicket = 0;
    std::vector<uint32_t> m_firstSegmentOfPart;
    std::vector<uint16_t> m_strips;
    uint32_t m_vertexCount = 0;
    size_t m_triangleCount = 0;
    bool m_allPending = false;
    std::vector<Pending> m_pending;
};

} // namespace vw
