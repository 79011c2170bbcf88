#pragma once
// The journal of a model's unsaved edits, which lets the next start recover them after the editor
// crashed or was killed: which model file it belongs to and the exact bits of every vertex the
// edits changed, as one checksummed file.

#include "model/editing/history/document.h"
#include "model/model.h"
#include "model/result.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vw {

// The model file as it was opened or last saved. The hash covers the file's bytes, not only its
// vertex blocks: the vertex numbers of a journal mean something only against the very file
// they were made on, whose strips and layout may change with any byte.
struct JournalModel {
    std::string path;
    int64_t size = 0;
    int64_t modifiedNs = 0;
    uint64_t hash = 0;

    bool operator==(const JournalModel&) const = default;
};

// Vertices [first, first + verts.size()) of one segment, with their values now.
struct JournalRun {
    uint32_t first = 0;
    std::vector<Vertex> verts; // selected flags are not kept
};

struct JournalSegment {
    int32_t part = 0;
    int32_t seg = 0;
    uint32_t vertexCount = 0;     // the segment's, checked again before the runs are written back
    std::vector<JournalRun> runs; // increasing, not overlapping, inside vertexCount
};

struct Journal {
    int64_t pid = 0;       // the editor that wrote it
    int64_t writtenNs = 0; // when its last step was written, since 1970
    JournalModel model;
    std::vector<JournalSegment> segments;
};

// FNV-1a over bytes, continuing from hash: any change of one byte changes it.
constexpr uint64_t kHashStart = 0xcbf29ce484222325ull;
uint64_t hashBytes(std::span<const uint8_t> bytes, uint64_t hash = kHashStart);

std::vector<uint8_t> encodeJournal(const Journal& journal);

// Reads a journal that encodeJournal wrote. A file that is not one, comes from a later version,
// is cut short or damaged, or whose runs leave their segment fails with the reason; out is then
// unchanged.
Result decodeJournal(std::span<const uint8_t> bytes, Journal& out);

// Writes the journal's values back into the document's model as one undoable step, its bits
// exactly. Refused, changing nothing, when a segment it names is missing or has another vertex
// count, or when the document refuses the values.
Result applyJournal(Document& document, const Journal& journal);

} // namespace vw
