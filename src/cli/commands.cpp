#include "commands.h"

#include "cli/file_compare.h"
#include "cli/model_summary.h"
#include "model/ebo/ebo_loader.h"
#include "model/ebo/ebo_saver.h"
#include "model/editing/history/document.h"
#include "model/editing/limits/value_write.h"
#include "model/files/file_io.h"
#include "model/interchange/gltf_export.h"
#include "model/interchange/json_dump.h"
#include "model/interchange/obj_io.h"
#include "model/interchange/thumbnail.h"
#include "scratch_dir.h"

#include <optional>

namespace vw {
namespace {

// A model loaded from the file named on the command line. Commands that save get a working copy
// in a folder of their own, never the editor's; the others read the model file itself.
struct Session {
    const CliArgs& args;
    std::optional<ScratchDir> scratch;
    ModelFolders folders;
    Model model;
    uint8_t result = kLoadFailed;

    const std::string& file() const { return args.files[0]; }
};

constexpr size_t kRangesShown = 50;
constexpr int kDefaultThumbnailSize = 256;

int fail(std::ostream& err, int code, const std::string& reason) {
    err << "vertwright-cli: " << reason << '\n';
    return code;
}

bool savesAModel(const std::string& command) {
    return command == "check" || command == "import-obj";
}

int runCheck(Session& session, std::ostream& out, std::ostream& err) {
    const std::filesystem::path copy = session.scratch->path() / ScratchDir::kCheckCopyName;
    if (const Result copied = copyToNewFile(session.file(), copy); !copied)
        return fail(err, kExitFileError, copied.reason());
    const Result saved = saveModel(session.model, copy.string(), session.folders);
    if (!saved)
        return fail(err, kExitFileError, "cannot save a scratch copy: " + saved.reason());
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

bool namesTheModel(const Session& session, const std::string& output) {
    std::error_code error;
    return std::filesystem::equivalent(session.file(), output, error);
}

int runExport(Session& session, std::ostream& out, std::ostream& err) {
    if (*session.args.output == "-") {
        writeObj(out, session.model, session.args.selection);
        return kExitOk;
    }
    if (namesTheModel(session, *session.args.output))
        return fail(err, kExitUsage, "-o names the model file itself");
    const Result exported =
        exportObjFile(session.model, session.args.selection, *session.args.output);
    return exported ? kExitOk : fail(err, kExitFileError, exported.reason());
}

int runExportGltf(Session& session, std::ostream& err) {
    const std::string& output = *session.args.output;
    if (namesTheModel(session, output))
        return fail(err, kExitUsage, "-o names the model file itself");
    GltfPicture picture;
    if (session.args.image)
        if (const Result read = readGltfPicture(*session.args.image, picture); !read)
            return fail(err, kExitFileError, read.reason());
    const Result exported = exportGltfFile(session.model, session.args.selection,
                                           session.args.image ? &picture : nullptr, output);
    return exported ? kExitOk : fail(err, kExitFileError, exported.reason());
}

int writeThumbnail(const CliArgs& args, const RgbaPicture& picture, std::ostream& err) {
    const Result written = writePngFile(picture, args.files[1]);
    return written ? kExitOk : fail(err, kExitFileError, written.reason());
}

int runThumbnail(Session& session, std::ostream& err) {
    if (namesTheModel(session, session.args.files[1]))
        return fail(err, kExitUsage, "OUT.png names the model file itself");
    return writeThumbnail(
        session.args,
        frontThumbnail(session.model, session.args.size.value_or(kDefaultThumbnailSize)), err);
}

// A file manager shows a broken icon for a thumbnailer that fails: a delta model whose
// companion files are not at hand gets a plain picture instead.
bool wantsPlaceholder(const CliArgs& args) {
    if (args.command != "thumbnail")
        return false;
    FileBytes bytes;
    return readBytesOf(args.files[0], bytes) && usesCompanionFiles(bytes.bytes());
}

int runImport(Session& session, std::ostream& err) {
    Document document(session.model);
    ValueWrite values;
    Result done = readObjFile(session.model, session.args.selection, session.args.files[1], values);
    if (done)
        done = writeValues(document, "Import OBJ", values);
    if (done)
        done = saveModel(session.model, session.file(), session.folders);
    return done ? kExitOk : fail(err, kExitFileError, done.reason());
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
        return runExport(session, out, err);
    else if (command == "import-obj")
        return runImport(session, err);
    else if (command == "export-gltf")
        return runExportGltf(session, err);
    else if (command == "thumbnail")
        return runThumbnail(session, err);
    return kExitOk;
}

// A backup that an interrupted in-place save left: the model file may be half-written. One that
// cannot hold the model's newest complete content is only named.
void warnOfInterruptedSaves(const std::string& file, std::ostream& err) {
    for (const SaveBackup& backup : interruptedSaveBackups(file)) {
        if (backup.leftAlone.empty())
            err << "vertwright-cli: warning: a save of " << file
                << " was interrupted, so it may be incomplete; its earlier content is in "
                << backup.path.string() << '\n';
        else
            err << "vertwright-cli: note: left " << backup.path.string()
                << " alone: " << backup.leftAlone << '\n';
    }
}

} // namespace

int runCommand(const CliArgs& args, const std::filesystem::path& programDir, std::ostream& out,
               std::ostream& err) {
    try {
        ScratchDir::removeStale();
        Session session{args, {}, {programDir, {}}, {}, kLoadFailed};
        if (savesAModel(args.command)) {
            session.scratch.emplace();
            session.folders.workingCopy = session.scratch->path() / ScratchDir::kWorkingCopyName;
        }
        warnOfInterruptedSaves(session.file(), err);
        const LoadOutcome loaded = loadModel(session.model, session.file(), session.folders);
        if (loaded.result == kLoadFailed && wantsPlaceholder(args))
            return writeThumbnail(
                args, placeholderThumbnail(args.size.value_or(kDefaultThumbnailSize)), err);
        if (loaded.result == kLoadFailed)
            return fail(err, kExitFileError,
                        "cannot load " + session.file() + ": " + loaded.reason);
        session.result = loaded.result;
        if (const Result selected = checkSelection(session.model, args.selection); !selected)
            return fail(err, kExitUsage, selected.reason());
        return runLoaded(session, out, err);
    } catch (const std::exception& error) {
        return fail(err, kExitFileError, error.what());
    }
}

} // namespace vw
