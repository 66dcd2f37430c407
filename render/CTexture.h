// CTexture: one Direct3D texture with its size and an estimate of the video memory it takes.
// Textures come from TM files (their own reader), from image files through the platform loader,
// or from Graphic::CreateTexture. StageTextureCache remembers which CTexture each of stages 0-3
// holds, so that binding the same texture again costs nothing.
#pragma once

#include "platform/gfx/resource.h"
#include "platform/gfx/types.h"

#include <cstdint>

class CTexture {
public:
    CTexture() = default;
    virtual ~CTexture();
    CTexture(const CTexture&) = delete;
    CTexture& operator=(const CTexture&) = delete;

    // Replaces the texture with a file's: "TM" files through ReadImageFile, every other extension
    // through the platform loader at the format of bitsPerPixel (16 or 32). levels 0 chooses.
    // A file the loader refuses logs "CTexture::LoadFromFile file '%s' not loaded".
    bool LoadFromFile(
        const char* name, int32_t bitsPerPixel, int32_t reduction, uint32_t levels, bool managed);
    // Reads a TM file (see TMReader.h); reduction 0 to 2 drops the largest levels.
    bool ReadImageFile(
        const char* name, int32_t bitsPerPixel, int32_t reduction, uint32_t levels, bool managed);
    // The size, read from level 0 when not known yet.
    void ReadSurfaceSize(int32_t& width, int32_t& height);
    // Binds the texture to the stage unless the stage holds it already.
    void SetToStage(uint32_t stage);
    // Drops the Direct3D texture; the size and memory estimate stay.
    void ReleaseTexture();

    int32_t GetWidth() const { return m_width; }
    int32_t GetHeight() const { return m_height; }
    bool IsDynamic() const { return m_dynamic; }
    uint32_t GetMemory() const { return m_memory; }
    plat::gfx::Texture* GetTexture() const { return m_texture; }

private:
    friend class Graphic;
    friend class TextureManager;

    // The memory estimate of a chain: 1024 per level plus w * h * bytesPerPixel, halving.
    static uint32_t EstimateMemory(uint32_t width, uint32_t height, uint32_t levels, uint32_t bytesPerPixel);
    void Attach(plat::gfx::Texture* texture, int32_t width, int32_t height);
    // The platform loader: the file's size, a managed texture in that format.
    static bool LoadImageTexture(
        const char* name, uint32_t levels, plat::gfx::Format format, plat::gfx::Texture*& out);
    bool ReadCompressed(class TMReader& reader, uint32_t levels, bool managed, plat::gfx::Texture*& built);
    bool ReadUncompressed(class TMReader& reader, uint32_t levels, bool managed, plat::gfx::Texture*& built);

    int32_t m_width = 0;
    int32_t m_height = 0;
    bool m_dynamic = false;
    uint32_t m_memory = 0;
    plat::gfx::Texture* m_texture = nullptr;
};

// The CTexture last bound to each of stages 0-3; null when unknown. Code that binds textures
// directly keeps it current; a CTexture that goes away clears its entries.
inline constexpr int kCachedStages = 4;
extern CTexture* StageTextureCache[kCachedStages];
void ClearStageTextureCache();
