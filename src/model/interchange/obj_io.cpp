#include "model/interchange/obj_io.h"

#include "model/files/file_io.h"
#include "model/interchange/float_text.h"
#include "model/vertex_fields.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <span>
#include <string_view>

namespace vw {
namespace {

// The v and vt lines of one object: those after an o line, named by it, or those before any.
struct ObjObject {
    std::string name;
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

enum class FloatRead { Read, NotANumber, OutOfRange };

FloatRead parseFloat(std::string_view word, float& value) {
    uint32_t sign = 0;
    if (!word.empty() && (word.front() == '+' || word.front() == '-')) {
        sign = word.front() == '-' ? kSignBit : 0;
        word.remove_prefix(1);
    }
    if (!word.empty() && (word.front() == '+' || word.front() == '-'))
        return FloatRead::NotANumber;
    if (word.starts_with("nan"))
        return parseNan(word, sign, value) ? FloatRead::Read : FloatRead::NotANumber;
    const char* end = word.data() + word.size();
    auto [ptr, error] = std::from_chars(word.data(), end, value);
    if (ptr != end || (error != std::errc{} && error != std::errc::result_out_of_range))
        return FloatRead::NotANumber;
    if (error == std::errc::result_out_of_range)
        return FloatRead::OutOfRange;
    value = std::bit_cast<float>(std::bit_cast<uint32_t>(value) | sign);
    return FloatRead::Read;
}

// Reads words [1, 1 + values.size()) of a line into values; a number beyond a float's range is
// named as such, anything else that is not a number, or a word missing, fails as needs says.
Result readNumbers(const std::vector<std::string_view>& words, std::span<float> values, size_t line,
                   const char* needs) {
    const std::string at = "line " + std::to_string(line) + ": ";
    if (words.size() < 1 + values.size())
        return Result::failure(at + needs);
    for (size_t i = 0; i < values.size(); ++i) {
        const FloatRead read = parseFloat(words[1 + i], values[i]);
        if (read == FloatRead::OutOfRange)
            return Result::failure(at + std::string(words[1 + i]) +
                                   " is beyond the range of a 32-bit float");
        if (read == FloatRead::NotANumber)
            return Result::failure(at + needs);
    }
    return {};
}

// The OBJ text is read with bounds, so that an endless input (a device, a pipe) stops with an
// error instead of filling the memory: lines of at most 1 MiB, and no more v lines than wanted.
constexpr std::streamsize kLongestLine = std::streamsize{1} << 20;

std::string inQuotes(const std::string& name) {
    return "'" + name + "'";
}

// The text of an o line after its keyword, blanks trimmed; none for a line that is not one.
std::optional<std::string_view> objectName(std::string_view line) {
    constexpr std::string_view blanks = " \t\r\f\v";
    line.remove_prefix(std::min(line.size(), line.find_first_not_of(blanks)));
    if (!line.starts_with('o') || (line.size() > 1 && blanks.find(line[1]) == line.npos))
        return std::nullopt;
    line.remove_prefix(1);
    const size_t first = line.find_first_not_of(blanks);
    if (first == line.npos)
        return std::string_view();
    return line.substr(first, line.find_last_not_of(blanks) + 1 - first);
}

// Collects the v lines (at most maxPositions in all) and the vt lines (keeping at most
// maxPositions, counting the rest) of each object (at most maxObjects named ones); objects[0]
// takes those before any o line.
Result parseObj(std::istream& in, size_t maxPositions, size_t maxObjects,
                std::vector<ObjObject>& objects) {
    std::vector<char> buffer(static_cast<size_t>(kLongestLine) + 2);
    objects.assign(1, ObjObject{});
    size_t positions = 0, uvs = 0;
    for (int number = 1;; ++number) {
        in.getline(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        const std::streamsize got = in.gcount();
        if (in.bad())
            return Result::failure("read error");
        if (in.fail() && !in.eof())
            return Result::failure("line " + std::to_string(number) + " is longer than 1 MiB");
        if (in.fail() && got == 0)
            break;
        const size_t length = static_cast<size_t>(in.eof() ? got : got - 1);
        // Only o, v and vt lines are read; faces, the bulk of a modeller's file, are passed over
        // without being split into words.
        const std::string_view line(buffer.data(), length);
        const size_t first = line.find_first_not_of(" \t\r\f\v");
        if (first == std::string_view::npos || (line[first] != 'v' && line[first] != 'o')) {
            if (in.eof())
                break;
            continue;
        }
        if (const std::optional<std::string_view> name = objectName(line)) {
            if (objects.size() > maxObjects)
                return Result::failure(
                    "it has more objects than the selection's " + std::to_string(maxObjects) +
                    " segments (reading stopped at line " + std::to_string(number) + ")");
            objects.push_back({std::string(*name), {}, {}, 0});
        }
        ObjObject& object = objects.back();
        std::vector<std::string_view> words = splitWords(line);
        if (!words.empty() && words[0] == "v") {
            std::array<float, 3> position{};
            if (Result read = readNumbers(words, position, number, "a v line needs three numbers");
                !read)
                return read;
            if (positions == maxPositions)
                return Result::failure(
                    (object.name.empty() ? "" : "object " + inQuotes(object.name) + ": ") +
                    "its vertex count " + std::to_string(maxPositions + 1) +
                    " differs from the selection's " + std::to_string(maxPositions) +
                    " (reading stopped at line " + std::to_string(number) + ")");
            object.positions.push_back(position);
            ++positions;
        } else if (!words.empty() && words[0] == "vt") {
            std::array<float, 2> uv{};
            const size_t given = words.size() > 2 ? 2 : 1;
            if (Result read = readNumbers(words, std::span<float>(uv.data(), given), number,
                                          "a vt line needs one or two numbers");
                !read)
                return read;
            if (uvs < maxPositions) {
                object.uvs.push_back(uv);
                ++uvs;
            }
            ++object.uvCount;
        }
        if (in.eof())
            break;
    }
    return {};
}

// The v and vt lines of every object, in the file's order, as one object.
ObjObject joined(const std::vector<ObjObject>& objects) {
    ObjObject all;
    for (const ObjObject& object : objects) {
        all.positions.insert(all.positions.end(), object.positions.begin(), object.positions.end());
        all.uvs.insert(all.uvs.end(), object.uvs.begin(), object.uvs.end());
        all.uvCount += object.uvCount;
    }
    return all;
}

// The segment's values with positions (and texture coordinates) from the object, from its
// vertex first on.
SegmentValues valuesFrom(const Model& model, int part, int seg, const ObjObject& object,
                         size_t first, bool withUvs) {
    SegmentValues values{{part, seg}, model.Parts[size_t(part)].segments[size_t(seg)].verts};
    for (Vertex& vertex : values.verts) {
        const auto& position = object.positions[first];
        vertex.x = position[0];
        vertex.y = -position[1];
        vertex.z = position[2];
        if (withUvs) {
            vertex.u = object.uvs[first][0];
            vertex.v = object.uvs[first][1];
        }
        ++first;
    }
    return values;
}

Result valuesInOrder(const Model& model, const ObjSelection& selection, const ObjObject& object,
                     ValueWrite& values) {
    const size_t expected = selectedVertexCount(model, selection);
    if (object.positions.size() != expected)
        return Result::failure("its vertex count " + std::to_string(object.positions.size()) +
                               " differs from the selection's " + std::to_string(expected));
    const bool withUvs = object.uvCount == expected;
    size_t next = 0;
    for (auto [p, s] : selectedSegments(model, selection)) {
        values.segments.push_back(valuesFrom(model, p, s, object, next, withUvs));
        next += values.segments.back().verts.size();
    }
    values.fieldsIfKept = withUvs ? kTextureFields : 0;
    return {};
}

// Every object must name a selected segment, once, with its vertex count, and every selected
// segment must have its object.
Result valuesByName(const Model& model, const ObjSelection& selection,
                    const std::vector<ObjObject>& objects, ValueWrite& values) {
    std::map<std::string, SegmentRef> unmatched;
    for (auto [p, s] : selectedSegments(model, selection))
        unmatched[objName(p, s)] = {p, s};
    std::vector<SegmentRef> targets;
    bool withUvs = true;
    for (const ObjObject& object : objects) {
        if (object.name.empty())
            return Result::failure("the file names some objects and not others");
        const auto found = unmatched.find(object.name);
        if (found == unmatched.end()) {
            const bool twice = std::any_of(targets.begin(), targets.end(), [&](SegmentRef ref) {
                return objName(ref.part, ref.seg) == object.name;
            });
            return Result::failure(
                "object " + inQuotes(object.name) +
                (twice ? " comes twice" : " matches no segment of the selection"));
        }
        const SegmentRef ref = found->second;
        const size_t count = model.Parts[size_t(ref.part)].segments[size_t(ref.seg)].verts.size();
        if (object.positions.size() != count)
            return Result::failure("object " + inQuotes(object.name) + " has " +
                                   std::to_string(object.positions.size()) +
                                   " vertices, its segment " + std::to_string(count));
        // The vt lines kept are capped over the whole file: stray ones before this object may
        // have used up what it needed.
        withUvs = withUvs && object.uvCount == count && object.uvs.size() == count;
        targets.push_back(ref);
        unmatched.erase(found);
    }
    if (!unmatched.empty())
        return Result::failure("the file has no object " + inQuotes(unmatched.begin()->first));
    for (size_t i = 0; i < objects.size(); ++i)
        values.segments.push_back(
            valuesFrom(model, targets[i].part, targets[i].seg, objects[i], 0, withUvs));
    values.fieldsIfKept = withUvs ? kTextureFields : 0;
    return {};
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
        out << "o " << objName(p, s) << '\n';
        writeSegmentObj(out, segment, firstIndex);
        firstIndex += segment.verts.size();
    }
}

std::string objName(int part, int seg) {
    return "part" + std::to_string(part) + "_seg" + std::to_string(seg);
}

Result readObjValues(std::istream& in, const Model& model, const ObjSelection& selection,
                     ValueWrite& values) {
    std::vector<ObjObject> objects;
    const size_t segments = selectedSegments(model, selection).size();
    if (Result parsed = parseObj(in, selectedVertexCount(model, selection), segments, objects);
        !parsed)
        return parsed;
    // Vertices before the first o line belong to no object; a named file has none.
    if (objects.size() > 1 && objects.front().positions.empty())
        objects.erase(objects.begin());
    values = ValueWrite{kPositionFields, 0, {}};
    const bool named = std::any_of(objects.begin(), objects.end(),
                                   [](const ObjObject& object) { return !object.name.empty(); });
    return named ? valuesByName(model, selection, objects, values)
                 : valuesInOrder(model, selection, joined(objects), values);
}

Result exportObjFile(const Model& model, const ObjSelection& selection,
                     const std::filesystem::path& path) {
    return writeExport(path, [&](const std::filesystem::path& file) {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        if (out) {
            writeObj(out, model, selection);
            out.close();
        }
        return out ? Result()
                   : Result::failure("cannot write " + path.string() + ": " + lastErrorText());
    });
}

Result readObjFile(const Model& model, const ObjSelection& selection,
                   const std::filesystem::path& path, ValueWrite& values) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status) &&
        !std::filesystem::is_fifo(status))
        return Result::failure("cannot read " + path.string() + ": not a regular file or a FIFO");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return Result::failure("cannot read " + path.string() + ": " + lastErrorText());
    const Result read = readObjValues(in, model, selection, values);
    return read ? read : Result::failure(path.string() + ": " + read.reason());
}

} // namespace vw
