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

std::string textOf(const std::filesystem::path& file) {
    std::vector<uint8_t> bytes = readBytes(file);
    return std::string(bytes.begin(), bytes.end());
}

} // namespace

CliRun runCli(const std::vector<std::string>& args, const std::filesystem::path& captureDir,
              const CliEnvironment& environment) {
    std::filesystem::path outFile = captureDir / "cli-stdout.txt";
    std::filesystem::path errFile = captureDir / "cli-stderr.txt";
    std::string command;
    // Ignored, the signal that a write past the limit sends lets the write fail instead.
    if (environment.fileSizeLimit > 0)
        command += "trap '' XFSZ; ulimit -f " + std::to_string(environment.fileSizeLimit) + "; ";
    if (!environment.tmpDir.empty())
        command += "TMPDIR=" + shellQuoted(environment.tmpDir.string()) + ' ';
    if (environment.asNobody)
        command += "setpriv --reuid=65534 --regid=65534 --clear-groups ";
    command += shellQuoted(VW_CLI_PATH);
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
