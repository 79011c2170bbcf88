// The bundled samples load in their layouts and save back unchanged.
#include "model/ebo/ebo_loader.h"
#include "model/ebo/ebo_saver.h"
#include "support/temp_dir.h"
#include "support/test_names.h"

#include <gtest/gtest.h>

using namespace vw;
using namespace vw::test;

namespace {

const std::filesystem::path kSamples =
    std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "samples";

struct Sample {
    const char* file;
    uint8_t result;
    size_t parts;
};

class Samples : public testing::TestWithParam<Sample> {};

TEST_P(Samples, LoadAndSaveUnchanged) {
    TempDir dir;
    const ModelFolders folders{kSamples, dir / "current.tmp"};
    std::filesystem::copy_file(kSamples / GetParam().file, dir / GetParam().file);
    const std::string path = (dir / GetParam().file).string();
    Model model;
    ASSERT_EQ(loadModel(model, path, folders), GetParam().result);
    EXPECT_EQ(model.Parts.size(), GetParam().parts);
    ASSERT_EQ(saveModel(model, path, folders).reason(), "");
    EXPECT_EQ(readBytes(path), readBytes(kSamples / GetParam().file));
}

INSTANTIATE_TEST_SUITE_P(Bundled, Samples,
                         testing::Values(Sample{"house.ebo", 2, 3}, Sample{"fish6.ebo", 6, 2},
                                         Sample{"head2.ebo", 10, 4}),
                         [](const auto& info) {
                             return nameOf(std::filesystem::path(info.param.file).stem().string());
                         });

} // namespace
