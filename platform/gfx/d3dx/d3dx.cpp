// Texture and surface loading, image information, vertex sizes and the matrix transpose.
#include "platform/gfx/d3dx/d3dx.h"

#include "platform/gfx/format.h"
#include "platform/gfx/fvf.h"
#include "platform/win/debug.h"
#include "platform/win/paths.h"

#include <algorithm>
#include <cstdio>
#include <new>

namespace plat::gfx::d3dx {
namespace {

constexpr long kMaxFileBytes = 1L << 30;

void Log(std::string_view path, const std::string& text)
{
    win::DebugOutput("plat::gfx::d3dx: " + std::string(path) + ": " + text);
}

Device* DeviceOf(Surface& surface)
{
    return surface.Container() ? surface.Container()->OwnerDevice() : surface.OwnerDevice();
}

bool IsDepth(const Surface& surface)
{
    return surface.Role() == SurfaceRole::DepthStencil || surface.Role() == SurfaceRole::AutoDepth;
}

class Released {
public:
    explicit Released(Resource* resource)
        : m_resource(resource)
    {
    }
    ~Released()
    {
        if (m_resource)
            m_resource->Release();
    }
    Released(const Released&) = delete;
    Released& operator=(const Released&) = delete;

private:
    Resource* m_resource;
};

// Writes working pixels of rect's size into the rectangle of a surface: through a lock, or for
// a surface that cannot be locked through an image surface and CopyRects.
Result WriteArgb(Surface& target, const Rect& rect, const std::vector<uint32_t>& argb)
{
    auto width = uint32_t(rect.Width());
    auto height = uint32_t(rect.Height());
    if (IsDepth(target) || !CanConvert(target.GetFormat()))
        return Result::InvalidCall;
    if (target.IsLockable()) {
        LockedRect locked;
        if (Result r = target.LockRect(locked, &rect, 0); Failed(r))
            return r;
        FromArgb(target.GetFormat(), argb.data(), width, width, height, static_cast<uint8_t*>(locked.bits),
            uint32_t(locked.pitch));
        return target.UnlockRect();
    }
    Device* device = DeviceOf(target);
    if (!device)
        return Result::InvalidCall;
    Surface* staging = nullptr;
    if (Result r = device->CreateImageSurface(width, height, target.GetFormat(), &staging); Failed(r))
        return r;
    Released release(staging);
    if (Result r = WriteArgb(*staging, staging->FullRect(), argb); Failed(r))
        return r;
    Point at { rect.left, rect.top };
    return device->CopyRects(staging, nullptr, 0, &target, &at);
}

// Reads a rectangle of a surface as working pixels.
Result ReadArgb(Surface& source, const Rect& rect, std::vector<uint32_t>& argb)
{
    auto width = uint32_t(rect.Width());
    auto height = uint32_t(rect.Height());
    if (IsDepth(source) || !CanConvert(source.GetFormat()))
        return Result::InvalidCall;
    if (source.IsLockable()) {
        LockedRect locked;
        if (Result r = source.LockRect(locked, &rect, lock::kReadOnly); Failed(r))
            return r;
        argb.assign(size_t(width) * height, 0);
        ToArgb(source.GetFormat(), static_cast<const uint8_t*>(locked.bits), uint32_t(locked.pitch), width,
            height, argb.data(), width);
        return source.UnlockRect();
    }
    Device* device = DeviceOf(source);
    if (!device)
        return Result::InvalidCall;
    Surface* staging = nullptr;
    if (Result r = device->CreateImageSurface(width, height, source.GetFormat(), &staging); Failed(r))
        return r;
    Released release(staging);
    Point origin { 0, 0 };
    if (Result r = device->CopyRects(&source, &rect, 1, staging, &origin); Failed(r))
        return r;
    return ReadArgb(*staging, staging->FullRect(), argb);
}

Result DecodeLevel(const Image& image, uint32_t level, std::vector<uint32_t>& argb)
{
    uint32_t width = std::max(1u, image.info.width >> level);
    uint32_t height = std::max(1u, image.info.height >> level);
    if (!CanConvert(image.info.format) || level >= image.levels.size())
        return Result::InvalidData;
    argb.assign(size_t(width) * height, 0);
    ToArgb(image.info.format, image.levels[level].data(), RowPitch(image.info.format, width), width, height,
        argb.data(), width);
    return Result::Ok;
}

Result LoadImage(std::string_view path, Image& image, bool headerOnly)
{
    std::vector<uint8_t> bytes;
    if (Result r = ReadFileBytes(path, bytes); Failed(r)) {
        Log(path, "cannot be opened");
        return r;
    }
    std::string error;
    if (Result r = ReadImage(bytes, image, headerOnly, &error); Failed(r)) {
        Log(path, error);
        return r;
    }
    return Result::Ok;
}

Format PickFormat(const Image& image)
{
    Format format = image.info.format;
    if (FormatSupport(format) & support::kTexture)
        return format;
    bool alpha = FindFormat(format) && FindFormat(format)->hasAlpha;
    return alpha || format == Format::A1R5G5B5 ? Format::A8R8G8B8 : Format::X8R8G8B8;
}

// Fills every level of a lockable texture from the image.
Result FillTexture(Texture& texture, const Image& image, Filter filter, Filter mipFilter)
{
    Format format = texture.GetFormat();
    uint32_t width = texture.Width();
    uint32_t height = texture.Height();
    std::vector<uint32_t> argb;
    uint32_t level = 0;
    // Levels stored in the file at the right size and format are copied as they are.
    bool raw = image.info.format == format && image.info.width == width && image.info.height == height;
    for (; raw && level < texture.GetLevelCount() && level < image.levels.size(); ++level) {
        Surface& surface = texture.Level(level);
        LockedRect locked;
        if (Result r = surface.LockRect(locked, nullptr, 0); Failed(r))
            return r;
        uint32_t rowBytes = RowPitch(format, surface.Width());
        for (uint32_t row = 0; row < RowCount(format, surface.Height()); ++row)
            std::copy_n(image.levels[level].data() + size_t(row) * rowBytes, rowBytes,
                static_cast<uint8_t*>(locked.bits) + size_t(row) * uint32_t(locked.pitch));
        surface.UnlockRect();
    }
    if (level == texture.GetLevelCount())
        return Result::Ok;
    uint32_t w, h;
    if (level == 0) {
        if (Result r = DecodeLevel(image, 0, argb); Failed(r))
            return r;
        argb = Resample(argb.data(), image.info.width, image.info.height, width, height, filter);
        w = width;
        h = height;
        if (Result r = WriteArgb(texture.Level(0), texture.Level(0).FullRect(), argb); Failed(r))
            return r;
        level = 1;
    } else {
        if (Result r = DecodeLevel(image, level - 1, argb); Failed(r))
            return r;
        w = std::max(1u, width >> (level - 1));
        h = std::max(1u, height >> (level - 1));
    }
    if (mipFilter == Filter::None)
        return Result::Ok;
    Filter reduce = mipFilter == Filter::Default ? Filter::Box : mipFilter;
    for (; level < texture.GetLevelCount(); ++level) {
        uint32_t nw = std::max(1u, w / 2), nh = std::max(1u, h / 2);
        argb = Resample(argb.data(), w, h, nw, nh, reduce);
        w = nw;
        h = nh;
        if (Result r = WriteArgb(texture.Level(level), texture.Level(level).FullRect(), argb); Failed(r))
            return r;
    }
    return Result::Ok;
}

bool InsideImage(const Rect& rect, const ImageInfo& info)
{
    return rect.left >= 0 && rect.top >= 0 && rect.left < rect.right && rect.top < rect.bottom
        && rect.right <= int32_t(info.width) && rect.bottom <= int32_t(info.height);
}

} // namespace

Result ReadFileBytes(std::string_view path, std::vector<uint8_t>& out)
{
    std::FILE* file = win::OpenFile(path, "rb");
    if (!file)
        return Result::NotFound;
    Result result = Result::Ok;
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0)
        size = std::ftell(file);
    if (size < 0 || size > kMaxFileBytes || std::fseek(file, 0, SEEK_SET) != 0) {
        result = Result::InvalidData;
    } else {
        try {
            out.resize(size_t(size));
            if (std::fread(out.data(), 1, out.size(), file) != out.size())
                result = Result::InvalidData;
        } catch (const std::bad_alloc&) {
            result = Result::OutOfVideoMemory;
        }
    }
    std::fclose(file);
    return result;
}

Result GetImageInfoFromFile(std::string_view path, ImageInfo& out)
{
    Image image;
    if (Result r = LoadImage(path, image, true); Failed(r))
        return r;
    out = image.info;
    return Result::Ok;
}

Result CreateTextureFromFileEx(Device& device, std::string_view path, uint32_t width, uint32_t height,
    uint32_t mipLevels, uint32_t usageBits, Format format, Pool pool, Filter filter, Filter mipFilter,
    Color colorKey, ImageInfo* sourceInfo, Texture** out)
{
    if (!out)
        return Result::InvalidCall;
    *out = nullptr;
    if (colorKey != 0) {
        Log(path, "colour keys are not supported");
        return Result::InvalidCall;
    }
    Image image;
    try {
        if (Result r = LoadImage(path, image, false); Failed(r))
            return r;
        uint32_t w = width == 0 || width == kDefault ? image.info.width : width;
        uint32_t h = height == 0 || height == kDefault ? image.info.height : height;
        Format f = format == Format::Unknown ? PickFormat(image) : format;
        if (!CanConvert(f)) {
            Log(path, std::string("no conversion to ") + FormatName(f));
            return Result::InvalidCall;
        }
        uint32_t levels = mipLevels == kDefault ? 0 : mipLevels;
        Texture* texture = nullptr;
        if (Result r = device.CreateTexture(w, h, levels, usageBits, f, pool, &texture); Failed(r))
            return r;
        // A DEFAULT texture that cannot be locked is filled through a system-memory copy.
        bool staged = pool == Pool::Default && !(usageBits & usage::kDynamic);
        Texture* fill = texture;
        if (staged) {
            if (Result r = device.CreateTexture(w, h, texture->GetLevelCount(), 0, f, Pool::SystemMem, &fill);
                Failed(r)) {
                texture->Release();
                return r;
            }
        }
        Result result = FillTexture(*fill, image, filter, mipFilter);
        if (staged) {
            if (Succeeded(result))
                result = device.UpdateTexture(fill, texture);
            fill->Release();
        }
        if (Failed(result)) {
            texture->Release();
            return result;
        }
        if (sourceInfo)
            *sourceInfo = image.info;
        *out = texture;
        return Result::Ok;
    } catch (const std::bad_alloc&) {
        return Result::OutOfVideoMemory;
    }
}

Result LoadSurfaceFromFile(Surface& target, const Rect* targetRect, std::string_view path,
    const Rect* sourceRect, Filter filter, Color colorKey, ImageInfo* sourceInfo)
{
    if (colorKey != 0) {
        Log(path, "colour keys are not supported");
        return Result::InvalidCall;
    }
    Rect to = targetRect ? *targetRect : target.FullRect();
    if (!target.IsValidRect(to))
        return Result::InvalidCall;
    try {
        Image image;
        if (Result r = LoadImage(path, image, false); Failed(r))
            return r;
        Rect from
            = sourceRect ? *sourceRect : Rect { 0, 0, int32_t(image.info.width), int32_t(image.info.height) };
        if (!InsideImage(from, image.info))
            return Result::InvalidCall;
        std::vector<uint32_t> whole;
        if (Result r = DecodeLevel(image, 0, whole); Failed(r))
            return r;
        auto fw = uint32_t(from.Width()), fh = uint32_t(from.Height());
        std::vector<uint32_t> part(size_t(fw) * fh);
        for (uint32_t y = 0; y < fh; ++y)
            std::copy_n(&whole[size_t(from.top + int32_t(y)) * image.info.width + size_t(from.left)], fw,
                &part[size_t(y) * fw]);
        std::vector<uint32_t> sized
            = Resample(part.data(), fw, fh, uint32_t(to.Width()), uint32_t(to.Height()), filter);
        if (Result r = WriteArgb(target, to, sized); Failed(r))
            return r;
        if (sourceInfo)
            *sourceInfo = image.info;
        return Result::Ok;
    } catch (const std::bad_alloc&) {
        return Result::OutOfVideoMemory;
    }
}

Result LoadSurfaceFromSurface(Surface& target, const Rect* targetRect, Surface& source,
    const Rect* sourceRect, Filter filter, Color colorKey)
{
    if (colorKey != 0)
        return Result::InvalidCall;
    Rect to = targetRect ? *targetRect : target.FullRect();
    Rect from = sourceRect ? *sourceRect : source.FullRect();
    if (!target.IsValidRect(to) || !source.IsValidRect(from) || &target == &source)
        return Result::InvalidCall;
    try {
        std::vector<uint32_t> argb;
        if (Result r = ReadArgb(source, from, argb); Failed(r))
            return r;
        std::vector<uint32_t> sized = Resample(argb.data(), uint32_t(from.Width()), uint32_t(from.Height()),
            uint32_t(to.Width()), uint32_t(to.Height()), filter);
        return WriteArgb(target, to, sized);
    } catch (const std::bad_alloc&) {
        return Result::OutOfVideoMemory;
    }
}

uint32_t GetFVFVertexSize(uint32_t fvf)
{
    return FvfVertexSize(fvf);
}

Matrix* MatrixTranspose(Matrix* out, const Matrix* in)
{
    Matrix copy = *in;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            out->m[i][j] = copy.m[j][i];
    return out;
}

} // namespace plat::gfx::d3dx
