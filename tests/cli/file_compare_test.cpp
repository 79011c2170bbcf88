#include "cli/file_compare.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace vw {
namespace {

namespace fs = std::filesystem;

class CompareFiles : public testing::Test {
protected:
    fs::path write(const std::string& name, const std::string& bytes) {
        fs::path path = m_dir / name;
        test::writeBytes(path, std::vector<uint8_t>(bytes.begin(), bytes.end()));
        return path;
    }

    test::TempDir m_dir;
};

using Ranges = std::vector<ByteRange>;

TEST_F(CompareFiles, ReportsRunsOfDifferingBytes) {
    fs::path a = write("a", "0123456789abcdef");
    EXPECT_EQ(compareFiles(a, write("same", "0123456789abcdef")).differing, Ranges{});
    EXPECT_EQ(compareFiles(a, write("b", "012xy56789abcdeF")).differing, (Ranges{{3, 2}, {15, 1}}));
}

TEST_F(CompareFiles, ExtraLengthDiffersAndJoinsATouchingRun) {
    fs::path a = write("a", "0123");
    EXPECT_EQ(compareFiles(a, write("longer", "0123xyz")).differing, (Ranges{{4, 3}}));
    EXPECT_EQ(compareFiles(write("longer2", "012Xxyz"), a).differing, (Ranges{{3, 4}}));
    EXPECT_EQ(compareFiles(a, write("empty", "")).differing, (Ranges{{0, 4}}));
}

TEST_F(CompareFiles, RunsJoinAcrossReadChunks) {
    std::string bytes(3u << 20, 'a');
    std::string changed = bytes;
    size_t boundary = 1u << 20;
    changed[boundary - 1] = changed[boundary] = 'b';
    changed[2 * boundary + 5] = 'c';
    EXPECT_EQ(compareFiles(write("a", bytes), write("b", changed)).differing,
              (Ranges{{boundary - 1, 2}, {2 * boundary + 5, 1}}));
}

TEST_F(CompareFiles, MissingFileIsAnError) {
    FileComparison comparison = compareFiles(write("a", "x"), m_dir / "missing");
    EXPECT_NE(comparison.error.find("missing"), std::string::npos) << comparison.error;
}

TEST(DescribeRanges, ListsInclusiveOffsetsUpToALimit) {
    Ranges ranges = {{0, 1}, {1000, 24}, {5000, 2}, {6000, 2}};
    EXPECT_EQ(describeRanges(ranges, 10), "offsets 0 to 0 (1 byte)\n"
                                          "offsets 1000 to 1023 (24 bytes)\n"
                                          "offsets 5000 to 5001 (2 bytes)\n"
                                          "offsets 6000 to 6001 (2 bytes)\n");
    EXPECT_EQ(describeRanges(ranges, 2), "offsets 0 to 0 (1 byte)\n"
                                         "offsets 1000 to 1023 (24 bytes)\n"
                                         "and 2 more ranges\n");
}

} // namespace
} // namespace vw
