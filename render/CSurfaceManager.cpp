#include "render/CSurfaceManager.h"

#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/ResourceDBManager.h"
#include "platform/gfx/d3dx/d3dx.h"
#include "render/CTexture.h"
#include "render/Graphic.h"
#include "render/Screenshot.h"
#include "render/TextureManager.h"

#include <algorithm>
#include <cstdlib>

using namespace plat::gfx;

CSurfaceManager* g_pSurfaceManager = nullptr;

namespace {

int32_t RoundUp4(int32_t n)
{
    return (n + 3) & ~3;
}

int32_t Sign(int32_t n)
{
    return n > 0 ? 1 : -1;
}

int32_t Scale(int32_t extent, int64_t part, int32_t whole)
{
    return int32_t(int64_t(extent) * part / whole);
}

} // namespace

CSurfaceManager::~CSurfaceManager()
{
    ReleaseSurfaces();
    m_records.Done();
    ReleaseStaging();
}

void CSurfaceManager::ReleaseStaging()
{
    if (m_stagingSurface) {
        m_stagingSurface->Release();
        m_stagingSurface = nullptr;
    }
    delete m_stagingTexture;
    m_stagingTexture = nullptr;
}

void CSurfaceManager::Init(const char* table)
{
    ZJ_TRACE("CSurfaceManager::Init");
    ReleaseSurfaces();
    m_records.Done();
    DefaultManager::Init(table);
    m_records.AddEmpty(true, m_rowCount);
    for (int i = 0; i < m_rowCount; ++i) {
        const char* section = m_rowNames.GetString(i);
        SurfaceRecord& record = m_records.At(i);
        g_ResourceDBManager.GetString(section, "Filename", record.filename, sizeof record.filename);
        record.width = g_ResourceDBManager.GetIntegerField(section, "WIDTH");
        record.height = g_ResourceDBManager.GetIntegerField(section, "HEIGHT");
        record.noFilter = g_ResourceDBManager.GetIntegerField(section, "NOFILTER") == 1;
        record.noFilterAlpha = g_ResourceDBManager.GetIntegerField(section, "NOFILTERALPHA") == 1;
        if (record.width == 0 || record.height == 0) {
            plat::gfx::d3dx::ImageInfo info;
            if (Succeeded(plat::gfx::d3dx::GetImageInfoFromFile(record.filename, info))) {
                record.width = int32_t(info.width);
                record.height = int32_t(info.height);
            }
        }
    }
    ReleaseStaging();
    m_stagingTexture = new CTexture();
    g_Graphic.CreateTexture(m_stagingTexture, kTile, kTile, 1, Format::Dxt3, Pool::SystemMem, 0);
    if (Texture* staging = m_stagingTexture->GetTexture())
        staging->GetSurfaceLevel(0, &m_stagingSurface);
}

Surface* CSurfaceManager::GetSurface(int index)
{
    ZJ_TRACE("CSurfaceManager::GetSurface");
    if (index == -1)
        return nullptr;
    SurfaceRecord& record = m_records.At(index);
    if (record.surface || record.failed)
        return record.surface;
    Device* device = g_Graphic.GetDevice();
    if (!device || record.width <= 0 || record.height <= 0
        || Failed(device->CreateImageSurface(uint32_t(RoundUp4(record.width)),
            uint32_t(RoundUp4(record.height)), Format::Dxt3, &record.surface))) {
        WriteErrorLog("CTexture::LoadFromFile Can`t create surface");
        record.surface = nullptr;
        record.failed = 1;
        return nullptr;
    }
    namespace d3dx = plat::gfx::d3dx;
    const d3dx::Filter filter = record.noFilter ? d3dx::Filter::Triangle : d3dx::Filter::Default;
    if (Failed(d3dx::LoadSurfaceFromFile(
            *record.surface, nullptr, record.filename, nullptr, filter, 0, nullptr)))
        WriteErrorLog("CSurfaceManager::GetSurface Can`t load surface");
    return record.surface;
}

void CSurfaceManager::GetSize(int index, int32_t& width, int32_t& height) const
{
    width = 0;
    height = 0;
    if (index == -1)
        return;
    const SurfaceRecord& record = m_records.At(index);
    width = record.width;
    height = record.height;
}

bool CSurfaceManager::TileRect(
    const Surface* surface, int32_t left, int32_t top, int32_t width, int32_t height, Rect& out)
{
    out.left = std::max(left, 0) & ~3;
    out.top = std::max(top, 0) & ~3;
    out.right = std::min({ RoundUp4(left + width), int32_t(surface->Width()), out.left + kTile });
    out.bottom = std::min({ RoundUp4(top + height), int32_t(surface->Height()), out.top + kTile });
    return out.right > out.left && out.bottom > out.top;
}

void CSurfaceManager::UploadRect(Surface* surface, const Rect& rect, CTexture* cache)
{
    Texture* target = cache ? cache->GetTexture() : nullptr;
    if (!target)
        return;
    if (cache->IsDynamic()) {
        LockedRect from, to;
        if (Failed(surface->LockRect(from, &rect, lock::kReadOnly)))
            return;
        if (Failed(target->LockRect(0, to, nullptr, lock::kDiscard))) {
            surface->UnlockRect();
            return;
        }
        // A DXT3 block row holds 4 bytes per pixel column.
        CopyPixelRect(to.bits, from.bits, uint32_t(rect.Width()) * 4, to.pitch, from.pitch,
            uint32_t(rect.Height() / 4));
        target->UnlockRect(0);
        surface->UnlockRect();
        return;
    }
    Device* device = g_Graphic.GetDevice();
    if (!device || !m_stagingSurface || !m_stagingTexture || !m_stagingTexture->GetTexture())
        return;
    const Point origin { 0, 0 };
    if (Failed(device->CopyRects(surface, &rect, 1, m_stagingSurface, &origin))) {
        WriteErrorLog("Can`t copy rects");
        return;
    }
    const Rect dirty { 0, 0, rect.Width(), rect.Height() };
    target->AddDirtyRect(&dirty);
    if (Failed(device->UpdateTexture(m_stagingTexture->GetTexture(), target)))
        WriteErrorLog("UpdateTexture fails");
}

void CSurfaceManager::DrawTiles(Surface* surface, int32_t width, int32_t height, int32_t x0, int32_t y0,
    int32_t x1, int32_t y1, const TileSink& draw)
{
    ZJ_TRACE("CSurfaceManager::DrawTiles");
    if (!surface || width <= 0 || height <= 0)
        return;
    CTexture* cache = g_pTextureManager ? g_pTextureManager->GetCacheTexture1() : nullptr;
    const int32_t dw = x1 - x0;
    const int32_t dh = y1 - y0;
    for (int32_t ty = 0; ty <= (height - 1) >> 8; ++ty) {
        for (int32_t tx = 0; tx <= (width - 1) >> 8; ++tx) {
            const int32_t tileWidth = std::min(width - kTile * tx, kTile);
            const int32_t tileHeight = std::min(height - kTile * ty, kTile);
            SurfaceTile tile;
            if (!TileRect(surface, kTile * tx, kTile * ty, tileWidth, tileHeight, tile.source))
                continue;
            if (m_lastSurface != surface || m_last.left != tile.source.left
                || m_last.top != tile.source.top) {
                UploadRect(surface, tile.source, cache);
                m_lastSurface = surface;
                m_last = tile.source;
            }
            tile.screen
                = { x0 + Scale(dw, int64_t(kTile) * tx, width), y0 + Scale(dh, int64_t(kTile) * ty, height),
                      x0 + Scale(dw, int64_t(kTile) * tx + tileWidth, width),
                      y0 + Scale(dh, int64_t(kTile) * ty + tileHeight, height) };
            tile.texture = { 0, 0, Scale(dw, kTile, width) + Sign(dw), Scale(dh, kTile, height) + Sign(dh) };
            if (draw)
                draw(tile);
        }
    }
}

void CSurfaceManager::DrawTilesEx(Surface* surface, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
    int32_t sx0, int32_t sy0, int32_t sx1, int32_t sy1, const TileSink& draw)
{
    ZJ_TRACE("CSurfaceManager::DrawTilesEx");
    if (!surface)
        return;
    CTexture* cache = g_pTextureManager ? g_pTextureManager->GetCacheTexture1() : nullptr;
    const int32_t sw = std::abs(sx1 - sx0);
    const int32_t sh = std::abs(sy1 - sy0);
    const int32_t dw = x1 - x0;
    const int32_t dh = y1 - y0;
    for (int32_t ty = 0; sh > 0 && ty <= (sh - 1) >> 8; ++ty) {
        for (int32_t tx = 0; sw > 0 && tx <= (sw - 1) >> 8; ++tx) {
            const int32_t sx = std::max(sx0, 0) + kTile * tx;
            const int32_t sy = std::max(sy0, 0) + kTile * ty;
            const int32_t tileWidth = std::min(sw - kTile * tx, kTile);
            const int32_t tileHeight = std::min(sh - kTile * ty, kTile);
            SurfaceTile tile;
            if (!TileRect(surface, sx, sy, tileWidth, tileHeight, tile.source))
                continue;
            UploadRect(surface, tile.source, cache);
            m_lastSurface = surface;
            m_last = tile.source;
            tile.screen = { x0 + Scale(dw, int64_t(kTile) * tx, sw), y0 + Scale(dh, int64_t(kTile) * ty, sh),
                x0 + Scale(dw, int64_t(kTile) * tx + tileWidth, sw),
                y0 + Scale(dh, int64_t(kTile) * ty + tileHeight, sh) };
            tile.texture
                = { sx & 3, sy & 3, Scale(dw, kTile, sw) + (sx & 3), Scale(dh, kTile, sh) + (sy & 3) };
            if (draw)
                draw(tile);
        }
    }
}

void CSurfaceManager::CopyToCacheTexture(int index, int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
    ZJ_TRACE("CSurfaceManager::CopyToCacheTexture");
    Surface* surface = GetSurface(index);
    if (!surface)
        return;
    const int32_t width = std::min(x1 - x0, kTile);
    const int32_t height = std::min(y1 - y0, kTile);
    if (width <= 0 || height <= 0)
        return;
    Rect rect { RoundUp4(std::max(x0, 0)), RoundUp4(std::max(y0, 0)), RoundUp4(x0 + width),
        RoundUp4(y0 + height) };
    rect.right = std::min(rect.right, int32_t(surface->Width()));
    rect.bottom = std::min(rect.bottom, int32_t(surface->Height()));
    if (rect.right <= rect.left || rect.bottom <= rect.top)
        return;
    UploadRect(surface, rect, g_pTextureManager ? g_pTextureManager->GetCacheTexture2() : nullptr);
}

void CSurfaceManager::ReleaseSurfaces()
{
    for (SurfaceRecord& record : m_records) {
        if (record.surface) {
            record.surface->Release();
            record.surface = nullptr;
        }
    }
    m_lastSurface = nullptr;
}
