#pragma once
// Pictures as PNG files, RGBA with 8 bits a channel, encoded by stb_image_write.

#include "model/result.h"

#include <cstdint>
#include <filesystem>
#include <vector>

namespace vw {

// Straight (not premultiplied) RGBA, rows from the top.
struct RgbaPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels; // 4 * width * height bytes

    RgbaPicture() = default;
    RgbaPicture(int w, int h) : width(w), height(h), pixels(size_t(w) * size_t(h) * 4, 0) {}
    uint8_t* at(int x, int y) { return &pixels[(size_t(y) * size_t(width) + size_t(x)) * 4]; }
    const uint8_t* at(int x, int y) const {
        return &pixels[(size_t(y) * size_t(width) + size_t(x)) * 4];
    }
};

// The PNG bytes of picture; empty when there was no memory to encode it.
std::vector<uint8_t> pngBytes(const RgbaPicture& picture);

// pngBytes into a file, replaced atomically; fails with a one-line reason, the file unchanged.
Result writePngFile(const RgbaPicture& picture, const std::filesystem::path& path);

} // namespace vw
