// vertwright-cli: inspects, checks and converts EBO model files with the editor's own loader
// and saver.

#include "cli_args.h"
#include "commands.h"
#include "model/files/file_io.h"

#include <filesystem>
#include <iostream>

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    // A file-size limit then fails the write at hand, which cleans up and says why.
    vw::platform::ignoreFileSizeSignal();
    vw::CliArgs args;
    const vw::Result parsed = vw::parseArgs({argv + 1, argv + argc}, args);
    if (args.help) {
        std::cout << vw::kUsage;
        return vw::kExitOk;
    }
    if (args.version) {
        std::cout << "vertwright-cli " VW_VERSION "\n";
        return vw::kExitOk;
    }
    if (!parsed) {
        std::cerr << "vertwright-cli: " << parsed.reason() << "\ntry 'vertwright-cli --help'\n";
        return vw::kExitUsage;
    }
    std::filesystem::path programDir = args.programDir ? std::filesystem::path(*args.programDir)
                                                       : vw::platform::executableFolder(argv[0]);
    int code = vw::runCommand(args, programDir, std::cout, std::cerr);
    if (!std::cout.flush()) {
        std::cerr << "vertwright-cli: cannot write standard output\n";
        return vw::kExitFileError;
    }
    return code;
}
