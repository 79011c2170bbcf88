#include "vertex_arrays.h"

#include "model/block_sharing.h"
#include "vertex_layout.h"

#include <vector>

namespace py = pybind11;

namespace vw::script {

namespace {

Segment& segmentOf(ScriptModel& model, SegmentRef ref) {
    return model.model().Parts[size_t(ref.part)].segments[size_t(ref.seg)];
}

// Where an empty array points: NumPy gives no base to an array without data, and never reads
// an empty one.
const Vertex kNoVertex{};

py::array viewOf(py::handle owner, const py::dtype& type, std::vector<py::ssize_t> shape,
                 std::vector<py::ssize_t> strides, const void* first, bool writable) {
    py::array array(type, std::move(shape), std::move(strides), first, owner);
    if (!writable)
        array.attr("setflags")(py::arg("write") = false);
    return array;
}

} // namespace

py::array blockArray(py::handle owner, ScriptModel& model, SegmentRef segment, BlockKind kind) {
    const Segment& holder = segmentOf(model, blockLeader(model.model(), segment, kind));
    const FieldRun run = fieldRunOf(kind);
    const bool floats = kind != kColourBlock;
    const py::ssize_t width = floats ? py::ssize_t(sizeof(float)) : 1;
    const auto* first = reinterpret_cast<const std::byte*>(
                            holder.verts.empty() ? &kNoVertex : holder.verts.data()) +
                        run.offset;
    return viewOf(owner, floats ? py::dtype::of<float>() : py::dtype::of<uint8_t>(),
                  {py::ssize_t(holder.verts.size()), py::ssize_t(run.bytes) / width},
                  {py::ssize_t(sizeof(Vertex)), width}, first, model.storable(segment, kind));
}

py::array stripArray(py::handle owner, ScriptModel& model, SegmentRef segment) {
    const std::vector<int16_t>& strip = segmentOf(model, segment).strip;
    static const int16_t kNoEntry = 0;
    return viewOf(owner, py::dtype::of<int16_t>(), {py::ssize_t(strip.size())},
                  {py::ssize_t(sizeof(int16_t))}, strip.empty() ? &kNoEntry : strip.data(), false);
}

} // namespace vw::script
