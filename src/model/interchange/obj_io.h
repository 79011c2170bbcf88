#pragma once
// Wavefront OBJ export and import of the model's vertices, in the file's orientation.

#include "model/model.h"
#include "model/result.h"

#include <array>
#include <filesystem>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace vw {

// What an export or import covers: the whole model, one part, or one segment of a part.
struct ObjSelection {
    std::optional<int> part;
    std::optional<int> seg; // 0-based index into the part's segments; needs part
};

// Fails with a one-line reason unless the model has the selected part and segment.
Result checkSelection(const Model& model, const ObjSelection& selection);

// The (part, segment) numbers a valid selection covers, in model order.
std::vector<std::pair<int, int>> selectedSegments(const Model& model,
                                                  const ObjSelection& selection);

// The triangles of a strip as 0-based vertex indices, all wound like the first: odd triangles
// are flipped. Triples that repeat an index or point outside the segment's vertexCount
// vertices make no triangle but still count for the alternation.
std::vector<std::array<int, 3>> stripTriangles(const std::vector<int16_t>& strip,
                                               size_t vertexCount);

// Writes per selected segment an object with a v line (y negated back to the file's value)
// and a vt line per vertex, then its faces.
void writeObj(std::ostream& out, const Model& model, const ObjSelection& selection);

// Reads the v lines (and the vt lines when there are as many) into the selected vertices in
// order. Fails with a one-line reason, the model unchanged.
Result readObj(std::istream& in, Model& model, const ObjSelection& selection);

// writeObj into a file, replaced atomically; fails with a one-line reason, the file unchanged.
Result exportObjFile(const Model& model, const ObjSelection& selection,
                     const std::filesystem::path& path);

// readObj from a file; fails with a one-line reason, the model unchanged.
Result importObjFile(Model& model, const ObjSelection& selection,
                     const std::filesystem::path& path);

} // namespace vw
