// CSurfaceManager: the interface pictures of the table "Изображения", held as DXT3 image surfaces
// in system memory and loaded on first use. A picture is drawn in tiles of at most 256 x 256:
// each tile is copied into the texture manager's first cache texture (skipped when that tile sits
// there already) and drawn as one screen quad by the caller's sink. Main thread only.
#pragma once

#include "foundation/DefaultManager.h"
#include "foundation/XDynamicArray.h"
#include "platform/gfx/resource.h"
#include "platform/gfx/types.h"

#include <cstdint>
#include <functional>

class CTexture;

struct SurfaceRecord {
    char filename[64];
    int32_t width; // WIDTH; with HEIGHT taken from the file when either is 0
    int32_t height;
    plat::gfx::Surface* surface; // null until first use
    uint8_t noFilter; // NOFILTER is 1
    uint8_t noFilterAlpha; // NOFILTERALPHA is 1
    uint8_t failed; // the surface could not be made; not tried again
};

// One tile of a drawing: the picture rectangle in the cache (edges on the 4 x 4 block grid), the
// screen quad and the texture rectangle to draw it with.
struct SurfaceTile {
    plat::gfx::Rect source;
    plat::gfx::Rect screen;
    plat::gfx::Rect texture;
};

class CSurfaceManager : public DefaultManager {
public:
    static constexpr int32_t kTile = 256;

    using TileSink = std::function<void(const SurfaceTile& tile)>;

    CSurfaceManager() = default;
    ~CSurfaceManager() override;

    void Init(const char* table) override;

    // The picture's surface, made and loaded on first use; null for -1 and when no surface can be
    // made. A picture that does not load keeps its empty surface.
    plat::gfx::Surface* GetSurface(int index);
    // (WIDTH, HEIGHT); (0, 0) for -1.
    void GetSize(int index, int32_t& width, int32_t& height) const;
    int FindSurface(const char* name) const { return m_rowNames.Find(name); }
    const SurfaceRecord& GetRecord(int index) const { return m_records.At(index); }
    int GetRecordCount() const { return m_records.Count(); }

    // The tiles of the whole picture (width x height) drawn into (x0, y0)-(x1, y1); a tile not in the
    // cache is copied there before the sink draws it.
    void DrawTiles(plat::gfx::Surface* surface, int32_t width, int32_t height, int32_t x0, int32_t y0,
        int32_t x1, int32_t y1, const TileSink& draw);
    // The tiles of the picture rectangle (sx0, sy0)-(sx1, sy1) drawn into (x0, y0)-(x1, y1); every tile
    // is copied. Parts beyond the picture are not copied.
    void DrawTilesEx(plat::gfx::Surface* surface, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t sx0,
        int32_t sy0, int32_t sx1, int32_t sy1, const TileSink& draw);
    // Drawing through "SCREEN" (CSurfaceManager_draw.cpp). RenderSurface draws the whole picture
    // with the first cache texture and a pattern repeating every 64 screen pixels; RenderSurfaceEx
    // draws a picture rectangle with both cache textures. CopyToTexture and UpdateTexture do the
    // same for a picture of the table.
    void RenderSurface(plat::gfx::Surface* surface, int32_t width, int32_t height, int slot, int32_t x0,
        int32_t y0, int32_t x1, int32_t y1, CTexture* pattern);
    void RenderSurfaceEx(plat::gfx::Surface* surface, int slot, int32_t x0, int32_t y0, int32_t x1,
        int32_t y1, int32_t sx0, int32_t sy0, int32_t sx1, int32_t sy1, bool inset);
    void CopyToTexture(
        int index, int slot, int32_t x0, int32_t y0, int32_t x1, int32_t y1, CTexture* pattern);
    void UpdateTexture(int index, int slot, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t sx0,
        int32_t sy0, int32_t sx1, int32_t sy1, bool inset);

    // Copies a picture rectangle of at most 256 x 256 into the second cache texture.
    void CopyToCacheTexture(int index, int32_t x0, int32_t y0, int32_t x1, int32_t y1);

    void ReleaseSurfaces();
    // After device loss the cache texture holds nothing: the next drawing copies again.
    void ForgetCachedTile() { m_lastSurface = nullptr; }
    plat::gfx::Surface* LastSurface() const { return m_lastSurface; }
    const plat::gfx::Rect& LastRect() const { return m_last; }

private:
    // Copies rect of the picture to the top left of the cache texture.
    void UploadRect(plat::gfx::Surface* surface, const plat::gfx::Rect& rect, CTexture* cache);
    // A tile's rectangle on the block grid, inside the picture and at most 256 x 256; false when empty.
    static bool TileRect(const plat::gfx::Surface* surface, int32_t left, int32_t top, int32_t width,
        int32_t height, plat::gfx::Rect& out);
    void ReleaseStaging();

    XDynamicArray<SurfaceRecord> m_records;
    plat::gfx::Surface* m_stagingSurface = nullptr;
    CTexture* m_stagingTexture = nullptr;
    plat::gfx::Surface* m_lastSurface = nullptr;
    plat::gfx::Rect m_last;
};

extern CSurfaceManager* g_pSurfaceManager;
