// Models leaving the editor for other programs and coming back: the binary glTF as its readers'
// rules ask, File > Export glTF..., and the live link to an OBJ file that another program saves.

#include "app/obj_link.h"
#include "model/interchange/gltf_export.h"
#include "open_model_support.h"
#include "preview/strip_triangles.h"
#include "support/temp_dir.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMdiSubWindow>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using vw::test::Editor;
using vw::test::twoPartModel;

uint32_t wordAt(const std::vector<uint8_t>& bytes, size_t at) {
    uint32_t word;
    std::memcpy(&word, bytes.data() + at, 4);
    return word;
}

// A .glb split into its JSON and its binary chunk, its framing checked on the way.
struct Glb {
    QJsonObject json;
    std::vector<uint8_t> bin;

    explicit Glb(const std::vector<uint8_t>& bytes) {
        EXPECT_EQ(wordAt(bytes, 0), 0x46546C67u);
        EXPECT_EQ(wordAt(bytes, 4), 2u);
        EXPECT_EQ(wordAt(bytes, 8), bytes.size());
        const uint32_t jsonLength = wordAt(bytes, 12);
        EXPECT_EQ(wordAt(bytes, 16), 0x4E4F534Au);
        EXPECT_EQ(jsonLength % 4, 0u);
        json = QJsonDocument::fromJson(
                   QByteArray(reinterpret_cast<const char*>(&bytes[20]), qsizetype(jsonLength)))
                   .object();
        const size_t binAt = 20 + jsonLength;
        if (binAt == bytes.size())
            return;
        const uint32_t binLength = wordAt(bytes, binAt);
        EXPECT_EQ(wordAt(bytes, binAt + 4), 0x004E4942u);
        EXPECT_EQ(binLength % 4, 0u);
        EXPECT_EQ(binAt + 8 + binLength, bytes.size());
        bin.assign(bytes.begin() + long(binAt + 8), bytes.end());
    }

    QJsonObject item(const char* list, int index) const {
        return json[list].toArray()[index].toObject();
    }

    // An accessor's elements as bytes, its bounds checked against its buffer view's.
    std::vector<uint8_t> accessorBytes(int index) const {
        const QJsonObject accessor = item("accessors", index);
        const QJsonObject view = item("bufferViews", accessor["bufferView"].toInt());
        const int componentBytes =
            std::map<int, int>{{5121, 1}, {5123, 2}, {5125, 4}, {5126, 4}}.at(
                accessor["componentType"].toInt());
        const int components =
            std::map<QString, int>{{"SCALAR", 1}, {"VEC2", 2}, {"VEC3", 3}, {"VEC4", 4}}.at(
                accessor["type"].toString());
        const size_t offset = size_t(view["byteOffset"].toInt());
        const size_t length = size_t(accessor["count"].toInt() * components * componentBytes);
        EXPECT_EQ(offset % 4, 0u);
        EXPECT_LE(length, size_t(view["byteLength"].toInt()));
        EXPECT_LE(offset + size_t(view["byteLength"].toInt()), bin.size());
        return {bin.begin() + long(offset), bin.begin() + long(offset + length)};
    }

    template <typename T> std::vector<T> accessorValues(int index) const {
        const std::vector<uint8_t> bytes = accessorBytes(index);
        std::vector<T> values(bytes.size() / sizeof(T));
        std::memcpy(values.data(), bytes.data(), bytes.size());
        return values;
    }
};

vw::Vertex vertex(float x, float y, float z, uint8_t shade) {
    vw::Vertex v;
    v.x = x;
    v.y = y;
    v.z = z;
    v.u = x / 4;
    v.v = z;
    v.red = shade;
    v.green = uint8_t(shade / 2);
    v.blue = 7;
    v.alpha = uint8_t(255 - shade);
    return v;
}

// Part 0: six coloured vertices whose strip has joints and a degenerate bridge. Part 1: a
// segment without colours or triangles, one of its positions not a number.
vw::Model jointedModel() {
    vw::Segment jointed;
    for (int i = 0; i < 6; ++i)
        jointed.verts.push_back(vertex(float(i % 3), float(i / 3), float(i) - 2, uint8_t(40 * i)));
    jointed.strip = {0, 1, 2, 2, 3, 3, 4, 5, 1};
    jointed.colorBlockAt = 1;
    vw::Segment bare;
    bare.verts = {vertex(9, 9, 9, 0), vertex(NAN, -3, 1, 0)};
    bare.strip = {0, 1};
    vw::Model model;
    model.Parts = {vw::Part{{jointed}}, vw::Part{{bare}}};
    return model;
}

TEST(GltfExport, BuffersBoundsAndTrianglesAsReadersCheckThem) {
    const vw::Model model = jointedModel();
    const Glb glb(vw::gltfBytes(model, {}, nullptr));
    ASSERT_EQ(glb.json["buffers"].toArray().size(), 1);
    EXPECT_LE(size_t(glb.item("buffers", 0)["byteLength"].toInt()), glb.bin.size());
    EXPECT_GT(size_t(glb.item("buffers", 0)["byteLength"].toInt()) + 4, glb.bin.size());
    EXPECT_EQ(glb.item("nodes", 1)["name"].toString(), "Part1");

    for (int p = 0; p < 2; ++p) {
        SCOPED_TRACE(p);
        const vw::Segment& segment = model.Parts[p].segments[0];
        const QJsonObject primitive = glb.item("meshes", p)["primitives"].toArray()[0].toObject();
        EXPECT_EQ(primitive["extras"].toObject()["name"].toString(), QString("Part%1/Seg0").arg(p));
        const QJsonObject attributes = primitive["attributes"].toObject();
        const int positions = attributes["POSITION"].toInt();
        const std::vector<float> xyz = glb.accessorValues<float>(positions);
        ASSERT_EQ(xyz.size(), segment.verts.size() * 3);
        QJsonArray low, high;
        for (int axis = 0; axis < 3; ++axis) {
            float least = INFINITY, most = -INFINITY;
            for (size_t i = 0; i < segment.verts.size(); ++i) {
                const float value = xyz[i * 3 + axis];
                const float expected =
                    axis == 1 ? -segment.verts[i].y : segment.verts[i].coord(axis);
                EXPECT_EQ(value, std::isfinite(expected) ? expected : 0) << i;
                least = std::min(least, value);
                most = std::max(most, value);
            }
            low.append(least);
            high.append(most);
        }
        EXPECT_EQ(glb.item("accessors", positions)["min"].toArray(), low);
        EXPECT_EQ(glb.item("accessors", positions)["max"].toArray(), high);
        EXPECT_EQ(attributes.contains("COLOR_0"), segment.colorBlockAt != 0);
        if (segment.colorBlockAt != 0) {
            const int colours = attributes["COLOR_0"].toInt();
            EXPECT_TRUE(glb.item("accessors", colours)["normalized"].toBool());
            const std::vector<uint8_t> rgba = glb.accessorBytes(colours);
            EXPECT_EQ(rgba[5 * 4 + 0], segment.verts[5].red);
            EXPECT_EQ(rgba[5 * 4 + 3], segment.verts[5].alpha);
        }
        std::vector<uint16_t> preview;
        vw::appendStripTriangles(segment.strip, segment.verts.size(), preview);
        EXPECT_EQ(primitive["mode"].toInt(), preview.empty() ? 0 : 4);
        if (!preview.empty()) {
            EXPECT_EQ(glb.accessorValues<uint16_t>(primitive["indices"].toInt()), preview);
        }
    }
}

TEST(GltfExport, MenuWritesTheWholeModelWithTheImageMap) {
    Editor editor;
    editor.open(editor.put(twoPartModel(), "gltf2.ebo"));
    const fs::path glb = fs::path(editor.model.modelPath).parent_path() / "out.glb";
    editor.prompts.saveFileAnswer = QString::fromStdString(glb.string());
    editor.main->action("Export &glTF...")->trigger();
    ASSERT_TRUE(fs::exists(glb));
    EXPECT_EQ(editor.prompts.files.back().start.toStdString(),
              (fs::path(editor.model.modelPath).parent_path() / "gltf2.glb").string());
    const Glb read(vw::test::readBytes(glb));
    EXPECT_EQ(read.json["nodes"].toArray().size(), 2);
    EXPECT_EQ(read.item("images", 0)["mimeType"].toString(), "image/png");
    const QJsonObject view = read.item("bufferViews", read.item("images", 0)["bufferView"].toInt());
    const auto png = read.bin.begin() + view["byteOffset"].toInt();
    EXPECT_EQ(vw::pictureMimeType({png, png + 8}), "image/png");
}

// Another program's save, run alongside the editor: the text written whole, cut short, written
// in two goes with a pause shorter than the link's settling time, or put in place by a rename.
// Each save ends at a later time, so a coarse clock still tells the saves apart.
enum class Write { kWhole, kCut, kCutThenWhole, kRename };

std::string saveCommand(const fs::path& file, const std::string& text, Write how) {
    static int second = 0;
    const fs::path staged = file.parent_path() / "staged.tmp";
    std::ofstream(staged, std::ios::binary) << text;
    const std::string from = "'" + staged.string() + "'", to = "'" + file.string() + "'";
    const std::string cut = std::to_string(text.find('\n') + 4); // into the second line
    const std::string firstPart = "head -c " + cut + " " + from + " > " + to;
    std::string write;
    switch (how) {
    case Write::kWhole:
        write = "cat " + from + " > " + to;
        break;
    case Write::kCut:
        write = firstPart;
        break;
    case Write::kCutThenWhole:
        write = firstPart + " && sleep 0.1 && cat " + from + " > " + to;
        break;
    case Write::kRename:
        write = "mv " + from + " " + to;
        break;
    }
    return write + " && touch -d @" + std::to_string(1700000000 + ++second) + " " + to;
}

// The OBJ text with every x moved by dx.
std::string movedObj(const std::string& obj, float dx) {
    std::istringstream in(obj);
    std::string out;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("v ", 0) == 0) {
            std::istringstream words(line.substr(2));
            float x, y, z;
            words >> x >> y >> z;
            std::ostringstream moved;
            moved << "v " << x + dx << ' ' << y << ' ' << z;
            line = moved.str();
        }
        out += line + "\n";
    }
    return out;
}

// Waits for a notice starting with text; false when another program's save was refused on the
// way there or the notice never came.
bool noticeSays(frmMain& main, const QString& text) {
    const QString refused = QStringLiteral("link.obj was not taken");
    bool refusedOnTheWay = false;
    const bool came = QTest::qWaitFor(
        [&] {
            const QString shown = main.noticePanel()->text();
            refusedOnTheWay = refusedOnTheWay || (shown.startsWith(refused) && text != refused);
            return shown.startsWith(text);
        },
        5000);
    return came && !refusedOnTheWay;
}

TEST(ObjLink, ModelFollowsOnlyGoodSavesEachAsOneStep) {
    Editor editor;
    editor.open(editor.put(twoPartModel(), "link2.ebo"));
    frmMain& main = *editor.main;
    vw::ObjLink& link = *main.objLink();
    link.setSettleMilliseconds(300);
    const fs::path obj = fs::path(editor.model.modelPath).parent_path() / "link.obj";
    editor.prompts.saveFileAnswer = QString::fromStdString(obj.string());
    editor.prompts.yesNoAnswer = vw::PromptAnswer::No; // the working data alone
    main.action("&Link OBJ...")->trigger();
    ASSERT_TRUE(link.isLinked());
    EXPECT_TRUE(main.action("&Unlink OBJ")->isEnabled());
    EXPECT_TRUE(noticeSays(main, "Linked to link.obj"));
    std::ifstream in(obj);
    const std::string exported{std::istreambuf_iterator<char>(in), {}};
    const float x0 = editor.model.Parts[0].segments[0].verts[0].x;
    const auto firstX = [&] { return editor.model.Parts[0].segments[0].verts[0].x; };

    struct Save {
        std::string text;
        Write how;
        const char* notice;
        float x;
        size_t steps;
    };
    const std::string oneTooMany = movedObj(exported, 5) + "v 1 2 3\n";
    for (const Save& save :
         {Save{movedObj(exported, 1), Write::kWhole, "Updated from", 1, 1},
          Save{movedObj(exported, 2), Write::kCut, "link.obj was not taken", 1, 1},
          Save{movedObj(exported, 2), Write::kCutThenWhole, "Updated from", 2, 2},
          Save{oneTooMany, Write::kWhole, "link.obj was not taken", 2, 2},
          Save{movedObj(exported, 3), Write::kRename, "Updated from", 3, 3}}) {
        SCOPED_TRACE(save.x);
        main.noticePanel()->clear();
        QProcess writer;
        writer.start("sh", {"-c", QString::fromStdString(saveCommand(obj, save.text, save.how))});
        ASSERT_TRUE(noticeSays(main, save.notice)) << main.noticePanel()->text().toStdString();
        writer.waitForFinished();
        ASSERT_EQ(writer.exitCode(), 0);
        EXPECT_EQ(firstX(), x0 + save.x);
        EXPECT_EQ(main.document().stepCount(), save.steps);
        EXPECT_EQ(main.document().undoLabel(), "Update from link.obj");
    }
    main.document().undo();
    EXPECT_EQ(firstX(), x0 + 2);

    EXPECT_EQ(main.linkPanel()->text(), "Linked: link.obj");
    main.action("&Unlink OBJ")->trigger();
    EXPECT_FALSE(link.isLinked());
    EXPECT_TRUE(main.linkPanel()->text().isEmpty());
    EXPECT_FALSE(main.action("&Unlink OBJ")->isEnabled());
    ASSERT_EQ(std::system(saveCommand(obj, movedObj(exported, 4), Write::kWhole).c_str()), 0);
    QTest::qWait(400);
    EXPECT_EQ(firstX(), x0 + 2);

    main.action("&Link OBJ...")->trigger();
    ASSERT_TRUE(link.isLinked());
    editor.prompts.saveAnswer = vw::PromptAnswer::Discard;
    main.paneWindow()->close();
    EXPECT_FALSE(link.isLinked()) << "closing the model ends the link";
}

// Linked whole, every part follows a save, as one step that one undo takes back.
TEST(ObjLink, AWholeModelLinkMovesEveryPartAsOneStep) {
    Editor editor;
    editor.open(editor.put(twoPartModel(), "whole2.ebo"));
    frmMain& main = *editor.main;
    main.objLink()->setSettleMilliseconds(300);
    const fs::path obj = fs::path(editor.model.modelPath).parent_path() / "link.obj";
    editor.prompts.saveFileAnswer = QString::fromStdString(obj.string());
    editor.prompts.yesNoAnswer = vw::PromptAnswer::Yes;
    main.action("&Link OBJ...")->trigger();
    ASSERT_TRUE(main.objLink()->isLinked());
    std::ifstream in(obj);
    const std::string exported{std::istreambuf_iterator<char>(in), {}};
    const std::vector<vw::Part> before = editor.model.Parts;
    ASSERT_EQ(std::system(saveCommand(obj, movedObj(exported, 1), Write::kWhole).c_str()), 0);
    ASSERT_TRUE(noticeSays(main, "Updated from"));
    EXPECT_EQ(main.document().stepCount(), 1u);
    for (size_t p = 0; p < before.size(); ++p)
        EXPECT_EQ(editor.model.Parts[p].segments[0].verts[0].x,
                  before[p].segments[0].verts[0].x + 1)
            << "part " << p;
    main.document().undo();
    for (size_t p = 0; p < before.size(); ++p)
        EXPECT_EQ(editor.model.Parts[p].segments[0].verts[0].x, before[p].segments[0].verts[0].x);
}

} // namespace
