// The glTF export and the thumbnails as other programs see them: assimp reads the glTF back,
// f3d renders it, ImageMagick decodes the pictures.

#include "cli_runner.h"
#include "support/ebo_builder.h"
#include "support/model_plans.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>

namespace vw::test {
namespace {

namespace fs = std::filesystem;

bool hasProgram(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

// What a shell command printed, or none when it failed.
std::optional<std::string> shell(const std::string& command) {
    std::FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
    if (!pipe)
        return std::nullopt;
    std::string out;
    char buffer[4096];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, got);
    return pclose(pipe) == 0 ? std::optional(out) : std::nullopt;
}

std::string quoted(const fs::path& path) {
    return "'" + path.string() + "'";
}

// The mean alpha of a picture, 0 for a fully transparent one, by ImageMagick.
double meanAlpha(const fs::path& picture) {
    const auto mean =
        shell("convert " + quoted(picture) + " -alpha extract -format '%[fx:mean]' info:");
    return mean ? std::stod(*mean) : -1;
}

FileVertex fileVertex(float x, float y, float z, std::array<uint8_t, 4> rgba) {
    return {x, y, z, 0.5f, 0.25f, rgba[0], rgba[1], rgba[2], rgba[3]};
}

// Part 0: a red and green square facing the viewer. Part 1: a triangle behind it, and a segment
// whose strip is one joint (no triangle), up and to the right.
EboPlan squaresPlan() {
    constexpr std::array<uint8_t, 4> red = {255, 0, 0, 255}, green = {0, 255, 0, 128};
    SegmentPlan square;
    square.verts = {fileVertex(0, 0, 0, red), fileVertex(1, 0, 0, red), fileVertex(0, 2, 0, green),
                    fileVertex(1, 2, 0, green)};
    square.strip = {0, 1, 2, 3};
    SegmentPlan triangle;
    triangle.verts = {fileVertex(0, 0, -1, red), fileVertex(1, 0, -1, red),
                      fileVertex(0, 1, -1, red)};
    triangle.strip = {0, 1, 2};
    SegmentPlan joint;
    joint.verts = {fileVertex(0, 0, 5, green), fileVertex(2, 0, 5, green),
                   fileVertex(0, 3, 5, green)};
    joint.strip = {0, 1, 1, 2};
    EboPlan plan;
    plan.parts = {PartPlan{{square}}, PartPlan{{triangle, joint}}};
    return plan;
}

class CliExport : public testing::Test {
protected:
    fs::path writeModel(const EboPlan& plan, const std::string& name = "modelq.ebo") {
        const fs::path file = m_dir / name;
        writeEbo(buildEbo(plan), file, m_dir / "program");
        return file;
    }
    CliRun run(std::vector<std::string> args) {
        args.insert(args.end(), {"--program-dir", (m_dir / "program").string()});
        return runCli(args, m_dir.path());
    }
    void requirePrograms(std::initializer_list<const char*> names) {
        for (const char* name : names)
            if (!hasProgram(name))
                GTEST_SKIP() << name << " is not installed";
    }

    TempDir m_dir;
};

// The model with a picture as its texture; a file that is no picture is refused.
TEST_F(CliExport, AssimpReadsCountsNamesOrientationColoursAndTextureAndF3dRendersIt) {
    requirePrograms({"assimp", "f3d", "xvfb-run", "convert"});
    const fs::path glb = m_dir / "out.glb", picture = m_dir / "map.png";
    const fs::path model = writeModel(squaresPlan());
    ASSERT_EQ(run({"thumbnail", model.string(), picture.string(), "--size", "8"}).code, 0);
    const CliRun refused =
        run({"export-gltf", model.string(), "-o", glb.string(), "--image", model.string()});
    EXPECT_EQ(refused.err, "vertwright-cli: " + model.string() + " is not a PNG or JPEG picture\n");
    const CliRun result =
        run({"export-gltf", model.string(), "-o", glb.string(), "--image", picture.string()});
    ASSERT_EQ(result.code, 0) << result.err;
    const auto info = shell("assimp info " + quoted(glb) + " -r");
    ASSERT_TRUE(info);
    for (const char* line :
         {"Nodes:              3", "Meshes:             3", "Vertices:           10",
          "Faces:              6", "Minimum point      (0.000000 0.000000 -1.000000)",
          "Maximum point      (2.000000 3.000000 5.000000)", "(Part0)", "(Part1-0)", "(Part1-1)",
          "Textures (embed.):  1", "├╴Part0 (mesh 0)"})
        EXPECT_NE(info->find(line), std::string::npos) << line << " in\n" << *info;
    const fs::path dump = m_dir / "dump.xml";
    ASSERT_TRUE(shell("assimp dump " + quoted(glb) + " " + quoted(dump) + " -x"));
    const std::vector<uint8_t> bytes = readBytes(dump);
    const std::string xml(bytes.begin(), bytes.end());
    EXPECT_NE(xml.find("1.000000  0.000000  0.000000  1.000000"), std::string::npos);
    EXPECT_NE(xml.find("0.000000  1.000000  0.000000  0.501961"), std::string::npos);

    const fs::path rendered = m_dir / "f3d.png";
    ASSERT_TRUE(shell("xvfb-run -a f3d --output " + quoted(rendered) +
                      " --resolution 64,64 --no-background " + quoted(glb)));
    EXPECT_GT(meanAlpha(rendered), 0.01);
}

// A file manager's thumbnailer: a picture of the asked size for every model, a plain one for a
// delta model whose companion files are not at hand.
TEST_F(CliExport, ThumbnailsForEveryLayout) {
    requirePrograms({"identify", "convert"});
    const fs::path plain = writeModel(squaresPlan());
    const fs::path delta = writeModel(deltaPlan(), "head2.ebo");
    fs::remove_all(m_dir / "program");
    for (const fs::path& model : {plain, delta}) {
        const fs::path picture = m_dir / (model.stem().string() + ".png");
        const CliRun result = run({"thumbnail", model.string(), picture.string(), "--size", "48"});
        EXPECT_EQ(result.code, 0) << result.err;
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(shell("identify -format '%w %h %[channels]' " + quoted(picture)), "48 48 srgba");
        EXPECT_GT(meanAlpha(picture), 0.1) << model;
    }
}

} // namespace
} // namespace vw::test
