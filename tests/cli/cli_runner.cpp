#include "cli_runner.h"

#include "support/temp_dir.h"

#include <sys/wait.h>

#include <cstdlib>

namespace vw::test {
namespace {

std::string shellQuoted(const std::string& word) {
    std::string quoted = "'";
    for (char c : word)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string environmentText(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The tool under test: the one built with these tests, or VW_CLI started through
// VW_CLI_LAUNCHER when that is set (Wine for the Windows build).
std::string toolCommand() {
    const std::string launcher = environmentText("VW_CLI_LAUNCHER");
    const std::string tool = environmentText("VW_CLI");
    std::string command = launcher.empty() ? "" : shellQuoted(launcher) + ' ';
    return command + shellQuoted(tool.empty() ? VW_CLI_PATH : tool);
}

// A Windows build writes its standard streams in text mode, each line ending in CR LF, and joins
// the parts of the paths it makes with a backslash.
std::string textOf(const std::filesystem::path& file) {
    std::vector<uint8_t> bytes = readBytes(file);
    std::string text(bytes.begin(), bytes.end());
    if (environmentText("VW_CLI_LAUNCHER").empty())
        return text;
    std::string lines;
    for (size_t i = 0; i < text.size(); ++i) {
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
            lines += text[i] == '\\' ? '/' : text[i];
    }
    return lines;
}

} // namespace

CliRun runCli(const std::vector<std::string>& args, const std::filesystem::path& captureDir,
              const CliEnvironment& environment) {
    std::filesystem::path outFile = captureDir / "cli-stdout.txt";
    std::filesystem::path errFile = captureDir / "cli-stderr.txt";
    std::string command;
    // The tool ignores the signal that a write past the limit sends; a Windows build started
    // through a launcher cannot, so the shell ignores it for that one.
    if (environment.fileSizeLimit > 0 && !environmentText("VW_CLI_LAUNCHER").empty())
        command += "trap '' XFSZ; ";
    if (environment.fileSizeLimit > 0)
        command += "ulimit -f " + std::to_string(environment.fileSizeLimit) + "; ";
    if (!environment.tmpDir.empty())
        command += "TMPDIR=" + shellQuoted(environment.tmpDir.string()) + ' ';
    if (environment.asNobody)
        command += "setpriv --reuid=65534 --regid=65534 --clear-groups ";
    command += toolCommand();
    for (const std::string& arg : args)
        command += ' ' + shellQuoted(arg);
    command += " >" + shellQuoted(outFile.string()) + " 2>" + shellQuoted(errFile.string());
    int status = std::system(command.c_str());
    CliRun run;
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = textOf(outFile);
    run.err = textOf(errFile);
    std::filesystem::remove(outFile);
    std::filesystem::remove(errFile);
    return run;
}

} // namespace vw::test
