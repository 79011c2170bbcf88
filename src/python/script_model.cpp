#include "script_model.h"

#include "cli/scratch_dir.h"
#include "model/block_sharing.h"
#include "model/ebo/ebo_saver.h"
#include "model/editing/limits/edit_limits.h"
#include "model/editing/limits/shared_blocks.h"
#include "model/editing/limits/value_write.h"
#include "model/files/file_io.h"
#include "model/interchange/json_dump.h"

#include <sstream>

namespace vw::script {

namespace {

// Absolute, so that a script that changes its folder still saves where it opened.
std::filesystem::path absolutePath(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::path full = std::filesystem::absolute(path, error);
    return error ? path : full;
}

Result failed(const std::exception& error) {
    return Result::failure(error.what());
}

} // namespace

ScriptModel::ScriptModel(const std::string& path,
                         const std::optional<std::filesystem::path>& companions)
    : m_companions(absolutePath(companions ? *companions : absolutePath(path).parent_path())) {
    const std::string file = absolutePath(path).string();
    // Stamped before it is read: a save copies the file again and refuses if it changed since.
    FileStamp before;
    const bool stamped = currentStamp(file, before).ok();
    const LoadOutcome loaded = loadModel(m_model, file, {m_companions, {}});
    if (loaded.result == kLoadFailed)
        throw LoadFailure{path, loaded.reason};
    m_loaded = loaded.result;
    if (stamped)
        m_model.modelFileStamp = before;
    // A script has no undo: the one step the history must keep is all it holds.
    m_document.setHistoryLimits(1, 0);
}

bool ScriptModel::storable(SegmentRef segment, BlockKind kind) const {
    return checkStorableFields(m_model, segment, fieldsOfBlock(kind)).ok();
}

Result ScriptModel::save() {
    return saveTo(m_model.modelPath);
}

Result ScriptModel::saveAs(const std::string& path, bool otherCompanions) {
    const std::string file = absolutePath(path).string();
    if (m_model.layout == ModelLayout::Delta && !otherCompanions) {
        const auto now = companionFiles(m_model.modelPath, m_companions);
        const auto then = companionFiles(file, m_companions);
        if (!then)
            return Result::failure("the new file's name is too short to name companion files");
        if (!now || now->baseMesh != then->baseMesh)
            return Result::failure("the new file would look for other companion files: " +
                                   then->baseMesh.string() + " and " + then->offsets.string());
    }
    const Result saved = saveTo(file);
    if (saved)
        m_model.modelPath = file;
    return saved;
}

// The scratch folder goes with the save, as the command-line tool's goes with its run.
Result ScriptModel::saveTo(const std::string& path) {
    spreadFromLeaders(m_model);
    try {
        ScratchDir::removeStale();
        ScratchDir scratch;
        const ModelFolders folders{m_companions, scratch.path() / ScratchDir::kWorkingCopyName};
        if (Result made = makeWorkingCopy(folders.workingCopy); !made)
            return made;
        return saveModel(m_model, path, folders);
    } catch (const std::exception& error) {
        return failed(error);
    }
}

// The working copy must hold the bytes the model was read from (or last saved as), or the
// block positions the loader recorded would patch another file.
Result ScriptModel::makeWorkingCopy(const std::filesystem::path& copy) {
    FileStamp source;
    const CopyFailure copied = copyFileTo(m_model.modelPath, copy, &source);
    const std::string& reason = copied.result.reason();
    if (!copied.result && copied.inSource)
        return Result::failure("cannot read " + quotedPath(m_model.modelPath) + ": " + reason);
    if (!copied.result)
        return Result::failure("cannot make the working copy " + quotedPath(copy) + ": " +
                               spaceAwareText(copy.parent_path(), copied.noSpace, reason));
    if (!m_model.modelFileStamp || source != *m_model.modelFileStamp)
        return Result::failure(changedOnDiskText(m_model.modelPath));
    return stampOf(copy, m_model.workingCopyStamp);
}

Result ScriptModel::exportObj(const ObjSelection& selection, const std::filesystem::path& path) {
    std::error_code error;
    if (std::filesystem::equivalent(m_model.modelPath, path, error))
        return Result::failure("the OBJ file would replace the model file itself");
    spreadFromLeaders(m_model);
    try {
        return exportObjFile(m_model, selection, path);
    } catch (const std::exception& error) {
        return failed(error);
    }
}

Result ScriptModel::importObj(const ObjSelection& selection, const std::filesystem::path& path) {
    spreadFromLeaders(m_model);
    try {
        ValueWrite values;
        if (Result read = readObjFile(m_model, selection, path, values); !read)
            return read;
        return writeValues(m_document, "Import OBJ", values);
    } catch (const std::exception& error) {
        return failed(error);
    }
}

std::string ScriptModel::json() {
    spreadFromLeaders(m_model);
    std::ostringstream out;
    writeModelJson(out, m_model, m_loaded);
    return out.str();
}

} // namespace vw::script
