// JPEG through libjpeg. The library reports errors by longjmp, so the decoding runs in one
// function that holds no C++ object across the jump; any warning (a truncated file among them)
// fails the read.
#include "platform/gfx/d3dx/image.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

namespace plat::gfx::d3dx {
namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void OnError(j_common_ptr info)
{
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, manager->message);
    std::longjmp(manager->jump, 1);
}

void OnMessage(j_common_ptr info, int level)
{
    if (level < 0) // a warning: corrupt or truncated data
        OnError(info);
}

struct Decoded {
    uint32_t width = 0;
    uint32_t height = 0;
    bool ok = false;
};

// Pass 1 (pixels null) reads the header; pass 2 decodes into `pixels` of width*height*4 bytes.
Decoded Decode(
    const uint8_t* data, size_t size, uint8_t* pixels, uint32_t maxWidth, uint32_t maxHeight, char* message)
{
    jpeg_decompress_struct info;
    ErrorManager manager;
    info.err = jpeg_std_error(&manager.base);
    manager.base.error_exit = OnError;
    manager.base.emit_message = OnMessage;
    manager.message[0] = 0;
    if (setjmp(manager.jump)) {
        std::memcpy(message, manager.message, JMSG_LENGTH_MAX);
        jpeg_destroy_decompress(&info);
        return Decoded {};
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    if (!pixels || info.image_width != maxWidth || info.image_height != maxHeight) {
        Decoded header { info.image_width, info.image_height, pixels == nullptr };
        jpeg_destroy_decompress(&info);
        return header;
    }
    info.out_color_space = JCS_EXT_BGRA; // 0xAARRGGBB pixels on a little-endian machine
    jpeg_start_decompress(&info);
    if (info.output_width != maxWidth || info.output_height != maxHeight || info.output_components != 4) {
        jpeg_destroy_decompress(&info);
        std::snprintf(message, JMSG_LENGTH_MAX, "unexpected output layout");
        return Decoded {};
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels + size_t(info.output_scanline) * maxWidth * 4;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return Decoded { maxWidth, maxHeight, true };
}

} // namespace

Result ReadJpeg(std::span<const uint8_t> file, Image& out, bool headerOnly, std::string* error)
{
    char message[JMSG_LENGTH_MAX] = {};
    Decoded header = Decode(file.data(), file.size(), nullptr, 0, 0, message);
    if (!header.ok) {
        if (error)
            *error = std::string("JPEG: ") + message;
        return Result::InvalidData;
    }
    if (!ImageSizeAllowed(header.width, header.height)) {
        if (error)
            *error = "JPEG: size out of range";
        return Result::InvalidData;
    }
    out = {};
    out.info.width = header.width;
    out.info.height = header.height;
    out.info.format = Format::X8R8G8B8;
    out.info.imageFileFormat = ImageFileFormat::Jpg;
    if (headerOnly)
        return Result::Ok;
    std::vector<uint8_t> pixels(size_t(header.width) * header.height * 4);
    Decoded body = Decode(file.data(), file.size(), pixels.data(), header.width, header.height, message);
    if (!body.ok) {
        if (error)
            *error = std::string("JPEG: ") + message;
        out = {};
        return Result::InvalidData;
    }
    out.levels.push_back(std::move(pixels));
    return Result::Ok;
}

} // namespace plat::gfx::d3dx
