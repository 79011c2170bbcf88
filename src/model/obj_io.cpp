#include "model/obj_io.h"

#include "model/file_io.h"
#include "model/float_text.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <string_view>

namespace vw {
namespace {

struct ObjCoords {
    std::vector<std::array<float, 3>> positions;
    std::vector<std::array<float, 2>> uvs;
};

size_t selectedVertexCount(const Model& model, const ObjSelection& selection) {
    size_t count = 0;
    for (auto [p, s] : selectedSegments(model, selection))
        count += model.Parts[p].segments[s].verts.size();
    return count;
}

std::vector<std::string_view> splitWords(std::string_view line) {
    std::vector<std::string_view> words;
    constexpr std::string_view blanks = " \t\r\f\v";
    size_t start = line.find_first_not_of(blanks);
    while (start != std::string_view::npos) {
        size_t end = std::min(line.find_first_of(blanks, start), line.size());
        words.push_back(line.substr(start, end - start));
        start = line.find_first_not_of(blanks, end);
    }
    return words;
}

bool parseFloat(std::string_view word, float& value) {
    if (!word.empty() && word.front() == '+')
        word.remove_prefix(1);
    const char* end = word.data() + word.size();
    auto [ptr, error] = std::from_chars(word.data(), end, value);
    return error == std::errc{} && ptr == end;
}

// Collects the v and vt lines; empty or the reason the text is not usable.
std::string parseObj(std::istream& in, ObjCoords& coords) {
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        std::vector<std::string_view> words = splitWords(line);
        if (words.empty())
            continue;
        if (words[0] == "v") {
            std::array<float, 3> position{};
            if (words.size() < 4 || !parseFloat(words[1], position[0]) ||
                !parseFloat(words[2], position[1]) || !parseFloat(words[3], position[2]))
                return "line " + std::to_string(number) + ": a v line needs three numbers";
            coords.positions.push_back(position);
        } else if (words[0] == "vt") {
            std::array<float, 2> uv{};
            if (words.size() < 2 || !parseFloat(words[1], uv[0]) ||
                (words.size() > 2 && !parseFloat(words[2], uv[1])))
                return "line " + std::to_string(number) + ": a vt line needs one or two numbers";
            coords.uvs.push_back(uv);
        }
    }
    return in.bad() ? "read error" : "";
}

void writeSegmentObj(std::ostream& out, const Segment& segment, size_t firstIndex) {
    for (const Vertex& vertex : segment.verts) {
        out << "v " << shortestFloat(vertex.x) << ' ' << shortestFloat(-vertex.y) << ' '
            << shortestFloat(vertex.z) << '\n';
    }
    for (const Vertex& vertex : segment.verts)
        out << "vt " << shortestFloat(vertex.u) << ' ' << shortestFloat(vertex.v) << '\n';
    for (const auto& triangle : stripTriangles(segment.strip, segment.verts.size())) {
        out << 'f';
        for (int index : triangle) {
            size_t objIndex = firstIndex + index + 1;
            out << ' ' << objIndex << '/' << objIndex;
        }
        out << '\n';
    }
}

} // namespace

std::string checkSelection(const Model& model, const ObjSelection& selection) {
    if (!selection.part)
        return selection.seg ? "a segment needs its part" : "";
    int part = *selection.part;
    if (part < 0 || size_t(part) >= model.Parts.size())
        return "part " + std::to_string(part) + " is not in the model (part count " +
               std::to_string(model.Parts.size()) + ")";
    size_t segments = model.Parts[part].segments.size();
    if (selection.seg && (*selection.seg < 0 || size_t(*selection.seg) >= segments))
        return "segment " + std::to_string(*selection.seg) + " is not in part " +
               std::to_string(part) + " (segment count " + std::to_string(segments) + ")";
    return "";
}

std::vector<std::pair<int, int>> selectedSegments(const Model& model,
                                                  const ObjSelection& selection) {
    std::vector<std::pair<int, int>> chosen;
    for (int p = 0; p < int(model.Parts.size()); ++p) {
        if (selection.part && *selection.part != p)
            continue;
        for (int s = 0; s < int(model.Parts[p].segments.size()); ++s) {
            if (!selection.seg || *selection.seg == s)
                chosen.emplace_back(p, s);
        }
    }
    return chosen;
}

std::vector<std::array<int, 3>> stripTriangles(const std::vector<int16_t>& strip,
                                               size_t vertexCount) {
    std::vector<std::array<int, 3>> triangles;
    for (size_t i = 0; i + 2 < strip.size(); ++i) {
        int a = strip[i], b = strip[i + 1], c = strip[i + 2];
        bool outside = a < 0 || b < 0 || c < 0 || size_t(a) >= vertexCount ||
                       size_t(b) >= vertexCount || size_t(c) >= vertexCount;
        if (outside || a == b || b == c || a == c)
            continue;
        if (i % 2 == 0)
            triangles.push_back({a, b, c});
        else
            triangles.push_back({b, a, c});
    }
    return triangles;
}

void writeObj(std::ostream& out, const Model& model, const ObjSelection& selection) {
    size_t firstIndex = 0;
    for (auto [p, s] : selectedSegments(model, selection)) {
        const Segment& segment = model.Parts[p].segments[s];
        out << "o part" << p << "_seg" << s << '\n';
        writeSegmentObj(out, segment, firstIndex);
        firstIndex += segment.verts.size();
    }
}

std::string readObj(std::istream& in, Model& model, const ObjSelection& selection) {
    ObjCoords coords;
    if (std::string reason = parseObj(in, coords); !reason.empty())
        return reason;
    size_t expected = selectedVertexCount(model, selection);
    if (coords.positions.size() != expected)
        return "its vertex count " + std::to_string(coords.positions.size()) +
               " differs from the selection's " + std::to_string(expected);
    bool withUvs = coords.uvs.size() == expected;
    size_t next = 0;
    for (auto [p, s] : selectedSegments(model, selection)) {
        for (Vertex& vertex : model.Parts[p].segments[s].verts) {
            const auto& position = coords.positions[next];
            vertex.x = position[0];
            vertex.y = -position[1];
            vertex.z = position[2];
            if (withUvs) {
                vertex.u = coords.uvs[next][0];
                vertex.v = coords.uvs[next][1];
            }
            ++next;
        }
    }
    return "";
}

std::string exportObjFile(const Model& model, const ObjSelection& selection,
                          const std::filesystem::path& path) {
    return replaceFile(path, [&](const std::filesystem::path& temporary) -> std::string {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out)
            return "cannot write " + path.string() + ": " + lastErrorText();
        writeObj(out, model, selection);
        out.close();
        return out ? "" : "cannot write " + path.string() + ": " + lastErrorText();
    });
}

std::string importObjFile(Model& model, const ObjSelection& selection,
                          const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return "cannot read " + path.string() + ": " + lastErrorText();
    std::string reason = readObj(in, model, selection);
    return reason.empty() ? "" : path.string() + ": " + reason;
}

} // namespace vw
