// libFuzzer target over the reader of the journal of unsaved edits, as the start-up reads a
// journal a crashed editor left. Input: the journal's bytes, whose last eight (the checksum) are
// made to match the rest, so the fuzzer gets past the checksum to the records; the tests check
// that a wrong checksum is refused. A journal that reads must write back to exactly the bytes it
// was read from, so nothing in it was skipped or guessed.
// With VW_FUZZ_SEED_DIR set, writes a journal of edits to a generated model there as a seed
// instead, and ends.

#include "model/editing/history/journal.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

namespace {

vw::Journal generatedJournal() {
    vw::Journal journal;
    journal.pid = 4242;
    journal.writtenNs = 1765000000123456789;
    journal.model = {"/home/user/models/house.ebo", 14200, 1765000000987654321, 0x1234abcd5678ef90};
    for (int32_t seg = 0; seg < 3; ++seg) {
        vw::JournalSegment segment{0, seg, 40, {}};
        for (uint32_t first : {2u, 17u}) {
            vw::JournalRun run{first, {}};
            for (uint32_t i = 0; i < 5; ++i) {
                vw::Vertex vertex;
                vertex.x = std::cos(float(first + i));
                vertex.y = -std::sin(float(first + i));
                vertex.z = seg == 2 ? std::numeric_limits<float>::quiet_NaN() : -0.0f;
                vertex.u = std::numeric_limits<float>::denorm_min();
                vertex.v = float(i) / 5;
                vertex.red = uint8_t(10 * i);
                vertex.alpha = 255;
                run.verts.push_back(vertex);
            }
            segment.runs.push_back(run);
        }
        journal.segments.push_back(segment);
    }
    return journal;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (const char* folder = std::getenv("VW_FUZZ_SEED_DIR")) {
        const std::vector<uint8_t> bytes = vw::encodeJournal(generatedJournal());
        std::ofstream(std::string(folder) + "/seed-journal", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        std::exit(0);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + size);
    if (size >= 8) {
        uint64_t checksum = vw::hashBytes({bytes.data(), size - 8});
        for (size_t i = size - 8; i < size; ++i, checksum >>= 8)
            bytes[i] = uint8_t(checksum);
    }
    vw::Journal journal;
    if (!vw::decodeJournal(bytes, journal))
        return 0;
    if (vw::encodeJournal(journal) != bytes)
        __builtin_trap(); // the journal read differs from its bytes
    return 0;
}
