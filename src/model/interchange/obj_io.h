#pragma once
// Wavefront OBJ export and import of the model's vertices, in the file's orientation.

#include "model/model.h"
#include "model/result.h"
#include "model/segment_values.h"

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

// The name writeObj gives a segment's object: "part1_seg0".
std::string objName(int part, int seg);

// Writes per selected segment an object (o objName) with a v line (y negated back to the file's
// value) and a vt line per vertex, then its faces.
void writeObj(std::ostream& out, const Model& model, const ObjSelection& selection);

// The selected segments' new values from OBJ text: positions from the v lines (y negated) and,
// when every object has as many vt lines as v lines, texture coordinates where the file keeps
// them. Objects named as writeObj names them are matched to segments by name, whatever their
// order; a file without o lines is read in model order. Fails with a one-line reason (an object
// name that matches no selected segment, or a vertex count that differs, names the object).
Result readObjValues(std::istream& in, const Model& model, const ObjSelection& selection,
                     ValueWrite& values);

// writeObj into a file, replaced atomically; fails with a one-line reason, the file unchanged.
Result exportObjFile(const Model& model, const ObjSelection& selection,
                     const std::filesystem::path& path);

// readObjValues from a file; the reason names the file.
Result readObjFile(const Model& model, const ObjSelection& selection,
                   const std::filesystem::path& path, ValueWrite& values);

} // namespace vw
