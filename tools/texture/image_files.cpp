#include "tools/texture/image_files.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

namespace zoq::tools::texture {

using plat::gfx::Format;
using plat::gfx::FourCC;

Bytes MakeBmp(const std::vector<uint32_t>& argb, uint32_t w, uint32_t h, uint32_t bits, bool topDown)
{
    uint32_t rowBytes = (w * (bits / 8) + 3) & ~3u;
    Bytes out(54 + size_t(rowBytes) * h, 0);
    out[0] = 'B';
    out[1] = 'M';
    StoreLE<uint32_t>(&out[2], uint32_t(out.size()));
    StoreLE<uint32_t>(&out[10], 54);
    StoreLE<uint32_t>(&out[14], 40);
    StoreLE<uint32_t>(&out[18], w);
    StoreLE<uint32_t>(&out[22], topDown ? uint32_t(-int32_t(h)) : h);
    StoreLE<uint16_t>(&out[26], 1);
    StoreLE<uint16_t>(&out[28], bits);
    for (uint32_t y = 0; y < h; ++y) {
        uint8_t* row = out.data() + 54 + size_t(rowBytes) * (topDown ? y : h - 1 - y);
        for (uint32_t x = 0; x < w; ++x) {
            uint32_t p = argb[y * w + x];
            uint8_t* q = row + x * (bits / 8);
            q[0] = uint8_t(p);
            q[1] = uint8_t(p >> 8);
            q[2] = uint8_t(p >> 16);
            if (bits == 32)
                q[3] = 0;
        }
    }
    return out;
}

Bytes MakeTga(
    const std::vector<uint32_t>& argb, uint32_t w, uint32_t h, uint32_t type, uint32_t bits, bool topOrigin)
{
    Bytes out(18, 0);
    out[0] = 3; // a short identification field to skip
    out[2] = uint8_t(type);
    StoreLE<uint16_t>(&out[12], w);
    StoreLE<uint16_t>(&out[14], h);
    out[16] = uint8_t(bits);
    out[17] = uint8_t((bits == 32 ? 8 : 0) | (topOrigin ? 0x20 : 0));
    for (char c : { 'i', 'd', '!' })
        out.push_back(uint8_t(c));
    std::vector<uint32_t> ordered;
    for (uint32_t y = 0; y < h; ++y) {
        uint32_t row = topOrigin ? y : h - 1 - y;
        for (uint32_t x = 0; x < w; ++x)
            ordered.push_back(argb[row * w + x]);
    }
    auto pixel = [&](uint32_t p) {
        AppendLE(out, p);
        if (bits != 32)
            out.pop_back();
    };
    if (type == 2) {
        for (uint32_t p : ordered)
            pixel(p);
        return out;
    }
    for (size_t i = 0; i < ordered.size();) {
        size_t run = 1;
        while (i + run < ordered.size() && run < 128 && ordered[i + run] == ordered[i])
            ++run;
        if (run > 1) {
            out.push_back(uint8_t(0x80 | (run - 1)));
            pixel(ordered[i]);
            i += run;
        } else {
            size_t raw = 1;
            while (i + raw < ordered.size() && raw < 128 && ordered[i + raw] != ordered[i + raw - 1])
                ++raw;
            out.push_back(uint8_t(raw - 1));
            for (size_t k = 0; k < raw; ++k)
                pixel(ordered[i + k]);
            i += raw;
        }
    }
    return out;
}

Bytes MakeDds(plat::gfx::Format format, uint32_t w, uint32_t h, const std::vector<Bytes>& levels)
{
    Bytes out(128, 0);
    StoreLE<uint32_t>(&out[0], FourCC('D', 'D', 'S', ' '));
    StoreLE<uint32_t>(&out[4], 124);
    StoreLE<uint32_t>(&out[8], 0x1 | 0x2 | 0x4 | 0x1000 | (levels.size() > 1 ? 0x20000 : 0));
    StoreLE<uint32_t>(&out[12], h);
    StoreLE<uint32_t>(&out[16], w);
    StoreLE<uint32_t>(&out[28], uint32_t(levels.size()));
    StoreLE<uint32_t>(&out[76], 32);
    struct Row {
        Format format;
        uint32_t flags, bits, r, g, b, a;
    };
    const Row rows[] = {
        { Format::A8R8G8B8, 0x41, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000 },
        { Format::X8R8G8B8, 0x40, 32, 0xFF0000, 0xFF00, 0xFF, 0 },
        { Format::R5G6B5, 0x40, 16, 0xF800, 0x7E0, 0x1F, 0 },
        { Format::A4R4G4B4, 0x41, 16, 0xF00, 0xF0, 0xF, 0xF000 },
        { Format::A1R5G5B5, 0x41, 16, 0x7C00, 0x3E0, 0x1F, 0x8000 },
    };
    if (format == Format::Dxt1 || format == Format::Dxt3 || format == Format::Dxt5) {
        StoreLE<uint32_t>(&out[80], 0x4);
        StoreLE<uint32_t>(&out[84], uint32_t(format));
    } else {
        for (const Row& row : rows)
            if (row.format == format) {
                StoreLE<uint32_t>(&out[80], row.flags);
                StoreLE<uint32_t>(&out[88], row.bits);
                StoreLE<uint32_t>(&out[92], row.r);
                StoreLE<uint32_t>(&out[96], row.g);
                StoreLE<uint32_t>(&out[100], row.b);
                StoreLE<uint32_t>(&out[104], row.a);
            }
    }
    StoreLE<uint32_t>(&out[108], 0x1000);
    for (const Bytes& level : levels)
        out.insert(out.end(), level.begin(), level.end());
    return out;
}

Bytes MakePng(const std::vector<uint32_t>& argb, uint32_t w, uint32_t h, bool alpha)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = w;
    image.height = h;
    // Without alpha the file is RGB: the reader must report no alpha.
    image.format = alpha ? PNG_FORMAT_BGRA : PNG_FORMAT_BGR;
    Bytes pixels;
    for (uint32_t p : argb) {
        AppendLE(pixels, p);
        if (!alpha)
            pixels.pop_back();
    }
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr);
    Bytes out(size);
    png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), 0, nullptr);
    out.resize(size);
    return out;
}

Bytes MakeJpeg(const std::vector<uint32_t>& argb, uint32_t w, uint32_t h, int quality)
{
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = w;
    info.image_height = h;
    info.input_components = 4;
    info.in_color_space = JCS_EXT_BGRA;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    for (int i = 0; i < info.num_components; ++i)
        info.comp_info[i].h_samp_factor = info.comp_info[i].v_samp_factor = 1; // no chroma subsampling
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < h) {
        JSAMPROW row
            = const_cast<JSAMPROW>(reinterpret_cast<const uint8_t*>(&argb[size_t(info.next_scanline) * w]));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    Bytes out(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return out;
}

} // namespace zoq::tools::texture
