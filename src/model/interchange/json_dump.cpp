#include "model/interchange/json_dump.h"

#include "model/ebo/ebo_loader.h"

#include <cmath>

namespace vw {
namespace {

template <typename Range, typename Write>
void writeList(std::ostream& out, const Range& items, Write write) {
    out << '[';
    bool first = true;
    for (const auto& item : items) {
        if (!first)
            out << ", ";
        first = false;
        write(item);
    }
    out << ']';
}

void writeVertex(std::ostream& out, const Vertex& vertex) {
    out << "{\"x\": " << jsonFloat(vertex.x) << ", \"y\": " << jsonFloat(vertex.y)
        << ", \"z\": " << jsonFloat(vertex.z) << ", \"u\": " << jsonFloat(vertex.u)
        << ", \"v\": " << jsonFloat(vertex.v) << ", \"red\": " << int(vertex.red)
        << ", \"green\": " << int(vertex.green) << ", \"blue\": " << int(vertex.blue)
        << ", \"alpha\": " << int(vertex.alpha) << '}';
}

void writeSegment(std::ostream& out, const Segment& segment) {
    out << "{\"posBlockAt\": " << segment.posBlockAt << ", \"uvBlockAt\": " << segment.uvBlockAt
        << ", \"colorBlockAt\": " << segment.colorBlockAt
        << ", \"stripBlockAt\": " << segment.stripBlockAt << ", \"verts\": ";
    writeList(out, segment.verts, [&](const Vertex& vertex) { writeVertex(out, vertex); });
    out << ", \"strip\": ";
    writeList(out, segment.strip, [&](int16_t index) { out << index; });
    out << '}';
}

void writeBaseMesh(std::ostream& out, const BaseMesh& mesh) {
    out << "{\"basePos\": ";
    writeList(out, mesh.basePos, [&](float value) { out << jsonFloat(value); });
    out << ", \"deltaSlot\": ";
    writeList(out, mesh.deltaSlot, [&](int16_t slot) { out << slot; });
    out << '}';
}

} // namespace

std::string jsonFloat(float value) {
    std::string text = shortestFloat(value);
    return std::isfinite(value) ? text : '"' + text + '"';
}

void writeModelJson(std::ostream& out, const Model& model, uint8_t result) {
    out << "{\"result\": " << int(result) << ", \"fileVersion\": " << model.fileVersion
        << ", \"modelFormat\": " << model.modelFormat << ", \"parts\": ";
    writeList(out, model.Parts, [&](const Part& part) {
        out << "{\"segments\": ";
        writeList(out, part.segments, [&](const Segment& segment) { writeSegment(out, segment); });
        out << '}';
    });
    if (result == kLoadedDelta) {
        out << ", \"baseMeshes\": ";
        writeList(out, model.baseMeshes, [&](const BaseMesh& mesh) { writeBaseMesh(out, mesh); });
    }
    out << "}\n";
}

} // namespace vw
