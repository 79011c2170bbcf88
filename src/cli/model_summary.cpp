#include "cli/model_summary.h"

#include "model/ebo/ebo_loader.h"

#include <sstream>

namespace vw {
namespace {

std::string counted(size_t count, const char* one, const char* many) {
    return std::to_string(count) + ' ' + (count == 1 ? one : many);
}

std::string layoutName(uint8_t result) {
    switch (result) {
    case kLoadedVersion6:
        return "version 6";
    case kLoadedDelta:
        return "delta over a base mesh";
    default:
        return "plain mesh";
    }
}

struct Counts {
    size_t segments = 0, vertices = 0, stripEntries = 0;

    void add(const Segment& segment) {
        ++segments;
        vertices += segment.verts.size();
        stripEntries += segment.strip.size();
    }
    std::string text() const {
        return counted(segments, "segment", "segments") + ", " +
               counted(vertices, "vertex", "vertices") + ", " +
               counted(stripEntries, "strip entry", "strip entries");
    }
};

} // namespace

std::string describeModel(const Model& model, uint8_t result) {
    Counts total;
    std::vector<Counts> perPart(model.Parts.size());
    for (size_t p = 0; p < model.Parts.size(); ++p) {
        for (const Segment& segment : model.Parts[p].segments) {
            perPart[p].add(segment);
            total.add(segment);
        }
    }
    std::ostringstream out;
    out << "file: " << model.modelPath << '\n'
        << "layout: " << layoutName(result) << " (fileVersion " << model.fileVersion
        << ", modelFormat " << model.modelFormat << ")\n"
        << "total: " << counted(model.Parts.size(), "part", "parts") << ", " << total.text()
        << '\n';
    for (size_t p = 0; p < model.Parts.size(); ++p) {
        out << "part " << p << ": " << perPart[p].text() << '\n';
        const auto& segments = model.Parts[p].segments;
        for (size_t s = 0; s < segments.size(); ++s) {
            out << "  segment " << s << ": "
                << counted(segments[s].verts.size(), "vertex", "vertices") << ", "
                << counted(segments[s].strip.size(), "strip entry", "strip entries") << '\n';
        }
    }
    return out.str();
}

} // namespace vw
