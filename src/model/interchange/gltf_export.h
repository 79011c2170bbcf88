#pragma once
// Binary glTF 2.0 (.glb) export: one node and mesh per part, one primitive per segment, so that
// programs other than this one can show the model with its colours and its image map.

#include "model/interchange/obj_io.h"
#include "model/model.h"
#include "model/result.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace vw {

// An encoded picture for the base colour texture: PNG or JPEG bytes, the two glTF allows.
struct GltfPicture {
    std::vector<uint8_t> bytes;
    std::string mimeType; // "image/png" or "image/jpeg"
};

// "image/png" or "image/jpeg" by the picture's first bytes; empty for anything else.
std::string pictureMimeType(std::span<const uint8_t> bytes);

// Reads a PNG or JPEG file; fails with a one-line reason for any other.
Result readGltfPicture(const std::filesystem::path& file, GltfPicture& picture);

// The .glb bytes of the selected segments. Positions are in the file's orientation (y as the
// file holds it), each primitive keeps its segment's vertex order, triangles come from the
// strips wound as the Preview winds them (a segment without any is written as points), and
// colours go as COLOR_0 for segments that have a colour block. Non-finite positions and
// texture coordinates are written as 0, which glTF readers require.
std::vector<uint8_t> gltfBytes(const Model& model, const ObjSelection& selection,
                               const GltfPicture* picture);

// gltfBytes into a file, replaced atomically; fails with a one-line reason, the file unchanged.
Result exportGltfFile(const Model& model, const ObjSelection& selection, const GltfPicture* picture,
                      const std::filesystem::path& path);

} // namespace vw
