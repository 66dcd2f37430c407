// PNG through libpng's simplified reader, which keeps its error handling inside the library.
#include "platform/gfx/d3dx/image.h"

#include <png.h>

#include <cstring>

namespace plat::gfx::d3dx {

Result ReadPng(std::span<const uint8_t> file, Image& out, bool headerOnly, std::string* error)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) {
        if (error)
            *error = std::string("PNG: ") + image.message;
        return Result::InvalidData;
    }
    if (!ImageSizeAllowed(image.width, image.height)) {
        png_image_free(&image);
        if (error)
            *error = "PNG: size out of range";
        return Result::InvalidData;
    }
    bool alpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    out = {};
    out.info.width = image.width;
    out.info.height = image.height;
    out.info.format = alpha ? Format::A8R8G8B8 : Format::X8R8G8B8;
    out.info.imageFileFormat = ImageFileFormat::Png;
    if (headerOnly) {
        png_image_free(&image);
        return Result::Ok;
    }
    // B, G, R, A in memory: 0xAARRGGBB pixels on a little-endian machine.
    image.format = PNG_FORMAT_BGRA;
    std::vector<uint8_t> pixels(size_t(image.width) * image.height * 4);
    if (!png_image_finish_read(&image, nullptr, pixels.data(), int(image.width * 4), nullptr)) {
        if (error)
            *error = std::string("PNG: ") + image.message;
        png_image_free(&image);
        return Result::InvalidData;
    }
    out.levels.push_back(std::move(pixels));
    return Result::Ok;
}

} // namespace plat::gfx::d3dx
