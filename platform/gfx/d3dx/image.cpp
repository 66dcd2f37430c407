// Our readers of BMP, TGA and DDS, and the dispatch by content.
#include "platform/gfx/d3dx/image.h"

#include "platform/gfx/format.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace plat::gfx::d3dx {
namespace {

// Little-endian reads that never pass the end.
class ByteReader {
public:
    explicit ByteReader(std::span<const uint8_t> data)
        : m_data(data)
    {
    }

    bool U8(uint32_t& v)
    {
        if (m_pos + 1 > m_data.size())
            return false;
        v = m_data[m_pos++];
        return true;
    }
    bool U16(uint32_t& v)
    {
        if (m_pos + 2 > m_data.size())
            return false;
        v = uint32_t(m_data[m_pos]) | uint32_t(m_data[m_pos + 1]) << 8;
        m_pos += 2;
        return true;
    }
    bool U32(uint32_t& v)
    {
        if (m_pos + 4 > m_data.size())
            return false;
        v = uint32_t(m_data[m_pos]) | uint32_t(m_data[m_pos + 1]) << 8 | uint32_t(m_data[m_pos + 2]) << 16
            | uint32_t(m_data[m_pos + 3]) << 24;
        m_pos += 4;
        return true;
    }
    bool Skip(size_t n)
    {
        if (n > m_data.size() - m_pos)
            return false;
        m_pos += n;
        return true;
    }
    bool Seek(size_t pos)
    {
        if (pos > m_data.size())
            return false;
        m_pos = pos;
        return true;
    }
    size_t Pos() const { return m_pos; }
    size_t Left() const { return m_data.size() - m_pos; }
    const uint8_t* Here() const { return m_data.data() + m_pos; }

private:
    std::span<const uint8_t> m_data;
    size_t m_pos = 0;
};

Result Fail(std::string* error, const char* kind, const char* text, size_t offset)
{
    if (error) {
        char line[160];
        std::snprintf(line, sizeof line, "%s: %s at offset %zu", kind, text, offset);
        *error = line;
    }
    return Result::InvalidData;
}

uint32_t Pixel(uint32_t a, uint32_t r, uint32_t g, uint32_t b)
{
    return a << 24 | r << 16 | g << 8 | b;
}

void Store(std::vector<uint8_t>& pixels, size_t index, uint32_t argb)
{
    std::memcpy(pixels.data() + index * 4, &argb, 4);
}

bool HasPrefix(std::span<const uint8_t> file, const char* prefix, size_t length)
{
    return file.size() >= length && std::memcmp(file.data(), prefix, length) == 0;
}

} // namespace

bool ImageSizeAllowed(uint32_t width, uint32_t height)
{
    return width > 0 && height > 0 && width <= kMaxImageDimension && height <= kMaxImageDimension
        && uint64_t(width) * height <= kMaxImagePixels;
}

Result ReadBmp(std::span<const uint8_t> file, Image& out, bool headerOnly, std::string* error)
{
    ByteReader in(file);
    uint32_t magic, fileSize, reserved, offset, headerSize, width, heightBits, planes, bits, compression;
    if (!in.U16(magic) || magic != 0x4D42) // "BM"
        return Fail(error, "BMP", "no BM signature", 0);
    if (!in.U32(fileSize) || !in.U32(reserved) || !in.U32(offset) || !in.U32(headerSize))
        return Fail(error, "BMP", "truncated header", in.Pos());
    if (headerSize < 40 || headerSize > 124)
        return Fail(error, "BMP", "unsupported information header", 14);
    if (!in.U32(width) || !in.U32(heightBits) || !in.U16(planes) || !in.U16(bits) || !in.U32(compression))
        return Fail(error, "BMP", "truncated header", in.Pos());
    auto height = int32_t(heightBits);
    bool topDown = height < 0;
    uint32_t rows = topDown ? uint32_t(-int64_t(height)) : uint32_t(height);
    if (int32_t(width) <= 0 || height == 0 || height == INT32_MIN || !ImageSizeAllowed(width, rows))
        return Fail(error, "BMP", "size out of range", 18);
    if (planes != 1 || (bits != 24 && bits != 32))
        return Fail(error, "BMP", "only 24- and 32-bit pictures are read", 28);
    // Uncompressed, or 32-bit with the standard masks.
    if (compression == 3 && bits == 32) {
        uint32_t red, green, blue;
        if (!in.Seek(54) || !in.U32(red) || !in.U32(green) || !in.U32(blue))
            return Fail(error, "BMP", "truncated masks", in.Pos());
        if (red != 0x00FF0000 || green != 0x0000FF00 || blue != 0x000000FF)
            return Fail(error, "BMP", "unsupported colour masks", 54);
    } else if (compression != 0) {
        return Fail(error, "BMP", "compressed pictures are not read", 30);
    }
    uint64_t rowBytes = (uint64_t(width) * (bits / 8) + 3) & ~uint64_t(3);
    if (offset < 14 + headerSize || offset > file.size() || rowBytes * rows > file.size() - offset)
        return Fail(error, "BMP", "pixel data out of the file", offset);

    out = {};
    out.info.width = width;
    out.info.height = rows;
    out.info.format = Format::X8R8G8B8;
    out.info.imageFileFormat = ImageFileFormat::Bmp;
    if (headerOnly)
        return Result::Ok;
    std::vector<uint8_t> pixels(size_t(width) * rows * 4);
    const uint8_t* data = file.data() + offset;
    for (uint32_t y = 0; y < rows; ++y) {
        const uint8_t* row = data + rowBytes * (topDown ? y : rows - 1 - y);
        for (uint32_t x = 0; x < width; ++x) {
            const uint8_t* p = row + size_t(x) * (bits / 8);
            Store(pixels, size_t(y) * width + x, Pixel(255, p[2], p[1], p[0]));
        }
    }
    out.levels.push_back(std::move(pixels));
    return Result::Ok;
}

Result ReadTga(std::span<const uint8_t> file, Image& out, bool headerOnly, std::string* error)
{
    ByteReader in(file);
    uint32_t idLength, mapType, type, mapFirst, mapLength, mapBits, xOrigin, yOrigin, width, height, depth,
        descriptor;
    if (!in.U8(idLength) || !in.U8(mapType) || !in.U8(type) || !in.U16(mapFirst) || !in.U16(mapLength)
        || !in.U8(mapBits) || !in.U16(xOrigin) || !in.U16(yOrigin) || !in.U16(width) || !in.U16(height)
        || !in.U8(depth) || !in.U8(descriptor))
        return Fail(error, "TGA", "truncated header", in.Pos());
    if (type != 2 && type != 10)
        return Fail(error, "TGA", "only true-colour pictures (types 2 and 10) are read", 2);
    if (mapType > 1 || (mapType == 1 && mapBits != 15 && mapBits != 16 && mapBits != 24 && mapBits != 32))
        return Fail(error, "TGA", "bad colour map", 1);
    if (depth != 24 && depth != 32)
        return Fail(error, "TGA", "only 24- and 32-bit pictures are read", 16);
    if (descriptor & 0x10)
        return Fail(error, "TGA", "right-to-left pictures are not read", 17);
    if (!ImageSizeAllowed(width, height))
        return Fail(error, "TGA", "size out of range", 12);
    // A colour map of a true-colour picture is not used; skip it.
    uint64_t mapBytes = mapType == 1 ? uint64_t(mapLength) * ((mapBits + 7) / 8) : 0;
    if (!in.Skip(idLength) || !in.Skip(size_t(mapBytes)))
        return Fail(error, "TGA", "truncated identification or colour map", in.Pos());
    bool alpha = depth == 32 && (descriptor & 0x0F) != 0;
    bool topOrigin = (descriptor & 0x20) != 0;
    out = {};
    out.info.width = width;
    out.info.height = height;
    out.info.format = alpha ? Format::A8R8G8B8 : Format::X8R8G8B8;
    out.info.imageFileFormat = ImageFileFormat::Tga;
    uint32_t bytes = depth / 8;
    size_t count = size_t(width) * height;
    // Raw data holds every pixel; run-length data at least one packet of 128 pixels per 128.
    size_t least = type == 2 ? count * bytes : (count + 127) / 128 * (1 + bytes);
    if (in.Left() < least)
        return Fail(error, "TGA", "truncated pixel data", in.Pos());
    if (headerOnly)
        return Result::Ok;

    std::vector<uint8_t> pixels(count * 4);
    auto read = [&](const uint8_t* p) { return Pixel(depth == 32 && alpha ? p[3] : 255, p[2], p[1], p[0]); };
    auto put = [&](size_t index, uint32_t argb) {
        size_t y = index / width, x = index % width;
        size_t row = topOrigin ? y : height - 1 - y;
        Store(pixels, row * width + x, argb);
    };
    if (type == 2) {
        for (size_t i = 0; i < count; ++i)
            put(i, read(in.Here() + i * bytes));
    } else {
        size_t done = 0;
        while (done < count) {
            uint32_t header;
            if (!in.U8(header))
                return Fail(error, "TGA", "truncated run-length data", in.Pos());
            size_t run = (header & 0x7F) + 1;
            if (run > count - done)
                return Fail(error, "TGA", "a packet runs past the picture", in.Pos() - 1);
            if (header & 0x80) {
                if (in.Left() < bytes)
                    return Fail(error, "TGA", "truncated run-length data", in.Pos());
                uint32_t argb = read(in.Here());
                in.Skip(bytes);
                for (size_t i = 0; i < run; ++i)
                    put(done++, argb);
            } else {
                if (in.Left() < run * bytes)
                    return Fail(error, "TGA", "truncated raw packet", in.Pos());
                for (size_t i = 0; i < run; ++i) {
                    put(done++, read(in.Here()));
                    in.Skip(bytes);
                }
            }
        }
    }
    out.levels.push_back(std::move(pixels));
    return Result::Ok;
}

Result ReadDds(std::span<const uint8_t> file, Image& out, bool headerOnly, std::string* error)
{
    constexpr uint32_t kMipMapCount = 0x20000;
    constexpr uint32_t kFourCC = 0x4;
    constexpr uint32_t kRgb = 0x40;
    constexpr uint32_t kCubeOrVolume = 0x200 | 0x200000;
    ByteReader in(file);
    uint32_t magic, size, flags, height, width, pitch, depth, mipCount;
    if (!in.U32(magic) || magic != FourCC('D', 'D', 'S', ' '))
        return Fail(error, "DDS", "no DDS signature", 0);
    if (!in.U32(size) || size != 124 || !in.U32(flags) || !in.U32(height) || !in.U32(width) || !in.U32(pitch)
        || !in.U32(depth) || !in.U32(mipCount) || !in.Skip(44))
        return Fail(error, "DDS", "truncated or bad header", in.Pos());
    uint32_t pfSize, pfFlags, fourCC, bitCount, rMask, gMask, bMask, aMask, caps1, caps2;
    if (!in.U32(pfSize) || pfSize != 32 || !in.U32(pfFlags) || !in.U32(fourCC) || !in.U32(bitCount)
        || !in.U32(rMask) || !in.U32(gMask) || !in.U32(bMask) || !in.U32(aMask) || !in.U32(caps1)
        || !in.U32(caps2) || !in.Skip(12))
        return Fail(error, "DDS", "truncated or bad pixel format", in.Pos());
    if (caps2 & kCubeOrVolume)
        return Fail(error, "DDS", "cube and volume textures are not read", 112);
    if (!ImageSizeAllowed(width, height))
        return Fail(error, "DDS", "size out of range", 12);
    Format format = Format::Unknown;
    if (pfFlags & kFourCC) {
        if (fourCC == FourCC('D', 'X', 'T', '1'))
            format = Format::Dxt1;
        else if (fourCC == FourCC('D', 'X', 'T', '3'))
            format = Format::Dxt3;
        else if (fourCC == FourCC('D', 'X', 'T', '5'))
            format = Format::Dxt5;
    } else if (pfFlags & kRgb) {
        struct MaskRow {
            uint32_t bits, r, g, b, a;
            Format format;
        };
        static constexpr MaskRow kMasks[] = {
            { 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000, Format::A8R8G8B8 },
            { 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0, Format::X8R8G8B8 },
            { 16, 0xF800, 0x07E0, 0x001F, 0, Format::R5G6B5 },
            { 16, 0x7C00, 0x03E0, 0x001F, 0x8000, Format::A1R5G5B5 },
            { 16, 0x7C00, 0x03E0, 0x001F, 0, Format::X1R5G5B5 },
            { 16, 0x0F00, 0x00F0, 0x000F, 0xF000, Format::A4R4G4B4 },
        };
        uint32_t alphaMask = (pfFlags & 0x1) ? aMask : 0; // DDPF_ALPHAPIXELS
        for (const MaskRow& row : kMasks)
            if (row.bits == bitCount && row.r == rMask && row.g == gMask && row.b == bMask
                && row.a == alphaMask)
                format = row.format;
    }
    if (format == Format::Unknown)
        return Fail(error, "DDS", "unsupported pixel format", 80);

    uint32_t levels = (flags & kMipMapCount) && mipCount > 0 ? mipCount : 1;
    uint32_t chain = 1;
    for (uint32_t s = std::max(width, height); s > 1; s >>= 1)
        ++chain;
    if (levels > chain)
        return Fail(error, "DDS", "more mip levels than the size allows", 28);
    out = {};
    out.info.width = width;
    out.info.height = height;
    out.info.mipLevels = levels;
    out.info.format = format;
    out.info.imageFileFormat = ImageFileFormat::Dds;
    uint64_t total = 0;
    for (uint32_t level = 0; level < levels; ++level)
        total += SurfaceBytes(format, std::max(1u, width >> level), std::max(1u, height >> level));
    if (total > in.Left())
        return Fail(error, "DDS", "truncated level data", in.Pos());
    if (headerOnly)
        return Result::Ok;
    for (uint32_t level = 0; level < levels; ++level) {
        size_t bytes
            = size_t(SurfaceBytes(format, std::max(1u, width >> level), std::max(1u, height >> level)));
        out.levels.emplace_back(in.Here(), in.Here() + bytes);
        in.Skip(bytes);
    }
    return Result::Ok;
}

Result ReadImage(std::span<const uint8_t> file, Image& out, bool headerOnly, std::string* error)
{
    if (HasPrefix(file, "\x89PNG", 4))
        return ReadPng(file, out, headerOnly, error);
    if (HasPrefix(file, "\xFF\xD8", 2))
        return ReadJpeg(file, out, headerOnly, error);
    if (HasPrefix(file, "BM", 2))
        return ReadBmp(file, out, headerOnly, error);
    if (HasPrefix(file, "DDS ", 4))
        return ReadDds(file, out, headerOnly, error);
    return ReadTga(file, out, headerOnly, error);
}

} // namespace plat::gfx::d3dx
