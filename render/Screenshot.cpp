#include "render/Screenshot.h"

#include "foundation/ByteOrder.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "platform/win/paths.h"
#include "render/Graphic.h"

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace plat::gfx;

namespace {

constexpr char kCopyFailed[] = "Can`t copy rects from back buffer";

uint32_t Widen(uint32_t value, uint32_t bits)
{
    return (value << (8 - bits)) | (value >> (2 * bits - 8));
}

// One back-buffer row as X8R8G8B8.
void ConvertRow(const uint8_t* row, Format format, uint32_t width, uint8_t* out)
{
    for (uint32_t x = 0; x < width; ++x) {
        uint32_t pixel = 0;
        if (format == Format::R5G6B5 || format == Format::X1R5G5B5) {
            const uint16_t v = LoadLE<uint16_t>(row + 2 * x);
            if (format == Format::R5G6B5)
                pixel = Widen(v >> 11, 5) << 16 | Widen((v >> 5) & 0x3F, 6) << 8 | Widen(v & 0x1F, 5);
            else
                pixel
                    = Widen((v >> 10) & 0x1F, 5) << 16 | Widen((v >> 5) & 0x1F, 5) << 8 | Widen(v & 0x1F, 5);
        } else {
            pixel = LoadLE<uint32_t>(row + 4 * x);
        }
        StoreLE(out + 4 * x, pixel);
    }
}

} // namespace

bool SaveBackBuffer(const char* path)
{
    ZJ_TRACE("SaveBackBuffer");
    Device* device = g_Graphic.GetDevice();
    Surface* backBuffer = g_Graphic.RenderTarget();
    if (!device || !backBuffer)
        return false;
    SurfaceDesc desc;
    if (Failed(backBuffer->GetDesc(desc)))
        return false;
    const uint32_t width = desc.width;
    const uint32_t height = desc.height;
    const Format format = desc.format;
    if (format != Format::X8R8G8B8 && format != Format::A8R8G8B8 && format != Format::R5G6B5
        && format != Format::X1R5G5B5) {
        WriteErrorLog(kCopyFailed);
        return false;
    }
    std::vector<uint8_t> buffer(size_t(width) * height * 4);

    // A copy in the back buffer's own format; 16-bit rows are widened when read.
    Surface* image = nullptr;
    if (Failed(device->CreateImageSurface(width, height, format, &image))) {
        WriteErrorLog(kCopyFailed);
        return false;
    }
    if (Failed(device->CopyRects(backBuffer, nullptr, 0, image, nullptr))) {
        WriteErrorLog(kCopyFailed);
        image->Release();
        return false;
    }
    LockedRect locked;
    if (Failed(image->LockRect(locked, nullptr, lock::kReadOnly))) {
        WriteErrorLog(kCopyFailed);
        image->Release();
        return false;
    }
    for (uint32_t y = 0; y < height; ++y)
        ConvertRow(static_cast<const uint8_t*>(locked.bits) + size_t(y) * size_t(locked.pitch), format, width,
            buffer.data() + size_t(height - 1 - y) * width * 4);
    image->UnlockRect();
    image->Release();

    WriteBMP(path, int32_t(width), int32_t(height), buffer.data(), 4);
    std::FILE* written = plat::win::OpenFile(path, "rb");
    if (!written)
        return false;
    std::fclose(written);
    return true;
}

void SaveScreenshot()
{
    ZJ_TRACE("SaveScreenshot");
    char name[64];
    for (int number = 1;; ++number) {
        std::snprintf(name, sizeof name, "screen%d.bmp", number);
        std::FILE* existing = plat::win::OpenFile(name, "rb");
        if (!existing)
            break;
        std::fclose(existing);
    }
    SaveBackBuffer(name);
}

void WriteBMP(const char* path, int32_t width, int32_t height, const void* pixels, int32_t bytesPerPixel)
{
    std::FILE* file = plat::win::OpenFile(path ? path : "", "wb");
    if (!file) {
        char text[512];
        std::snprintf(text, sizeof text, "Can`t create file %s", path ? path : "");
        WriteErrorLog(text);
        return;
    }
    const uint32_t imageSize = uint32_t(width) * uint32_t(height) * uint32_t(bytesPerPixel);
    uint8_t fileHeader[14] = {};
    StoreLE<uint16_t>(fileHeader, 0x4D42);
    StoreLE<uint32_t>(fileHeader + 2, imageSize + 54);
    StoreLE<uint32_t>(fileHeader + 10, 54);
    uint8_t info[40] = {};
    StoreLE<uint32_t>(info, 40);
    StoreLE<uint32_t>(info + 4, uint32_t(width));
    StoreLE<uint32_t>(info + 8, uint32_t(height));
    StoreLE<uint16_t>(info + 12, 1);
    StoreLE<uint16_t>(info + 14, uint16_t(bytesPerPixel * 8));
    StoreLE<uint32_t>(info + 20, imageSize);
    if (std::fwrite(fileHeader, sizeof fileHeader, 1, file) == 1
        && std::fwrite(info, sizeof info, 1, file) == 1 && imageSize > 0)
        std::fwrite(pixels, imageSize, 1, file);
    std::fclose(file);
}

void CopyPixelRect(void* target, const void* source, uint32_t rowBytes, int32_t targetPitch,
    int32_t sourcePitch, uint32_t rows)
{
    auto* to = static_cast<uint8_t*>(target);
    const auto* from = static_cast<const uint8_t*>(source);
    for (uint32_t row = 0; row < rows; ++row)
        std::memcpy(to + ptrdiff_t(row) * targetPitch, from + ptrdiff_t(row) * sourcePitch, rowBytes);
}

void ClearPixelRect(void* target, uint32_t rowBytes, int32_t pitch, uint32_t rows)
{
    auto* to = static_cast<uint8_t*>(target);
    for (uint32_t row = 0; row < rows; ++row)
        std::memset(to + ptrdiff_t(row) * pitch, 0, rowBytes);
}
