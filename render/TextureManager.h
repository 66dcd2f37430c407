// TextureManager: the named textures of the table "Текстуры", each loaded on first use at the
// colour depth and reduction its kind and the TextureQuality setting choose. A file that does not
// load costs one log line, after which the record answers with "TEX_SAMPLECOLOR". Height textures
// (Type 3) become bump textures. Also owns the two 256 x 256 DXT3 cache textures of the picture
// layer, the probed texture formats and the memory counters. Main thread only.
#pragma once

#include "foundation/DefaultManager.h"
#include "foundation/XDynamicArray.h"
#include "platform/gfx/types.h"
#include "render/CTexture.h"

#include <cstdint>

struct TextureRecord {
    char filename[256]; // under the data directory
    uint32_t type; // 3: a height texture made into a bump texture
    uint32_t color; // average colour, for the record's users
    uint32_t lod; // mip levels, 0 = choose
    float lastUse; // game clock at the last load
    uint32_t textureType; // TEXTURETYPE 0-3: the load quality
    CTexture* texture;
    uint8_t failed; // loading failed once
};

class TextureManager : public DefaultManager {
public:
    static constexpr uint32_t kCacheSize = 256;

    // Probes the texture formats of the device (Graphic must hold one).
    TextureManager();
    ~TextureManager() override;

    void Init(const char* table) override;

    // The texture of a record, loaded on first use; null for -1, and when neither the record nor
    // the fallback loads. An index past the table throws XRangeError.
    CTexture* GetTexture(int index);
    // Record index of a row name, -1 when absent.
    int FindTexture(const char* name) const { return m_rowNames.Find(name); }
    // The record's average colour; throws XRangeError for a bad index.
    uint32_t GetColor(int index) const { return m_records.At(index).color; }
    const TextureRecord& GetRecord(int index) const { return m_records.At(index); }
    int GetRecordCount() const { return m_records.Count(); }

    void CreateCacheTextures();
    // Releases the cache textures and every loaded texture (device loss, destruction).
    void ReleaseCacheTextures();
    void ReleaseTextures();

    // A bump texture of the source's size and levels from its 32-bit height levels (the blue byte),
    // in V8U8, L6V5U5 or X8L8V8U8. False when either texture cannot serve.
    bool FillTexture(CTexture* target, CTexture* source, plat::gfx::Format format);
    // One level: du, dv from the left/right and upper/lower neighbours, an edge neighbour being the
    // pixel itself.
    static void FillBumpLevel(const uint8_t* source, int32_t sourcePitch, uint8_t* target,
        int32_t targetPitch, uint32_t width, uint32_t height, plat::gfx::Format format);

    // Colour depth and reduction of a TEXTURETYPE at a TextureQuality.
    static void LoadQuality(uint32_t textureType, int32_t quality, int32_t& bitsPerPixel, int32_t& reduction);

    // For renderers that own textures of their own.
    void AddMemory(int32_t bytes, int32_t count)
    {
        m_textureMemory += bytes;
        m_textureCount += count;
    }

    uint32_t GetAvailableMemory() const { return m_availableMemory; }
    int32_t GetTextureMemory() const { return m_textureMemory; }
    int32_t GetTextureCount() const { return m_textureCount; }
    int GetFallbackIndex() const { return m_fallbackIndex; }
    plat::gfx::Format GetRgbFormat() const { return m_rgbFormat; }
    plat::gfx::Format GetRgbaFormat() const { return m_rgbaFormat; }
    plat::gfx::Format GetRgba1Format() const { return m_rgba1Format; }
    plat::gfx::Format GetBumpFormat() const { return m_bumpFormat; }
    CTexture* GetCacheTexture1() const { return m_cacheTexture1; }
    CTexture* GetCacheTexture2() const { return m_cacheTexture2; }

private:
    void ProbeFormats();
    void FreeRecords();

    uint32_t m_availableMemory = 0;
    int32_t m_textureMemory = 0;
    int32_t m_textureCount = 0;
    int m_fallbackIndex = -1;
    plat::gfx::Format m_rgbFormat = plat::gfx::Format::Unknown;
    plat::gfx::Format m_rgbaFormat = plat::gfx::Format::Unknown;
    plat::gfx::Format m_rgba1Format = plat::gfx::Format::Unknown;
    plat::gfx::Format m_bumpFormat = plat::gfx::Format::Unknown;
    XDynamicArray<TextureRecord> m_records;
    CTexture* m_cacheTexture1 = nullptr;
    CTexture* m_cacheTexture2 = nullptr;
    bool m_loggedNoBump = false;
};

extern TextureManager* g_pTextureManager;
