#include "model/interchange/obj_io.h"

#include "model/files/file_io.h"
#include "model/interchange/float_text.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string_view>

namespace vw {
namespace {

struct ObjCoords {
    std::vector<std::array<float, 3>> positions;
    std::vector<std::array<float, 2>> uvs;
    size_t uvCount = 0; // vt lines read, kept or not
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

constexpr uint32_t kSignBit = 0x80000000u;
constexpr uint32_t kExponentBits = 0x7F800000u;
constexpr uint32_t kPayloadBits = 0x007FFFFFu;
constexpr uint32_t kQuietBit = 0x00400000u;

// A float as an OBJ number. A NaN keeps its bits: its sign and its payload (the 23 bits below
// the exponent, quiet bit included) in hexadecimal, "-nan(0x400000)" for the bits 0xFFC00000,
// which C's strtod also reads as a NaN.
std::string objFloat(float value) {
    if (!std::isnan(value))
        return shortestFloat(value);
    const uint32_t bits = std::bit_cast<uint32_t>(value);
    char text[24];
    std::snprintf(text, sizeof text, "%snan(0x%x)", bits & kSignBit ? "-" : "",
                  static_cast<unsigned>(bits & kPayloadBits));
    return text;
}

// A NaN written by objFloat, or a bare "nan" (a quiet NaN), its sign already taken off; false
// for any other text starting with "nan".
bool parseNan(std::string_view word, uint32_t sign, float& value) {
    word.remove_prefix(3);
    uint32_t payload = kQuietBit;
    if (!word.empty()) {
        if (!word.starts_with("(0x") || !word.ends_with(")"))
            return false;
        const char* end = word.data() + word.size() - 1;
        const auto [ptr, error] = std::from_chars(word.data() + 3, end, payload, 16);
        if (error != std::errc{} || ptr != end || payload == 0 || payload > kPayloadBits)
            return false;
    }
    value = std::bit_cast<float>(sign | kExponentBits | payload);
    return true;
}

bool parseFloat(std::string_view word, float& value) {
    uint32_t sign = 0;
    if (!word.empty() && (word.front() == '+' || word.front() == '-')) {
        sign = word.front() == '-' ? kSignBit : 0;
        word.remove_prefix(1);
    }
    if (!word.empty() && (word.front() == '+' || word.front() == '-'))
        return false;
    if (word.starts_with("nan"))
        return parseNan(word, sign, value);
    const char* end = word.data() + word.size();
    auto [ptr, error] = std::from_chars(word.data(), end, value);
    if (error != std::errc{} || ptr != end)
        return false;
    value = std::bit_cast<float>(std::bit_cast<uint32_t>(value) | sign);
    return true;
}

// The OBJ text is read with bounds, so that an endless input (a device, a pipe) stops with an
// error instead of filling the memory: lines of at most 1 MiB, and no more v lines than wanted.
constexpr std::streamsize kLongestLine = std::streamsize{1} << 20;

// Collects the v lines (at most maxPositions) and the vt lines (keeping at most maxPositions,
// counting the rest); empty or the reason the text is not usable.
std::string parseObj(std::istream& in, size_t maxPositions, ObjCoords& coords) {
    std::vector<char> buffer(static_cast<size_t>(kLongestLine) + 2);
    for (int number = 1;; ++number) {
        in.getline(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        const std::streamsize got = in.gcount();
        if (in.bad())
            return "read error";
        if (in.fail() && !in.eof())
            return "line " + std::to_string(number) + " is longer than 1 MiB";
        if (in.fail() && got == 0)
            break;
        const size_t length = static_cast<size_t>(in.eof() ? got : got - 1);
        // Only v and vt lines are read; faces, the bulk of a modeller's file, are passed over
        // without being split into words.
        const std::string_view line(buffer.data(), length);
        const size_t first = line.find_first_not_of(" \t\r\f\v");
        if (first == std::string_view::npos || line[first] != 'v') {
            if (in.eof())
                break;
            continue;
        }
        std::vector<std::string_view> words = splitWords(line);
        if (!words.empty() && words[0] == "v") {
            std::array<float, 3> position{};
            if (words.size() < 4 || !parseFloat(words[1], position[0]) ||
                !parseFloat(words[2], position[1]) || !parseFloat(words[3], position[2]))
                return "line " + std::to_string(number) + ": a v line needs three numbers";
            if (coords.positions.size() == maxPositions)
                return "its vertex count " + std::to_string(maxPositions + 1) +
                       " differs from the selection's " + std::to_string(maxPositions) +
                       " (reading stopped at line " + std::to_string(number) + ")";
            coords.positions.push_back(position);
        } else if (!words.empty() && words[0] == "vt") {
            std::array<float, 2> uv{};
            if (words.size() < 2 || !parseFloat(words[1], uv[0]) ||
                (words.size() > 2 && !parseFloat(words[2], uv[1])))
                return "line " + std::to_string(number) + ": a vt line needs one or two numbers";
            if (coords.uvs.size() < maxPositions)
                coords.uvs.push_back(uv);
            ++coords.uvCount;
        }
        if (in.eof())
            break;
    }
    return "";
}

void writeSegmentObj(std::ostream& out, const Segment& segment, size_t firstIndex) {
    for (const Vertex& vertex : segment.verts) {
        out << "v " << objFloat(vertex.x) << ' ' << objFloat(-vertex.y) << ' ' << objFloat(vertex.z)
            << '\n';
    }
    for (const Vertex& vertex : segment.verts)
        out << "vt " << objFloat(vertex.u) << ' ' << objFloat(vertex.v) << '\n';
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

Result checkSelection(const Model& model, const ObjSelection& selection) {
    if (!selection.part)
        return selection.seg ? Result::failure("a segment needs its part") : Result();
    int part = *selection.part;
    if (part < 0 || size_t(part) >= model.Parts.size())
        return Result::failure("part " + std::to_string(part) +
                               " is not in the model (part count " +
                               std::to_string(model.Parts.size()) + ")");
    size_t segments = model.Parts[part].segments.size();
    if (selection.seg && (*selection.seg < 0 || size_t(*selection.seg) >= segments))
        return Result::failure("segment " + std::to_string(*selection.seg) + " is not in part " +
                               std::to_string(part) + " (segment count " +
                               std::to_string(segments) + ")");
    return {};
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

Result readObj(std::istream& in, Model& model, const ObjSelection& selection) {
    const size_t expected = selectedVertexCount(model, selection);
    ObjCoords coords;
    if (std::string reason = parseObj(in, expected, coords); !reason.empty())
        return Result::failure(reason);
    if (coords.positions.size() != expected)
        return Result::failure("its vertex count " + std::to_string(coords.positions.size()) +
                               " differs from the selection's " + std::to_string(expected));
    const bool withUvs = coords.uvCount == expected;
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
    return {};
}

Result exportObjFile(const Model& model, const ObjSelection& selection,
                     const std::filesystem::path& path) {
    const auto writeTo = [&](const std::filesystem::path& file) -> std::string {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        if (!out)
            return "cannot write " + path.string() + ": " + lastErrorText();
        writeObj(out, model, selection);
        out.close();
        return out ? "" : "cannot write " + path.string() + ": " + lastErrorText();
    };
    // A device, a pipe or a socket is written as it is: replacing it would put a regular file in
    // its place.
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        const std::string reason = writeTo(path);
        return reason.empty() ? Result() : Result::failure(reason);
    }
    return replaceFile(path, [&](const std::filesystem::path& file) {
        const std::string reason = writeTo(file);
        return reason.empty() ? Result() : Result::failure(reason);
    });
}

Result importObjFile(Model& model, const ObjSelection& selection,
                     const std::filesystem::path& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status) &&
        !std::filesystem::is_fifo(status))
        return Result::failure("cannot read " + path.string() + ": not a regular file or a FIFO");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return Result::failure("cannot read " + path.string() + ": " + lastErrorText());
    const Result read = readObj(in, model, selection);
    return read ? read : Result::failure(path.string() + ": " + read.reason());
}

} // namespace vw
