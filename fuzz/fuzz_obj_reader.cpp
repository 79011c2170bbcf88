// libFuzzer target over the OBJ reader, as File > Import OBJ, the command-line import and the
// OBJ link read a file: the first byte chooses what the text is read for (the whole model, one
// part, one segment), the rest is the OBJ text. A read that succeeds must give every selected
// segment exactly its vertex count, once. With VW_FUZZ_SEED_DIR set, writes the export of the
// model it reads for there as seeds instead, and ends.

#include "model/interchange/obj_io.h"
#include "obj_reader_model.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

// Each selection's export, prefixed with the byte that chooses it.
void writeSeeds(const vw::Model& model, const std::string& folder) {
    for (uint8_t choice = 0; choice < 4; ++choice) {
        std::ofstream out(folder + "/seed-obj-" + std::to_string(choice), std::ios::binary);
        out.put(char(choice));
        vw::writeObj(out, model, objReaderSelection(choice));
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (const char* folder = std::getenv("VW_FUZZ_SEED_DIR")) {
        writeSeeds(objReaderModel(), folder);
        std::exit(0);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    static const vw::Model model = objReaderModel();
    const vw::ObjSelection selection = objReaderSelection(data[0]);
    std::istringstream in(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
    vw::ValueWrite values;
    if (!vw::readObjValues(in, model, selection, values))
        return 0;
    if (!objReaderValuesFit(model, selection, values))
        __builtin_trap(); // a selected segment got no values, values twice, or not one per vertex
    return 0;
}
