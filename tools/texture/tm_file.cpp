#include "tools/texture/tm_file.h"

#include "platform/gfx/d3dx/dxt.h"
#include "platform/gfx/types.h"
#include "platform/win/text.h"
#include "render/TMReader.h"
#include "render/TextureFile.h"

#include <algorithm>
#include <cstring>
#include <fstream>

namespace zoq::tools::texture {
namespace {

int32_t IntLog2Of(uint32_t n)
{
    int32_t count = 0;
    for (; n > 1; n >>= 1)
        ++count;
    return count;
}

bool IsPowerOfTwo(uint32_t n)
{
    return n != 0 && (n & (n - 1)) == 0;
}

uint32_t Widen(uint32_t value, uint32_t bits)
{
    uint32_t out = value << (8 - bits);
    for (uint32_t filled = bits; filled < 8; filled += bits)
        out |= value << (8 - bits) >> filled;
    return out & 0xFF;
}

} // namespace

uint32_t TmFormatValue(TmFormat format)
{
    switch (format) {
    case TmFormat::Argb:
        return TMReader::kFormatArgb;
    case TmFormat::Xrgb:
        return TMReader::kFormatXrgb;
    default:
        return uint32_t(plat::gfx::Format::Dxt5);
    }
}

std::vector<Picture> BuildLevels(const Picture& top, uint32_t levels)
{
    std::vector<Picture> chain { top };
    while (chain.size() < levels) {
        const Picture& from = chain.back();
        Picture next;
        next.width = std::max(from.width / 2, 1u);
        next.height = std::max(from.height / 2, 1u);
        next.argb.resize(size_t(next.width) * next.height);
        TMReader::BuildMipLevel(reinterpret_cast<const uint8_t*>(from.argb.data()), int32_t(from.width * 4),
            from.width, from.height, reinterpret_cast<uint8_t*>(next.argb.data()), int32_t(next.width * 4),
            next.width, next.height, TMReader::kFormatArgb);
        chain.push_back(std::move(next));
    }
    return chain;
}

bool EncodeTm(const Picture& picture, TmFormat format, Bytes& out, std::string& error)
{
    const uint32_t w = picture.width;
    const uint32_t h = picture.height;
    if (picture.argb.size() != size_t(w) * h) {
        error = "pixel count does not match the size";
        return false;
    }
    const bool compressed = format == TmFormat::Dxt5;
    if (w > TMReader::kMaxSide || h > TMReader::kMaxSide) {
        error = "sides must be at most 8192";
        return false;
    }
    if (compressed && !TMReader::IsWholeBlocks(w, h)) {
        error = "dxt5 sides must be multiples of 4";
        return false;
    }
    if (!compressed && (!IsPowerOfTwo(w) || !IsPowerOfTwo(h))) {
        error = "sides must be powers of two up to 8192";
        return false;
    }
    const uint32_t levels
        = compressed ? TMReader::BlockLevels(w, h) : uint32_t(std::max(IntLog2Of(w), IntLog2Of(h))) + 1;
    out.assign(TMReader::kHeaderSize, 0);
    StoreLE<uint32_t>(&out[0], w);
    StoreLE<uint32_t>(&out[4], h);
    StoreLE<uint32_t>(&out[8], TmFormatValue(format));
    StoreLE<uint32_t>(&out[16], compressed ? 1 : 0);
    StoreLE<uint32_t>(&out[20], levels);

    for (const Picture& level : BuildLevels(picture, levels)) {
        if (compressed) {
            const uint32_t pitch = level.width * 4; // a row of 4 x 4 blocks, 16 bytes each
            const size_t at = out.size();
            out.resize(at + size_t(pitch) * (level.height / 4));
            plat::gfx::d3dx::EncodeDxt(plat::gfx::Format::Dxt5, level.argb.data(), level.width, level.width,
                level.height, out.data() + at, pitch);
            continue;
        }
        Bytes planeB;
        for (uint32_t pixel : level.argb) {
            const uint32_t a = pixel >> 24, r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF,
                           b = pixel & 0xFF;
            if (format == TmFormat::Argb) {
                AppendLE<uint16_t>(out, uint16_t((a >> 4) << 12 | (r >> 4) << 8 | (g >> 4) << 4 | (b >> 4)));
                AppendLE<uint16_t>(
                    planeB, uint16_t((a & 15) << 12 | (r & 15) << 8 | (g & 15) << 4 | (b & 15)));
            } else {
                AppendLE<uint16_t>(out, uint16_t((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3)));
                planeB.push_back(uint8_t((r & 7) << 5 | (g & 3) << 3 | (b & 7)));
            }
        }
        out.insert(out.end(), planeB.begin(), planeB.end());
    }
    return true;
}

bool WriteTm(const std::filesystem::path& path, const Picture& picture, TmFormat format, std::string& error)
{
    Bytes bytes;
    if (!EncodeTm(picture, format, bytes, error))
        return false;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) {
        error = "cannot write the file";
        return false;
    }
    return true;
}

std::string FormatInfoLine(const TmInfo& info)
{
    return "width " + std::to_string(info.width) + " height " + std::to_string(info.height) + " format "
        + (info.compressed ? std::string("dxt5") : std::to_string(info.format)) + " levels "
        + std::to_string(info.levels) + " compressed " + (info.compressed ? "1" : "0");
}

bool ReadTmInfo(const std::filesystem::path& path, TmInfo& info, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open the file";
        return false;
    }
    uint8_t bytes[TMReader::kHeaderSize] = {};
    in.read(reinterpret_cast<char*>(bytes), sizeof bytes);
    if (in.gcount() != std::streamsize(sizeof bytes)) {
        error = "header is short";
        return false;
    }
    const TMHeader header = TMReader::ParseHeader(bytes);
    if (const char* reason = TMReader::CheckHeader(header)) {
        error = reason;
        return false;
    }
    info.width = header.width;
    info.height = header.height;
    info.format = header.format;
    info.compressed = header.compressed != 0;
    if (info.compressed) {
        info.levels = header.levels;
        return true;
    }
    std::error_code code;
    const uint64_t size = std::filesystem::file_size(path, code);
    uint64_t left = code || size < TMReader::kHeaderSize ? 0 : size - TMReader::kHeaderSize;
    info.levels = 0;
    const uint32_t most = uint32_t(std::max(IntLog2Of(header.width), IntLog2Of(header.height))) + 1;
    for (uint32_t i = 0; i < most; ++i) {
        const uint64_t pixels = uint64_t(std::max(header.width >> i, 1u)) * std::max(header.height >> i, 1u);
        const uint64_t bytesOfLevel = TMReader::UncompressedLevelBytes(header.format, pixels);
        if (bytesOfLevel > left)
            break;
        left -= bytesOfLevel;
        ++info.levels;
    }
    return true;
}

bool DecodeTmTop(const std::filesystem::path& path, int32_t reduction, int32_t bitsPerPixel, uint32_t& width,
    uint32_t& height, Bytes& rgba, std::string& error)
{
    TMReader reader;
    const std::string name = plat::win::Utf8ToCp1251(path.string());
    if (!reader.Open(name.c_str(), bitsPerPixel, reduction)) {
        error = reader.Refused() ? reader.Reason() : "cannot open the file";
        return false;
    }
    width = reader.Width();
    height = reader.Height();
    const size_t pixels = size_t(width) * height;
    rgba.assign(pixels * 4, 0);
    std::vector<uint32_t> argb(pixels);
    if (reader.IsCompressed()) {
        reader.SeekCompressedLevels();
        TextureFile decoder(width, height);
        reader.ReadZeroFilled(decoder.Data(), decoder.DataSize());
        decoder.Decode();
        std::memcpy(argb.data(), decoder.Pixels(), pixels * 4);
    } else {
        const uint32_t format = reader.Format();
        const bool wide = format == TMReader::kFormatArgb || format == TMReader::kFormatXrgb;
        Bytes level(pixels * (wide ? 4 : 2));
        reader.ReadTopLevel(level.data(), int32_t(width * (wide ? 4 : 2)));
        for (size_t i = 0; i < pixels; ++i) {
            if (wide) {
                argb[i] = LoadLE<uint32_t>(&level[4 * i]);
                if (format == TMReader::kFormatXrgb)
                    argb[i] |= 0xFF000000u;
                continue;
            }
            const uint32_t v = LoadLE<uint16_t>(&level[2 * i]);
            if (format == TMReader::kFormatRgb565)
                argb[i] = 0xFF000000u | Widen(v >> 11, 5) << 16 | Widen((v >> 5) & 0x3F, 6) << 8
                    | Widen(v & 0x1F, 5);
            else
                argb[i] = Widen(v >> 12, 4) << 24 | Widen((v >> 8) & 15, 4) << 16
                    | Widen((v >> 4) & 15, 4) << 8 | Widen(v & 15, 4);
        }
    }
    reader.Close();
    for (size_t i = 0; i < pixels; ++i) {
        rgba[4 * i + 0] = uint8_t(argb[i] >> 16);
        rgba[4 * i + 1] = uint8_t(argb[i] >> 8);
        rgba[4 * i + 2] = uint8_t(argb[i]);
        rgba[4 * i + 3] = uint8_t(argb[i] >> 24);
    }
    return true;
}

} // namespace zoq::tools::texture
