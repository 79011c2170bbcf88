#include "model/files/background_removal.h"
#include "model/files/content_hash.h"
#include "model/files/file_io.h"
#include "support/portable_io.h"
#include "support/temp_dir.h"
#include "support/unprivileged.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <ctime>
#include <regex>
#include <set>
#include <thread>
#include <tuple>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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
// for the draw number and the target's inode: the backup's as it records the content written
// ({4, 5}), and as it was named before it did.
std::vector<std::string> namesOfDraw(uint32_t draw, uint64_t inode) {
    char temporary[64], backup[64], recording[128];
    const long pid = platform::processId();
    std::snprintf(temporary, sizeof temporary, ".vw%ld-%08x.tmp", pid, unsigned{draw});
    std::snprintf(backup, sizeof backup, ".vw%ld-%08x-%016llx.bak", pid, unsigned{draw},
                  static_cast<unsigned long long>(inode));
    const std::vector<uint8_t> written{4, 5};
    std::snprintf(recording, sizeof recording, ".vw%ld-%08x-%016llx-%016llx-%016llx.bak", pid,
                  unsigned{draw}, static_cast<unsigned long long>(inode),
                  static_cast<unsigned long long>(written.size()),
                  static_cast<unsigned long long>(contentHash(written)));
    return {temporary, backup, recording};
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

std::set<std::string> namesIn(const std::filesystem::path& folder) {
    waitForRemovals();
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

Result replaceWith(const std::filesystem::path& target, const std::vector<uint8_t>& bytes,
                   TargetStamps* stamps = nullptr) {
    return replaceFile(
        target,
        [&](const auto& temporary) {
            writeBytes(temporary, bytes);
            return Result();
        },
        ReplaceMode::kKeepAcrossCrash, stamps);
}

// Puts the hook back to none however the test ends.
struct StepHookSet {
    explicit StepHookSet(ReplaceStepHook hook) { setReplaceStepHook(std::move(hook)); }
    ~StepHookSet() { setReplaceStepHook({}); }
};

// A process id that no process has: a child's, once it has ended.
pid_t goneProcess() {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

// The name a backup of file had before backups recorded what their save was writing.
std::string plainBackupName(const std::filesystem::path& file) {
    FileStamp stamp;
    EXPECT_TRUE(stampOf(file, stamp));
    char name[64];
    std::snprintf(name, sizeof name, ".vw%d-0badf00d-%016llx.bak", int(goneProcess()),
                  static_cast<unsigned long long>(stamp.inode));
    return name;
}

struct KilledAtCase {
    const char* name;
    ReplaceStep step;
    bool written;          // the model holds the whole new content
    const char* leftAlone; // why the backup is not offered; empty when it is
};

class KilledInPlaceSave : public testing::TestWithParam<KilledAtCase> {};

// A save of a hard-linked model killed at a step leaves its backup. Killed before the write, the
// backup may be the newest whole content and is offered; killed after it, the model is whole and
// new, so the backup is only named. Either way the next complete save removes it, and the model
// keeps that save's content.
TEST_P(KilledInPlaceSave, LeavesABackupThatTheNextCompleteSaveRemoves) {
    if (kPortableIo)
        GTEST_SKIP() << "the portable file access takes every process for running";
    TempDir dir;
    const std::vector<uint8_t> old{1, 2, 3}, writing{4, 5, 6, 7}, later{8, 9};
    writeBytes(dir / "model.ebo", old);
    std::filesystem::create_hard_link(dir / "model.ebo", dir / "other.ebo");
    const pid_t child = ::fork();
    if (child == 0) {
        setReplaceStepHook([step = GetParam().step](ReplaceStep now, const auto&) {
            if (now == step)
                ::_exit(0);
        });
        std::ignore = replaceWith(dir / "model.ebo", writing);
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the save ran past the step";

    const std::vector<SaveBackup> backups = interruptedSaveBackups(dir / "model.ebo");
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(backups[0].leftAlone, GetParam().leftAlone);
    EXPECT_EQ(readBytes(backups[0].path), old);
    EXPECT_EQ(readBytes(dir / "other.ebo"), GetParam().written ? writing : old);

    ASSERT_TRUE(replaceWith(dir / "model.ebo", later));
    EXPECT_EQ(readBytes(dir / "other.ebo"), later);
    EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"model.ebo", "other.ebo"}));
    EXPECT_TRUE(interruptedSaveBackups(dir / "model.ebo").empty());
}

INSTANTIATE_TEST_SUITE_P(
    Steps, KilledInPlaceSave,
    testing::Values(KilledAtCase{"BeforeTheWrite", ReplaceStep::kWriteInPlace, false, ""},
                    KilledAtCase{"AfterTheWrite", ReplaceStep::kRemoveBackup, true,
                                 "the save that made it completed"}),
    [](const testing::TestParamInfo<KilledAtCase>& info) { return std::string(info.param.name); });

// A name shaped like a backup is offered only where an in-place save could have left it: beside
// a model with a second name, made by the model's owner or this user. In a sticky folder another
// user may put any file at such a name; it is named, never offered, and a save leaves it be. A
// backup of this user's is superseded by the save and goes.
TEST(InterruptedSaveBackups, OnlyAnInPlaceSavesOwnBackupIsOffered) {
    if (kPortableIo)
        GTEST_SKIP() << "the portable file access takes every process for running";
    struct Case {
        bool linked;
        bool byOtherUser;
        const char* leftAlone;
    };
    const char* const kOtherUser = "it belongs to another user";
    const char* const kSingleName =
        "the file has a single name, and only a file with more is written in place";
    for (const Case& planted : {Case{true, false, ""}, Case{false, false, kSingleName},
                                Case{true, true, kOtherUser}, Case{false, true, kOtherUser}}) {
        SCOPED_TRACE(std::string(planted.linked ? "linked" : "single") +
                     (planted.byOtherUser ? ", another user's" : ", this user's"));
        if (planted.byOtherUser && ::geteuid() != 0)
            GTEST_SKIP() << "needs a second user, which only root can be";
        TempDir dir;
        TempDir nobodys;
        std::filesystem::permissions(dir.path(), std::filesystem::perms::all |
                                                     std::filesystem::perms::sticky_bit);
        writeBytes(dir / "model.ebo", {1, 2, 3});
        if (planted.linked)
            std::filesystem::create_hard_link(dir / "model.ebo", dir / "other.ebo");
        const std::filesystem::path backup = dir / plainBackupName(dir / "model.ebo");
        const std::vector<uint8_t> theirs{6, 6, 6};
        const auto plant = [&] {
            writeBytes(backup, theirs);
            return true;
        };
        ASSERT_TRUE(planted.byOtherUser ? asUnprivilegedUser(nobodys.path(), plant) : plant());

        const std::vector<SaveBackup> found = interruptedSaveBackups(dir / "model.ebo");
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(found[0].path, backup);
        EXPECT_EQ(found[0].leftAlone, planted.leftAlone);

        ASSERT_TRUE(replaceWith(dir / "model.ebo", {4, 5}));
        EXPECT_EQ(readBytes(dir / "model.ebo"), (std::vector<uint8_t>{4, 5}));
        EXPECT_EQ(std::filesystem::exists(backup), planted.byOtherUser);
        if (planted.byOtherUser) {
            EXPECT_EQ(readBytes(backup), theirs);
        }
    }
}

// What another program does to the target right before the rename: nothing, write it in place,
// or put a file of its own at its name.
enum class OtherProgram { kNothing, kWritesInPlace, kRenamesOver };

// A change made after a replacement's last check would be replaced unseen: the file replaced is
// kept beside the target under a name that says so, and the replacement, done, tells where.
TEST(ReplaceRace, KeepsWhatAnotherProgramWroteJustBeforeTheRename) {
    if (kPortableIo)
        GTEST_SKIP() << "the portable file access makes no second name to look through";
    for (const OtherProgram other :
         {OtherProgram::kNothing, OtherProgram::kWritesInPlace, OtherProgram::kRenamesOver}) {
        SCOPED_TRACE(static_cast<int>(other));
        TempDir dir;
        writeBytes(dir / "model.ebo", {1, 2, 3});
        // Files at the names the save would keep a change under, this second and the next,
        // belong to someone else.
        std::set<std::string> planted;
        for (const std::time_t second : {std::time(nullptr), std::time(nullptr) + 1}) {
            char name[64];
            std::strftime(name, sizeof name, "model.ebo.changed-while-saving-%Y%m%d-%H%M%S",
                          std::localtime(&second));
            writeBytes(dir / name, {1});
            planted.insert(name);
        }
        TargetStamps stamps;
        stamps.expected.emplace();
        ASSERT_TRUE(stampOf(dir / "model.ebo", *stamps.expected));
        const std::vector<uint8_t> theirs{7, 7, 7, 7};
        const StepHookSet hook([&](ReplaceStep step, const std::filesystem::path& target) {
            if (step != ReplaceStep::kRename || other == OtherProgram::kNothing)
                return;
            if (other == OtherProgram::kWritesInPlace) {
                FilePtr file(platform::openFile(target, "r+b"));
                ASSERT_TRUE(writeBytesAt(file.get(), 0, theirs));
            } else {
                writeBytes(dir / "theirs", theirs);
                std::filesystem::rename(dir / "theirs", target);
            }
        });
        const Result replaced = replaceWith(dir / "model.ebo", {4, 5}, &stamps);

        EXPECT_EQ(readBytes(dir / "model.ebo"), (std::vector<uint8_t>{4, 5}));
        std::set<std::string> names = namesIn(dir.path());
        EXPECT_EQ(names.erase("model.ebo"), 1u);
        for (const std::string& name : planted) {
            EXPECT_EQ(readBytes(dir / name), std::vector<uint8_t>{1}) << name;
            EXPECT_EQ(names.erase(name), 1u) << name;
        }
        if (other == OtherProgram::kNothing) {
            EXPECT_TRUE(replaced) << replaced.reason();
            EXPECT_TRUE(names.empty());
            EXPECT_TRUE(stamps.keptAside.empty());
            continue;
        }
        ASSERT_EQ(names.size(), 1u);
        const std::string kept = *names.begin();
        EXPECT_TRUE(std::regex_match(
            kept, std::regex(R"(model\.ebo\.changed-while-saving-\d{8}-\d{6}(-[2-9])?)")))
            << kept;
        EXPECT_EQ(readBytes(dir / kept), theirs);
        EXPECT_EQ(stamps.keptAside, dir / kept);
        EXPECT_NE(replaced.reason().find("another program changed"), std::string::npos);
        EXPECT_NE(replaced.reason().find(kept), std::string::npos) << replaced.reason();
        FileStamp now;
        ASSERT_TRUE(stampOf(dir / "model.ebo", now));
        EXPECT_EQ(now, stamps.written);
    }
}

// The hash tells apart contents that differ in one bit or in length alone, and reads no byte
// past the span.
TEST(ContentHash, DiffersForEveryOneBitChangeAndEveryLength) {
    std::vector<uint8_t> bytes(19, 0);
    std::set<uint64_t> hashes;
    for (size_t size = 0; size <= bytes.size(); ++size)
        hashes.insert(contentHash({bytes.data(), size}));
    for (size_t bit = 0; bit < bytes.size() * 8; ++bit) {
        std::vector<uint8_t> flipped = bytes;
        flipped[bit / 8] ^= uint8_t(1u << (bit % 8));
        hashes.insert(contentHash(flipped));
    }
    EXPECT_EQ(hashes.size(), bytes.size() + 1 + bytes.size() * 8);
}

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
