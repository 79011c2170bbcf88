// Where the editor looks for a delta model's companion files: the command-line option, then
// the folder kept in the settings, then the program's folder; and what a failed open says.

#include "app/companion_folder.h"
#include "fake_settings.h"
#include "open_model_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using vw::test::Editor;
using vw::test::MemorySettings;

struct OrderCase {
    const char* option;
    const char* kept;
    const char* expected;
};

class CompanionFolderOrder : public testing::TestWithParam<OrderCase> {};

TEST_P(CompanionFolderOrder, OptionThenSettingThenProgramFolder) {
    MemorySettings settings;
    vw::CompanionFolder companions(QString::fromUtf8(GetParam().option), settings,
                                   QStringLiteral("/usr/bin"));
    if (*GetParam().kept)
        companions.choose(QString::fromUtf8(GetParam().kept));
    EXPECT_EQ(companions.folder().toStdString(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, CompanionFolderOrder,
                         testing::Values(OrderCase{"", "", "/usr/bin"},
                                         OrderCase{"", "/games/ebo", "/games/ebo"},
                                         OrderCase{"/opt/c", "", "/opt/c"},
                                         OrderCase{"/opt/c", "/games/ebo", "/opt/c"}));

// A delta model whose companion files lie in their own folder, away from the program folder.
struct DeltaEditor : Editor {
    std::filesystem::path elsewhere = workspace.dir / "game";
    std::string modelFile;

    DeltaEditor() {
        vw::test::EboPlan plan;
        plan.modelFormat = 0;
        for (vw::test::DeltaPartPlan& part : plan.deltaParts)
            part = vw::test::simpleDeltaPart(3);
        modelFile = (workspace.dir / "models" / "head2.ebo").string();
        vw::test::writeEbo(vw::test::buildEbo(plan), modelFile, elsewhere);
    }
};

TEST(CompanionFolderCommand, ChosenFolderIsKeptAndUsedByTheNextOpen) {
    DeltaEditor editor;
    MemorySettings settings;
    const QString programDir = QString::fromStdString(editor.workspace.folders.programDir.string());
    vw::CompanionFolder companions(QString(), settings, programDir);
    QString askedFrom;
    vw::connectCompanionFolderCommand(*editor.main, companions, [&](const QString& start) {
        askedFrom = start;
        return QString::fromStdString(editor.elsewhere.string());
    });

    editor.open(editor.modelFile);
    ASSERT_EQ(editor.prompts.messages.size(), 1u); // not found in the program folder
    editor.main->mnuOptionsCompanions()->trigger();
    editor.open(editor.modelFile);

    EXPECT_EQ(askedFrom, programDir);
    EXPECT_EQ(settings.text(QStringLiteral("companionFolder")).toStdString(),
              editor.elsewhere.string());
    EXPECT_EQ(editor.main->folders().programDir, editor.elsewhere);
    EXPECT_EQ(editor.prompts.messages.size(), 1u);
    EXPECT_EQ(editor.model.modelPath, editor.modelFile);
}

TEST(CompanionFolderCommand, CancelChangesNothing) {
    Editor editor;
    MemorySettings settings;
    vw::CompanionFolder companions(QString(), settings, QStringLiteral("/usr/bin"));
    vw::connectCompanionFolderCommand(*editor.main, companions,
                                      [](const QString&) { return QString(); });
    editor.main->mnuOptionsCompanions()->trigger();

    EXPECT_TRUE(settings.values.isEmpty());
    EXPECT_EQ(editor.main->folders().programDir, editor.workspace.folders.programDir);
}

TEST(CompanionFolderCommand, TheOptionOfThisRunStillCounts) {
    Editor editor;
    MemorySettings settings;
    vw::CompanionFolder companions(QStringLiteral("/opt/c"), settings, QStringLiteral("/usr/bin"));
    vw::connectCompanionFolderCommand(*editor.main, companions,
                                      [](const QString&) { return QStringLiteral("/games"); });
    editor.main->mnuOptionsCompanions()->trigger();

    EXPECT_EQ(settings.text(QStringLiteral("companionFolder")).toStdString(), "/games");
    EXPECT_EQ(editor.main->folders().programDir, std::filesystem::path("/opt/c"));
}

TEST(UnableToOpen, NamesTheMissingCompanionFilesAndHowToChooseTheirFolder) {
    DeltaEditor editor;
    std::filesystem::remove(editor.elsewhere / "misc2.dat");
    editor.main->setCompanionFolder(editor.elsewhere);
    editor.open(editor.modelFile);

    ASSERT_EQ(editor.prompts.messages.size(), 1u);
    EXPECT_EQ(editor.prompts.messages[0].text, "Unable to open file");
    const std::string text = editor.prompts.messages[0].details.toStdString();
    const std::string folder = editor.elsewhere.string();
    EXPECT_EQ(text.rfind("missing companion file " + folder + "/misc2.dat\n\n", 0), 0u) << text;
    EXPECT_NE(text.find("looked for in " + folder + ":"), std::string::npos) << text;
    EXPECT_NE(text.find(folder + "/lod/base_lod2.ebo (found)"), std::string::npos) << text;
    EXPECT_NE(text.find(folder + "/misc2.dat (missing)"), std::string::npos) << text;
    EXPECT_NE(text.find("Options > Companion Files Folder..."), std::string::npos) << text;
    EXPECT_NE(text.find("--companions DIR"), std::string::npos) << text;
}

TEST(UnableToOpen, SaysNoMoreForAModelThatNeedsNoCompanions) {
    const vw::test::TempDir dir;
    const std::filesystem::path file = dir / "bad2.ebo";
    vw::test::writeBytes(file.string(), std::vector<uint8_t>(40, 7));
    EXPECT_EQ(vw::companionHelpText(QString::fromStdString(file.string()), dir.path()), "");
}

} // namespace
