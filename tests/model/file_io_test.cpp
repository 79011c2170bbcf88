#include "model/files/background_removal.h"
#include "model/files/file_io.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include <sys/stat.h>

using namespace vw;
using namespace vw::test;

namespace {

// Once the files replaced are gone.
size_t filesIn(const std::filesystem::path& folder) {
    waitForRemovals();
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(folder),
                                             std::filesystem::directory_iterator()));
}

// Both modes keep the same contract; only what ext4 writes at once differs.
class ReplaceFile : public testing::TestWithParam<ReplaceMode> {};

TEST_P(ReplaceFile, AFailedFillLeavesTheTargetAndNoTemporaryFile) {
    TempDir dir;
    writeBytes(dir / "model.ebo", {1, 2, 3});
    const Result replaced = replaceFile(
        dir / "model.ebo",
        [](const auto& temporary) {
            writeBytes(temporary, {7, 7}); // half-written, then the disk fills up
            return Result::failure("No space left on device");
        },
        GetParam());
    EXPECT_EQ(replaced.reason(), "No space left on device");
    EXPECT_EQ(readBytes(dir / "model.ebo"), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(filesIn(dir.path()), 1u);
}

// Files handed over for removal are all gone once waitForRemovals returns, in any number and
// whether or not they still exist.
TEST(BackgroundRemoval, EveryFileIsGoneOnceRemovalsAreDone) {
    TempDir dir;
    for (int i = 0; i < 50; ++i) {
        writeBytes(dir / std::to_string(i), {1});
        removeInBackground(dir / std::to_string(i));
        if (i % 10 == 0)
            removeInBackground(dir / "never made");
    }
    waitForRemovals();
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

// Removals asked for from several threads at once all land in the one queue, none lost: each
// thread's files are gone once it has waited.
TEST(BackgroundRemoval, RemovalsFromSeveralThreadsAreAllDone) {
    TempDir dir;
    constexpr int kThreads = 4, kFiles = 100;
    std::atomic<int> left = 0;
    std::vector<std::thread> askers;
    for (int t = 0; t < kThreads; ++t) {
        askers.emplace_back([&, t] {
            const auto file = [&](int i) {
                return dir / (std::to_string(t) + "-" + std::to_string(i));
            };
            for (int i = 0; i < kFiles; ++i) {
                writeBytes(file(i), {1});
                removeInBackground(file(i));
            }
            waitForRemovals();
            for (int i = 0; i < kFiles; ++i)
                left += std::filesystem::exists(file(i));
        });
    }
    for (std::thread& asker : askers)
        asker.join();
    EXPECT_EQ(left, 0);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST_P(ReplaceFile, WritesBesideTheTargetAndPutsItInItsPlace) {
    TempDir dir;
    writeBytes(dir / "model.ebo", {1, 2, 3});
    std::filesystem::permissions(dir / "model.ebo", std::filesystem::perms::owner_read |
                                                        std::filesystem::perms::owner_write);
    std::filesystem::path used;
    std::filesystem::perms made{};
    const Result replaced = replaceFile(
        dir / "model.ebo",
        [&](const auto& temporary) {
            used = temporary;
            writeBytes(temporary, {4, 5});
            made = std::filesystem::status(temporary).permissions();
            return Result();
        },
        GetParam());
    EXPECT_TRUE(replaced) << replaced.reason();
    EXPECT_EQ(used.parent_path(), dir.path());
    EXPECT_EQ(readBytes(dir / "model.ebo"), (std::vector<uint8_t>{4, 5}));
    // A scratch file keeps the permissions it was made with.
    EXPECT_EQ(std::filesystem::status(dir / "model.ebo").permissions(),
              GetParam() == ReplaceMode::kScratch
                  ? made
                  : std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(filesIn(dir.path()), 1u);
}

// A temporary file whose permissions cannot be set (here: the fill left none) fails the
// replacement and says so, instead of putting a file of other permissions in the target's place.
// A scratch file takes no permissions over; its replacement fails for want of the file.
TEST_P(ReplaceFile, AFailedPermissionCopyIsReportedAndLeavesTheTarget) {
    TempDir dir;
    writeBytes(dir / "model.ebo", {1, 2, 3});
    const Result replaced = replaceFile(
        dir / "model.ebo", [](const auto&) { return Result(); }, GetParam());
    const bool takesPermissions = GetParam() == ReplaceMode::kKeepAcrossCrash;
    EXPECT_FALSE(replaced);
    EXPECT_EQ(replaced.reason().find("permissions") != std::string::npos, takesPermissions)
        << replaced.reason();
    EXPECT_EQ(readBytes(dir / "model.ebo"), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(filesIn(dir.path()), 1u);
}

TEST_P(ReplaceFile, CreatesAMissingTarget) {
    TempDir dir;
    const Result replaced = replaceFile(
        dir / "new.tmp",
        [](const auto& temporary) {
            writeBytes(temporary, {8});
            return Result();
        },
        GetParam());
    EXPECT_TRUE(replaced) << replaced.reason();
    EXPECT_EQ(readBytes(dir / "new.tmp"), std::vector<uint8_t>{8});
}

// The names of a temporary file and of a backup, as a replacement beside the target makes them,
// for the draw number and the target's inode.
std::vector<std::string> namesOfDraw(uint32_t draw, uint64_t inode) {
    char temporary[64], backup[64];
    const long pid = platform::processId();
    std::snprintf(temporary, sizeof temporary, ".vw%ld-%08x.tmp", pid, unsigned{draw});
    std::snprintf(backup, sizeof backup, ".vw%ld-%08x-%016llx.bak", pid, unsigned{draw},
                  static_cast<unsigned long long>(inode));
    return {temporary, backup};
}

// Files at every name that a replacement draws first (here draws 1 to 8, tried again before each
// new name) belong to someone else: the replacement takes other names and leaves them byte for
// byte, whether it renames or, for a target with a second link, writes in place.
TEST_P(ReplaceFile, LeavesFilesAtTheNamesItDrawsAlone) {
    constexpr uint32_t kTaken = 8;
    // Puts the system's draw back however the test ends.
    struct DrawReplaced {
        NameDraw before;
        ~DrawReplaced() { setNameDraw(std::move(before)); }
    };
    uint32_t drawn = 0;
    const DrawReplaced replacedDraw{setNameDraw([&drawn] {
        ++drawn;
        return drawn % (kTaken + 1) != 0 ? drawn % (kTaken + 1) : kTaken + drawn / (kTaken + 1);
    })};
    for (const bool linked : {false, true}) {
        TempDir dir;
        writeBytes(dir / "model.ebo", {1, 2, 3});
        if (linked)
            std::filesystem::create_hard_link(dir / "model.ebo", dir / "other.ebo");
        FileStamp stamp;
        ASSERT_TRUE(stampOf(dir / "model.ebo", stamp));
        std::vector<std::pair<std::filesystem::path, std::vector<uint8_t>>> planted;
        for (uint32_t draw = 1; draw <= kTaken; ++draw) {
            for (const std::string& name : namesOfDraw(draw, stamp.inode)) {
                planted.push_back({dir / name, {uint8_t(draw), uint8_t(planted.size())}});
                writeBytes(planted.back().first, planted.back().second);
            }
        }
        const Result replaced = replaceFile(
            dir / "model.ebo",
            [](const auto& temporary) {
                writeBytes(temporary, {4, 5});
                return Result();
            },
            GetParam());
        EXPECT_TRUE(replaced) << replaced.reason();
        EXPECT_EQ(readBytes(dir / "model.ebo"), (std::vector<uint8_t>{4, 5}));
        for (const auto& [file, bytes] : planted)
            EXPECT_EQ(readBytes(file), bytes) << file;
        EXPECT_EQ(filesIn(dir.path()), planted.size() + (linked ? 2 : 1));
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, ReplaceFile,
                         testing::Values(ReplaceMode::kKeepAcrossCrash, ReplaceMode::kScratch),
                         [](const testing::TestParamInfo<ReplaceMode>& info) {
                             return info.param == ReplaceMode::kScratch ? "Scratch"
                                                                        : "KeepAcrossCrash";
                         });

// Bytes that differ from one position to the next, so a shifted or cut copy shows.
std::vector<uint8_t> patterned(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(i * 7 + i / 251);
    return bytes;
}

// Empty, one byte, one short of a page, and past the one-mebibyte steps of a buffered copy.
const size_t kSizes[] = {0, 1, 4095, (size_t{3} << 20) + 7};

using TakeWholeFile = Result (*)(const std::filesystem::path&, FileBytes&);

class TakingWholeFiles : public testing::TestWithParam<TakeWholeFile> {};

TEST_P(TakingWholeFiles, GiveExactlyTheFilesBytes) {
    TempDir dir;
    for (size_t size : kSizes) {
        const std::vector<uint8_t> bytes = patterned(size);
        writeBytes(dir / "data", bytes);
        FileBytes taken;
        ASSERT_TRUE(GetParam()(dir / "data", taken)) << size;
        EXPECT_EQ(std::vector<uint8_t>(taken.bytes().begin(), taken.bytes().end()), bytes);
    }
}

TEST_P(TakingWholeFiles, ExplainWhatIsNotARegularFile) {
    TempDir dir;
    // A named pipe without a writer would block a plain open for ever.
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    for (const char* name : {"missing", "pipe", "."}) {
        FileBytes taken;
        const std::string reason = GetParam()(dir / name, taken).reason();
        EXPECT_NE(reason, "") << name;
        EXPECT_NE(reason.find(name), std::string::npos) << reason;
    }
}

INSTANTIATE_TEST_SUITE_P(ReadOrMapped, TakingWholeFiles,
                         testing::Values(&readFileBytes, &mapFileBytes),
                         [](const testing::TestParamInfo<TakeWholeFile>& info) {
                             return info.param == &readFileBytes ? "Read" : "Mapped";
                         });

// A file another program cuts short under the mapping: the pages past its new end read as
// zeros and the cut is told, where a plain mapping would end the process.
TEST(MapSharedFile, GivesTheFilesBytesAndSurvivesACut) {
    TempDir dir;
    for (size_t size : kSizes) {
        const std::vector<uint8_t> bytes = patterned(size);
        writeBytes(dir / "data", bytes);
        FileBytes mapped;
        ASSERT_TRUE(mapSharedFile(dir / "data", mapped)) << size;
        EXPECT_EQ(std::vector<uint8_t>(mapped.bytes().begin(), mapped.bytes().end()), bytes);
        EXPECT_FALSE(wasCutShort(mapped));
    }
#ifdef VW_PORTABLE_IO
    GTEST_SKIP() << "the portable file access reads instead of mapping";
#endif
    FileBytes mapped;
    ASSERT_TRUE(mapSharedFile(dir / "data", mapped));
    std::filesystem::resize_file(dir / "data", 4096);
    uint64_t sumPastTheCut = 0;
    for (size_t i = 8192; i < mapped.size; ++i)
        sumPastTheCut += mapped.bytes()[i];
    EXPECT_EQ(sumPastTheCut, 0u);
    EXPECT_EQ(mapped.bytes()[100], patterned(101)[100]);
    EXPECT_TRUE(wasCutShort(mapped));
}

// The copy follows a writer: each range is copied once the writer says it is final, and a
// stopped copy leaves no file.
TEST(CopyAsWritten, TakesEachRangeAsFinallyWrittenOrStops) {
    TempDir dir;
    const size_t size = kSizes[3];
    writeBytes(dir / "source", std::vector<uint8_t>(size, 0));
    const std::vector<uint8_t> final = patterned(size);
    for (bool stop : {false, true}) {
        std::filesystem::remove(dir / "copy");
        WriteProgress progress;
        CopyFailure copied;
        std::thread copier(
            [&] { copied = copyAsWritten(dir / "source", dir / "copy", size, progress); });
        FilePtr source(platform::openFile(dir / "source", "r+b"));
        for (size_t at = 0; at < size; at += 1 << 20) {
            const size_t end = std::min(size, at + (size_t{1} << 20));
            ASSERT_TRUE(writeBytesAt(source.get(), at, {final.data() + at, end - at}));
            progress.ready.store(stop && end > size / 2 ? WriteProgress::kStopped : end);
            progress.ready.notify_all();
        }
        copier.join();
        EXPECT_EQ(copied.result.ok(), !stop) << copied.result.reason();
        if (stop)
            EXPECT_FALSE(std::filesystem::exists(dir / "copy"));
        else
            EXPECT_EQ(readBytes(dir / "copy"), final);
    }
}

TEST(CopyToNewFile, CopiesEveryByte) {
    TempDir dir;
    for (size_t size : kSizes) {
        const std::vector<uint8_t> bytes = patterned(size);
        writeBytes(dir / "source", bytes);
        std::filesystem::remove(dir / "copy");
        ASSERT_TRUE(copyToNewFile(dir / "source", dir / "copy")) << size;
        EXPECT_EQ(readBytes(dir / "copy"), bytes);
    }
}

// Between file systems the kernel's own copy may refuse, and the copy takes another way.
TEST(CopyToNewFile, CopiesBetweenFileSystems) {
    TempDir dir;
    const std::filesystem::path elsewhere = "/dev/shm";
    struct stat here, there;
    if (::stat(dir.path().c_str(), &here) != 0 || ::stat(elsewhere.c_str(), &there) != 0 ||
        here.st_dev == there.st_dev)
        GTEST_SKIP() << "no second file system at " << elsewhere;
    const std::filesystem::path source = elsewhere / dir.path().filename();
    const std::vector<uint8_t> bytes = patterned(kSizes[3]);
    writeBytes(source, bytes);
    const Result copied = copyToNewFile(source, dir / "copy");
    std::filesystem::remove(source);
    ASSERT_TRUE(copied) << copied.reason();
    EXPECT_EQ(readBytes(dir / "copy"), bytes);
}

TEST(CopyToNewFile, NeverOverwrites) {
    TempDir dir;
    writeBytes(dir / "source", {1, 2});
    writeBytes(dir / "taken", {9});
    EXPECT_FALSE(copyToNewFile(dir / "source", dir / "taken"));
    EXPECT_EQ(readBytes(dir / "taken"), std::vector<uint8_t>{9});
}

TEST(CopyToNewFile, AnUnreadableSourceLeavesNoCopy) {
    TempDir dir;
    for (const char* name : {"missing", "."}) {
        EXPECT_FALSE(copyToNewFile(dir / name, dir / "copy")) << name;
        EXPECT_FALSE(std::filesystem::exists(dir / "copy")) << name;
    }
}

} // namespace
