#pragma once
// The fuzz targets' shared input form: two little-endian 32-bit lengths, then the model,
// base-mesh and offsets bytes, so every target takes the same seeds.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

struct FuzzFiles {
    // Separate heap copies, so a read past the end of any one file is caught.
    std::vector<uint8_t> model, baseMesh, offsets;
};

inline std::optional<FuzzFiles> splitFuzzInput(const uint8_t* data, size_t size) {
    if (size < 8)
        return std::nullopt;
    auto lengthAt = [](const uint8_t* p) {
        return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    };
    const size_t rest = size - 8;
    const size_t modelLength = lengthAt(data) % (rest + 1);
    const size_t baseLength = lengthAt(data + 4) % (rest - modelLength + 1);
    const uint8_t* p = data + 8;
    return FuzzFiles{{p, p + modelLength},
                     {p + modelLength, p + modelLength + baseLength},
                     {p + modelLength + baseLength, data + size}};
}
