#include "render/TextureManager.h"

#include "foundation/ByteOrder.h"
#include "foundation/CLogWriter.h"
#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/ResourceDBManager.h"
#include "render/Graphic.h"
#include "render/RenderSettings.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <string>

using namespace plat::gfx;

TextureManager* g_pTextureManager = nullptr;

namespace {

struct Quality {
    int8_t bits;
    int8_t reduction;
};

// Rows TEXTURETYPE 0-3, columns TextureQuality 0-4.
constexpr Quality kQuality[4][5] = {
    { { 32, 0 }, { 16, 0 }, { 32, 1 }, { 16, 1 }, { 16, 2 } },
    { { 32, 0 }, { 32, 0 }, { 16, 0 }, { 16, 0 }, { 16, 1 } },
    { { 32, 0 }, { 32, 0 }, { 32, 0 }, { 32, 0 }, { 32, 0 } },
    { { 16, 0 }, { 16, 0 }, { 16, 1 }, { 16, 1 }, { 16, 2 } },
};

constexpr uint32_t kBumpType = 3;

void LogText(const char* format, const char* name)
{
    char text[512];
    std::snprintf(text, sizeof text, format, name);
    WriteErrorLog(text);
}

} // namespace

TextureManager::TextureManager()
{
    ProbeFormats();
}

TextureManager::~TextureManager()
{
    FreeRecords();
    ReleaseCacheTextures();
}

void TextureManager::ProbeFormats()
{
    Adapter* adapter = g_Graphic.GetDirect3D();
    auto offered = [&](Format format) {
        return adapter
            && Succeeded(adapter->CheckDeviceFormat(g_Graphic.AdapterOrdinal(), g_Graphic.DeviceType(),
                g_Graphic.BackBufferFormat(), 0, ResourceType::Texture, format));
    };
    auto first = [&](std::initializer_list<Format> formats, const char* missing) {
        for (Format format : formats)
            if (format != Format::Unknown && offered(format))
                return format;
        WriteErrorLog(missing);
        return Format::Unknown;
    };
    const bool deep = g_RenderSettings.textureBPS == 32;
    m_rgbFormat = first({ deep ? Format::R8G8B8 : Format::Unknown, deep ? Format::X8R8G8B8 : Format::Unknown,
                            Format::R5G6B5 },
        "RGB texture format is not found");
    m_rgbaFormat = first(
        { deep ? Format::A8R8G8B8 : Format::Unknown, Format::A4R4G4B4 }, "RGBA texture format is not found");
    m_rgba1Format = first(
        { deep ? Format::A8R8G8B8 : Format::Unknown, Format::A1R5G5B5 }, "RGBA1 texture format is not found");
    m_bumpFormat = offered(Format::V8U8) ? Format::V8U8 : Format::Unknown;
    if (!offered(Format::Dxt3))
        g_RenderSettings.textureCompression = false;
}

void TextureManager::Init(const char* table)
{
    ZJ_TRACE("TextureManager::Init");
    FreeRecords();
    DefaultManager::Init(table);
    if (m_logging) {
        m_logWriter = new CLogWriter();
        m_logWriter->Init(
            (std::string(g_ResourceDBManager.BaseDirectory()) + "TextureManager_Log.txt").c_str());
    }
    m_records.AddEmpty(true, m_rowCount);
    for (int i = 0; i < m_rowCount; ++i) {
        const char* section = m_rowNames.GetString(i);
        TextureRecord& record = m_records.At(i);
        g_ResourceDBManager.GetString(section, "Filename", record.filename, sizeof record.filename);
        record.type = uint32_t(g_ResourceDBManager.GetIntegerField(section, "Type"));
        record.color = uint32_t(g_ResourceDBManager.GetIntegerField(section, "Color"));
        record.lod = uint32_t(g_ResourceDBManager.GetIntegerField(section, "LOD"));
        record.textureType = uint32_t(g_ResourceDBManager.GetIntegerField(section, "TEXTURETYPE"));
        record.failed = 0;
    }
    Device* device = g_Graphic.GetDevice();
    m_availableMemory = device ? device->GetAvailableTextureMem() : 0;
    m_fallbackIndex = m_rowNames.Find("TEX_SAMPLECOLOR");
}

void TextureManager::FreeRecords()
{
    ReleaseTextures();
    m_records.Done();
}

void TextureManager::LoadQuality(
    uint32_t textureType, int32_t quality, int32_t& bitsPerPixel, int32_t& reduction)
{
    if (textureType > 3) {
        bitsPerPixel = 32;
        reduction = 0;
        return;
    }
    const Quality& q = kQuality[textureType][std::clamp(quality, 0, 4)];
    bitsPerPixel = q.bits;
    reduction = q.reduction;
}

CTexture* TextureManager::GetTexture(int index)
{
    ZJ_TRACE("TextureManager::GetTexture");
    if (index == -1)
        return nullptr;
    TextureRecord& record = m_records.At(index);
    // The fallback answers for a failed record; a failed fallback answers nothing.
    auto fallback = [&]() -> CTexture* {
        if (index == m_fallbackIndex || m_fallbackIndex < 0)
            return nullptr;
        return GetTexture(m_fallbackIndex);
    };
    if (record.failed)
        return fallback();
    if (record.texture)
        return record.texture;
    if (m_logWriter && m_logging)
        m_logWriter->WriteToLog(m_rowNames.GetString(index), record.filename);

    CTexture* texture = new CTexture();
    record.texture = texture;
    const std::string path = std::string(g_ResourceDBManager.BaseDirectory()) + record.filename;
    int32_t bits = 32;
    int32_t reduction = 0;
    LoadQuality(record.textureType, g_RenderSettings.textureQuality, bits, reduction);
    // FillTexture reads 32-bit height pixels.
    if (record.type == kBumpType)
        bits = 32;
    if (!texture->LoadFromFile(path.c_str(), bits, reduction, record.lod, true)) {
        delete texture;
        record.texture = nullptr;
        LogText("TextureManager::GetTexture error loading texture '%s'", record.filename);
        record.failed = 1;
        return fallback();
    }
    record.lastUse = GameClockF32;

    if (record.type == kBumpType) {
        if (m_bumpFormat == Format::Unknown) {
            if (!m_loggedNoBump)
                LogText("TextureManager::GetTexture no bump format, '%s' stays a height texture",
                    record.filename);
            m_loggedNoBump = true;
        } else {
            CTexture* bump = new CTexture();
            if (FillTexture(bump, texture, m_bumpFormat)) {
                delete texture;
                texture = bump;
                record.texture = bump;
            } else {
                delete bump;
                LogText("TextureManager::GetTexture can`t make bump texture of '%s'", record.filename);
            }
        }
    }
    // Counted as kept, so that releasing it takes off the same amount.
    ++m_textureCount;
    m_textureMemory += int32_t(texture->GetMemory());
    return texture;
}

void TextureManager::CreateCacheTextures()
{
    ZJ_TRACE("TextureManager::CreateCacheTextures");
    for (CTexture** cache : { &m_cacheTexture1, &m_cacheTexture2 }) {
        if (*cache) {
            m_textureMemory -= int32_t((*cache)->GetMemory());
            --m_textureCount;
            delete *cache;
        }
        *cache = new CTexture();
        g_Graphic.CreateTexture(
            *cache, kCacheSize, kCacheSize, 1, Format::Dxt3, Pool::Default, usage::kDynamic);
        m_textureMemory += int32_t((*cache)->GetMemory());
        ++m_textureCount;
    }
}

void TextureManager::ReleaseCacheTextures()
{
    for (CTexture** cache : { &m_cacheTexture1, &m_cacheTexture2 }) {
        if (!*cache)
            continue;
        m_textureMemory -= int32_t((*cache)->GetMemory());
        --m_textureCount;
        delete *cache;
        *cache = nullptr;
    }
    ReleaseTextures();
}

void TextureManager::ReleaseTextures()
{
    for (TextureRecord& record : m_records) {
        if (!record.texture)
            continue;
        m_textureMemory -= int32_t(record.texture->GetMemory());
        --m_textureCount;
        delete record.texture;
        record.texture = nullptr;
    }
}

bool TextureManager::FillTexture(CTexture* target, CTexture* source, Format format)
{
    ZJ_TRACE("TextureManager::FillTexture");
    if (!target || !source || !source->GetTexture())
        return false;
    Texture* from = source->GetTexture();
    const Format sourceFormat = from->GetFormat();
    if (sourceFormat != Format::A8R8G8B8 && sourceFormat != Format::X8R8G8B8)
        return false;
    if (format != Format::V8U8 && format != Format::L6V5U5 && format != Format::X8L8V8U8)
        return false;
    SurfaceDesc desc;
    if (Failed(from->GetLevelDesc(0, desc)))
        return false;
    const uint32_t levels = std::max<uint32_t>(from->GetLevelCount(), 1);
    g_Graphic.CreateTexture(target, desc.width, desc.height, levels, format, Pool::Managed, 0);
    Texture* to = target->GetTexture();
    if (!to)
        return false;
    for (uint32_t level = 0; level < levels; ++level) {
        SurfaceDesc levelDesc;
        from->GetLevelDesc(level, levelDesc);
        LockedRect in, out;
        if (Failed(from->LockRect(level, in, nullptr, lock::kReadOnly)))
            return false;
        if (Failed(to->LockRect(level, out, nullptr, 0))) {
            from->UnlockRect(level);
            return false;
        }
        FillBumpLevel(static_cast<const uint8_t*>(in.bits), in.pitch, static_cast<uint8_t*>(out.bits),
            out.pitch, levelDesc.width, levelDesc.height, format);
        to->UnlockRect(level);
        from->UnlockRect(level);
    }
    return true;
}

void TextureManager::FillBumpLevel(const uint8_t* source, int32_t sourcePitch, uint8_t* target,
    int32_t targetPitch, uint32_t width, uint32_t height, Format format)
{
    auto heightAt
        = [&](uint32_t x, uint32_t y) { return source[size_t(y) * size_t(sourcePitch) + 4 * size_t(x)]; };
    for (uint32_t y = 0; y < height; ++y) {
        const uint32_t above = y == 0 ? y : y - 1;
        const uint32_t below = y + 1 >= height ? y : y + 1;
        uint8_t* row = target + size_t(y) * size_t(targetPitch);
        for (uint32_t x = 0; x < width; ++x) {
            const uint32_t h = heightAt(x, y);
            const uint32_t l = heightAt(x == 0 ? x : x - 1, y);
            const uint32_t r = heightAt(x + 1 >= width ? x : x + 1, y);
            const uint32_t a = heightAt(x, above);
            const uint32_t b = heightAt(x, below);
            const uint8_t du = uint8_t(h < l && h < r ? l - h : l - r);
            const uint8_t dv = uint8_t(a - b);
            switch (format) {
            case Format::V8U8:
                row[2 * x] = du;
                row[2 * x + 1] = dv;
                break;
            case Format::L6V5U5: {
                const uint16_t word = uint16_t((du >> 3) | (dv >> 3) << 5 | (h >> 2) << 10);
                StoreLE(row + 2 * x, word);
                break;
            }
            case Format::X8L8V8U8:
                row[4 * x] = du;
                row[4 * x + 1] = dv;
                row[4 * x + 2] = uint8_t(h);
                row[4 * x + 3] = 0;
                break;
            default:
                return;
            }
        }
    }
}
