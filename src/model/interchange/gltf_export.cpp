#include "model/interchange/gltf_export.h"

#include "model/files/file_io.h"
#include "model/interchange/float_text.h"
#include "model/strip_walk.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace vw {
namespace {

constexpr uint32_t kGlbMagic = 0x46546C67; // "glTF"
constexpr uint32_t kGlbVersion = 2;
constexpr uint32_t kJsonChunk = 0x4E4F534A; // "JSON"
constexpr uint32_t kBinChunk = 0x004E4942;  // "BIN\0"
constexpr int kUnsignedByte = 5121;
constexpr int kUnsignedShort = 5123;
constexpr int kUnsignedInt = 5125;
constexpr int kFloat = 5126;
constexpr int kArrayBuffer = 34962;
constexpr int kElementArrayBuffer = 34963;
constexpr int kModePoints = 0;
constexpr int kModeTriangles = 4;

float finiteOrZero(float value) {
    return std::isfinite(value) ? value : 0.0f;
}

std::string floatList(const float* values, size_t count) {
    std::string text = "[";
    for (size_t i = 0; i < count; ++i) {
        text += i ? "," : "";
        text += shortestFloat(values[i]);
    }
    return text + "]";
}

std::string joined(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) {
        text += text.empty() ? "" : ",";
        text += item;
    }
    return text;
}

// The binary chunk and the buffer views and accessors that point into it.
class GlbBuilder {
public:
    // Appends bytes as a buffer view of their own on a 4-byte boundary; target 0 names none.
    int addView(const void* data, size_t bytes, int target) {
        const size_t offset = m_bin.size();
        m_bin.resize(offset + (bytes + 3) / 4 * 4);
        std::memcpy(m_bin.data() + offset, data, bytes);
        std::string view = "{\"buffer\":0,\"byteOffset\":" + std::to_string(offset) +
                           ",\"byteLength\":" + std::to_string(bytes);
        if (target)
            view += ",\"target\":" + std::to_string(target);
        m_views.push_back(view + "}");
        return int(m_views.size()) - 1;
    }

    // extra: further members, such as bounds or normalisation, each with a leading comma.
    int addAccessor(int view, int componentType, size_t count, const char* type,
                    const std::string& extra = {}) {
        m_accessors.push_back("{\"bufferView\":" + std::to_string(view) +
                              ",\"componentType\":" + std::to_string(componentType) +
                              ",\"count\":" + std::to_string(count) + ",\"type\":\"" + type + "\"" +
                              extra + "}");
        return int(m_accessors.size()) - 1;
    }

    template <typename T>
    int addArray(const std::vector<T>& values, int target, int componentType, size_t count,
                 const char* type, const std::string& extra = {}) {
        return addAccessor(addView(values.data(), values.size() * sizeof(T), target), componentType,
                           count, type, extra);
    }

    // The buffers, bufferViews and accessors members, each with a leading comma; none when
    // empty, as glTF allows no empty list.
    std::string members() const {
        if (m_bin.empty())
            return "";
        return ",\"buffers\":[{\"byteLength\":" + std::to_string(m_bin.size()) +
               "}],\"bufferViews\":[" + joined(m_views) + "],\"accessors\":[" +
               joined(m_accessors) + "]";
    }

    const std::vector<uint8_t>& bin() const { return m_bin; }

private:
    std::vector<uint8_t> m_bin;
    std::vector<std::string> m_views;
    std::vector<std::string> m_accessors;
};

// Positions in the file's orientation, with the bounds glTF requires of them.
int addPositions(GlbBuilder& glb, const std::vector<Vertex>& verts) {
    std::vector<float> values;
    values.reserve(verts.size() * 3);
    float low[3], high[3];
    std::fill(low, low + 3, std::numeric_limits<float>::max());
    std::fill(high, high + 3, std::numeric_limits<float>::lowest());
    for (const Vertex& vertex : verts) {
        const float xyz[3] = {finiteOrZero(vertex.x), finiteOrZero(-vertex.y),
                              finiteOrZero(vertex.z)};
        for (int axis = 0; axis < 3; ++axis) {
            values.push_back(xyz[axis]);
            low[axis] = std::min(low[axis], xyz[axis]);
            high[axis] = std::max(high[axis], xyz[axis]);
        }
    }
    return glb.addArray(values, kArrayBuffer, kFloat, verts.size(), "VEC3",
                        ",\"min\":" + floatList(low, 3) + ",\"max\":" + floatList(high, 3));
}

int addTextureCoordinates(GlbBuilder& glb, const std::vector<Vertex>& verts) {
    std::vector<float> values;
    values.reserve(verts.size() * 2);
    for (const Vertex& vertex : verts)
        values.insert(values.end(), {finiteOrZero(vertex.u), finiteOrZero(vertex.v)});
    return glb.addArray(values, kArrayBuffer, kFloat, verts.size(), "VEC2");
}

int addColours(GlbBuilder& glb, const std::vector<Vertex>& verts) {
    std::vector<uint8_t> values;
    values.reserve(verts.size() * 4);
    for (const Vertex& vertex : verts)
        values.insert(values.end(), {vertex.red, vertex.green, vertex.blue, vertex.alpha});
    return glb.addArray(values, kArrayBuffer, kUnsignedByte, verts.size(), "VEC4",
                        ",\"normalized\":true");
}

// The strip's triangles, every second one turned round as the Preview turns it; -1 for none.
int addTriangles(GlbBuilder& glb, const Segment& segment) {
    std::vector<uint32_t> indices;
    forEachStripTriangle(segment.strip, segment.verts.size(),
                         [&indices](size_t k, uint32_t i0, uint32_t i1, uint32_t i2, bool) {
                             if (k % 2 == 0)
                                 indices.insert(indices.end(), {i0, i1, i2});
                             else
                                 indices.insert(indices.end(), {i1, i0, i2});
                         });
    if (indices.empty())
        return -1;
    if (segment.verts.size() > 0x10000)
        return glb.addArray(indices, kElementArrayBuffer, kUnsignedInt, indices.size(), "SCALAR");
    const std::vector<uint16_t> shortIndices(indices.begin(), indices.end());
    return glb.addArray(shortIndices, kElementArrayBuffer, kUnsignedShort, indices.size(),
                        "SCALAR");
}

// One segment as a primitive; empty for a segment without vertices, which glTF cannot hold.
std::string primitive(GlbBuilder& glb, const Segment& segment, const std::string& name) {
    if (segment.verts.empty())
        return "";
    std::string attributes =
        "\"POSITION\":" + std::to_string(addPositions(glb, segment.verts)) +
        ",\"TEXCOORD_0\":" + std::to_string(addTextureCoordinates(glb, segment.verts));
    if (segment.colorBlockAt != 0)
        attributes += ",\"COLOR_0\":" + std::to_string(addColours(glb, segment.verts));
    const int indices = addTriangles(glb, segment);
    std::string text = "{\"attributes\":{" + attributes + "}";
    if (indices >= 0)
        text += ",\"indices\":" + std::to_string(indices);
    return text + ",\"mode\":" + std::to_string(indices >= 0 ? kModeTriangles : kModePoints) +
           ",\"material\":0,\"extras\":{\"name\":\"" + name + "\"}}";
}

// Texture members (with a leading comma) of the picture, stored in the binary chunk.
std::string textureMembers(GlbBuilder& glb, const GltfPicture& picture) {
    const int view = glb.addView(picture.bytes.data(), picture.bytes.size(), 0);
    return ",\"images\":[{\"bufferView\":" + std::to_string(view) + ",\"mimeType\":\"" +
           picture.mimeType + "\"}],\"samplers\":[{\"wrapS\":10497,\"wrapT\":10497}]," +
           "\"textures\":[{\"sampler\":0,\"source\":0}]";
}

// Both sides are drawn, as the Preview draws them; colour comes from the vertices (and the
// picture), unlit by metal.
std::string materialMember(bool textured) {
    return ",\"materials\":[{\"name\":\"Vertwright\",\"pbrMetallicRoughness\":{" +
           std::string(textured ? "\"baseColorTexture\":{\"index\":0}," : "") +
           "\"metallicFactor\":0,\"roughnessFactor\":1},\"doubleSided\":true}]";
}

std::string modelJson(GlbBuilder& glb, const Model& model, const ObjSelection& selection,
                      const GltfPicture* picture) {
    std::vector<std::string> nodes, meshes;
    int lastPart = -1;
    std::vector<std::string> primitives;
    const auto closePart = [&] {
        if (lastPart < 0)
            return;
        const std::string name = "Part" + std::to_string(lastPart);
        std::string node = "{\"name\":\"" + name + "\"";
        if (!primitives.empty()) {
            node += ",\"mesh\":" + std::to_string(meshes.size());
            meshes.push_back("{\"name\":\"" + name + "\",\"primitives\":[" + joined(primitives) +
                             "]}");
        }
        nodes.push_back(node + "}");
        primitives.clear();
    };
    for (auto [p, s] : selectedSegments(model, selection)) {
        if (p != lastPart) {
            closePart();
            lastPart = p;
        }
        const std::string name = "Part" + std::to_string(p) + "/Seg" + std::to_string(s);
        if (std::string text = primitive(glb, model.Parts[p].segments[s], name); !text.empty())
            primitives.push_back(std::move(text));
    }
    closePart();
    std::string json =
        "{\"asset\":{\"version\":\"2.0\",\"generator\":\"Vertwright " VW_VERSION "\"}";
    if (!nodes.empty()) {
        std::string roots;
        for (size_t i = 0; i < nodes.size(); ++i) {
            roots += i ? "," : "";
            roots += std::to_string(i);
        }
        json += ",\"scene\":0,\"scenes\":[{\"nodes\":[" + roots + "]}],\"nodes\":[" +
                joined(nodes) + "]";
    }
    if (!meshes.empty())
        json += ",\"meshes\":[" + joined(meshes) + "]" + materialMember(picture != nullptr);
    if (picture && !meshes.empty())
        json += textureMembers(glb, *picture);
    return json + glb.members() + "}";
}

void appendWord(std::vector<uint8_t>& out, uint32_t word) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(uint8_t(word >> shift));
}

} // namespace

std::string pictureMimeType(std::span<const uint8_t> bytes) {
    static constexpr uint8_t kPng[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    static constexpr uint8_t kJpeg[] = {0xFF, 0xD8, 0xFF};
    if (bytes.size() >= sizeof kPng && std::equal(kPng, kPng + sizeof kPng, bytes.begin()))
        return "image/png";
    if (bytes.size() >= sizeof kJpeg && std::equal(kJpeg, kJpeg + sizeof kJpeg, bytes.begin()))
        return "image/jpeg";
    return "";
}

Result readGltfPicture(const std::filesystem::path& file, GltfPicture& picture) {
    FileBytes read;
    if (const Result got = readBytesOf(file, read); !got)
        return Result::failure("cannot read " + file.string() + ": " + got.reason());
    const std::string mimeType = pictureMimeType(read.bytes());
    if (mimeType.empty())
        return Result::failure(file.string() + " is not a PNG or JPEG picture");
    picture.bytes.assign(read.bytes().begin(), read.bytes().end());
    picture.mimeType = mimeType;
    return {};
}

std::vector<uint8_t> gltfBytes(const Model& model, const ObjSelection& selection,
                               const GltfPicture* picture) {
    GlbBuilder glb;
    std::string json = modelJson(glb, model, selection, picture);
    json.resize((json.size() + 3) / 4 * 4, ' ');
    const std::vector<uint8_t>& bin = glb.bin();
    std::vector<uint8_t> out;
    const size_t total = 12 + 8 + json.size() + (bin.empty() ? 0 : 8 + bin.size());
    out.reserve(total);
    appendWord(out, kGlbMagic);
    appendWord(out, kGlbVersion);
    appendWord(out, uint32_t(total));
    appendWord(out, uint32_t(json.size()));
    appendWord(out, kJsonChunk);
    out.insert(out.end(), json.begin(), json.end());
    if (!bin.empty()) {
        appendWord(out, uint32_t(bin.size()));
        appendWord(out, kBinChunk);
        out.insert(out.end(), bin.begin(), bin.end());
    }
    return out;
}

Result exportGltfFile(const Model& model, const ObjSelection& selection, const GltfPicture* picture,
                      const std::filesystem::path& path) {
    const std::vector<uint8_t> bytes = gltfBytes(model, selection, picture);
    return writeExportBytes(path, bytes);
}

} // namespace vw
