#include "model/interchange/thumbnail.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>

#define STBI_NO_STDIO
#define STBI_ONLY_PNG
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

namespace vw {
namespace {

using Rgba = std::array<uint8_t, 4>;

// A vertex from file coordinates (y up), as the loader holds it.
Vertex fileVertex(float x, float y, float z, Rgba colour) {
    Vertex vertex;
    vertex.x = x;
    vertex.y = -y;
    vertex.z = z;
    vertex.red = colour[0];
    vertex.green = colour[1];
    vertex.blue = colour[2];
    vertex.alpha = colour[3];
    return vertex;
}

// A rectangle in the plane z, from (x0, y0) to (x1, y1), as a strip of two triangles.
Segment rectangle(float x0, float y0, float x1, float y1, float z, Rgba colour,
                  bool coloured = true) {
    Segment segment;
    segment.verts = {fileVertex(x0, y0, z, colour), fileVertex(x1, y0, z, colour),
                     fileVertex(x0, y1, z, colour), fileVertex(x1, y1, z, colour)};
    segment.strip = {0, 1, 2, 3};
    segment.colorBlockAt = coloured ? 1 : 0;
    return segment;
}

// A box 4 wide, 2.2 high and 2 deep, centred on the origin: its front face red, the other five
// blue, joined in one strip by degenerate triangles.
Model box() {
    constexpr Rgba blue = {0, 0, 255, 255};
    Segment others;
    const float x = 2, y = 1.1f, z = 1;
    others.verts = {fileVertex(-x, -y, -z, blue), fileVertex(x, -y, -z, blue),
                    fileVertex(-x, y, -z, blue),  fileVertex(x, y, -z, blue),
                    fileVertex(-x, -y, z, blue),  fileVertex(x, -y, z, blue),
                    fileVertex(-x, y, z, blue),   fileVertex(x, y, z, blue)};
    // Back, bottom, top, left and right.
    others.strip = {0, 1, 2, 3, 3, 0, 0, 1, 4, 5, 5, 2, 2, 3,
                    6, 7, 7, 0, 0, 2, 4, 6, 6, 1, 1, 3, 5, 7};
    others.colorBlockAt = 1;
    Model model;
    model.Parts = {Part{{rectangle(-x, -y, x, y, z, {255, 0, 0, 255}), others}}};
    return model;
}

Rgba pixelAt(const RgbaPicture& picture, int x, int y) {
    const uint8_t* pixel = picture.at(x, y);
    return {pixel[0], pixel[1], pixel[2], pixel[3]};
}

// At 40 pixels, 9.5 pixels a unit: the box covers columns 1 to 38 and rows 10 to 29.
TEST(Thumbnail, FrontViewShowsTheBoxSilhouetteAndItsNearFace) {
    const RgbaPicture picture = frontThumbnail(box(), 40);
    ASSERT_EQ(picture.width, 40);
    ASSERT_EQ(picture.height, 40);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            const bool inside = x >= 1 && x <= 38 && y >= 10 && y <= 29;
            ASSERT_EQ(pixelAt(picture, x, y), inside ? Rgba({255, 0, 0, 255}) : Rgba())
                << x << ", " << y;
        }
}

struct ColourCase {
    const char* name;
    Rgba colour;
    bool coloured;
    Rgba pixel;
};

class ThumbnailColours : public testing::TestWithParam<ColourCase> {};

// Two rectangles side by side, the one under test on the left: a face turned towards the
// viewer shows its colour at full light, alpha fading it towards transparency.
TEST_P(ThumbnailColours, FaceShowsItsVertexColour) {
    Model model;
    model.Parts = {Part{{rectangle(0, 0, 1, 1, 0, GetParam().colour, GetParam().coloured),
                         rectangle(1, 0, 2, 1, 0, {0, 0, 255, 255})}}};
    const RgbaPicture picture = frontThumbnail(model, 20);
    EXPECT_EQ(pixelAt(picture, 5, 10), GetParam().pixel);
    EXPECT_EQ(pixelAt(picture, 15, 10), Rgba({0, 0, 255, 255}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ThumbnailColours,
    testing::Values(ColourCase{"Opaque", {200, 100, 50, 255}, true, {200, 100, 50, 255}},
                    ColourCase{"HalfAlpha", {0, 255, 0, 128}, true, {0, 255, 0, 153}},
                    ColourCase{"AlphaZeroStillShows", {0, 255, 0, 0}, true, {0, 255, 0, 51}},
                    ColourCase{"NoColourBlockIsGrey", {1, 2, 3, 0}, false, {190, 190, 190, 255}}),
    [](const auto& info) { return std::string(info.param.name); });

// A face seen at a slant is darker than one facing the viewer, never black.
TEST(Thumbnail, SlantedFaceIsShadedByItsSlope) {
    Model model;
    Segment slanted = rectangle(0, 0, 1, 1, 0, {200, 200, 200, 255});
    slanted.verts[1].z = slanted.verts[3].z = 1; // turned 45 degrees about the y axis
    model.Parts = {Part{{slanted}}};
    // 200 * (0.3 + 0.7 * cos 45 degrees)
    EXPECT_EQ(pixelAt(frontThumbnail(model, 20), 10, 10), Rgba({159, 159, 159, 255}));
}

// Every byte different from its neighbours, so that no row compresses to nothing.
RgbaPicture noise(int width, int height) {
    RgbaPicture picture(width, height);
    for (size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] = uint8_t(i * 151 + i / 7);
    return picture;
}

// The PNG reads back in another decoder as exactly the pixels given, transparent ones and
// partly transparent ones included.
TEST(Thumbnail, PngReadsBackAsItsPixels) {
    for (const RgbaPicture& picture : {frontThumbnail(box(), 40), noise(17, 5), noise(1, 1)}) {
        const std::vector<uint8_t> png = pngBytes(picture);
        int width = 0, height = 0, channels = 0;
        const std::unique_ptr<uint8_t, decltype(&stbi_image_free)> decoded(
            stbi_load_from_memory(png.data(), int(png.size()), &width, &height, &channels, 4),
            stbi_image_free);
        ASSERT_TRUE(decoded) << stbi_failure_reason();
        EXPECT_EQ(width, picture.width);
        EXPECT_EQ(height, picture.height);
        EXPECT_EQ(channels, 4);
        EXPECT_EQ(std::vector<uint8_t>(decoded.get(), decoded.get() + picture.pixels.size()),
                  picture.pixels);
    }
}

} // namespace
} // namespace vw
