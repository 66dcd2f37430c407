#include "render/TMReader.h"

#include "foundation/ByteOrder.h"
#include "foundation/PakManager.h"
#include "render/Graphic.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Bit positions and widths of the channels of the 16-bit formats, for averaging.
struct Channel {
    uint32_t shift;
    uint32_t mask;
};
constexpr Channel kRgb565[] = { { 11, 0x1F }, { 5, 0x3F }, { 0, 0x1F } };
constexpr Channel kArgb4444[] = { { 12, 0xF }, { 8, 0xF }, { 4, 0xF }, { 0, 0xF } };

} // namespace

TMHeader TMReader::ParseHeader(const uint8_t* bytes)
{
    TMHeader header;
    header.width = LoadLE<uint32_t>(bytes + 0);
    header.height = LoadLE<uint32_t>(bytes + 4);
    header.format = LoadLE<uint32_t>(bytes + 8);
    header.reserved = LoadLE<uint32_t>(bytes + 12);
    header.compressed = LoadLE<uint32_t>(bytes + 16);
    header.levels = LoadLE<uint32_t>(bytes + 20);
    return header;
}

const char* TMReader::CheckHeader(const TMHeader& header)
{
    if (header.width < 1 || header.height < 1 || header.width > kMaxSide || header.height > kMaxSide)
        return "size out of range";
    if (!header.compressed) {
        if (header.format != kFormatArgb && header.format != kFormatXrgb)
            return "unknown pixel format";
        return nullptr;
    }
    if (!IsWholeBlocks(header.width, header.height))
        return "compressed sides must be multiples of 4";
    const uint32_t maxLevels = uint32_t(IntLog2(int32_t(std::max(header.width, header.height)))) + 1;
    if (header.levels < 1 || header.levels > maxLevels)
        return "level count out of range";
    return nullptr;
}

bool TMReader::IsWholeBlocks(uint32_t width, uint32_t height)
{
    return width >= 4 && height >= 4 && width % 4 == 0 && height % 4 == 0;
}

uint32_t TMReader::BlockLevels(uint32_t width, uint32_t height)
{
    uint32_t levels = 0;
    for (; IsWholeBlocks(width, height); width >>= 1, height >>= 1)
        ++levels;
    return levels;
}

uint64_t TMReader::UncompressedLevelBytes(uint32_t format, uint64_t pixels)
{
    return format == kFormatXrgb || format == kFormatRgb565 ? 3 * pixels : 4 * pixels;
}

bool TMReader::Refuse(const char* reason)
{
    m_refused = true;
    m_reason = reason;
    m_file.Close();
    return false;
}

bool TMReader::Open(const char* name, int32_t bitsPerPixel, int32_t reduction)
{
    m_refused = false;
    m_reason.clear();
    if (!g_PakManager.OpenXFile(name, m_file))
        return false;
    uint8_t bytes[kHeaderSize] = {};
    if (m_file.ReadAvailable(bytes, kHeaderSize) != kHeaderSize)
        return Refuse("header is short");
    m_header = ParseHeader(bytes);
    if (const char* reason = CheckHeader(m_header))
        return Refuse(reason);
    m_position = kHeaderSize;
    m_pixelCount = uint64_t(m_header.width) * m_header.height;

    m_reduction = std::clamp(reduction, 0, 2);
    m_bitsPerPixel = bitsPerPixel;
    if ((m_header.width >> m_reduction) <= 16 || (m_header.height >> m_reduction) <= 16) {
        m_reduction = 0;
        m_bitsPerPixel = 32;
    }
    // A compressed file cannot drop levels it does not hold, nor start at a level of partial blocks.
    if (IsCompressed())
        m_reduction = std::min(m_reduction,
            int32_t(std::min(m_header.levels, BlockLevels(m_header.width, m_header.height))) - 1);
    m_width = std::max<uint32_t>(m_header.width >> m_reduction, 1);
    m_height = std::max<uint32_t>(m_header.height >> m_reduction, 1);
    m_format = m_header.format;
    if (m_bitsPerPixel == 16 && !IsCompressed())
        m_format = m_format == kFormatArgb ? kFormatArgb4444 : kFormatRgb565;
    return true;
}

void TMReader::ReadZeroFilled(uint8_t* dest, size_t n)
{
    std::memset(dest, 0, n);
    if (m_file.Seek(long(m_position), 0))
        m_file.ReadAvailable(dest, n);
    m_position += n;
}

void TMReader::ReadTopLevel(uint8_t* bits, int32_t pitch)
{
    const uint64_t p = m_pixelCount;
    m_position = kHeaderSize;
    const uint64_t level0 = UncompressedLevelBytes(m_header.format, p);
    if (m_reduction >= 1) {
        m_position += level0;
        m_pixelCount = p / 4;
    }
    if (m_reduction >= 2) {
        m_position += UncompressedLevelBytes(m_header.format, p / 4);
        m_pixelCount = p / 16;
    }
    const uint64_t count = m_pixelCount;
    const uint64_t pixels = std::min<uint64_t>(count, uint64_t(m_width) * m_height);
    const bool wide = m_format == kFormatArgb || m_format == kFormatXrgb;

    const uint64_t planeAStart = m_position;
    std::vector<uint8_t> planeA(size_t(2 * pixels));
    ReadZeroFilled(planeA.data(), planeA.size());
    std::vector<uint8_t> planeB;
    if (wide) {
        m_position = planeAStart + 2 * count;
        planeB.resize(size_t(m_format == kFormatArgb ? 2 * pixels : pixels));
        ReadZeroFilled(planeB.data(), planeB.size());
    }

    for (uint64_t i = 0; i < pixels; ++i) {
        const uint32_t x = uint32_t(i % m_width);
        const uint32_t y = uint32_t(i / m_width);
        uint8_t* out = bits + size_t(y) * size_t(pitch);
        const uint16_t a = LoadLE<uint16_t>(&planeA[size_t(2 * i)]);
        switch (m_format) {
        case kFormatArgb: {
            const uint16_t b = LoadLE<uint16_t>(&planeB[size_t(2 * i)]);
            uint32_t pixel = 0;
            for (uint32_t shift = 0; shift < 16; shift += 4) {
                const uint32_t channel = ((a >> shift) & 0xF) << 4 | ((b >> shift) & 0xF);
                pixel |= channel << (shift * 2);
            }
            StoreLE<uint32_t>(out + 4 * x, pixel);
            break;
        }
        case kFormatXrgb: {
            const uint8_t b = planeB[size_t(i)];
            const uint32_t red = uint32_t(a >> 11) * 8 + (b >> 5);
            const uint32_t green = uint32_t((a >> 5) & 0x3F) * 4 + ((b >> 3) & 3);
            const uint32_t blue = uint32_t(a & 0x1F) * 8 + (b & 7);
            StoreLE<uint32_t>(out + 4 * x, red << 16 | green << 8 | blue);
            break;
        }
        default:
            StoreLE<uint16_t>(out + 2 * x, a);
            break;
        }
    }
}

void TMReader::SeekCompressedLevels()
{
    uint64_t position = kHeaderSize;
    const uint64_t top = uint64_t(m_header.width) * m_header.height;
    for (int32_t i = 0; i < m_reduction; ++i)
        position += top >> (2 * i);
    m_position = position;
}

void TMReader::Close()
{
    m_file.Close();
}

void TMReader::BuildMipLevel(const uint8_t* source, int32_t sourcePitch, uint32_t sourceWidth,
    uint32_t sourceHeight, uint8_t* target, int32_t targetPitch, uint32_t targetWidth, uint32_t targetHeight,
    uint32_t format)
{
    if (sourceWidth == 0 || sourceHeight == 0)
        return;
    const bool wide = format == kFormatArgb || format == kFormatXrgb;
    const bool narrow = format == kFormatRgb565 || format == kFormatArgb4444;
    if (!wide && !narrow)
        return;
    const uint32_t bytes = wide ? 4 : 2;
    for (uint32_t ty = 0; ty < targetHeight; ++ty) {
        const uint32_t y0 = std::min(2 * ty, sourceHeight - 1);
        const uint32_t y1 = std::min(2 * ty + 1, sourceHeight - 1);
        const uint8_t* row0 = source + size_t(y0) * size_t(sourcePitch);
        const uint8_t* row1 = source + size_t(y1) * size_t(sourcePitch);
        uint8_t* out = target + size_t(ty) * size_t(targetPitch);
        for (uint32_t tx = 0; tx < targetWidth; ++tx) {
            const uint32_t x0 = std::min(2 * tx, sourceWidth - 1) * bytes;
            const uint32_t x1 = std::min(2 * tx + 1, sourceWidth - 1) * bytes;
            if (wide) {
                for (uint32_t b = 0; b < 4; ++b)
                    out[4 * tx + b]
                        = uint8_t((row0[x0 + b] + row0[x1 + b] + row1[x0 + b] + row1[x1 + b] + 2) >> 2);
                continue;
            }
            const uint16_t s[4] = { LoadLE<uint16_t>(row0 + x0), LoadLE<uint16_t>(row0 + x1),
                LoadLE<uint16_t>(row1 + x0), LoadLE<uint16_t>(row1 + x1) };
            uint16_t value = 0;
            auto average = [&](const Channel& c) {
                uint32_t sum = 2;
                for (uint16_t v : s)
                    sum += (v >> c.shift) & c.mask;
                value = uint16_t(value | ((sum >> 2) & c.mask) << c.shift);
            };
            if (format == kFormatRgb565)
                for (const Channel& c : kRgb565)
                    average(c);
            else
                for (const Channel& c : kArgb4444)
                    average(c);
            StoreLE<uint16_t>(out + 2 * tx, value);
        }
    }
}
