#include "ui/CRadar.h"

#include "ai/CFerroGroup.h"
#include "ai/CFerroGroupList.h"
#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/NameKey32.h"
#include "foundation/Numeric.h"
#include "platform/gfx/device.h"
#include "render/CTexture.h"
#include "render/CVertexData.h"
#include "render/Graphic.h"
#include "render/TextureManager.h"
#include "script/CZJScriptManager.h"
#include "ui/CRadarMap.h"
#include "world/db/CRoadManager.h"
#include "world/objects/CHelperPoint.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CZJObject.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CLocation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

CRadar* g_pRadar = nullptr;

namespace {

constexpr int kBuildingType = 11;

void AppendOnce(std::vector<std::string>& list, const char* name)
{
    if (std::find(list.begin(), list.end(), name) == list.end())
        list.emplace_back(name);
}

void ReleaseSurface(plat::gfx::Surface*& surface)
{
    if (surface)
        surface->Release();
    surface = nullptr;
}

} // namespace

CRadar::CRadar()
{
    EmptyMinimapSlots();
}

CRadar::~CRadar()
{
    DoneBigMap();
    Done();
    if (g_pRadar == this)
        g_pRadar = nullptr;
}

void CRadar::LoadTextures()
{
    ZJ_TRACE("CRadar::LoadTextures");
    CreateTextures();
    ReleaseSurface(stagingSurface);
    if (plat::gfx::Device* device = g_Graphic.GetDevice())
        if (plat::gfx::Failed(
                device->CreateImageSurface(kTileSide, kTileSide, plat::gfx::Format::Dxt3, &stagingSurface)))
            stagingSurface = nullptr;
    if (!g_pTextureManager)
        return;
    arrowTexture = g_pTextureManager->FindTexture("TEX_INT_STRELKA");
    minimapBackTexture = g_pTextureManager->FindTexture("TEX_INT_MINIMAP_BACK");
    pointTexture = g_pTextureManager->FindTexture("TEX_INT_RADAR_POINT");
    frameTexture = g_pTextureManager->FindTexture("TEX_INT_RADAR_BRAMKA");
    iconTexture = g_pTextureManager->FindTexture("TEX_KT_ICON_FIRST");
}

void CRadar::CreateTextures()
{
    ZJ_TRACE("CRadar::CreateTextures");
    InvalidateResources();
    if (g_Graphic.GetDevice()) {
        constexpr uint32_t side = kTileSide * kMinimapSlots;
        mapTexture = new CTexture();
        g_Graphic.CreateTexture(mapTexture, side, side, 1, plat::gfx::Format::Dxt3, plat::gfx::Pool::Default,
            plat::gfx::usage::kDynamic);
        if (!mapTexture->IsDynamic()) {
            mapTextureCopy = new CTexture();
            g_Graphic.CreateTexture(
                mapTextureCopy, side, side, 1, plat::gfx::Format::Dxt3, plat::gfx::Pool::SystemMem, 0);
        }
    }
    EmptyMinimapSlots();
    ResetBigMapCache();
}

void CRadar::InvalidateResources()
{
    delete mapTexture;
    mapTexture = nullptr;
    delete mapTextureCopy;
    mapTextureCopy = nullptr;
}

void CRadar::Done()
{
    InvalidateResources();
    ReleaseSurface(stagingSurface);
}

void CRadar::InitLocation(const char* radarMapName)
{
    ZJ_TRACE("CRadar::InitLocation");
    if (g_pRadarMap)
        g_pRadarMap->Open(radarMapName);
    exploredWidth = std::max(Location.blocksX, 0) * kCellsPerTile;
    exploredHeight = std::max(Location.blocksY, 0) * kCellsPerTile;
    explored.assign(size_t(exploredWidth) * size_t(exploredHeight), 0);
    EmptyMinimapSlots();
    ResetBigMapCache();
}

void CRadar::EmptyMinimapSlots()
{
    for (auto& row : minimapSlots)
        for (SRadarSlot& slot : row)
            slot = { kEmptySlot, kEmptySlot };
}

void CRadar::RevealArea(float x, float y, float, float radius)
{
    if (!(radius > 0.0f) || explored.empty() || !std::isfinite(x) || !std::isfinite(y)
        || !std::isfinite(radius))
        return;
    constexpr float s = kMapScale / float(kCellsPerTile);
    const int32_t firstRow = std::max(RoundToInt((y - radius) * s), 0);
    const int32_t endRow = std::min(RoundToInt((y + radius) * s + 1.0f), exploredHeight);
    const int32_t firstColumn = std::max(RoundToInt((x - radius) * s), 0);
    const int32_t endColumn = std::min(RoundToInt((x + radius) * s + 1.0f), exploredWidth);
    for (int32_t row = firstRow; row < endRow; ++row)
        for (int32_t column = firstColumn; column < endColumn; ++column) {
            uint8_t& cell = explored[size_t(row) * size_t(exploredWidth) + size_t(column)];
            if (cell == 255)
                continue;
            const float d
                = std::hypot((float(column) + 0.5f) * kCellSize - x, (float(row) + 0.5f) * kCellSize - y);
            if (d > radius)
                continue;
            const int32_t value = d < radius / 2.0f ? 255 : int32_t((2.0f - 2.0f * d / radius) * 255.0f);
            if (value > cell)
                cell = uint8_t(value);
        }
}

uint8_t CRadar::Explored(int32_t column, int32_t row) const
{
    if (column < 0 || row < 0 || column >= exploredWidth || row >= exploredHeight)
        return 0;
    return explored[size_t(row) * size_t(exploredWidth) + size_t(column)];
}

void CRadar::SetMarkPosition(int shown, const Vec3* position)
{
    markShown = shown ? 1 : 0;
    tracking = 0;
    if (!position)
        return;
    markPosition = *position;
    RevealArea(position->x, position->y, position->z, float(VisibleRadius) * 10.0f * 0.25f);
}

void CRadar::MarkObject(const char* name, int show)
{
    ZJ_TRACE("CRadar::MarkObject");
    tracking = 0;
    if (!show || !name)
        return;
    const NameKey32 key = MakeNameKey32(name);
    if (CZJObject* object = ObjectList.FindObject(key, 0)) {
        SetMarkPosition(1, &object->frame.position);
        if (object->type == kBuildingType && g_pScriptManager)
            AppendOnce(g_pScriptManager->visitedBuildings, name);
        return;
    }
    if (CHelperPoint* point = ObjectList.FindHelperPoint(key)) {
        SetMarkPosition(1, &point->transform.position);
        if (g_pScriptManager)
            AppendOnce(g_pScriptManager->markedPoints, name);
        return;
    }
    if (const SRoadNode* node = g_RoadManager.GetNode(g_RoadManager.FindNodeByName(name))) {
        const Vec3 position { node->position[0], node->position[1], node->position[2] };
        SetMarkPosition(1, &position);
        return;
    }
    char line[128];
    std::snprintf(line, sizeof line, "CRadar::MarkObject object '%s' not found", name);
    WriteErrorLog(line);
}

void CRadar::SetTrackedGroup(const char* name)
{
    const CFerroGroup* group = name ? FerroGroupList.FindGroupByName(name) : nullptr;
    if (!group)
        return;
    std::memset(trackedGroupName, 0, sizeof trackedGroupName);
    std::strncpy(trackedGroupName, name, sizeof trackedGroupName - 1);
    tracking = 1;
    markShown = 1;
    markPosition = group->position;
}

void CRadar::RefreshTrackedGroup()
{
    if (!tracking)
        return;
    const CFerroGroup* group = FerroGroupList.FindGroupByName(trackedGroupName);
    if (!group)
        return;
    if (GroupDestroyed(*group)) {
        tracking = 0;
        markShown = 0;
        return;
    }
    markPosition = group->position;
    markShown = 1;
}

void CRadar::UnmarkObject(const char* name)
{
    tracking = 0;
    markShown = 0;
    if (!g_pScriptManager || !name)
        return;
    auto& points = g_pScriptManager->markedPoints;
    points.erase(std::remove(points.begin(), points.end(), std::string(name)), points.end());
}

bool CRadar::GroupDestroyed(const CFerroGroup& group)
{
    return group.pendingCheck != 0;
}

int32_t CRadar::AnimationFrame(double seconds)
{
    return int32_t(int64_t(seconds * 16.0) % 16);
}

uint32_t CRadar::GetPointColor(const TargetRecord& record)
{
    // By the record's attitude; kind 2 by the sign of its hostility.
    static constexpr uint32_t kColours[]
        = { 0x80FFFFFFu, 0x80FFFF00u, 0xFFFF8080u, 0xFFFF0000u, 0xFF8080FFu, 0xFFFFFF00u, 0xFFFF8080u };
    if (record.attitude == 2 && record.hostility > 0.0f)
        return 0xFF80FF80u;
    if (record.attitude < 0 || record.attitude >= int32_t(std::size(kColours)))
        return 0xFF000000u;
    return kColours[record.attitude];
}

CTexture* CRadar::TextureOf(int32_t id)
{
    return g_pTextureManager && id >= 0 ? g_pTextureManager->GetTexture(id) : nullptr;
}

bool ClipScreenRect(const SRadarRect& clip, SRadarRect& quad, SRadarRect& texture)
{
    if (quad.left < clip.left) {
        const float d = clip.left - quad.left;
        texture.left += d;
        texture.right += d;
        quad.left = clip.left;
    }
    if (quad.top < clip.top) {
        const float d = clip.top - quad.top;
        texture.top += d;
        texture.bottom += d;
        quad.top = clip.top;
    }
    quad.right = std::min(quad.right, clip.right);
    quad.bottom = std::min(quad.bottom, clip.bottom);
    return quad.right > quad.left && quad.bottom > quad.top;
}

void DrawDigitStrip(CVertexData& quads, float x, float y, int32_t value, bool clock)
{
    constexpr float kGlyph = 13.0f;
    constexpr float kAtlas = 512.0f;
    constexpr int32_t kSeparator = 10;
    struct SVertex {
        float x, y, z, rhw, u0, v0, u1, v1;
    };
    const uint32_t room = quads.vertices && quads.stride >= sizeof(SVertex) ? quads.vertexCapacity / 4 : 0;
    uint32_t k = 0;
    value = std::max(value, 0);
    do {
        int32_t glyph = kSeparator;
        if (!clock || k != 2) {
            glyph = value % 10;
            value /= 10;
        }
        if (k < room) {
            const float left = x + kGlyph * (0.0f - float(k)) - 0.5f;
            const float top = y - 0.5f;
            const float us[2]
                = { (kGlyph * float(glyph) + 2.0f) / kAtlas, (kGlyph * float(glyph) + 15.0f) / kAtlas };
            const float vs[2] = { 60.0f / kAtlas, 72.0f / kAtlas };
            for (uint32_t i = 0; i < 4; ++i) {
                const SVertex vertex { left + (i % 2 ? kGlyph : 0.0f), top + (i / 2 ? 12.0f : 0.0f), 0.0f,
                    0.00001f, us[i % 2], vs[i / 2], us[i % 2], vs[i / 2] };
                std::memcpy(quads.vertices + size_t(4 * k + i) * quads.stride, &vertex, sizeof vertex);
            }
        }
        ++k;
    } while (value > 0 || (clock && k < 4));
    k = std::min(k, room);
    quads.vertexCount = 4 * k;
    quads.indexCount = 6 * k;
}
