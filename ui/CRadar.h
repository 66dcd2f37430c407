// CRadar: the current location's map as the player knows it: the map picture read tile by tile
// from the radar map file, the explored map (fog of war, one byte per 80 x 80-unit cell), the one
// map mark, the cockpit's minimap and the big map of the in-flight map page. One map pixel is 10
// world units; a 64 x 64-pixel tile holds 8 x 8 cells. Main thread only; one object, g_pRadar.
#pragma once

#include "foundation/Vector.h"
#include "platform/gfx/resource.h"

#include <climits>
#include <cstdint>
#include <vector>

class CFerroGroup;
class CTexture;
class CVertexData;
class XMemBuffer;
struct TargetRecord;

// A screen or texel rectangle of floats: left, top, right, bottom.
struct SRadarRect {
    float left;
    float top;
    float right;
    float bottom;
};

// Clips a quad to the clip rectangle: a left or top edge cut off moves the texture rectangle's
// matching edges by the same amount, a right or bottom edge is moved without touching it. False
// when nothing of the quad is left to draw.
bool ClipScreenRect(const SRadarRect& clip, SRadarRect& quad, SRadarRect& texture);

// The quads of a number in 13 x 12-pixel glyphs of the cockpit atlas, the rightmost glyph at x;
// with clock the third glyph from the right is the separator and at least four glyphs stand.
void DrawDigitStrip(CVertexData& quads, float x, float y, int32_t value, bool clock);

// Which tile a cache slot holds.
struct SRadarSlot {
    int32_t tileX;
    int32_t tileY;
};

class CRadar {
public:
    static constexpr float kMapScale = 0.1f; // map pixels per world unit
    static constexpr int32_t kTileSide = 64;
    static constexpr int32_t kCellsPerTile = 8;
    static constexpr float kCellSize = 80.0f; // world units
    static constexpr int32_t kMinimapSlots = 8; // per side of mapTexture
    // No tile has these coordinates: a slot that holds them is empty.
    static constexpr int32_t kEmptySlot = INT32_MIN;
    static constexpr uint32_t kSaveVersion = 259;
    static constexpr float kMinimapRadius = 76.0f;

    CRadar();
    virtual ~CRadar();
    CRadar(const CRadar&) = delete;
    CRadar& operator=(const CRadar&) = delete;

    // CreateTextures, the staging surface and the five texture ids.
    void LoadTextures();
    // mapTexture (and mapTextureCopy when it is not dynamic); empties both slot caches.
    void CreateTextures();
    void InvalidateResources();
    // As InvalidateResources, and releases the staging surface.
    void Done();
    // Opens the radar map file and clears the explored map to the location grid's size.
    void InitLocation(const char* radarMapName);

    // Raises the explored cells within radius (world units) of (x, y); a radius of 0 or less
    // changes nothing.
    void RevealArea(float x, float y, float z, float radius);
    // markShown = shown, tracking off; a position is stored and revealed around.
    void SetMarkPosition(int shown, const Vec3* position);
    // The mark on the named object, building entry or road node.
    void MarkObject(const char* name, int show);
    // The mark follows the named machine group.
    void SetTrackedGroup(const char* name);
    // Clears the mark and removes the name from the script manager's marked points.
    void UnmarkObject(const char* name);
    // A tracked group's position, or the end of tracking when it is destroyed.
    void RefreshTrackedGroup();

    // The 8 x 8 tiles around a map point brought into mapTexture; the argument form takes the
    // player's glider.
    void UpdateMinimapTexture();
    void UpdateMinimapTexture(const Vec3& player);
    // The minimap at the screen's top right, its top at y = top, from the cockpit atlas.
    void DrawMinimap(CTexture* atlas, int32_t top);
    // The ARGB colour of a group's target record.
    static uint32_t GetPointColor(const TargetRecord& record);

    // Save-game section 6.
    void Save(XMemBuffer& stream) const;
    // False, with one log line and nothing changed, when the section's length does not fit the
    // version and the explored map's size.
    bool Load(XMemBuffer& stream);

    // Big map: the view's size in pixels; makes the tile cache, the fog texture and the staging
    // tile.
    void InitBigMap(int32_t width, int32_t height);
    // Moves the view's centre to a world position and reads the tiles that came into view.
    void SetBMVector(const Vec3& position);
    // The view at screen position (left, top): tiles with fog, the player's arrow, the mark.
    void DrawBigMap(int32_t left, int32_t top);
    // Icons centred on a world position, clipped to the view at (left, top).
    void DrawBuildingMark(int32_t left, int32_t top, const Vec3& position);
    void DrawGroupMark(int32_t left, int32_t top, const Vec3& position);
    void DrawBearingMark(int32_t left, int32_t top, const Vec3& position);
    // Every big-map slot empty, so that the view's tiles are read again.
    void ResetBigMapCache();
    void DoneBigMap();
    // The world point (x, y; z 0) under a pixel of the view, measured from the view's top left.
    Vec3 ViewPointToWorld(int32_t x, int32_t y) const;

    // The explored value of a cell, 0 outside the map.
    uint8_t Explored(int32_t column, int32_t row) const;
    // The animation frame 0..15 of the mark pictures at that time in seconds.
    static int32_t AnimationFrame(double seconds);
    // A machine group whose members are all dead.
    static bool GroupDestroyed(const CFerroGroup& group);

    int32_t viewWidth = 0;
    int32_t viewHeight = 0;
    int32_t bigTextureWidth = 0;
    int32_t bigTextureHeight = 0;
    CTexture* mapTexture = nullptr;
    CTexture* fogTexture = nullptr;
    CTexture* mapTextureCopy = nullptr;
    plat::gfx::Surface* stagingSurface = nullptr;
    plat::gfx::Surface* bigMapSurface = nullptr;
    plat::gfx::Surface* bigMapStaging = nullptr;
    int32_t bigColumns = 0;
    int32_t bigRows = 0;
    int32_t bigTileX = 0;
    int32_t bigTileY = 0;
    std::vector<SRadarSlot> bigSlots; // bigColumns x bigRows, row-major
    Vec3 bigOffset {};
    SRadarSlot minimapSlots[kMinimapSlots][kMinimapSlots] {};
    int32_t minimapTileX = 0;
    int32_t minimapTileY = 0;
    Vec3 minimapOffset {};
    char trackedGroupName[32] = {};
    uint8_t tracking = 0;
    uint8_t markShown = 0;
    Vec3 markPosition {};
    int32_t exploredWidth = 0;
    int32_t exploredHeight = 0;
    std::vector<uint8_t> explored; // row-major
    int32_t arrowTexture = -1;
    int32_t minimapBackTexture = -1;
    int32_t pointTexture = -1;
    int32_t frameTexture = -1;
    int32_t iconTexture = -1;
    uint32_t zoomShift = 0;

private:
    void EmptyMinimapSlots();
    // Reads a tile into a locked DXT3 staging surface.
    static void ReadTileInto(plat::gfx::Surface* staging, int32_t tileX, int32_t tileY);
    // The texture of a looked-up id, or null.
    static CTexture* TextureOf(int32_t id);
    // A 64 x 64 tile copied into mapTexture's slot (sx, sy), through the copy when not dynamic.
    void PutTileInMapTexture(const uint8_t* blocks, uint32_t pitch, int32_t sx, int32_t sy);
    void DrawMinimapPoints(float centreX, float centreY, float heading);
    void DrawMinimapMark(CTexture* atlas, float centreX, float centreY, float heading, int32_t top);
    void DrawMinimapRim(CTexture* atlas, float centreX, float centreY, float heading);
    void DrawBigTile(int32_t left, int32_t top, int32_t c, int32_t r);
    // A view icon of size w x h centred on a view point, clipped to the view.
    void DrawViewIcon(int32_t left, int32_t top, float mx, float my, float w, float h, CTexture* texture,
        float u, float v, float extent);
    // A world position in view pixels.
    void WorldToView(const Vec3& position, float& x, float& y) const;
};

// The one radar, made by the application; null before start-up and after shutdown.
extern CRadar* g_pRadar;
