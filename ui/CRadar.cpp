// Stand-in until the radar lands (the radar and maps issue replaces it).
#include "ui/CRadar.h"

#include "render/CVertexData.h"
#include "script/CZJScriptManager.h"

#include <algorithm>

CRadar Radar;

void CRadar::MarkObject(const char* name, int show)
{
    markName = name;
    markShown = show != 0;
    tracking = false;
}

void CRadar::SetTrackedGroup(const char* name)
{
    trackedGroupName = name;
    tracking = true;
    markShown = true;
}

void CRadar::UnmarkObject(const char* name)
{
    tracking = false;
    markShown = false;
    if (!g_pScriptManager)
        return;
    auto& points = g_pScriptManager->markedPoints;
    points.erase(std::remove(points.begin(), points.end(), std::string(name)), points.end());
}

void DrawDigitStrip(CVertexData& quads, float, float, int32_t, bool)
{
    quads.vertexCount = 0;
    quads.indexCount = 0;
}
