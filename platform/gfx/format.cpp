#include "platform/gfx/format.h"

#include "platform/gfx/types.h"

#include <cmath>
#include <cstring>
#include <iterator>

namespace plat::gfx {
namespace {

using namespace support;

constexpr FormatInfo kFormats[] = {
    { Format::A8R8G8B8, "A8R8G8B8", FormatKind::Color, 4, true, false, kTexture | kRenderTarget | kDisplay },
    { Format::X8R8G8B8, "X8R8G8B8", FormatKind::Color, 4, false, false,
        kTexture | kRenderTarget | kBackBuffer | kDisplay },
    { Format::R5G6B5, "R5G6B5", FormatKind::Color, 2, false, false,
        kTexture | kRenderTarget | kBackBuffer | kDisplay },
    { Format::A4R4G4B4, "A4R4G4B4", FormatKind::Color, 2, true, false, kTexture },
    { Format::A1R5G5B5, "A1R5G5B5", FormatKind::Color, 2, true, false, kTexture },
    { Format::Dxt1, "DXT1", FormatKind::Compressed, 8, true, false, kTexture },
    { Format::Dxt3, "DXT3", FormatKind::Compressed, 16, true, false, kTexture },
    { Format::Dxt5, "DXT5", FormatKind::Compressed, 16, true, false, kTexture },
    { Format::V8U8, "V8U8", FormatKind::Bump, 2, false, false, kTexture },
    { Format::D24S8, "D24S8", FormatKind::Depth, 4, false, true, kDepthStencil },
    { Format::D24X8, "D24X8", FormatKind::Depth, 4, false, false, kDepthStencil },
    { Format::D16, "D16", FormatKind::Depth, 2, false, false, kDepthStencil },
    { Format::Index16, "INDEX16", FormatKind::Index, 2, false, false, kIndex },
    // Reported absent.
    { Format::R8G8B8, "R8G8B8", FormatKind::Color, 3, false, false, 0 },
    { Format::X1R5G5B5, "X1R5G5B5", FormatKind::Color, 2, false, false, 0 },
    { Format::A8, "A8", FormatKind::Color, 1, true, false, 0 },
    { Format::P8, "P8", FormatKind::Other, 1, false, false, 0 },
    { Format::L6V5U5, "L6V5U5", FormatKind::Bump, 2, false, false, 0 },
    { Format::X8L8V8U8, "X8L8V8U8", FormatKind::Bump, 4, false, false, 0 },
    { Format::D32, "D32", FormatKind::Depth, 4, false, false, 0 },
    { Format::D24X4S4, "D24X4S4", FormatKind::Depth, 4, false, true, 0 },
    { Format::Index32, "INDEX32", FormatKind::Index, 4, false, false, 0 },
};

} // namespace

const FormatInfo* FindFormat(Format format)
{
    for (const FormatInfo& row : kFormats)
        if (row.format == format)
            return &row;
    return nullptr;
}

bool IsCompressed(Format format)
{
    const FormatInfo* info = FindFormat(format);
    return info && info->kind == FormatKind::Compressed;
}

uint32_t BytesPerPixel(Format format)
{
    const FormatInfo* info = FindFormat(format);
    return info && info->kind != FormatKind::Compressed ? info->blockBytes : 0;
}

uint32_t FormatSupport(Format format)
{
    const FormatInfo* info = FindFormat(format);
    return info ? info->supported : 0;
}

uint32_t RowPitch(Format format, uint32_t width)
{
    const FormatInfo* info = FindFormat(format);
    if (!info)
        return 0;
    if (info->kind == FormatKind::Compressed)
        return (width + 3) / 4 * info->blockBytes;
    return width * info->blockBytes;
}

uint32_t RowCount(Format format, uint32_t height)
{
    return IsCompressed(format) ? (height + 3) / 4 : height;
}

uint64_t SurfaceBytes(Format format, uint32_t width, uint32_t height)
{
    return uint64_t(RowPitch(format, width)) * RowCount(format, height);
}

const char* FormatName(Format format)
{
    const FormatInfo* info = FindFormat(format);
    return info ? info->name : "UNKNOWN";
}

const char* PoolName(Pool pool)
{
    switch (pool) {
    case Pool::Default:
        return "DEFAULT";
    case Pool::Managed:
        return "MANAGED";
    case Pool::SystemMem:
        return "SYSTEMMEM";
    }
    return "?";
}

const char* ResultName(Result result)
{
    switch (result) {
    case Result::Ok:
        return "OK";
    case Result::InvalidCall:
        return "INVALIDCALL";
    case Result::DeviceLost:
        return "DEVICELOST";
    case Result::DeviceNotReset:
        return "DEVICENOTRESET";
    case Result::NotAvailable:
        return "NOTAVAILABLE";
    case Result::OutOfVideoMemory:
        return "OUTOFVIDEOMEMORY";
    case Result::NotFound:
        return "NOTFOUND";
    case Result::InvalidData:
        return "INVALIDDATA";
    }
    return "?";
}

Matrix Multiply(const Matrix& a, const Matrix& b)
{
    // Into a local first: the result may not alias the operands, so each row is worked out four
    // lanes at a time. Each element adds its products in the order k = 0 to 3.
    float out[4][4];
    for (int i = 0; i < 4; ++i) {
        const float a0 = a.m[i][0], a1 = a.m[i][1], a2 = a.m[i][2], a3 = a.m[i][3];
        for (int j = 0; j < 4; ++j)
            out[i][j] = 0.0f + a0 * b.m[0][j] + a1 * b.m[1][j] + a2 * b.m[2][j] + a3 * b.m[3][j];
    }
    Matrix r;
    std::memcpy(r.m, out, sizeof out);
    return r;
}

GammaRamp GammaRamp::Identity()
{
    GammaRamp ramp;
    for (int i = 0; i < 256; ++i) {
        auto value = uint16_t(i * 257);
        ramp.red[i] = ramp.green[i] = ramp.blue[i] = value;
    }
    return ramp;
}

} // namespace plat::gfx
