// Stand-in until the radar lands (the radar and maps issue replaces it): the release and re-creation of its
// map textures around a device reset do nothing; the map mark is reduced to the name marked or tracked, its
// flags and its position; the minimap and the digit strip draw nothing and every target record is grey.
#pragma once

#include "foundation/Vector.h"

#include <cstdint>
#include <string>

class CTexture;
class CVertexData;
struct TargetRecord;

class CRadar {
public:
    void InvalidateResources() { }
    void CreateTextures() { }

    // The mark on the named thing.
    void MarkObject(const char* name, int show);
    // The mark follows the named machine group.
    void SetTrackedGroup(const char* name);
    // Clears the mark and removes the name from the script manager's marked points.
    void UnmarkObject(const char* name);

    // The minimap from the cockpit atlas, its top at y.
    void DrawMinimap(CTexture* atlas, int32_t top)
    {
        (void)atlas;
        (void)top;
    }
    // The ARGB colour of a group's target record.
    static uint32_t GetPointColor(const TargetRecord& record)
    {
        (void)record;
        return 0xFF808080u;
    }

    std::string markName;
    Vec3 markPosition {};
    std::string trackedGroupName;
    bool markShown = false;
    bool tracking = false;
};

extern CRadar Radar;

// The quads of a number in 13-pixel digits of the cockpit atlas, right-aligned at x; with clock the
// third glyph is the separator.
void DrawDigitStrip(CVertexData& quads, float x, float y, int32_t value, bool clock);
