#include "model/file_io.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace vw;
using namespace vw::test;

namespace {

TEST(ReplaceFile, AFailedFillLeavesTheTargetAndNoTemporaryFile) {
    TempDir dir;
    writeBytes(dir / "model.ebo", {1, 2, 3});
    const std::string reason = replaceFile(dir / "model.ebo", [](const auto& temporary) {
        writeBytes(temporary, {7, 7}); // half-written, then the disk fills up
        return std::string("No space left on device");
    });
    EXPECT_EQ(reason, "No space left on device");
    EXPECT_EQ(readBytes(dir / "model.ebo"), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(ReplaceFile, WritesBesideTheTargetAndRenamesOverIt) {
    TempDir dir;
    writeBytes(dir / "model.ebo", {1, 2, 3});
    std::filesystem::path used;
    const std::string reason = replaceFile(dir / "model.ebo", [&](const auto& temporary) {
        used = temporary;
        return writeNewFile(temporary, std::vector<uint8_t>{4, 5});
    });
    EXPECT_EQ(reason, "");
    EXPECT_EQ(used.parent_path(), dir.path());
    EXPECT_FALSE(std::filesystem::exists(used));
    EXPECT_EQ(readBytes(dir / "model.ebo"), (std::vector<uint8_t>{4, 5}));
}

TEST(ReplaceFile, CreatesAMissingTarget) {
    TempDir dir;
    const std::string reason = replaceFile(dir / "new.tmp", [](const auto& temporary) {
        return writeNewFile(temporary, std::vector<uint8_t>{8});
    });
    EXPECT_EQ(reason, "");
    EXPECT_EQ(readBytes(dir / "new.tmp"), std::vector<uint8_t>{8});
}

TEST(WriteNewFile, NeverOverwrites) {
    TempDir dir;
    writeBytes(dir / "taken", {1});
    EXPECT_NE(writeNewFile(dir / "taken", std::vector<uint8_t>{2}), "");
    EXPECT_EQ(readBytes(dir / "taken"), std::vector<uint8_t>{1});
}

TEST(ReadFileBytes, ReadsWholeFilesAndExplainsFailures) {
    TempDir dir;
    const std::vector<uint8_t> bytes(100000, 0x5a);
    writeBytes(dir / "data", bytes);
    FileBytes read;
    ASSERT_EQ(readFileBytes(dir / "data", read), "");
    EXPECT_EQ(std::vector<uint8_t>(read.bytes().begin(), read.bytes().end()), bytes);

    writeBytes(dir / "empty", {});
    EXPECT_EQ(readFileBytes(dir / "empty", read), "");
    EXPECT_EQ(read.size, 0u);

    EXPECT_NE(readFileBytes(dir / "missing", read), "");
    EXPECT_NE(readFileBytes(dir.path(), read), "");
}

} // namespace
