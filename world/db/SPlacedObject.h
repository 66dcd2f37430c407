// The 128-byte placed-object record of the objects file, the unit of every object block, and the
// reads of a block's 8-byte head and of one record.
#pragma once

#include "foundation/NameKey32.h"

#include <cstdint>

struct SPlacedObject {
    float placement[16]; // rows 0-2 the axes, row 3 the position
    char typeId[32]; // the row key in the kind's table
    char propertyText[32];

    NameKey32 TypeKey() const;
};
static_assert(sizeof(SPlacedObject) == 128);

// Reads {u32 reserved, u32 count} and checks count x perEntry bytes against the bytes left (and
// count against limit when it is not 0).
uint32_t ReadBlockHead(uint64_t perEntry, uint64_t limit, const char* what);
// One record; both texts are cut to 31 bytes.
void ReadPlacedObject(SPlacedObject& record);
