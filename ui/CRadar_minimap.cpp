// CRadar: the minimap's tile window in mapTexture and its drawing at the screen's top right.
#include "ui/CRadar.h"

#include "ai/CFerroGroup.h"
#include "ai/CFerrovant.h"
#include "ai/CPlayerFerroGroup.h"
#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "platform/gfx/device.h"
#include "render/CTexture.h"
#include "render/Graphic.h"
#include "render/TexShaderManager.h"
#include "ui/CRadarMap.h"
#include "ui/CRadar_local.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CObjectList.h"
#include "world/objects/PlayerGlobals.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
constexpr int kGliderType = 14;
constexpr int kThingType = 21;
constexpr float kNearRange = 680.0f; // world units
constexpr float kAtlas = 512.0f;
constexpr float kSquare = 144.0f;
constexpr uint32_t kTeamColour = 0xFF00FF00u;
constexpr uint32_t kGliderColour = 0xFF808080u;
constexpr uint32_t kPlayerColour = 0xFFFF0000u;
constexpr uint32_t kThingColour = 0xFF764BFCu;

// A tile coordinate of the window's first tile from a map pixel: the player stays 192..256 pixels
// from the window's edge.
int32_t WindowTile(float pixels)
{
    const float p = pixels - 192.0f;
    const auto tile = int32_t(p / 64.0f);
    return p < 0.0f ? tile - 1 : tile;
}

int32_t Wrap(int32_t value, int32_t n)
{
    return ((value % n) + n) % n;
}

float Heading(const CZJObject& object)
{
    return std::atan2(object.frame.matrix.m[2], object.frame.matrix.m[6]);
}

// A map offset turned into the minimap's frame; the screen point is the centre minus it.
void Turn(float heading, float mx, float my, float& tx, float& ty)
{
    const float c = std::cos(heading);
    const float s = std::sin(heading);
    tx = mx * c - my * s;
    ty = mx * s + my * c;
}

void Tint(uint32_t colour)
{
    if (g_TexShaderManager)
        g_TexShaderManager->SetFactorColor(colour);
}

// The rim pictures of the atlas at angles -heading + k.
struct SRimPicture {
    float k;
    float u, v, w, h;
};
constexpr SRimPicture kRim[] = {
    { 0.0f, 148, 62, 6, 8 },
    { -kPi, 156, 64, 5, 6 },
    { -1.5f * kPi, 163, 64, 7, 6 },
    { -0.5f * kPi, 172, 64, 5, 6 },
};

} // namespace

void CRadar::UpdateMinimapTexture()
{
    if (PlayerObject)
        UpdateMinimapTexture(PlayerObject->frame.position);
}

void CRadar::UpdateMinimapTexture(const Vec3& player)
{
    const float px = player.x * kMapScale;
    const float py = player.y * kMapScale;
    minimapTileX = WindowTile(px);
    minimapTileY = WindowTile(py);
    minimapOffset
        = { px - float((minimapTileX + 3) * kTileSide), py - float((minimapTileY + 3) * kTileSide), 0.0f };
    uint8_t tile[RadarMapFormat::kTileBytes];
    for (int32_t j = 0; j < kMinimapSlots; ++j)
        for (int32_t i = 0; i < kMinimapSlots; ++i) {
            const int32_t tx = minimapTileX + i;
            const int32_t ty = minimapTileY + j;
            const int32_t sx = Wrap(tx, kMinimapSlots);
            const int32_t sy = Wrap(ty, kMinimapSlots);
            SRadarSlot& slot = minimapSlots[sy][sx];
            if (slot.tileX == tx && slot.tileY == ty)
                continue;
            if (g_pRadarMap)
                g_pRadarMap->ReadTile(tile, tx, ty);
            else
                std::memset(tile, 0, sizeof tile);
            PutTileInMapTexture(tile, RadarMapFormat::kBlockRowBytes, sx, sy);
            slot = { tx, ty };
        }
}

void CRadar::PutTileInMapTexture(const uint8_t* blocks, uint32_t pitch, int32_t sx, int32_t sy)
{
    plat::gfx::Device* device = g_Graphic.GetDevice();
    if (!device || !stagingSurface || !mapTexture || !mapTexture->GetTexture())
        return;
    plat::gfx::LockedRect locked;
    if (plat::gfx::Failed(stagingSurface->LockRect(locked, nullptr, 0)))
        return;
    for (int32_t row = 0; row < kTileSide / 4; ++row)
        std::memcpy(static_cast<uint8_t*>(locked.bits) + size_t(row) * size_t(locked.pitch),
            blocks + size_t(row) * pitch, RadarMapFormat::kBlockRowBytes);
    stagingSurface->UnlockRect();
    const plat::gfx::Rect from { 0, 0, kTileSide, kTileSide };
    const plat::gfx::Point to { sx * kTileSide, sy * kTileSide };
    CTexture* target = mapTexture->IsDynamic() || !mapTextureCopy ? mapTexture : mapTextureCopy;
    if (!target->GetTexture())
        return;
    plat::gfx::Surface* level = nullptr;
    if (plat::gfx::Failed(target->GetTexture()->GetSurfaceLevel(0, &level)))
        return;
    device->CopyRects(stagingSurface, &from, 1, level, &to);
    level->Release();
    if (target != mapTexture
        && plat::gfx::Failed(device->UpdateTexture(mapTextureCopy->GetTexture(), mapTexture->GetTexture())))
        WriteErrorLog("UpdateTexture fails");
}

void CRadar::DrawMinimap(CTexture* atlas, int32_t top)
{
    ZJ_TRACE("CRadar::DrawMinimap");
    RefreshTrackedGroup();
    if (!PlayerObject)
        return;
    UpdateMinimapTexture();
    const float heading = Heading(*PlayerObject);
    const float W = float(g_Graphic.ScreenWidth());
    const float left = W - 157.0f;
    const float squareTop = float(top) + 13.0f;

    // The map square: the atlas window over mapTexture turned about the player's texel.
    const float side = float(kTileSide * kMinimapSlots);
    const float playerU = (float((minimapTileX + 3) * kTileSide) + minimapOffset.x) / side;
    const float playerV = (float((minimapTileY + 3) * kTileSide) + minimapOffset.y) / side;
    const float c = std::cos(heading);
    const float s = std::sin(heading);
    radar::SCorner corners[4];
    for (int i = 0; i < 4; ++i) {
        const float dx = (i % 2 ? 0.5f : -0.5f) * kSquare;
        const float dy = (i / 2 ? 0.5f : -0.5f) * kSquare;
        // Screen offsets are minus the turned map offsets.
        const float mx = -(dx * c + dy * s);
        const float my = -(-dx * s + dy * c);
        corners[i] = { left + (i % 2 ? kSquare : 0.0f), squareTop + (i / 2 ? kSquare : 0.0f),
            (185.0f + (i % 2 ? kSquare : 0.0f)) / kAtlas, (2.0f + (i / 2 ? kSquare : 0.0f)) / kAtlas,
            playerU + mx / side, playerV + my / side };
    }
    radar::DrawQuad(radar::kWindowSlot, corners, atlas, mapTexture);

    const float centreX = W - 84.0f;
    const float centreY = float(top) + 84.0f;
    radar::DrawRect(radar::kPlainSlot, TextureOf(arrowTexture), centreX - 8.0f, centreY - 8.0f,
        centreX + 8.0f, centreY + 8.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f);
    DrawMinimapPoints(centreX, centreY, heading);
    DrawMinimapMark(atlas, centreX, centreY, heading, top);
    DrawMinimapRim(atlas, centreX, centreY, heading);
}

void CRadar::DrawMinimapPoints(float centreX, float centreY, float heading)
{
    const Vec3 player = PlayerObject->frame.position;
    const auto offset = [&](const CZJObject& object, float& tx, float& ty) {
        Turn(heading, (object.frame.position.x - player.x) * kMapScale,
            (object.frame.position.y - player.y) * kMapScale, tx, ty);
    };
    SObjectQuery gliders {};
    ObjectList.GetRealTimeObjectList(player, kNearRange, kGliderType, gliders);
    for (int i = 0; i < gliders.count; ++i) {
        const auto& glider = *static_cast<const CGliderObject*>(gliders.objects[i]);
        if (&glider == PlayerObject || !glider.visible)
            continue;
        float tx = 0.0f;
        float ty = 0.0f;
        offset(glider, tx, ty);
        if (std::fabs(tx) / kMinimapRadius >= 1.0f || std::fabs(ty) / kMinimapRadius >= 1.0f)
            continue;
        const CFerroGroup* group = glider.ferrovant ? glider.ferrovant->group : nullptr;
        uint32_t colour = kGliderColour;
        if (group && group == PlayerFerroGroup.attachedGroup)
            colour = kTeamColour;
        else if (group)
            for (int k = 0; k < std::min(group->targetCount, int(CFerroGroup::kMaxTargets)); ++k)
                if (group->targets[k].group == 0) {
                    colour = GetPointColor(group->targets[k]);
                    break;
                }
        if (glider.remote && !glider.owned)
            colour = kPlayerColour;
        Tint(colour);
        radar::DrawTurned(radar::kTintSlot, TextureOf(arrowTexture), centreX - tx, centreY - ty, 9.0f, 9.0f,
            heading - Heading(glider));
    }
    SObjectQuery things {};
    ObjectList.GetRealTimeObjectList(player, kNearRange, kThingType, things);
    for (int i = 0; i < things.count; ++i) {
        const CZJObject& thing = *things.objects[i];
        float tx = 0.0f;
        float ty = 0.0f;
        offset(thing, tx, ty);
        if (thing.owned || std::hypot(tx, ty) >= kMinimapRadius)
            continue;
        Tint(kThingColour);
        radar::DrawRect(radar::kColourSlot, nullptr, centreX - tx - 1.0f, centreY - ty - 1.0f,
            centreX - tx + 1.0f, centreY - ty + 1.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f);
    }
}

void CRadar::DrawMinimapMark(CTexture* atlas, float centreX, float centreY, float heading, int32_t top)
{
    if (!markShown)
        return;
    const Vec3 player = PlayerObject->frame.position;
    float tx = 0.0f;
    float ty = 0.0f;
    Turn(heading, (markPosition.x - player.x) * kMapScale, (markPosition.y - player.y) * kMapScale, tx, ty);
    const float W = float(g_Graphic.ScreenWidth());
    if (std::hypot(tx, ty) / kMinimapRadius < 1.1f) {
        const int32_t f = AnimationFrame(GameClock);
        const float x = float(int32_t(W - 100.0f - tx));
        const float y = float(int32_t(float(top) + 68.0f - ty));
        SRadarRect quad { x, y, x + 32.0f, y + 32.0f };
        SRadarRect texture { float(32 * (f % 4)), float(32 * (f / 4)), float(32 * (f % 4) + 32),
            float(32 * (f / 4) + 32) };
        if (ClipScreenRect({ W - 158.0f, 12.0f, W - 12.0f, 158.0f }, quad, texture))
            radar::DrawRect(radar::kPlainSlot, TextureOf(pointTexture), quad.left, quad.top, quad.right,
                quad.bottom, texture.left, texture.top, texture.left + (quad.right - quad.left),
                texture.top + (quad.bottom - quad.top), 128.0f);
        return;
    }
    const float m = std::max(std::fabs(tx), std::fabs(ty));
    const float dx = tx / m;
    const float dy = ty / m;
    const float x = float(int32_t(centreX - 74.0f * dx - 6.0f));
    const float y = float(int32_t(centreY - 74.0f * dy));
    // The pointer points away from the centre, along minus the turned offset.
    const float angle = std::atan2(-dx, dy);
    const float cs = std::cos(angle);
    const float sn = std::sin(angle);
    radar::SCorner corners[4];
    for (int i = 0; i < 4; ++i) {
        const float ox = (i % 2 ? 0.5f : -0.5f) * 12.0f;
        const float oy = (i / 2 ? 0.5f : -0.5f) * 16.0f;
        const float u = (162.0f + (i % 2 ? 12.0f : 0.0f)) / kAtlas;
        const float v = (126.0f + (i / 2 ? 16.0f : 0.0f)) / kAtlas;
        corners[i] = { x + 6.0f + ox * cs - oy * sn, y + 8.0f + ox * sn + oy * cs, u, v, u, v };
    }
    radar::DrawQuad(radar::kPlainSlot, corners, atlas);
}

void CRadar::DrawMinimapRim(CTexture* atlas, float centreX, float centreY, float heading)
{
    for (const SRimPicture& rim : kRim) {
        const float theta = -heading + rim.k;
        float px = std::trunc(70.0f * std::sin(theta));
        float py = std::trunc(70.0f * std::cos(theta));
        const float m = std::max(std::fabs(px), std::fabs(py));
        if (m > 0.0f) {
            px = std::trunc(px * 70.0f / m);
            py = std::trunc(py * 70.0f / m);
        }
        const float x = centreX - float(int32_t(rim.w) / 2) + px - 1.0f;
        const float y = centreY - float(int32_t(rim.h) / 2) + py + 1.0f;
        radar::DrawRect(radar::kPlainSlot, atlas, x, y, x + rim.w, y + rim.h, rim.u, rim.v, rim.u + rim.w,
            rim.v + rim.h, kAtlas);
    }
}
