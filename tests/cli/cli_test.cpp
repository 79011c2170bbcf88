#include "cli_runner.h"
#include "model/ebo/ebo_format.h"
#include "support/ebo_builder.h"
#include "support/file_bytes.h"
#include "support/model_plans.h"
#include "support/portable_io.h"
#include "support/temp_dir.h"
#include "support/test_names.h"
#include "support/watched_child.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <thread>

namespace vw::test {
namespace {

namespace fs = std::filesystem;

// OBJ text whose v lines get a 1 in front, the x they had becoming y and so on: every vertex
// moves, and vertices that were alike stay alike.
std::string movedVertices(const std::string& obj) {
    std::istringstream in(obj);
    std::string moved;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("v ", 0) == 0)
            line = "v 1" + line.substr(1);
        moved += line + "\n";
    }
    return moved;
}

size_t lineCount(const std::string& text) {
    return std::count(text.begin(), text.end(), '\n');
}

class Cli : public testing::Test {
protected:
    void SetUp() override { fs::create_directories(programDir()); }

    fs::path programDir() const { return m_dir / "program"; }

    fs::path writeModel(const EboPlan& plan, const std::string& name = "modelq.ebo") {
        m_built = buildEbo(plan);
        fs::path file = m_dir / name;
        writeEbo(m_built, file, programDir());
        return file;
    }

    fs::path writeText(const std::string& name, const std::string& text) {
        fs::path file = m_dir / name;
        writeBytes(file, std::vector<uint8_t>(text.begin(), text.end()));
        return file;
    }

    std::string readText(const fs::path& file) {
        std::vector<uint8_t> bytes = readBytes(file);
        return std::string(bytes.begin(), bytes.end());
    }

    // Runs the tool with --program-dir set to the test's program folder.
    CliRun run(std::vector<std::string> args, const CliEnvironment& environment = {}) {
        args.insert(args.end(), {"--program-dir", programDir().string()});
        return runCli(args, m_dir.path(), environment);
    }

    TempDir m_dir;
    BuiltEbo m_built;
};

struct InfoCase {
    std::vector<std::string> args;
    const char* opening; // what standard output starts with
};

class CliInfo : public Cli, public testing::WithParamInterface<InfoCase> {};

// Help and version answer before anything else on the line is looked at.
TEST_P(CliInfo, PrintsAndSucceeds) {
    CliRun result = runCli(GetParam().args, m_dir.path());
    EXPECT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out.rfind(GetParam().opening, 0), 0u) << result.out;
}

INSTANTIATE_TEST_SUITE_P(Cases, CliInfo,
                         testing::Values(InfoCase{{"--help"}, "usage: vertwright-cli"},
                                         InfoCase{{"-h"}, "usage: vertwright-cli"},
                                         InfoCase{{"--version"}, "vertwright-cli " VW_VERSION "\n"},
                                         InfoCase{{"info", "missing.ebo", "--version"},
                                                  "vertwright-cli " VW_VERSION}),
                         [](const testing::TestParamInfo<InfoCase>& info) {
                             std::string name;
                             for (const std::string& arg : info.param.args)
                                 name += nameOf(arg);
                             return name;
                         });

class CliUsage : public Cli, public testing::WithParamInterface<std::vector<std::string>> {};

TEST_P(CliUsage, ExitsTwoWithAReason) {
    fs::path file = writeModel(plainPlan());
    std::vector<std::string> args = GetParam();
    for (std::string& arg : args) {
        if (arg == "FILE")
            arg = file.string();
    }
    std::vector<uint8_t> before = readBytes(file);
    CliRun result = runCli(args, m_dir.path());
    EXPECT_EQ(result.code, 2) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err.rfind("vertwright-cli: ", 0), 0u) << result.err;
    EXPECT_EQ(readBytes(file), before);
}

using Args = std::vector<std::string>;
INSTANTIATE_TEST_SUITE_P(
    Cases, CliUsage,
    testing::Values(Args{}, Args{"frobnicate", "FILE"}, Args{"info"}, Args{"info", "FILE", "x"},
                    Args{"info", "FILE", "--bogus", "1"}, Args{"info", "FILE", "--program-dir"},
                    Args{"dump", "FILE", "--part", "0"}, Args{"check", "FILE", "-o", "x.obj"},
                    Args{"export-obj", "FILE"}, Args{"export-obj", "FILE", "-o", "x", "--seg", "0"},
                    Args{"export-obj", "FILE", "-o", "x", "--part", "-1"},
                    Args{"export-obj", "FILE", "-o", "x", "--part", "1x"},
                    Args{"export-obj", "FILE", "-o", "x", "--part", "2"},
                    Args{"export-obj", "FILE", "-o", "x", "--part", "0", "--seg", "1"},
                    Args{"export-obj", "FILE", "-o", "FILE"}, Args{"import-obj", "FILE"},
                    Args{"export-gltf", "FILE"}, Args{"export-gltf", "FILE", "-o", "FILE"},
                    Args{"export-obj", "FILE", "-o", "x", "--image", "y.png"},
                    Args{"thumbnail", "FILE"}, Args{"thumbnail", "FILE", "FILE"},
                    Args{"thumbnail", "FILE", "x.png", "--size", "0"},
                    Args{"thumbnail", "FILE", "x.png", "--part", "0"},
                    Args{"info", "FILE", "--size", "64"}),
    [](const testing::TestParamInfo<Args>& info) {
        std::string name = info.param.empty() ? "NoArguments" : "";
        for (const std::string& arg : info.param) {
            const bool negative =
                arg.size() > 1 && arg[0] == '-' && std::isdigit(static_cast<unsigned char>(arg[1]));
            name += negative ? "Minus" + nameOf(arg) : nameOf(arg);
        }
        return name;
    });

// The ways a model file can fail to load; every command must then exit 1 and touch nothing.
class CliLoadFailure : public Cli, public testing::WithParamInterface<std::string> {
protected:
    fs::path unloadable() {
        const std::string& kind = GetParam();
        if (kind == "Missing")
            return m_dir / "missing.ebo";
        if (kind == "Empty")
            return writeText("empty.ebo", "");
        if (kind == "NoLayout") {
            EboPlan plan = plainPlan();
            plan.modelFormat = 1;
            return writeModel(plan);
        }
        if (kind == "DeltaWithoutCompanions") {
            EboPlan plan = deltaPlan();
            fs::path file = writeModel(plan);
            fs::remove_all(programDir());
            fs::create_directories(programDir());
            return file;
        }
        fs::path file = writeModel(plainPlan()); // Truncated
        std::vector<uint8_t> bytes = readBytes(file);
        bytes.resize(bytes.size() / 2);
        writeBytes(file, bytes);
        return file;
    }

    std::string reason() const {
        if (GetParam() == "Missing")
            return "no such file";
        if (GetParam() == "DeltaWithoutCompanions")
            return "missing companion file " + (programDir() / "lod" / "base_lodq.ebo").string();
        return "not a loadable EBO model";
    }
};

TEST_P(CliLoadFailure, EveryCommandExitsOneAndLeavesTheFile) {
    fs::path file = unloadable();
    bool existed = fs::exists(file);
    std::vector<uint8_t> before = existed ? readBytes(file) : std::vector<uint8_t>{};
    fs::path obj = writeText("in.obj", "v 0 0 0\n");
    fs::path out = m_dir / "out.obj";
    for (Args args : {Args{"info"}, Args{"dump"}, Args{"check"}, Args{"export-obj", "-o", out},
                      Args{"import-obj", obj}, Args{"export-gltf", "-o", out}}) {
        args.insert(args.begin() + 1, file.string());
        CliRun result = run(args);
        EXPECT_EQ(result.code, 1) << args[0];
        EXPECT_EQ(result.out, "") << args[0];
        EXPECT_EQ(result.err,
                  "vertwright-cli: cannot load " + file.string() + ": " + reason() + "\n");
        ASSERT_EQ(fs::exists(file), existed);
        if (existed) {
            EXPECT_EQ(readBytes(file), before) << args[0];
        }
        EXPECT_FALSE(fs::exists(out));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CliLoadFailure,
                         testing::Values("Missing", "Empty", "Truncated", "NoLayout",
                                         "DeltaWithoutCompanions"),
                         [](const auto& info) { return std::string(info.param); });

// A copy that cannot be made is named as such; reading commands make none.
TEST_F(Cli, AFullDiskBlamesTheWorkingCopyNotTheModel) {
    EboPlan plan;
    plan.parts = {PartPlan{{gridSegment(60, 60)}}};
    fs::path file = writeModel(plan);
    std::vector<uint8_t> before = readBytes(file);
    fs::path obj = m_dir / "all.obj";
    ASSERT_EQ(run({"export-obj", file.string(), "-o", obj.string()}).code, 0);
    CliEnvironment full{{}, false, 32};
    EXPECT_EQ(run({"info", file.string()}, full).code, 0);
    CliRun result = run({"import-obj", file.string(), obj.string()}, full);
    EXPECT_EQ(result.code, 1);
    EXPECT_EQ(result.err.rfind("vertwright-cli: cannot load " + file.string() +
                                   ": cannot make the working copy \"",
                               0),
              0u)
        << result.err;
    EXPECT_NE(result.err.find("current.tmp\": file too large for the file-size limit\n"),
              std::string::npos)
        << result.err;
    EXPECT_EQ(readBytes(file), before);
}

class CliFileSizeLimit : public Cli, public testing::WithParamInterface<const char*> {};

// A write past the file-size limit fails the command with the reason, and the command leaves
// nothing behind: no scratch folder, no temporary beside its output, no output.
TEST_P(CliFileSizeLimit, ExitsOneAndLeavesNothing) {
    EboPlan plan;
    plan.parts = {PartPlan{{gridSegment(100, 60)}}};
    const fs::path file = writeModel(plan);
    fs::create_directories(m_dir / "tmp");
    fs::create_directories(m_dir / "out");
    const std::string command = GetParam();
    const std::string out = (m_dir / "out" / "written").string();
    Args args{command, file.string()};
    if (command == "thumbnail")
        args.insert(args.end(), {out, "--size", "1024"});
    else if (command != "check")
        args.insert(args.end(), {"-o", out});
    CliRun result = run(args, {m_dir / "tmp", false, 16});
    EXPECT_EQ(result.code, 1) << result.err;
    EXPECT_TRUE(result.err.ends_with(": file too large for the file-size limit\n")) << result.err;
    EXPECT_EQ(lineCount(result.err), 1u) << result.err;
    EXPECT_TRUE(fs::is_empty(m_dir / "tmp"));
    EXPECT_TRUE(fs::is_empty(m_dir / "out"));
}

INSTANTIATE_TEST_SUITE_P(Commands, CliFileSizeLimit,
                         testing::Values("check", "export-obj", "export-gltf", "thumbnail"),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::erase(name, '-');
                             return name;
                         });

// A temporary folder with room for the working copy but not for check's copy as well: the
// reason says so and names the folder. Needs a small file system of its own, which root can
// mount.
TEST_F(Cli, AFullTemporaryFolderIsNamed) {
    const fs::path tmp = m_dir / "small";
    fs::create_directories(tmp);
    const std::string mount =
        "mount -t tmpfs -o size=256k tmpfs '" + tmp.string() + "' 2>/dev/null";
    if (::geteuid() != 0 || std::system(mount.c_str()) != 0)
        GTEST_SKIP() << "no small file system can be mounted here";
    EboPlan plan;
    plan.parts = {PartPlan{{gridSegment(100, 60)}}};
    fs::path file = writeModel(plan);
    CliRun result = run({"check", file.string()}, {tmp});
    std::system(("umount '" + tmp.string() + "'").c_str());
    EXPECT_EQ(result.code, 1);
    EXPECT_NE(result.err.find("no space left in \"" + tmp.string()), std::string::npos)
        << result.err;
}

TEST_F(Cli, DumpWritesTheSchemaWithShortestFloats) {
    EboPlan plan;
    plan.parts = {PartPlan{{threeVertexSegment()}}};
    fs::path file = writeModel(plan);
    const BlockPositions& at = m_built.positions[0][0];
    CliRun result = run({"dump", file.string()});
    ASSERT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(result.out,
              R"({"result": 2, "fileVersion": 4, "modelFormat": 2, "parts": [{"segments": [)"
              R"({"posBlockAt": )" +
                  std::to_string(at.posBlockAt) + R"(, "uvBlockAt": )" +
                  std::to_string(at.uvBlockAt) + R"(, "colorBlockAt": )" +
                  std::to_string(at.colorBlockAt) + R"(, "stripBlockAt": )" +
                  std::to_string(at.stripBlockAt) +
                  R"(, "verts": [)"
                  R"({"x": 1.5, "y": -2, "z": -3, "u": 0, "v": 1, )"
                  R"("red": 30, "green": 20, "blue": 10, "alpha": 40}, )"
                  R"({"x": 0, "y": -0, "z": 0.1, "u": -0.5, "v": 0.001, )"
                  R"("red": 1, "green": 2, "blue": 3, "alpha": 4}, )"
                  R"({"x": 1e+20, "y": 1, "z": 1, "u": 1, "v": 1, )"
                  R"("red": 5, "green": 6, "blue": 7, "alpha": 8}], "strip": [0, 1, 2]}]}]})"
                  "\n");
}

struct LayoutCase {
    const char* name;
    EboPlan (*plan)();
    const char* head;
    bool baseMeshes;
};

class CliLayouts : public Cli, public testing::WithParamInterface<LayoutCase> {};

TEST_P(CliLayouts, DumpNamesTheLayout) {
    fs::path file = writeModel(GetParam().plan());
    CliRun result = run({"dump", file.string()});
    ASSERT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(result.out.rfind(GetParam().head, 0), 0u) << result.out.substr(0, 80);
    EXPECT_EQ(result.out.find(R"("baseMeshes": [{"basePos": [)") != std::string::npos,
              GetParam().baseMeshes);
}

TEST_P(CliLayouts, CheckPassesWithoutLeavingFilesBehind) {
    fs::path file = writeModel(GetParam().plan());
    std::vector<uint8_t> before = readBytes(file);
    fs::create_directories(m_dir / "tmp");
    CliRun result = run({"check", file.string()}, {m_dir / "tmp"});
    EXPECT_EQ(result.code, 0) << result.out << result.err;
    EXPECT_EQ(result.out, file.string() + ": a save without edits gives the same bytes\n");
    EXPECT_EQ(readBytes(file), before);
    EXPECT_TRUE(fs::is_empty(m_dir / "tmp"));
    EXPECT_FALSE(fs::exists(programDir() / "current.tmp"));
}

TEST_P(CliLayouts, ExportImportRoundTripKeepsEveryByte) {
    fs::path file = writeModel(GetParam().plan());
    std::vector<uint8_t> before = readBytes(file);
    fs::path obj = m_dir / "all.obj";
    for (Args selection : {Args{}, Args{"--part", "1"}, Args{"--part", "1", "--seg", "0"}}) {
        Args exportArgs = {"export-obj", file.string(), "-o", obj.string()};
        Args importArgs = {"import-obj", file.string(), obj.string()};
        exportArgs.insert(exportArgs.end(), selection.begin(), selection.end());
        importArgs.insert(importArgs.end(), selection.begin(), selection.end());
        CliRun exported = run(exportArgs);
        ASSERT_EQ(exported.code, 0) << exported.err;
        CliRun imported = run(importArgs);
        ASSERT_EQ(imported.code, 0) << imported.err;
        EXPECT_EQ(readBytes(file), before) << selection.size();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, CliLayouts,
    testing::Values(LayoutCase{"Plain", plainPlan,
                               R"({"result": 2, "fileVersion": 4, "modelFormat": 2, )", false},
                    LayoutCase{"Version6", version6Plan,
                               R"({"result": 6, "fileVersion": 6, "modelFormat": 2, )", false},
                    LayoutCase{"Delta", deltaPlan,
                               R"({"result": 10, "fileVersion": 4, "modelFormat": 0, )", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Cli, InfoCountsPartsSegmentsVerticesAndStrips) {
    fs::path file = writeModel(plainPlan());
    CliRun result = run({"info", file.string()});
    ASSERT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(result.out, "file: " + file.string() +
                              "\n"
                              "layout: plain mesh (fileVersion 4, modelFormat 2)\n"
                              "total: 2 parts, 3 segments, 13 vertices, 13 strip entries\n"
                              "part 0: 1 segment, 3 vertices, 3 strip entries\n"
                              "  segment 0: 3 vertices, 3 strip entries\n"
                              "part 1: 2 segments, 10 vertices, 10 strip entries\n"
                              "  segment 0: 6 vertices, 6 strip entries\n"
                              "  segment 1: 4 vertices, 4 strip entries\n");
}

// Deltas the subtraction of a save could not give back: one below the rounding of a position far
// from zero, and -0.0. A save that moved no vertex keeps them.
TEST_F(Cli, CheckFindsDeltasNoSubtractionGivesBackUnchanged) {
    for (const auto& [base, delta] : {std::pair{1e8f, 1.0f}, std::pair{3.0f, -0.0f}}) {
        EboPlan plan = deltaPlan();
        plan.deltaParts[0].basePos[0] = base;
        plan.deltaParts[0].deltas[0] = delta;
        fs::path file = writeModel(plan);
        std::vector<uint8_t> before = readBytes(file);
        CliRun result = run({"check", file.string()});
        EXPECT_EQ(result.code, 0) << result.err;
        EXPECT_EQ(result.out, file.string() + ": a save without edits gives the same bytes\n");
        EXPECT_EQ(readBytes(file), before);
    }
}

TEST_F(Cli, ExportWritesFileOrientation) {
    fs::path file = writeModel(plainPlan());
    fs::path obj = m_dir / "part0.obj";
    CliRun result = run({"export-obj", file.string(), "-o", obj.string(), "--part", "0"});
    ASSERT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(readText(obj), "o part0_seg0\n"
                             "v 1.5 2 -3\n"
                             "v 0 0 0.1\n"
                             "v 1e+20 -1 1\n"
                             "vt 0 1\n"
                             "vt -0.5 0.001\n"
                             "vt 1 1\n"
                             "f 1/1 2/2 3/3\n");
}

TEST_F(Cli, ImportPatchesOnlyTheSelectedSegment) {
    fs::path file = writeModel(plainPlan());
    std::vector<uint8_t> before = readBytes(file);
    const BlockPositions& at = m_built.positions[1][0];
    std::string text;
    for (int i = 0; i < 6; ++i) {
        text += "v " + std::to_string(i) + " " + std::to_string(10 + i) + " -" + std::to_string(i) +
                "\n";
    }
    for (int i = 0; i < 6; ++i)
        text += "vt 0.5 " + std::to_string(i) + "\n";
    fs::path obj = writeText("edit.obj", text);
    CliRun result = run({"import-obj", file.string(), obj.string(), "--part", "1", "--seg", "0"});
    ASSERT_EQ(result.code, 0) << result.err;

    std::vector<uint8_t> after = readBytes(file);
    ASSERT_EQ(after.size(), before.size());
    size_t pos = size_t(at.posBlockAt) - 1, uv = size_t(at.uvBlockAt) - 1;
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(f32In(after, pos + ebo::kPositionSize * i), float(i));
        EXPECT_EQ(f32In(after, pos + ebo::kPositionSize * i + 4),
                  float(10 + i)); // the file's own y
        EXPECT_EQ(f32In(after, pos + ebo::kPositionSize * i + 8), -float(i));
        EXPECT_EQ(f32In(after, uv + ebo::kUvSize * i), 0.5f);
        EXPECT_EQ(f32In(after, uv + ebo::kUvSize * i + 4), float(i));
    }
    for (size_t i = 0; i < after.size(); ++i) {
        bool patched = (i >= pos && i < pos + 72) || (i >= uv && i < uv + 48);
        if (!patched) {
            ASSERT_EQ(after[i], before[i]) << "offset " << i;
        }
    }
}

// Another program puts a new model file in place while import-obj saves: the tool is stopped as
// its temporary file appears beside the model, the other program renames its file over the model,
// and the tool's last look before its own rename refuses.
TEST_F(Cli, ImportRefusesAModelFileReplacedWhileItSaves) {
    fs::path file = writeModel(plainPlan());
    const CliRun exported = run({"export-obj", file.string(), "-o", "-"});
    ASSERT_EQ(exported.code, 0);
    const fs::path obj = writeText("moved.obj", movedVertices(exported.out));
    const std::vector<uint8_t> theirs = buildEbo(version6Plan()).model;
    writeBytes(m_dir / "theirs.ebo", theirs);
    bool replaced = false;
    const auto tool = [&] {
        const int quiet = ::open("/dev/null", O_WRONLY);
        ::dup2(quiet, 1);
        ::dup2(quiet, 2);
        ::execl(VW_CLI_PATH, VW_CLI_PATH, "import-obj", file.c_str(), obj.c_str(), "--program-dir",
                programDir().c_str(), nullptr);
    };
    const bool succeeded =
        runWatchingFolder(m_dir.path(), tool, [&](const std::string& name, pid_t) {
            if (!replaced && name.starts_with(".vw"))
                fs::rename(m_dir / "theirs.ebo", file);
            replaced = replaced || name.starts_with(".vw");
            return true;
        });
    ASSERT_TRUE(replaced);
    EXPECT_FALSE(succeeded);
    EXPECT_EQ(readBytes(file), theirs);
}

TEST_F(Cli, ImportOfTheWrongVertexCountLeavesTheFile) {
    fs::path file = writeModel(plainPlan());
    std::vector<uint8_t> before = readBytes(file);
    fs::path obj = writeText("short.obj", "v 1 2 3\nv 4 5 6\n");
    CliRun result = run({"import-obj", file.string(), obj.string(), "--part", "0"});
    EXPECT_EQ(result.code, 1);
    EXPECT_EQ(lineCount(result.err), 1u) << result.err;
    EXPECT_NE(result.err.find("vertex count 2"), std::string::npos) << result.err;
    EXPECT_EQ(readBytes(file), before);
}

// The x, y, z of every vertex in a dump, in model order.
std::vector<std::string> dumpedPositions(const std::string& json) {
    static const std::regex position(R"re("x": ([^,]+), "y": ([^,]+), "z": ([^,]+),)re");
    std::vector<std::string> positions;
    for (auto match = std::sregex_iterator(json.begin(), json.end(), position);
         match != std::sregex_iterator(); ++match)
        positions.push_back(match->str());
    return positions;
}

// Segments 1/0 and 1/1 of a version-6 file read one position block: an import through either
// moves both, and the file holds one set of values for them.
TEST_F(Cli, ImportThroughOneSharerMovesBoth) {
    EboPlan plan = version6Plan();
    plan.parts[1].segments[1] = gridSegment(3, 2, 5);
    plan.parts[1].segments[1].positionsOf = 0;
    fs::path file = writeModel(plan);
    const std::vector<uint8_t> before = readBytes(file);
    const std::vector<std::string> original = dumpedPositions(run({"dump", file.string()}).out);
    ASSERT_EQ(original.size(), 15u);
    for (const char* seg : {"0", "1"}) {
        writeBytes(file, before);
        CliRun exported =
            run({"export-obj", file.string(), "-o", "-", "--part", "1", "--seg", seg});
        ASSERT_EQ(exported.code, 0) << exported.err;
        fs::path obj = writeText("moved.obj", movedVertices(exported.out));
        CliRun one = run({"import-obj", file.string(), obj.string(), "--part", "1", "--seg", seg});
        ASSERT_EQ(one.code, 0) << one.err;
        const std::vector<std::string> after = dumpedPositions(run({"dump", file.string()}).out);
        ASSERT_EQ(after.size(), 15u);
        EXPECT_TRUE(std::equal(after.begin() + 3, after.begin() + 9, after.begin() + 9)) << seg;
        EXPECT_NE(after[3], original[3]) << seg;
        EXPECT_EQ(run({"check", file.string()}).code, 0) << seg;
    }
    const size_t x = size_t(m_built.positions[1][0].posBlockAt) - 1;
    EXPECT_EQ(f32In(readBytes(file), x), 1.0f);
}

// An OBJ whose objects another program sorted differently imports by their names; a name that
// is no segment's is refused, the file untouched.
TEST_F(Cli, ImportMatchesObjectsByName) {
    fs::path file = writeModel(plainPlan());
    const std::vector<uint8_t> before = readBytes(file);
    const std::string moved = movedVertices(run({"export-obj", file.string(), "-o", "-"}).out);
    const size_t second = moved.find("o part1_seg0");
    ASSERT_NE(second, std::string::npos);
    const std::string reversed = moved.substr(second) + moved.substr(0, second);
    fs::path inOrder = writeText("in-order.obj", moved);
    ASSERT_EQ(run({"import-obj", file.string(), inOrder.string()}).code, 0);
    const std::vector<uint8_t> expected = readBytes(file);
    ASSERT_NE(expected, before);
    writeBytes(file, before);
    fs::path sorted = writeText("sorted.obj", reversed);
    CliRun imported = run({"import-obj", file.string(), sorted.string()});
    ASSERT_EQ(imported.code, 0) << imported.err;
    EXPECT_EQ(readBytes(file), expected);

    writeBytes(file, before);
    std::string renamed = moved;
    renamed.replace(renamed.find("o part0_seg0"), 12, "o part9_seg0");
    CliRun refused = run({"import-obj", file.string(), writeText("renamed.obj", renamed).string()});
    EXPECT_EQ(refused.code, 1);
    EXPECT_NE(refused.err.find("object 'part9_seg0' matches no segment"), std::string::npos)
        << refused.err;
    EXPECT_EQ(readBytes(file), before);
}

TEST_F(Cli, ExportThatCannotWriteExitsOne) {
    fs::path file = writeModel(plainPlan());
    fs::create_directories(m_dir / "a-folder");
    for (fs::path out : {m_dir / "no-such-folder" / "out.obj", m_dir / "a-folder"}) {
        CliRun result = run({"export-obj", file.string(), "-o", out.string()});
        EXPECT_EQ(result.code, 1) << out;
        EXPECT_EQ(lineCount(result.err), 1u) << result.err;
    }
    EXPECT_TRUE(fs::is_directory(m_dir / "a-folder"));
    EXPECT_TRUE(fs::is_empty(m_dir / "a-folder"));
}

TEST_F(Cli, ImportIntoAReadOnlyFolderLeavesTheFile) {
    fs::path folder = m_dir / "read-only";
    fs::create_directories(folder);
    EboPlan plan = plainPlan();
    fs::path file = writeModel(plan, "read-only/modelq.ebo");
    std::vector<uint8_t> before = readBytes(file);
    const CliRun exported = run({"export-obj", file.string(), "-o", "-"});
    ASSERT_EQ(exported.code, 0);
    const fs::path obj = writeText("moved.obj", movedVertices(exported.out));
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                fs::perms::group_exec | fs::perms::others_read |
                                fs::perms::others_exec);
    CliRun result = run({"import-obj", file.string(), obj.string()}, {{}, geteuid() == 0});
    EXPECT_EQ(result.code, 1) << result.out;
    EXPECT_EQ(lineCount(result.err), 1u) << result.err;
    EXPECT_EQ(readBytes(file), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

// A process id that no process has: a child's, once it has ended.
pid_t goneProcess() {
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

// A backup name beside file that an in-place save of a process now gone would have made.
fs::path plantedBackup(const fs::path& file) {
    struct stat status;
    EXPECT_EQ(::stat(file.c_str(), &status), 0);
    char name[64];
    std::snprintf(name, sizeof name, ".vw%d-0badf00d-%016llx.bak", int(goneProcess()),
                  static_cast<unsigned long long>(status.st_ino));
    fs::path backup = file.parent_path() / name;
    writeBytes(backup, readBytes(file));
    return backup;
}

// Names in folder that the program makes beside a model.
std::vector<std::string> namesBesideModels(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename().string().starts_with(".vw"))
            names.push_back(entry.path().filename().string());
    }
    return names;
}

// The backup of a killed in-place save is warned of until a save of the model completes; that
// save supersedes it and removes it, and the commands after say nothing of it.
TEST_F(Cli, ACompleteSaveEndsTheWarningOfAnInterruptedOne) {
    if (kPortableIo)
        GTEST_SKIP() << "the portable file access takes every process for running";
    const fs::path file = writeModel(plainPlan());
    fs::create_hard_link(file, m_dir / "other.ebo");
    const fs::path backup = plantedBackup(file);
    const CliRun warned = run({"info", file.string()});
    EXPECT_EQ(warned.code, 0);
    EXPECT_NE(warned.err.find("was interrupted"), std::string::npos) << warned.err;
    EXPECT_NE(warned.err.find(backup.filename().string()), std::string::npos) << warned.err;

    const CliRun exported = run({"export-obj", file.string(), "-o", "-"});
    const fs::path obj = writeText("moved.obj", movedVertices(exported.out));
    const CliRun imported = run({"import-obj", file.string(), obj.string()});
    ASSERT_EQ(imported.code, 0) << imported.err;
    const std::vector<uint8_t> saved = readBytes(file);
    EXPECT_NE(saved, m_built.model);
    EXPECT_EQ(readBytes(m_dir / "other.ebo"), saved);
    EXPECT_TRUE(namesBesideModels(m_dir.path()).empty());
    const CliRun after = run({"info", file.string()});
    EXPECT_EQ(after.code, 0);
    EXPECT_EQ(after.err, "");
}

float nanWithBits(uint32_t bits) {
    return std::bit_cast<float>(bits);
}

TEST_F(Cli, ExportImportKeepsTheBitsOfEveryNan) {
    EboPlan plan = plainPlan();
    auto& verts = plan.parts[0].segments[0].verts;
    verts[0].x = nanWithBits(0xFFC00000); // quiet, negative
    verts[0].y = nanWithBits(0x7FC00000); // quiet, positive
    verts[1].z = nanWithBits(0x7F800001); // signalling, positive
    verts[1].u = nanWithBits(0xFFA5A5A5); // signalling, negative
    verts[2].y = nanWithBits(0xFF800001); // signalling, negative, in y (negated on load)
    verts[2].v = nanWithBits(0x7FFFFFFF);
    fs::path file = writeModel(plan);
    std::vector<uint8_t> before = readBytes(file);
    fs::path obj = m_dir / "nan.obj";
    ASSERT_EQ(run({"export-obj", file.string(), "-o", obj.string()}).code, 0);
    EXPECT_EQ(readText(obj).rfind("o part0_seg0\nv -nan(0x400000) nan(0x400000) -3\n", 0), 0u)
        << readText(obj);
    CliRun imported = run({"import-obj", file.string(), obj.string()});
    ASSERT_EQ(imported.code, 0) << imported.err;
    EXPECT_EQ(readBytes(file), before);
}

TEST_F(Cli, ExportToStandardOutput) {
    fs::path file = writeModel(plainPlan());
    fs::path obj = m_dir / "all.obj";
    ASSERT_EQ(run({"export-obj", file.string(), "-o", obj.string()}).code, 0);
    CliRun result = run({"export-obj", file.string(), "-o", "-", "--part", "1"});
    EXPECT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(result.out.rfind("o part1_seg0\n", 0), 0u) << result.out;
    result = run({"export-obj", file.string(), "-o", "-"});
    EXPECT_EQ(result.out, readText(obj));
}

// A named pipe as the output is written, not replaced by a regular file.
// Every export writes into a named pipe as it is, as into a device: replacing it would put a
// regular file in its place.
TEST_F(Cli, ExportIntoAFifoWritesThroughIt) {
    struct Export {
        std::vector<std::string> args; // before the model, after it the pipe
        bool named;                    // the pipe after -o, else as the last argument
        std::string starts;
    };
    const Export exports[] = {{{"export-obj"}, true, "o part0_seg0\nv 1.5 2 -3\n"},
                              {{"export-gltf"}, true, "glTF"},
                              {{"thumbnail"}, false, "\x89PNG"}};
    fs::path file = writeModel(plainPlan());
    for (const Export& e : exports) {
        SCOPED_TRACE(e.args[0]);
        fs::path fifo = m_dir / ("pipe-" + e.args[0]);
        ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
        std::string received;
        std::thread reader([&] {
            std::ifstream in(fifo, std::ios::binary);
            received.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        });
        std::vector<std::string> args = e.args;
        args.push_back(file.string());
        if (e.named)
            args.push_back("-o");
        args.push_back(fifo.string());
        CliRun result = run(args);
        // Should the tool not have opened the pipe, this lets the reader go.
        const int writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0)
            close(writer);
        reader.join();
        EXPECT_EQ(result.code, 0) << result.err;
        EXPECT_TRUE(fs::is_fifo(fifo));
        EXPECT_EQ(received.rfind(e.starts, 0), 0u) << received.substr(0, 16);
    }
}

// Inputs that never end or are no file: the import stops with a reason, the model untouched.
struct OddInput {
    const char* name;
    const char* writer; // a shell command whose output goes into a named pipe; empty for path
    const char* path;
    const char* reason;
};

class CliOddInput : public Cli, public testing::WithParamInterface<OddInput> {};

TEST_P(CliOddInput, StopsWithAReason) {
    fs::path file = writeModel(plainPlan()); // 13 vertices
    std::vector<uint8_t> before = readBytes(file);
    fs::path input = GetParam().path;
    if (*GetParam().writer) {
        input = m_dir / "pipe";
        ASSERT_EQ(mkfifo(input.c_str(), 0600), 0);
        std::system(
            ("(" + std::string(GetParam().writer) + ") >'" + input.string() + "' 2>/dev/null &")
                .c_str());
    }
    CliRun result = run({"import-obj", file.string(), input.string()});
    if (*GetParam().writer) {
        // Should the tool not have read the pipe, this lets the writer go.
        const int reader = open(input.c_str(), O_RDONLY | O_NONBLOCK);
        if (reader >= 0)
            close(reader);
    }
    EXPECT_EQ(result.code, 1);
    EXPECT_EQ(lineCount(result.err), 1u) << result.err;
    EXPECT_NE(result.err.find(GetParam().reason), std::string::npos) << result.err;
    EXPECT_EQ(readBytes(file), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliOddInput,
    testing::Values(
        OddInput{"Device", "", "/dev/zero", "/dev/zero: not a regular file or a FIFO"},
        OddInput{"Folder", "", "/", "/: not a regular file or a FIFO"},
        OddInput{
            "EndlessVertices", "yes 'v 0 0 0'", "",
            "its vertex count 14 differs from the selection's 13 (reading stopped at line 14)"},
        OddInput{"EndlessLine", "head -c 3000000 /dev/zero", "", "line 1 is longer than 1 MiB"}),
    [](const auto& info) { return std::string(info.param.name); });

// Commands that only read make no copy of the model, so they work without a temporary folder.
TEST_F(Cli, ReadingCommandsNeedNoTemporaryFolder) {
    fs::path file = writeModel(plainPlan());
    CliEnvironment noTemporaryFolder{m_dir / "no-such-folder"};
    for (Args args : {Args{"info"}, Args{"dump"}, Args{"export-obj", "-o", "-"}}) {
        args.insert(args.begin() + 1, file.string());
        CliRun result = run(args, noTemporaryFolder);
        EXPECT_EQ(result.code, 0) << args[0] << ": " << result.err;
    }
    const CliRun check = run({"check", file.string()}, noTemporaryFolder);
    EXPECT_EQ(check.code, 1);
    EXPECT_EQ(check.err, "vertwright-cli: the temporary folder \"" +
                             (m_dir / "no-such-folder").string() +
                             "\" named by TMPDIR: no such folder\n");
}

// A killed run leaves its scratch folder; the next run removes it, and only such folders.
TEST_F(Cli, RemovesTheScratchFoldersOfRunsThatAreGone) {
    if (kPortableIo)
        GTEST_SKIP() << "the portable file access takes every process for running";
    fs::path tmp = m_dir / "tmp";
    fs::path stale = tmp / ("vertwright-cli-" + std::to_string(goneProcess()) + "-Ab12Cd");
    fs::path running = tmp / ("vertwright-cli-" + std::to_string(getpid()) + "-Ab12Cd");
    fs::path unrelated = tmp / "vertwright-cli-notes";
    // Look-alikes of a gone run's folder: the user's data in one of the same shape, a longer
    // suffix, and a folder inside.
    const std::string gone = "vertwright-cli-" + std::to_string(goneProcess());
    fs::path mine = tmp / (gone + "-mydata");
    fs::path longer = tmp / (gone + "-Ab12Cd7");
    fs::path nested = tmp / (gone + "-Zz99Yy");
    for (const fs::path& folder : {stale, running, unrelated, mine, longer, nested / "inner"})
        fs::create_directories(folder);
    writeBytes(stale / "current.tmp", std::vector<uint8_t>(4096, 7));
    writeBytes(stale / (".vw" + std::to_string(goneProcess()) + "-0badf00d.tmp"), {7});
    writeBytes(mine / "notes.txt", {1});
    writeBytes(nested / "check.ebo", {1});
    fs::path file = writeModel(plainPlan());
    EXPECT_EQ(run({"info", file.string()}, {tmp}).code, 0);
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(running));
    EXPECT_TRUE(fs::exists(unrelated));
    EXPECT_TRUE(fs::exists(mine / "notes.txt"));
    EXPECT_TRUE(fs::exists(longer));
    EXPECT_TRUE(fs::exists(nested / "inner"));
    EXPECT_TRUE(fs::exists(nested / "check.ebo"));
}

// The two single-bit variants of the samples load, but an import that moves their vertices
// would overwrite the file's own structure or another block: it is refused, saying which, and
// the file stays as it was.
struct FlippedSample {
    const char* name;
    const char* file;
    size_t position; // 1-based
    uint8_t mask;
    const char* part;
    const char* says;
};

class CliFlippedSample : public Cli, public testing::WithParamInterface<FlippedSample> {};

TEST_P(CliFlippedSample, ImportIsRefused) {
    const fs::path samples =
        fs::path(__FILE__).parent_path().parent_path().parent_path() / "samples";
    for (const char* companion : {"lod/base_lod2.ebo", "misc2.dat"}) {
        fs::create_directories((programDir() / companion).parent_path());
        fs::copy_file(samples / companion, programDir() / companion);
    }
    std::vector<uint8_t> bytes = readBytes(samples / GetParam().file);
    bytes.at(GetParam().position - 1) ^= GetParam().mask;
    const fs::path file = m_dir / GetParam().file;
    writeBytes(file, bytes);
    CliRun exported = run({"export-obj", file.string(), "-o", "-", "--part", GetParam().part});
    ASSERT_EQ(exported.code, 0) << exported.err;
    const fs::path obj = writeText("moved.obj", movedVertices(exported.out));
    CliRun imported = run({"import-obj", file.string(), obj.string(), "--part", GetParam().part});
    EXPECT_EQ(imported.code, 1);
    EXPECT_EQ(
        imported.err.rfind("vertwright-cli: " + std::string(GetParam().says) + " at byte ", 0), 0u)
        << imported.err;
    EXPECT_EQ(readBytes(file), bytes);
}

// fish6: byte 642 moves the first UV block from 2593 to 545; head2: byte 2117 moves part 2's
// delta block onto its own part record.
INSTANTIATE_TEST_SUITE_P(
    Samples, CliFlippedSample,
    testing::Values(
        FlippedSample{
            "Version6", "fish6.ebo", 642, 0x08, "0",
            "the texture block of segment 0/0 would overwrite the position block of segment 0/0"},
        FlippedSample{"Delta", "head2.ebo", 2117, 0x40, "2",
                      "the delta block of segment 2/0 would overwrite the file's own structure"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace vw::test
