// The editor's command line: options, the one model path with its quotes, and the help text.

#include "app/command_line.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct CommandLineCase {
    std::vector<const char*> arguments; // after the program's name
    const char* modelPath;
    const char* companions;
    bool help;
    bool version;
    bool error;
};

class EditorCommandLine : public testing::TestWithParam<CommandLineCase> {};

TEST_P(EditorCommandLine, Parses) {
    QStringList arguments{QStringLiteral("vertwright")};
    for (const char* argument : GetParam().arguments)
        arguments << QString::fromUtf8(argument);
    const vw::EditorCommandLine parsed = vw::parseCommandLine(arguments);
    EXPECT_EQ(parsed.modelPath.toStdString(), GetParam().modelPath);
    EXPECT_EQ(parsed.companions.toStdString(), GetParam().companions);
    EXPECT_EQ(parsed.help, GetParam().help);
    EXPECT_EQ(parsed.version, GetParam().version);
    EXPECT_EQ(!parsed.error.isEmpty(), GetParam().error) << parsed.error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EditorCommandLine,
    testing::Values(
        CommandLineCase{{}, "", "", false, false, false},
        CommandLineCase{{"/m/a b.ebo"}, "/m/a b.ebo", "", false, false, false},
        // A quoted path the shell split at its space: joined again, then the quotes go.
        CommandLineCase{{R"("C:\m\a)", R"(b.ebo")"}, R"(C:\m\a b.ebo)", "", false, false, false},
        CommandLineCase{{R"("/m/a.ebo)"}, "/m/a.ebo", "", false, false, false},
        CommandLineCase{
            {"--companions", "/opt/c", "x.ebo"}, "x.ebo", "/opt/c", false, false, false},
        CommandLineCase{{"x.ebo", "--companions=/opt/c"}, "x.ebo", "/opt/c", false, false, false},
        CommandLineCase{{"--help"}, "", "", true, false, false},
        CommandLineCase{{"-h", "x.ebo"}, "x.ebo", "", true, false, false},
        CommandLineCase{{"--version"}, "", "", false, true, false},
        CommandLineCase{{"-v"}, "", "", false, true, false},
        CommandLineCase{{"--", "--help"}, "--help", "", false, false, false},
        CommandLineCase{{"--bogus", "x.ebo"}, "x.ebo", "", false, false, true},
        CommandLineCase{{"--companions"}, "", "", false, false, true},
        CommandLineCase{{"--help-all"}, "", "", false, false, true},
        // Not a bundle of short options, so no -v for version among them.
        CommandLineCase{{"-reverse"}, "", "", false, false, true}));

TEST(EditorCommandLineHelp, ListsEveryOptionAndTheModel) {
    const std::string help = vw::commandLineHelp().toStdString();
    for (const char* expected : {"--companions <dir>", "--help", "--version", "[model.ebo]"})
        EXPECT_NE(help.find(expected), std::string::npos) << expected << " in\n" << help;
    EXPECT_EQ(vw::versionText().toStdString(), "vertwright " VW_VERSION "\n");
}

} // namespace
