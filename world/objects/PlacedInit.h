// What the Init of every placed scenery object does first: the frame from the 4 x 4 placement
// (its axes read from the matrix) and, for the classes with a table, the row of the type id with
// the radius it gives.
#pragma once

#include "foundation/NameKey32.h"
#include "foundation/XRangeError.h"
#include "world/db/FactoryHelpers.h"
#include "world/objects/CZJObject.h"

#include <cstring>

// A null placement leaves the frame as it is.
inline void TakePlacement(CZJObject& object, const float* placement)
{
    if (!placement)
        return;
    Matrix4 m;
    std::memcpy(m.m, placement, sizeof m.m);
    object.frame.SetMatrix(m);
    object.frame.UpdateAxes();
}

// The placement, then the row of the id and radius = the model's radius x the length of the
// placement's first row. An id the table lacks throws XRangeError (the caller's trace names it).
inline void PlaceWithRow(CZJObject& object, const float* placement, CZJObjectManager& rows, NameKey32 typeId)
{
    TakePlacement(object, placement);
    if (rows.FindRow(typeId.text) < 0)
        throw XRangeError();
    TakeTypeRow(object, rows, typeId);
}
