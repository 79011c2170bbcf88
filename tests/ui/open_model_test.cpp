// Opening a model: the command line's quotes, the load step, its failure message, the offer of
// an interrupted save's backup, where the working copy lives, and the start-up's recovery of the
// unsaved edits a killed editor left.

#include "app/frm_loading.h"
#include "app/journal_files.h"
#include "app/recovery.h"
#include "app/start_options.h"
#include "app/working_copy.h"
#include "fake_settings.h"
#include "model/editing/history/journal_writer.h"
#include "model/files/file_io.h"
#include "open_model_support.h"
#include "panels/frm_parts.h"
#include "support/temp_dir.h"
#include "support/value_bits.h"
#include "support/watched_child.h"

#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QMdiSubWindow>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>
#include <utility>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using vw::test::Editor;
using vw::test::loadedFrom;
using vw::test::twoPartModel;

struct QuoteCase {
    const char* text;
    const char* expected;
};

class StripQuotes : public testing::TestWithParam<QuoteCase> {};

TEST_P(StripQuotes, DropsTheFirstThenTheLastCharacter) {
    EXPECT_EQ(vw::stripQuotes(QString::fromUtf8(GetParam().text)).toStdString(),
              GetParam().expected);
}

const char* const kQuoteCaseNames[] = {
    "QuotedPath", "PlainPath", "OpeningQuoteOnly", "ClosingQuoteOnly", "QuoteInside",
    "QuoteAlone", "Empty"};

INSTANTIATE_TEST_SUITE_P(Cases, StripQuotes,
                         testing::Values(QuoteCase{R"("C:\m\a b.ebo")", R"(C:\m\a b.ebo)"},
                                         QuoteCase{R"(C:\m\a b.ebo)", R"(C:\m\a b.ebo)"},
                                         QuoteCase{R"("C:\m\a.ebo)", R"(C:\m\a.ebo)"},
                                         QuoteCase{R"(/m/a.ebo")", R"(m/a.ebo)"},
                                         QuoteCase{R"(x"y.ebo)", R"("y.eb)"}, QuoteCase{R"(")", ""},
                                         QuoteCase{"", ""}),
                         [](const testing::TestParamInfo<QuoteCase>& info) {
                             return std::string(kQuoteCaseNames[info.index]);
                         });

bool loadingWindowShown() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (qobject_cast<frmLoading*>(window) && window->isVisible())
            return true;
    }
    return false;
}

TEST(OpenModel, ShowsTheModelInTreeAndPane) {
    Editor editor;
    const std::string path = editor.put(twoPartModel(), "first2.ebo");
    editor.model.curPart = 7; // a part this model lacks
    editor.open(path);

    EXPECT_TRUE(editor.prompts.messages.empty());
    EXPECT_EQ(editor.model.modelPath, path);
    EXPECT_EQ(editor.main->parts()->nodeCount(), 5);
    ASSERT_NE(editor.main->panes(), nullptr);
    EXPECT_TRUE(editor.main->paneWindow()->isVisible());
    EXPECT_EQ(editor.main->paneWindow()->windowTitle().toStdString(), path + "[*]");
    EXPECT_EQ(editor.model.curPart, 0);
    EXPECT_EQ(editor.model.curData.size(), 1u);
    EXPECT_FALSE(loadingWindowShown());
}

TEST(OpenModel, SecondOpenReusesAndRetitlesThePane) {
    Editor editor;
    editor.open(editor.put(twoPartModel(), "first2.ebo"));
    const frmPanes* firstPane = editor.main->panes();
    // The 3D cursor stays with the model it was placed in.
    editor.main->panes()->pane().session().placeCursor({1, 2, 3});
    vw::test::EboPlan single;
    single.parts = {vw::test::PartPlan{{vw::test::gridSegment(2, 2)}}};
    const std::string second = editor.put(vw::test::buildEbo(single), "second2.ebo");
    editor.open(second);

    EXPECT_EQ(editor.main->panes(), firstPane);
    EXPECT_FALSE(editor.main->panes()->pane().session().pivotMarks().cursor);
    EXPECT_EQ(editor.main->paneWindow()->windowTitle().toStdString(), second + "[*]");
    EXPECT_EQ(editor.main->panes()->windowTitle().toStdString(), second + "[*]");
    EXPECT_EQ(editor.main->parts()->nodeCount(), 2);
}

// Options > Fit a model when it opens, off at first: each plane view is fitted after the load.
TEST(OpenModel, FitsEveryPlaneViewOnlyWhenTheOptionIsOn) {
    std::array<vw::ViewParams, 3> shown[2];
    for (bool fits : {false, true}) {
        vw::test::MemorySettings settings; // outlives the window, which keeps its layout there
        Editor editor;
        editor.main->setSettings(&settings);
        QAction* option = editor.main->action(QStringLiteral("Fit a model when it &opens"));
        ASSERT_NE(option, nullptr);
        EXPECT_FALSE(vw::fitsModelOnOpen(&settings));
        if (fits)
            option->trigger();
        EXPECT_EQ(vw::fitsModelOnOpen(&settings), fits);
        editor.open(editor.put(twoPartModel(), "fit2.ebo"));
        const vw::Pane& pane = editor.main->panes()->pane();
        for (size_t i = 0; i < 3; ++i)
            shown[fits][i] = pane.views[i];
    }
    for (size_t i = 0; i < 3; ++i)
        EXPECT_NE(shown[0][i], shown[1][i]) << "view " << i;
}

struct BadFileCase {
    const char* name;
    std::vector<uint8_t> bytes; // empty: the file does not exist
    const char* reason;         // the box's details
};

class OpenModelFailure : public testing::TestWithParam<BadFileCase> {};

// The message comes through the prompts; the earlier model stays shown and saves to its own
// file.
TEST_P(OpenModelFailure, LeavesTheEarlierModelShownAndSaveable) {
    Editor editor;
    const std::string good = editor.put(twoPartModel(), "good2.ebo");
    editor.open(good);
    editor.model.Parts[1].segments[0].verts[0].x = 42.5f; // as an edit would leave it

    const std::string bad = (editor.workspace.dir / "models" / "bad2.ebo").string();
    if (!GetParam().bytes.empty())
        vw::test::writeBytes(bad, GetParam().bytes);
    bool loadingShownAtMessage = true;
    editor.prompts.onMessage = [&] { loadingShownAtMessage = loadingWindowShown(); };
    editor.open(bad);

    ASSERT_EQ(editor.prompts.messages.size(), 1u);
    const vw::test::AskedMessage& shown = editor.prompts.messages[0];
    EXPECT_EQ(shown.text.toStdString(), "Unable to open file");
    EXPECT_EQ(shown.title.toStdString(), "Error");
    EXPECT_EQ(shown.icon, vw::PromptIcon::Error);
    EXPECT_EQ(shown.buttons, vw::PromptButtons::Ok);
    EXPECT_EQ(shown.details.toStdString(), GetParam().reason);
    EXPECT_FALSE(loadingShownAtMessage);

    EXPECT_EQ(editor.model.modelPath, good);
    EXPECT_EQ(editor.main->paneWindow()->windowTitle().toStdString(), good + "[*]");
    EXPECT_EQ(editor.main->parts()->nodeCount(), 5);
    EXPECT_TRUE(editor.main->mnuFileSave()->isEnabled());

    editor.main->mnuFileSave()->trigger();
    EXPECT_EQ(editor.prompts.messages.size(), 1u);
    EXPECT_EQ(loadedFrom(good).Parts[1].segments[0].verts[0].x, 42.5f);
    EXPECT_EQ(std::filesystem::exists(bad), !GetParam().bytes.empty());
}

std::vector<uint8_t> unloadableLayout() {
    vw::test::EboPlan plan;
    plan.modelFormat = 1;
    plan.parts = {vw::test::PartPlan{{vw::test::gridSegment(2, 2)}}};
    return vw::test::buildEbo(plan).model;
}

std::vector<uint8_t> truncatedModel() {
    std::vector<uint8_t> bytes = twoPartModel().model;
    bytes.resize(bytes.size() / 2);
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OpenModelFailure,
    testing::Values(BadFileCase{"Missing", {}, "no such file"},
                    BadFileCase{"UnloadableLayout", unloadableLayout(), "not a loadable EBO model"},
                    BadFileCase{"Truncated", truncatedModel(), "not a loadable EBO model"}),
    [](const testing::TestParamInfo<BadFileCase>& info) { return std::string(info.param.name); });

TEST(OpenModel, FailureBeforeAnyLoadShowsNoPane) {
    Editor editor;
    editor.open((editor.workspace.dir / "none2.ebo").string());

    EXPECT_EQ(editor.prompts.messages.size(), 1u);
    EXPECT_EQ(editor.main->panes(), nullptr);
    EXPECT_EQ(editor.main->parts()->nodeCount(), 0);
    EXPECT_FALSE(editor.main->mnuFileSave()->isEnabled());
    EXPECT_TRUE(editor.model.modelPath.empty());
}

// A backup beside the model at path, as an in-place save of a process now gone leaves it,
// holding bytes and written at the given time.
std::filesystem::path plantedBackup(const std::string& path, const std::vector<uint8_t>& bytes,
                                    const QDateTime& written) {
    struct stat status;
    EXPECT_EQ(::stat(path.c_str(), &status), 0);
    const pid_t gone = ::fork();
    if (gone == 0)
        ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    char name[64];
    std::snprintf(name, sizeof name, ".vw%d-0badf00d-%016llx.bak", int(gone),
                  static_cast<unsigned long long>(status.st_ino));
    const std::filesystem::path backup = std::filesystem::path(path).parent_path() / name;
    vw::test::writeBytes(backup, bytes);
    QFile file(QString::fromStdString(backup.string()));
    EXPECT_TRUE(file.open(QIODevice::ReadWrite));
    EXPECT_TRUE(file.setFileTime(written, QFileDevice::FileModificationTime));
    return backup;
}

void setWritten(const std::string& path, const QDateTime& written) {
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(written, QFileDevice::FileModificationTime));
}

// The offer of an interrupted save's backup says when the backup and the file were last
// written, and No keeps both as they are: the file may well be whole and the newer of the two.
TEST(OpenModel, TheBackupOfferSaysBothTimesAndNoKeepsTheFile) {
    Editor editor;
    const std::string path = editor.put(twoPartModel(), "cut2.ebo");
    std::filesystem::create_hard_link(path, editor.workspace.dir / "models" / "link2.ebo");
    const std::vector<uint8_t> whole = vw::test::readBytes(path);
    const QDate day(2024, 3, 9);
    setWritten(path, QDateTime(day, QTime(10, 11, 12)));
    const std::filesystem::path backup =
        plantedBackup(path, twoPartModel(1).model, QDateTime(day, QTime(8, 9, 10)));
    editor.prompts.yesNoAnswer = vw::PromptAnswer::No;
    editor.open(path);

    ASSERT_EQ(editor.prompts.messages.size(), 1u);
    const vw::test::AskedMessage& offer = editor.prompts.messages[0];
    EXPECT_EQ(offer.buttons, vw::PromptButtons::YesNoDefaultNo);
    EXPECT_TRUE(offer.details.contains(QString::fromStdString(backup.filename().string())));
    EXPECT_TRUE(offer.details.contains(QStringLiteral("written 2024-03-09 08:09:10")))
        << offer.details.toStdString();
    EXPECT_TRUE(offer.details.contains(QStringLiteral("last changed 2024-03-09 10:11:12")))
        << offer.details.toStdString();
    EXPECT_EQ(vw::test::readBytes(path), whole);
    EXPECT_TRUE(std::filesystem::exists(backup));
}

// A name shaped like a backup beside a model with a single name cannot be an in-place save's:
// nothing is offered, the notice names it, and it stays.
TEST(OpenModel, ABackupBesideASingleNamedModelIsOnlyNamedInTheNotice) {
    Editor editor;
    const std::string path = editor.put(twoPartModel(), "single2.ebo");
    const std::vector<uint8_t> whole = vw::test::readBytes(path);
    const std::filesystem::path backup =
        plantedBackup(path, twoPartModel(1).model, QDateTime::currentDateTime());
    editor.open(path);

    EXPECT_TRUE(editor.prompts.messages.empty());
    const QString notice = editor.main->noticePanel()->text();
    EXPECT_TRUE(notice.contains(QString::fromStdString(backup.string()) + " alone"))
        << notice.toStdString();
    EXPECT_EQ(vw::test::readBytes(path), whole);
    EXPECT_TRUE(std::filesystem::exists(backup));
}

// Enter answers with the default button: Yes for a plain question, No where Yes cannot be
// undone, as for putting a backup in place of the file.
TEST(OpenModel, EnterOnTheBackupOfferAnswersNo) {
    for (const auto& [buttons, expected] :
         {std::pair{vw::PromptButtons::YesNo, vw::PromptAnswer::Yes},
          std::pair{vw::PromptButtons::YesNoDefaultNo, vw::PromptAnswer::No}}) {
        vw::QtPrompts prompts;
        QTimer press;
        QObject::connect(&press, &QTimer::timeout, [&] {
            if (QWidget* box = QApplication::activeModalWidget())
                QTest::keyClick(box, Qt::Key_Return);
        });
        press.start(10);
        EXPECT_EQ(prompts.message(QStringLiteral("A save of m.ebo was interrupted."),
                                  QStringLiteral("Vertwright"), vw::PromptIcon::Warning, buttons),
                  expected);
    }
}

TEST(WorkingCopyFolder, IsTheProgramFolderWhenWritable) {
    const vw::test::TempDir program;
    const vw::test::TempDir data;
    const QString programDir = QString::fromStdString(program.path().string());
    EXPECT_EQ(vw::workingCopyFolder(programDir, QString::fromStdString(data.path().string())),
              programDir);
    EXPECT_TRUE(QDir(programDir).isEmpty()); // the writability probe leaves nothing behind
}

TEST(WorkingCopyFolder, FallsBackToTheDataFolderAndCreatesIt) {
    const vw::test::TempDir root;
    const QString missingProgram = QString::fromStdString((root / "gone").string());
    const QString data = QString::fromStdString((root / "data" / "Vertwright").string());
    EXPECT_EQ(vw::workingCopyFolder(missingProgram, data), data);
    EXPECT_TRUE(QDir(data).exists());
}

QStringList warningsSeen;

TEST(WorkingCopyFolder, SaysWhichDataFolderCouldNotBeMade) {
    const vw::test::TempDir root;
    vw::test::writeBytes(root / "file", {1}); // a file where the folder should go
    const QString missingProgram = QString::fromStdString((root / "gone").string());
    const QString data = QString::fromStdString((root / "file" / "Vertwright").string());
    warningsSeen.clear();
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type == QtWarningMsg)
                warningsSeen << text;
        });
    vw::workingCopyFolder(missingProgram, data);
    qInstallMessageHandler(previous);
    ASSERT_EQ(warningsSeen.size(), 1);
    EXPECT_TRUE(warningsSeen[0].contains(data)) << warningsSeen[0].toStdString();
}

} // namespace

namespace {

// Step k of a run of edits: bits a careless copy would change, in two parts.
void editStep(vw::Document& document, int k) {
    (void)document.editModel("Step", 0, [k](std::vector<vw::Part>& parts) {
        parts[0].segments[0].verts[size_t(k)].x = std::bit_cast<float>(0x7fc00000u + uint32_t(k));
        parts[1].segments[1].verts[size_t(k)].z = -0.0f;
        parts[1].segments[1].verts[size_t(k)].red = uint8_t(k);
    });
}

vw::Model editedBy(const std::string& path, int steps) {
    vw::Model model = loadedFrom(path);
    vw::Document document(model);
    for (int k = 1; k <= steps; ++k)
        editStep(document, k);
    return model;
}

int64_t ownPid() {
    return vw::platform::processId();
}

// A journal of the first steps of editStep on the model at path, as this process's editor
// would have left it.
void leaveJournal(const std::filesystem::path& folder, int64_t pid, const std::string& path,
                  int steps) {
    vw::Model model = loadedFrom(path);
    vw::Document document(model);
    vw::FileJournalStore store(vw::journalPathFor(folder, pid));
    vw::JournalWriter writer(document, store, pid);
    for (int k = 1; k <= steps; ++k)
        editStep(document, k);
}

TEST(Recovery, TheLastStepAKilledEditorCompletedComesBackAsOneUnsavedStep) {
    Editor editor;
    const std::string path = editor.put(twoPartModel(), "killed.ebo");
    const vw::test::TempDir journals;
    int written = 0;
    // The child edits step by step, each step's journal written before the next begins; it is
    // killed as its third journal lands.
    vw::test::runWatchingFolder(
        journals.path(),
        [&] {
            vw::Model model = loadedFrom(path);
            vw::Document document(model);
            vw::FileJournalStore store(vw::journalPathFor(journals.path(), ownPid()));
            vw::JournalWriter writer(document, store, ownPid());
            for (int k = 1; k <= 5; ++k) {
                editStep(document, k);
                writer.waitUntilWritten();
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
            }
        },
        [&](const std::string& name, pid_t child) {
            written += name == vw::journalPathFor({}, child).filename().string();
            return written < 3;
        });
    ASSERT_EQ(written, 3);
    ASSERT_EQ(vw::leftJournals(journals.path(), ownPid()).size(), 1u);

    editor.prompts.yesNoAnswer = vw::PromptAnswer::Yes;
    ASSERT_TRUE(vw::offerRecovery(*editor.main, journals.path(), ownPid()));
    ASSERT_EQ(editor.prompts.messages.size(), 1u);
    EXPECT_TRUE(editor.prompts.messages[0].text.startsWith(
        QString::fromStdString("Recover the unsaved edits to " + path + " made until ")));
    EXPECT_EQ(editor.model.modelPath, path);
    EXPECT_TRUE(vw::test::sameBits(editor.model.Parts, editedBy(path, 3).Parts));
    EXPECT_FALSE(editor.main->document().isClean());
    EXPECT_TRUE(vw::leftJournals(journals.path(), ownPid()).empty());
    editor.main->document().undo();
    EXPECT_TRUE(vw::test::sameBits(editor.model.Parts, loadedFrom(path).Parts));
    EXPECT_TRUE(editor.main->document().isClean());
}

struct DiskChange {
    const char* name;
    std::function<void(const std::string& path)> apply;
    const char* reason;
};

TEST(Recovery, AJournalWhoseModelChangedOnDiskIsNotAppliedAndGoesOnlyWhenTheUserSays) {
    const std::vector<DiskChange> changes{
        {"Size",
         [](const std::string& path) {
             std::ofstream(path, std::ios::app | std::ios::binary) << 'x';
         },
         "its size changed since"},
        {"Time",
         [](const std::string& path) {
             std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) +
                                                        std::chrono::nanoseconds(1));
         },
         "it was modified since"},
        {"ContentOnly",
         [](const std::string& path) {
             const auto time = std::filesystem::last_write_time(path);
             std::vector<uint8_t> bytes = vw::test::readBytes(path);
             bytes[bytes.size() / 2] ^= 1;
             vw::test::writeBytes(path, bytes);
             std::filesystem::last_write_time(path, time);
         },
         "its content changed since"},
    };
    for (const DiskChange& change : changes) {
        for (const vw::PromptAnswer answer : {vw::PromptAnswer::Yes, vw::PromptAnswer::No}) {
            Editor editor;
            const std::string path = editor.put(twoPartModel(), "changed.ebo");
            const vw::test::TempDir journals;
            leaveJournal(journals.path(), ownPid(), path, 2);
            change.apply(path);
            editor.prompts.yesNoAnswer = answer;

            EXPECT_FALSE(vw::offerRecovery(*editor.main, journals.path(), ownPid()));
            ASSERT_EQ(editor.prompts.messages.size(), 1u) << change.name;
            EXPECT_TRUE(
                editor.prompts.messages[0].text.contains(QString::fromLatin1(change.reason)))
                << change.name << ": " << editor.prompts.messages[0].text.toStdString();
            EXPECT_TRUE(editor.model.modelPath.empty()) << change.name;
            EXPECT_EQ(vw::leftJournals(journals.path(), ownPid()).size(),
                      answer == vw::PromptAnswer::Yes ? 0u : 1u)
                << change.name;
        }
    }
}

TEST(Recovery, AnotherRunningEditorsJournalIsLeftAloneAndADamagedOneDiscardedWithANotice) {
    Editor editor;
    const std::string path = editor.put(twoPartModel(), "left.ebo");
    const vw::test::TempDir journals;
    // Process 1 always runs.
    leaveJournal(journals.path(), 1, path, 1);
    leaveJournal(journals.path(), ownPid(), path, 2);
    std::vector<uint8_t> bytes = vw::test::readBytes(vw::journalPathFor(journals.path(), ownPid()));
    bytes[bytes.size() / 2] ^= 4;
    vw::test::writeBytes(vw::journalPathFor(journals.path(), ownPid()), bytes);

    EXPECT_FALSE(vw::offerRecovery(*editor.main, journals.path(), ownPid()));
    ASSERT_EQ(editor.prompts.messages.size(), 1u);
    EXPECT_TRUE(editor.prompts.messages[0].text.contains(QStringLiteral("checksum")))
        << editor.prompts.messages[0].text.toStdString();
    EXPECT_FALSE(std::filesystem::exists(vw::journalPathFor(journals.path(), ownPid())));
    EXPECT_TRUE(std::filesystem::exists(vw::journalPathFor(journals.path(), 1)));
    EXPECT_TRUE(editor.model.modelPath.empty());
}

TEST(Recovery, AJournalIsPrivateToItsOwner) {
    const vw::test::TempDir state;
    const std::filesystem::path folder = state.path() / "vertwright";
    Editor editor;
    leaveJournal(folder, ownPid(), editor.put(twoPartModel(), "private.ebo"), 1);
    using std::filesystem::perms;
    EXPECT_EQ(std::filesystem::status(folder).permissions(), perms::owner_all);
    EXPECT_EQ(std::filesystem::status(vw::journalPathFor(folder, ownPid())).permissions(),
              perms::owner_read | perms::owner_write);
}

} // namespace
