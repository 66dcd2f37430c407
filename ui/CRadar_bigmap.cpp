// CRadar: the big map of the in-flight map page, a torus of tile slots around the view, drawn
// through the 8 x 8 drawing slots of mapTexture and the fog texture.
#include "ui/CRadar.h"

#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "platform/gfx/device.h"
#include "render/CTexture.h"
#include "render/Graphic.h"
#include "render/TexShaderManager.h"
#include "ui/CRadarMap.h"
#include "ui/CRadar_local.h"
#include "world/objects/CZJObject.h"
#include "world/objects/PlayerGlobals.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
constexpr float kIconMargin = 12.0f;
// Far outside any map the view stops, where the tile arithmetic still holds (map pixels).
constexpr float kFar = 1.0e8f;

int32_t Wrap(int32_t value, int32_t n)
{
    return ((value % n) + n) % n;
}

void ReleaseSurface(plat::gfx::Surface*& surface)
{
    if (surface)
        surface->Release();
    surface = nullptr;
}

// Copies a 64 x 64 tile of DXT3 blocks into a locked surface.
void WriteTile(plat::gfx::Surface* surface, const uint8_t* tile)
{
    plat::gfx::LockedRect locked;
    if (plat::gfx::Failed(surface->LockRect(locked, nullptr, 0)))
        return;
    for (int32_t row = 0; row < CRadar::kTileSide / 4; ++row)
        std::memcpy(static_cast<uint8_t*>(locked.bits) + size_t(row) * size_t(locked.pitch),
            tile + size_t(row) * RadarMapFormat::kBlockRowBytes, RadarMapFormat::kBlockRowBytes);
    surface->UnlockRect();
}

} // namespace

void CRadar::InitBigMap(int32_t width, int32_t height)
{
    ZJ_TRACE("CRadar::InitBigMap");
    viewWidth = width;
    viewHeight = height;
    bigTextureWidth = ((width + 127) & ~63) & 0xFFFF;
    bigTextureHeight = ((height + 127) & ~63) & 0xFFFF;
    bigColumns = std::max(bigTextureWidth / kTileSide, 0);
    bigRows = std::max(bigTextureHeight / kTileSide, 0);
    ReleaseSurface(bigMapSurface);
    ReleaseSurface(bigMapStaging);
    delete fogTexture;
    fogTexture = nullptr;
    if (plat::gfx::Device* device = g_Graphic.GetDevice()) {
        if (bigColumns > 0 && bigRows > 0
            && plat::gfx::Failed(device->CreateImageSurface(uint32_t(bigTextureWidth),
                uint32_t(bigTextureHeight), plat::gfx::Format::Dxt3, &bigMapSurface)))
            bigMapSurface = nullptr;
        if (plat::gfx::Failed(
                device->CreateImageSurface(kTileSide, kTileSide, plat::gfx::Format::Dxt3, &bigMapStaging)))
            bigMapStaging = nullptr;
        fogTexture = new CTexture();
        g_Graphic.CreateTexture(
            fogTexture, kTileSide, kTileSide, 1, plat::gfx::Format::A8R8G8B8, plat::gfx::Pool::Managed, 0);
    }
    ResetBigMapCache();
}

void CRadar::ResetBigMapCache()
{
    bigSlots.assign(
        size_t(std::max(bigColumns, 0)) * size_t(std::max(bigRows, 0)), { kEmptySlot, kEmptySlot });
}

void CRadar::DoneBigMap()
{
    ZJ_TRACE("CRadar::DoneBigMap");
    EmptyMinimapSlots();
    ReleaseSurface(bigMapSurface);
    ReleaseSurface(bigMapStaging);
    delete fogTexture;
    fogTexture = nullptr;
}

void CRadar::SetBMVector(const Vec3& position)
{
    ZJ_TRACE("CRadar::SetBMVector");
    const auto inRange = [](float v) { return std::isfinite(v) ? std::clamp(v, -kFar, kFar) : 0.0f; };
    const float left = inRange(position.x * kMapScale) - float(viewWidth >> 1);
    const float top = inRange(position.y * kMapScale) - float(viewHeight >> 1);
    bigTileX = int32_t(left) >> 6;
    bigTileY = int32_t(top) >> 6;
    bigOffset
        = { left - float(kTileSide * bigTileX), top - float(kTileSide * bigTileY), position.z * kMapScale };
    if (bigSlots.empty())
        return;
    plat::gfx::Device* device = g_Graphic.GetDevice();
    uint8_t tile[RadarMapFormat::kTileBytes];
    for (int32_t j = 0; j < bigRows; ++j)
        for (int32_t i = 0; i < bigColumns; ++i) {
            const int32_t tx = bigTileX + i;
            const int32_t ty = bigTileY + j;
            const int32_t sx = Wrap(tx, bigColumns);
            const int32_t sy = Wrap(ty, bigRows);
            SRadarSlot& slot = bigSlots[size_t(sy) * size_t(bigColumns) + size_t(sx)];
            if (slot.tileX == tx && slot.tileY == ty)
                continue;
            if (g_pRadarMap)
                g_pRadarMap->ReadTile(tile, tx, ty);
            else
                std::memset(tile, 0, sizeof tile);
            if (device && bigMapStaging && bigMapSurface) {
                WriteTile(bigMapStaging, tile);
                const plat::gfx::Rect from { 0, 0, kTileSide, kTileSide };
                const plat::gfx::Point to { sx * kTileSide, sy * kTileSide };
                if (plat::gfx::Failed(device->CopyRects(bigMapStaging, &from, 1, bigMapSurface, &to)))
                    WriteErrorLog("CRadar::SetBMVector copy rect fails");
            }
            slot = { tx, ty };
        }
}

void CRadar::WorldToView(const Vec3& position, float& x, float& y) const
{
    x = position.x * kMapScale - (float(kTileSide * bigTileX) + bigOffset.x);
    y = position.y * kMapScale - (float(kTileSide * bigTileY) + bigOffset.y);
}

Vec3 CRadar::ViewPointToWorld(int32_t x, int32_t y) const
{
    return { (float(kTileSide * bigTileX) + bigOffset.x + float(x)) / kMapScale,
        (float(kTileSide * bigTileY) + bigOffset.y + float(y)) / kMapScale, 0.0f };
}

void CRadar::DrawBigMap(int32_t left, int32_t top)
{
    ZJ_TRACE("CRadar::DrawBigMap");
    // The fog's seen cells take their opacity from the factor.
    if (g_TexShaderManager)
        g_TexShaderManager->SetFactorColor(0xFFFFFFFFu);
    for (int32_t r = 0; r < bigRows; ++r)
        for (int32_t c = 0; c < bigColumns; ++c)
            DrawBigTile(left, top, c, r);
    if (PlayerObject) {
        float ax = 0.0f;
        float ay = 0.0f;
        WorldToView(PlayerObject->frame.position, ax, ay);
        if (ax > 2.0f && ax < float(viewWidth - 2) && ay > 2.0f && ay < float(viewHeight - 2)) {
            const float heading
                = std::atan2(PlayerObject->frame.matrix.m[2], PlayerObject->frame.matrix.m[6]);
            radar::DrawTurned(radar::kPlainSlot, TextureOf(arrowTexture), float(left) + ax, float(top) + ay,
                16.0f, 16.0f, heading + kPi);
        }
    }
    if (markShown) {
        float mx = 0.0f;
        float my = 0.0f;
        WorldToView(markPosition, mx, my);
        const int32_t f = AnimationFrame(GameClock);
        DrawViewIcon(left, top, mx, my, 32.0f, 32.0f, TextureOf(pointTexture), float(32 * (f % 4)),
            float(32 * (f / 4)), 128.0f);
    }
}

void CRadar::DrawBigTile(int32_t left, int32_t top, int32_t c, int32_t r)
{
    const SRadarSlot slot = bigSlots[size_t(r) * size_t(bigColumns) + size_t(c)];
    if (slot.tileX == kEmptySlot)
        return;
    const int32_t dc = c % kMinimapSlots;
    const int32_t dr = r % kMinimapSlots;
    plat::gfx::Device* device = g_Graphic.GetDevice();
    if (device && bigMapSurface && mapTexture && mapTexture->GetTexture()) {
        CTexture* target = mapTexture->IsDynamic() || !mapTextureCopy ? mapTexture : mapTextureCopy;
        plat::gfx::Surface* level = nullptr;
        if (target->GetTexture() && plat::gfx::Succeeded(target->GetTexture()->GetSurfaceLevel(0, &level))) {
            const plat::gfx::Rect from { c * kTileSide, r * kTileSide, (c + 1) * kTileSide,
                (r + 1) * kTileSide };
            const plat::gfx::Point to { dc * kTileSide, dr * kTileSide };
            device->CopyRects(bigMapSurface, &from, 1, level, &to);
            level->Release();
            if (target != mapTexture
                && plat::gfx::Failed(
                    device->UpdateTexture(mapTextureCopy->GetTexture(), mapTexture->GetTexture())))
                WriteErrorLog("UpdateTexture fails");
        }
    }
    if (fogTexture && fogTexture->GetTexture()) {
        plat::gfx::LockedRect locked;
        if (plat::gfx::Succeeded(fogTexture->GetTexture()->LockRect(0, locked, nullptr, 0))) {
            for (int32_t j = 0; j < kCellsPerTile; ++j) {
                auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.bits)
                    + size_t(kCellsPerTile * dr + j) * size_t(locked.pitch));
                for (int32_t i = 0; i < kCellsPerTile; ++i)
                    row[kCellsPerTile * dc + i]
                        = uint32_t(Explored(kCellsPerTile * slot.tileX + i, kCellsPerTile * slot.tileY + j))
                        << 24;
            }
            fogTexture->GetTexture()->UnlockRect(0);
        }
    }
    const int32_t dx = (slot.tileX - bigTileX) * kTileSide - int32_t(bigOffset.x);
    const int32_t dy = (slot.tileY - bigTileY) * kTileSide - int32_t(bigOffset.y);
    const int32_t x0 = std::max(dx, 0);
    const int32_t x1 = std::min(dx + kTileSide, viewWidth);
    const int32_t y0 = std::max(dy, 0);
    const int32_t y1 = std::min(dy + kTileSide, viewHeight);
    if (x1 <= x0 || y1 <= y0)
        return;
    const float side = float(kTileSide * kMinimapSlots);
    const float u0 = float(dc * kTileSide + x0 - dx) / side;
    const float v0 = float(dr * kTileSide + y0 - dy) / side;
    const float u1 = u0 + float(x1 - x0) / side;
    const float v1 = v0 + float(y1 - y0) / side;
    // The back picture repeats every 64 view pixels.
    const float b = float(kTileSide);
    radar::SCorner corners[4];
    for (int i = 0; i < 4; ++i) {
        const int32_t x = i % 2 ? x1 : x0;
        const int32_t y = i / 2 ? y1 : y0;
        corners[i] = { float(left + x), float(top + y), i % 2 ? u1 : u0, i / 2 ? v1 : v0, float(x) / b,
            float(y) / b };
    }
    radar::DrawQuad(radar::kBigMapSlot, corners, mapTexture, TextureOf(minimapBackTexture), fogTexture);
}

void CRadar::DrawViewIcon(int32_t left, int32_t top, float mx, float my, float w, float h, CTexture* texture,
    float u, float v, float extent)
{
    if (!(mx > -kIconMargin && mx < float(viewWidth) + kIconMargin && my > -kIconMargin
            && my < float(viewHeight) + kIconMargin))
        return;
    SRadarRect quad { mx - w / 2.0f, my - h / 2.0f, mx + w / 2.0f, my + h / 2.0f };
    SRadarRect texel { u, v, u + w, v + h };
    if (!ClipScreenRect({ 0.0f, 0.0f, float(viewWidth), float(viewHeight) }, quad, texel))
        return;
    radar::DrawRect(radar::kPlainSlot, texture, float(left) + quad.left, float(top) + quad.top,
        float(left) + quad.right, float(top) + quad.bottom, texel.left, texel.top,
        texel.left + (quad.right - quad.left), texel.top + (quad.bottom - quad.top), extent);
}

void CRadar::DrawBuildingMark(int32_t left, int32_t top, const Vec3& position)
{
    float x = 0.0f;
    float y = 0.0f;
    WorldToView(position, x, y);
    const int32_t f = AnimationFrame(GameClock);
    DrawViewIcon(left, top, x, y, 64.0f, 64.0f, TextureOf(frameTexture), float(64 * (f % 4)),
        float(64 * (f / 4)), 256.0f);
}

void CRadar::DrawBearingMark(int32_t left, int32_t top, const Vec3& position)
{
    float x = 0.0f;
    float y = 0.0f;
    WorldToView(position, x, y);
    DrawViewIcon(left, top, x, y, 32.0f, 32.0f, TextureOf(pointTexture), 0.0f, 0.0f, 128.0f);
}

void CRadar::DrawGroupMark(int32_t left, int32_t top, const Vec3& position)
{
    float x = 0.0f;
    float y = 0.0f;
    WorldToView(position, x, y);
    DrawViewIcon(left, top, x, y, 16.0f, 16.0f, TextureOf(iconTexture), 0.0f, 0.0f, 16.0f);
}
