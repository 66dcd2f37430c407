// CTexture::ReadImageFile: TM files into textures (uncompressed, DXT5 uploaded, DXT5 decoded).
#include "render/CTexture.h"

#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "render/Graphic.h"
#include "render/TMReader.h"
#include "render/TextureFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace plat::gfx;

namespace {

constexpr char kCannotCreate[] = "CTexture::ReadImageFile can`t create source texture";
constexpr char kCannotCreateDxt5[] = "CTexture::ReadImageFile can`t create DXT5 source texture";

uint32_t FullChain(uint32_t width, uint32_t height)
{
    return uint32_t(IntLog2(int32_t(std::max(width, height)))) + 1;
}

// Fills levels 1 and up of a texture from level 0 by averaging; level 0 is filled and unlocked.
bool BuildLevels(Texture* texture, uint32_t format)
{
    const uint32_t levels = texture->GetLevelCount();
    if (levels < 2)
        return true;
    LockedRect previous;
    if (Failed(texture->LockRect(0, previous, nullptr, lock::kReadOnly)))
        return false;
    for (uint32_t i = 1; i < levels; ++i) {
        LockedRect current;
        if (Failed(texture->LockRect(i, current, nullptr, 0))) {
            texture->UnlockRect(i - 1);
            return false;
        }
        SurfaceDesc from, to;
        texture->GetLevelDesc(i - 1, from);
        texture->GetLevelDesc(i, to);
        TMReader::BuildMipLevel(static_cast<const uint8_t*>(previous.bits), previous.pitch, from.width,
            from.height, static_cast<uint8_t*>(current.bits), current.pitch, to.width, to.height, format);
        texture->UnlockRect(i - 1);
        previous = current;
    }
    texture->UnlockRect(levels - 1);
    return true;
}

} // namespace

bool CTexture::ReadImageFile(
    const char* name, int32_t bitsPerPixel, int32_t reduction, uint32_t levels, bool managed)
{
    ZJ_TRACE("CTexture::ReadImageFile");
    ReleaseTexture();
    TMReader reader;
    if (!reader.Open(name, bitsPerPixel, reduction)) {
        if (reader.Refused()) {
            char text[512];
            std::snprintf(text, sizeof text, "CTexture::ReadImageFile bad file '%s'", name ? name : "");
            WriteErrorLog(text);
        }
        return false;
    }
    Texture* built = nullptr;
    const bool ok = reader.IsCompressed() ? ReadCompressed(reader, levels, managed, built)
                                          : ReadUncompressed(reader, levels, managed, built);
    reader.Close();
    if (!ok)
        return false;

    if (!managed) {
        Device* device = g_Graphic.GetDevice();
        Texture* target = nullptr;
        if (!device
            || Failed(device->CreateTexture(built->Width(), built->Height(), built->GetLevelCount(), 0,
                built->GetFormat(), Pool::Default, &target))) {
            WriteErrorLog(kCannotCreate);
            built->Release();
            return false;
        }
        device->UpdateTexture(built, target);
        built->Release();
        built = target;
    }
    Attach(built, int32_t(reader.Width()), int32_t(reader.Height()));
    return true;
}

bool CTexture::ReadUncompressed(TMReader& reader, uint32_t levels, bool managed, Texture*& built)
{
    const uint32_t w = reader.Width();
    const uint32_t h = reader.Height();
    if (levels == 0) {
        const int32_t smaller = IntLog2(int32_t(std::min(w, h)));
        levels = smaller < 1 ? 1 : uint32_t(std::min(IntLog2(int32_t(h)), IntLog2(int32_t(w))));
    }
    levels = std::min(levels, FullChain(w, h));
    Device* device = g_Graphic.GetDevice();
    if (!device
        || Failed(device->CreateTexture(
            w, h, levels, 0, Format(reader.Format()), managed ? Pool::Managed : Pool::SystemMem, &built))) {
        WriteErrorLog(kCannotCreate);
        return false;
    }
    LockedRect top;
    if (Failed(built->LockRect(0, top, nullptr, 0))) {
        built->Release();
        return false;
    }
    reader.ReadTopLevel(static_cast<uint8_t*>(top.bits), top.pitch);
    built->UnlockRect(0);
    if (!BuildLevels(built, reader.Format())) {
        built->Release();
        return false;
    }
    return true;
}

bool CTexture::ReadCompressed(TMReader& reader, uint32_t levels, bool managed, Texture*& built)
{
    uint32_t w = reader.Width();
    uint32_t h = reader.Height();
    const uint32_t stored = reader.LevelsAfterReduction();
    levels = levels == 0 ? stored : std::min(levels, stored);
    Device* device = g_Graphic.GetDevice();
    const Pool pool = managed ? Pool::Managed : Pool::SystemMem;
    reader.SeekCompressedLevels();

    if (g_Graphic.Caps().dxt5Textures) {
        // Levels below 4 pixels, or of partial blocks, are not uploaded.
        levels = std::min(levels, TMReader::BlockLevels(w, h));
        if (!device || Failed(device->CreateTexture(w, h, levels, 0, Format::Dxt5, pool, &built))) {
            WriteErrorLog(kCannotCreateDxt5);
            return false;
        }
        std::vector<uint8_t> data;
        for (uint32_t i = 0; i < levels; ++i) {
            data.resize(size_t(w) * h);
            reader.ReadZeroFilled(data.data(), data.size());
            LockedRect rect;
            if (Failed(built->LockRect(i, rect, nullptr, 0))) {
                built->Release();
                return false;
            }
            for (uint32_t row = 0; row < h / 4; ++row)
                std::memcpy(static_cast<uint8_t*>(rect.bits) + size_t(row) * size_t(rect.pitch),
                    data.data() + size_t(row) * 4 * w, size_t(4) * w);
            built->UnlockRect(i);
            w >>= 1;
            h >>= 1;
        }
        return true;
    }

    levels = std::min(levels, FullChain(w, h));
    if (!device || Failed(device->CreateTexture(w, h, levels, 0, Format::A8R8G8B8, pool, &built))) {
        WriteErrorLog(kCannotCreate);
        return false;
    }
    TextureFile decoder(w, h);
    reader.ReadZeroFilled(decoder.Data(), decoder.DataSize());
    decoder.Decode();
    LockedRect top;
    if (Failed(built->LockRect(0, top, nullptr, 0))) {
        built->Release();
        return false;
    }
    for (uint32_t row = 0; row < h; ++row)
        std::memcpy(static_cast<uint8_t*>(top.bits) + size_t(row) * size_t(top.pitch),
            decoder.Pixels() + size_t(row) * w, size_t(4) * w);
    built->UnlockRect(0);
    if (!BuildLevels(built, TMReader::kFormatArgb)) {
        built->Release();
        return false;
    }
    return true;
}
