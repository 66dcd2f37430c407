#include "tools/texture/tm_file.h"

#include "platform/gfx/d3dx/image.h"

#include <png.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace zoq::tools::texture {

bool ReadPng(const std::filesystem::path& path, Picture& picture, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open the file";
        return false;
    }
    const Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    plat::gfx::d3dx::Image image;
    if (plat::gfx::d3dx::ReadPng(file, image, false, &error) != plat::gfx::Result::Ok)
        return false;
    picture.width = image.info.width;
    picture.height = image.info.height;
    picture.argb.resize(size_t(picture.width) * picture.height);
    const Bytes& level = image.levels.at(0);
    if (level.size() < picture.argb.size() * 4) {
        error = "decoded picture is short";
        return false;
    }
    std::memcpy(picture.argb.data(), level.data(), picture.argb.size() * 4);
    if (image.info.format == plat::gfx::Format::X8R8G8B8)
        for (uint32_t& pixel : picture.argb)
            pixel |= 0xFF000000u;
    return true;
}

bool WritePng(
    const std::filesystem::path& path, uint32_t width, uint32_t height, const Bytes& rgba, std::string& error)
{
    if (rgba.size() != size_t(width) * height * 4 || width == 0 || height == 0) {
        error = "bad picture size";
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        error = "cannot create the file";
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = false;
    if (png && info && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
            PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (uint32_t y = 0; y < height; ++y)
            png_write_row(png, rgba.data() + size_t(y) * width * 4);
        png_write_end(png, nullptr);
        ok = true;
    }
    png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
    if (std::fclose(file) != 0)
        ok = false;
    if (!ok)
        error = "cannot write the PNG file";
    return ok;
}

} // namespace zoq::tools::texture
