// CHelperPoint: an invisible named marker placed by the objects file (helper points, and the
// anomaly-zone and sound-zone points derived from it). The object list's building list owns them
// and finds them by name.
#pragma once

#include "foundation/CTransform.h"

#include <cstdint>

class CHelperPoint {
public:
    CHelperPoint() = default;
    // Transform from the 4 x 4 placement; radius = length of its first row x 100; name = the
    // text cut to 31 bytes.
    CHelperPoint(const float* placement, const char* name, int32_t kind);
    virtual ~CHelperPoint() = default;
    CHelperPoint(const CHelperPoint&) = delete;
    CHelperPoint& operator=(const CHelperPoint&) = delete;

    virtual void Run(float dt) { (void)dt; }

    CTransform transform;
    float radius = 0.0f;
    char name[32] = {};
    int32_t kind = 0;
};
