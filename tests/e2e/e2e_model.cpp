// The end-to-end test's helper: writes the test model, finds the working vertices' marks on a
// screenshot of the editor, and checks the saved file against the original.
//
//   vertwright_e2e_model make MODEL.ebo
//   vertwright_e2e_model locate SHOT.png       -> "left top right bottom centreX centreY"
//   vertwright_e2e_model locate-selected SHOT.png -> the same for the nine selected marks
//   vertwright_e2e_model selected SHOT.png     -> the number of selected marks
//   vertwright_e2e_model check ORIGINAL SAVED DX DY
//   vertwright_e2e_model check-part ORIGINAL SAVED DX DY   (every segment of part 0 moved)

#include "model/ebo/ebo_loader.h"
#include "support/ebo_builder.h"
#include "support/temp_dir.h"

#include <QImage>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

namespace {

using vw::test::FileVertex;
using vw::test::SegmentPlan;

constexpr int kSegmentSide = 3;
constexpr int kMarksPerSegment = kSegmentSide * kSegmentSide;
constexpr float kSpacing = 1.5f; // model units between marks: 10 pixels at zoom 100

SegmentPlan squareSegment(float left) {
    SegmentPlan segment;
    for (int r = 0; r < kSegmentSide; ++r)
        for (int c = 0; c < kSegmentSide; ++c) {
            FileVertex v;
            v.x = left + kSpacing * c;
            v.y = kSpacing * (r - 1);
            v.z = 0.5f * (c + r);
            v.u = 0.25f * c;
            v.v = 0.25f * r;
            v.red = static_cast<uint8_t>(40 * c + 1);
            v.green = static_cast<uint8_t>(40 * r + 2);
            v.blue = 3;
            v.alpha = 200;
            segment.verts.push_back(v);
        }
    segment.strip = {0, 3, 1, 4, 2, 5, 5, 3, 3, 6, 4, 7, 5, 8};
    return segment;
}

// Part 0, the working data after the load: segment 0 on the left, segment 1 on the right.
// Part 1 lies in the background only.
int make(const std::string& out) {
    vw::test::EboPlan description;
    description.parts.resize(2);
    description.parts[0].segments = {squareSegment(-6), squareSegment(3)};
    description.parts[1].segments = {squareSegment(-1.5f)};
    vw::test::writeEbo(vw::test::buildEbo(description), out, ".");
    return 0;
}

struct Mark {
    int left, top, right, bottom;
    int centreX() const { return (left + right + 1) / 2; }
    int centreY() const { return (top + bottom + 1) / 2; }
};

// Unselected marks are 4-pixel squares outlined in RGB(240, 0, 0) around RGB(240, 240, 240);
// selected ones are filled with RGB(250, 0, 0). Both colours are exact on screen.
std::vector<Mark> findMarks(const QImage& shot, QRgb colour) {
    const int w = shot.width(), h = shot.height();
    std::vector<char> seen(size_t(w) * h, 0);
    std::vector<Mark> marks;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (seen[size_t(y) * w + x] || shot.pixel(x, y) != colour)
                continue;
            Mark mark{x, y, x, y};
            std::vector<std::pair<int, int>> pending{{x, y}};
            seen[size_t(y) * w + x] = 1;
            while (!pending.empty()) {
                const auto [px, py] = pending.back();
                pending.pop_back();
                mark = {std::min(mark.left, px), std::min(mark.top, py), std::max(mark.right, px),
                        std::max(mark.bottom, py)};
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = px + dx, ny = py + dy;
                        if (nx < 0 || ny < 0 || nx >= w || ny >= h || seen[size_t(ny) * w + nx] ||
                            shot.pixel(nx, ny) != colour)
                            continue;
                        seen[size_t(ny) * w + nx] = 1;
                        pending.push_back({nx, ny});
                    }
            }
            const int width = mark.right - mark.left + 1, height = mark.bottom - mark.top + 1;
            if (width >= 3 && width <= 6 && height >= 3 && height <= 6)
                marks.push_back(mark);
        }
    return marks;
}

QImage loadShot(const std::string& file) {
    QImage shot(QString::fromStdString(file));
    if (shot.isNull()) {
        std::cerr << "cannot read the screenshot " << file << "\n";
        std::exit(1);
    }
    return shot.convertToFormat(QImage::Format_RGB32);
}

// The box around segment 0's marks (the left-most nine), padded to half the spacing, and
// its centre. Exit 2 while the marks are not all on screen yet. With selected, the marks are
// the nine selected ones.
int locate(const std::string& file, bool selected) {
    const size_t expected = selected ? kMarksPerSegment : 2 * kMarksPerSegment;
    std::vector<Mark> marks =
        findMarks(loadShot(file), selected ? qRgb(250, 0, 0) : qRgb(240, 0, 0));
    if (marks.size() != expected) {
        std::cerr << "found " << marks.size() << " marks, expected " << expected << "\n";
        return 2;
    }
    std::sort(marks.begin(), marks.end(),
              [](const Mark& a, const Mark& b) { return a.centreX() < b.centreX(); });
    marks.resize(kMarksPerSegment);
    int left = marks[0].left, top = marks[0].top, right = marks[0].right, bottom = marks[0].bottom;
    for (const Mark& m : marks) {
        left = std::min(left, m.left);
        top = std::min(top, m.top);
        right = std::max(right, m.right);
        bottom = std::max(bottom, m.bottom);
    }
    constexpr int pad = 4;
    std::printf("%d %d %d %d %d %d\n", left - pad, top - pad, right + pad, bottom + pad,
                (left + right) / 2, (top + bottom) / 2);
    return 0;
}

int selected(const std::string& file) {
    std::printf("%zu\n", findMarks(loadShot(file), qRgb(250, 0, 0)).size());
    return 0;
}

bool load(vw::Model& model, const std::string& file, const vw::test::TempDir& scratch,
          const char* copy) {
    if (vw::loadModel(model, file, {scratch.path(), scratch / copy}) != vw::kLoadFailed)
        return true;
    std::cerr << "cannot load " << file << "\n";
    return false;
}

bool near(float a, float b) {
    return std::fabs(a - b) < 1e-4f;
}

// Segment 0 of part 0 moved by (dx, dy) model units, nothing else changed in the model, and
// no byte outside that segment's position block differs.
// With wholePart, every segment of part 0 moved, and only their position blocks may differ.
int check(const std::string& original, const std::string& saved, float dx, float dy,
          bool wholePart) {
    vw::test::TempDir scratch;
    vw::Model before, after;
    if (!load(before, original, scratch, "a.tmp") || !load(after, saved, scratch, "b.tmp"))
        return 1;
    int faults = 0;
    auto fault = [&](const std::string& what) {
        std::cerr << what << "\n";
        ++faults;
    };
    if (after.Parts.size() != before.Parts.size())
        return fault("the part count changed"), 1;
    for (size_t p = 0; p < before.Parts.size(); ++p)
        for (size_t s = 0; s < before.Parts[p].segments.size(); ++s) {
            const auto& a = before.Parts[p].segments[s].verts;
            const auto& b = after.Parts[p].segments.at(s).verts;
            const bool edited = p == 0 && (wholePart || s == 0);
            for (size_t i = 0; i < a.size(); ++i) {
                const float ex = edited ? a[i].x + dx : a[i].x;
                const float ey = edited ? a[i].y + dy : a[i].y;
                if (!near(b[i].x, ex) || !near(b[i].y, ey) || b[i].z != a[i].z ||
                    b[i].u != a[i].u || b[i].v != a[i].v || b[i].red != a[i].red ||
                    b[i].alpha != a[i].alpha)
                    fault("part " + std::to_string(p) + " segment " + std::to_string(s) +
                          " vertex " + std::to_string(i) + ": (" + std::to_string(b[i].x) + ", " +
                          std::to_string(b[i].y) + ") expected (" + std::to_string(ex) + ", " +
                          std::to_string(ey) + ")");
            }
        }
    const std::vector<uint8_t> a = vw::test::readBytes(original);
    const std::vector<uint8_t> b = vw::test::readBytes(saved);
    auto inEditedBlock = [&](size_t at) {
        const auto& segments = before.Parts[0].segments;
        for (size_t s = 0; s < (wholePart ? segments.size() : 1); ++s) {
            const size_t start = size_t(segments[s].posBlockAt) - 1;
            if (at >= start && at < start + 12 * segments[s].verts.size())
                return true;
        }
        return false;
    };
    if (a.size() != b.size())
        fault("the file size changed");
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        if (a[i] != b[i] && !inEditedBlock(i))
            fault("byte " + std::to_string(i) + " outside the edited position blocks changed");
    if (a == b)
        fault("the saved file equals the original");
    return faults == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 2 && args[0] == "make")
        return make(args[1]);
    if (args.size() == 2 && args[0] == "locate")
        return locate(args[1], false);
    if (args.size() == 2 && args[0] == "locate-selected")
        return locate(args[1], true);
    if (args.size() == 2 && args[0] == "selected")
        return selected(args[1]);
    if (args.size() == 5 && args[0] == "check")
        return check(args[1], args[2], std::stof(args[3]), std::stof(args[4]), false);
    if (args.size() == 5 && args[0] == "check-part")
        return check(args[1], args[2], std::stof(args[3]), std::stof(args[4]), true);
    std::cerr << "usage: vertwright_e2e_model make MODEL | locate SHOT | locate-selected SHOT |"
                 " selected SHOT |"
                 " check ORIGINAL SAVED DX DY | check-part ORIGINAL SAVED DX DY\n";
    return 2;
}
