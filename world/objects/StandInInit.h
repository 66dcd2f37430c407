// Stand-in until the world-object classes land: what the class stand-ins' Init do: take the
// placement into the frame (its axes read from the matrix) and keep the type id.
#pragma once

#include "foundation/NameKey32.h"
#include "world/objects/CZJObject.h"

#include <cstring>

inline void TakePlacement(CZJObject& object, const float* placement)
{
    if (!placement)
        return;
    Matrix4 m;
    std::memcpy(m.m, placement, sizeof m.m);
    object.frame.SetMatrix(m);
    object.frame.UpdateAxes();
}
