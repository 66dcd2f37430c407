// Stand-in until the terrain lands: the location fields and calls that a location load and the
// guns use. Purge, ReleaseAllMapMeshes and the release and re-creation of the terrain meshes'
// device objects around a device reset do nothing; rays never hit unless a test sets rayTest.
#pragma once

#include "foundation/Vector.h"
#include "foundation/XFile.h"

#include <cstdint>
#include <functional>

class CLocation {
public:
    void Purge() { }
    void ReleaseAllMapMeshes() { }
    void InvalidateResources() { }
    void RestoreResources() { }
    // True when the segment meets the terrain, with the hit point.
    bool GetRayIntersection(const Vec3& start, const Vec3& direction, float length, Vec3& hitPoint) const
    {
        return rayTest && rayTest(start, direction, length, hitPoint);
    }

    int32_t gridWidth = 0;
    int32_t gridHeight = 0;
    char fileName[256] = {}; // the map file: data directory + name
    XFile streamFile; // the map file held open for cell streaming
    uint8_t streamOpen = 0;

    // Test access: what GetRayIntersection answers (the stand-in has no terrain).
    std::function<bool(const Vec3&, const Vec3&, float, Vec3&)> rayTest;
};

extern CLocation Location;
