#include "commands.h"

#include "model/ebo_loader.h"
#include "model/ebo_saver.h"
#include "model/file_compare.h"
#include "model/file_io.h"
#include "model/json_dump.h"
#include "model/model_summary.h"
#include "model/obj_io.h"
#include "scratch_dir.h"

namespace vw {
namespace {

// A model loaded from the file named on the command line; its working copy lives in a
// folder of its own, never in the editor's.
struct Session {
    const CliArgs& args;
    ScratchDir scratch;
    ModelFolders folders;
    Model model;
    uint8_t result = kLoadFailed;

    const std::string& file() const { return args.files[0]; }
};

constexpr size_t kRangesShown = 50;

int fail(std::ostream& err, int code, const std::string& reason) {
    err << "vertwright-cli: " << reason << '\n';
    return code;
}

// Why a load failed, as far as the file and its companions tell.
std::string loadFailure(const std::string& file, const std::filesystem::path& programDir) {
    std::error_code error;
    if (!std::filesystem::exists(file, error))
        return "cannot load " + file + ": no such file";
    FileBytes bytes;
    if (std::string reason = readFileBytes(file, bytes); !reason.empty())
        return reason;
    std::optional<CompanionFiles> companions = companionFiles(file, programDir);
    if (usesCompanionFiles(bytes.bytes()) && companions) {
        for (const std::filesystem::path& companion : {companions->baseMesh, companions->offsets}) {
            if (!std::filesystem::exists(companion))
                return "cannot load " + file + ": its companion file " + companion.string() +
                       " is missing";
        }
    }
    return "cannot load " + file + ": not a loadable EBO model";
}

int runCheck(Session& session, std::ostream& out, std::ostream& err) {
    std::filesystem::path copy = session.scratch.path() / "check.ebo";
    std::filesystem::copy_file(session.file(), copy);
    std::string reason = saveModel(session.model, copy.string(), session.folders);
    if (!reason.empty())
        return fail(err, kExitFileError, "cannot save a scratch copy: " + reason);
    FileComparison comparison = compareFiles(session.file(), copy);
    if (!comparison.error.empty())
        return fail(err, kExitFileError, comparison.error);
    if (comparison.differing.empty()) {
        out << session.file() << ": a save without edits gives the same bytes\n";
        return kExitOk;
    }
    out << session.file() << ": a save without edits would change these bytes:\n"
        << describeRanges(comparison.differing, kRangesShown);
    return kExitDiffers;
}

int runExport(Session& session, std::ostream& err) {
    std::error_code error;
    if (std::filesystem::equivalent(session.file(), *session.args.output, error))
        return fail(err, kExitUsage, "-o names the model file itself");
    std::string reason = exportObjFile(session.model, session.args.selection, *session.args.output);
    return reason.empty() ? kExitOk : fail(err, kExitFileError, reason);
}

int runImport(Session& session, std::ostream& err) {
    std::string reason =
        importObjFile(session.model, session.args.selection, session.args.files[1]);
    if (reason.empty())
        reason = saveModel(session.model, session.file(), session.folders);
    return reason.empty() ? kExitOk : fail(err, kExitFileError, reason);
}

int runLoaded(Session& session, std::ostream& out, std::ostream& err) {
    const std::string& command = session.args.command;
    if (command == "info")
        out << describeModel(session.model, session.result);
    else if (command == "dump")
        writeModelJson(out, session.model, session.result);
    else if (command == "check")
        return runCheck(session, out, err);
    else if (command == "export-obj")
        return runExport(session, err);
    else if (command == "import-obj")
        return runImport(session, err);
    return kExitOk;
}

} // namespace

int runCommand(const CliArgs& args, const std::filesystem::path& programDir, std::ostream& out,
               std::ostream& err) {
    try {
        Session session{args, {}, {}, {}, kLoadFailed};
        session.folders = {programDir, session.scratch.path() / "current.tmp"};
        session.result = loadModel(session.model, session.file(), session.folders);
        if (session.result == kLoadFailed)
            return fail(err, kExitFileError, loadFailure(session.file(), programDir));
        if (std::string reason = checkSelection(session.model, args.selection); !reason.empty())
            return fail(err, kExitUsage, reason);
        return runLoaded(session, out, err);
    } catch (const std::exception& error) {
        return fail(err, kExitFileError, error.what());
    }
}

} // namespace vw
