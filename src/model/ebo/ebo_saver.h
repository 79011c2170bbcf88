#pragma once
// Writing edited vertex data back into an EBO model file.

#include "model/ebo/ebo_loader.h"
#include "model/model.h"
#include "model/result.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vw {

// Patches every segment's vertex blocks into the working copy, then replaces the file at
// path with it atomically. Fails with a one-line reason, the file at path unchanged. Refuses a
// working copy that no longer matches model.workingCopyStamp, and records the stamp of the working
// copy it patched. Segments that share a block must hold the same values in it, or the save is
// refused before anything is written ("segments 0/0 and 0/1 share one position block: give them the
// same values"). Before the file is replaced, the patched bytes are read back with the loader: a
// save whose blocks would overwrite the file's own structure, or each other, is refused, saying
// what overwrites what ("the texture block of segment 0/0 would overwrite the file's own structure
// at byte N"). A save over the model's own file is refused when that file no longer matches
// model.modelFileStamp ("<path> was changed on disk since it was opened"), checked last right
// before the file is replaced; on success the stamp becomes that of the file written. Where
// another program changed the file after that last look, the save is still made, the other
// program's version is kept beside the file (see replaceFile), the stamp is the file written and
// the save fails saying where that version went.
//
// With SameBytes::kLeaveAlone, a save that would write exactly the bytes the model's own file
// already holds (the working copy's, no block changed) leaves that file as it is, after the
// same look whether it changed on disk, and counts as done.
enum class SameBytes { kRewrite, kLeaveAlone };
Result saveModel(Model& model, const std::string& path, const ModelFolders& folders,
                 SameBytes same = SameBytes::kRewrite);

// True when the model's file was replaced, rewritten, cut short, touched or deleted since the
// model was loaded or last saved.
bool modelFileChanged(const Model& model);

// The user chose to overwrite the model's file as it is now: the next save takes it for the
// file the model came from.
void overwriteModelFileAsIs(Model& model);

// saveModel in memory: patches the model's blocks into bytes, which hold the working copy, with
// the same refusals (all but the working copy's own check). On a refusal bytes are unchanged.
Result saveModelBytes(const Model& model, std::vector<uint8_t>& bytes);

} // namespace vw
