#include "model/interchange/png_writer.h"

#include "model/files/file_io.h"

// Files are written through writeExportBytes, never by the library itself.
#define STBI_WRITE_NO_STDIO
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace vw {
namespace {

void appendBytes(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    const auto* bytes = static_cast<const uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

} // namespace

std::vector<uint8_t> pngBytes(const RgbaPicture& picture) {
    std::vector<uint8_t> out;
    if (!stbi_write_png_to_func(appendBytes, &out, picture.width, picture.height, 4,
                                picture.pixels.data(), picture.width * 4))
        out.clear();
    return out;
}

Result writePngFile(const RgbaPicture& picture, const std::filesystem::path& path) {
    const std::vector<uint8_t> bytes = pngBytes(picture);
    if (bytes.empty())
        return Result::failure("cannot write " + quotedPath(path) + ": not enough memory");
    return writeExportBytes(path, bytes);
}

} // namespace vw
