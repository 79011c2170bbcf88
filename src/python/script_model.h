#pragma once
// A model opened by a script. It is read from the model file itself, as the command-line tool
// reads one; each save makes a private working copy of that file, checks that it is still the
// file that was read, and goes through the library's verified, atomic save.

#include "model/ebo/ebo_loader.h"
#include "model/editing/history/document.h"
#include "model/interchange/obj_io.h"
#include "model/model.h"
#include "model/result.h"

#include <filesystem>
#include <optional>
#include <string>

namespace vw::script {

// A load that failed: the path as given and the loader's one-line reason.
struct LoadFailure {
    std::string path;
    std::string reason;
};

class ScriptModel {
public:
    // Loads path, finding a delta model's companion files in companions (the model's own
    // folder when none is given). Throws LoadFailure.
    ScriptModel(const std::string& path, const std::optional<std::filesystem::path>& companions);

    Model& model() { return m_model; }
    const Model& model() const { return m_model; }
    uint8_t loadResult() const { return m_loaded; }
    const std::filesystem::path& companionFolder() const { return m_companions; }

    // Whether a write of the kind's fields to the segment can be saved by this layout.
    bool storable(SegmentRef segment, BlockKind kind) const;

    // Saves over the model's file.
    Result save();
    // Saves to path, which becomes the model's file. A delta model whose new name would look for
    // other companion files is refused unless otherCompanions.
    Result saveAs(const std::string& path, bool otherCompanions);

    Result exportObj(const ObjSelection& selection, const std::filesystem::path& path);
    // Reads the OBJ file's positions (and texture coordinates, where the layout keeps them)
    // into the selection through the document's value-writing call: a segment sharing a block
    // with one of it takes the same values. On failure the model is unchanged.
    Result importObj(const ObjSelection& selection, const std::filesystem::path& path);

    // The model as the command-line tool's dump writes it.
    std::string json();

private:
    Result saveTo(const std::string& path);
    Result makeWorkingCopy(const std::filesystem::path& copy);

    Model m_model;
    Document m_document{m_model};
    uint8_t m_loaded = kLoadFailed;
    std::filesystem::path m_companions;
};

} // namespace vw::script
