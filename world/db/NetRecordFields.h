// The fields of an object network record that the object factory reads: +0 network id, +13 +17
// +21 position, +25 kind (type code), +29 row index (-1 none).
#pragma once

#include "foundation/ByteOrder.h"
#include "foundation/Matrix.h"

#include <cstdint>

struct SNetRecordFields {
    uint32_t networkId;
    float position[3];
    uint32_t kind;
    int32_t row;

    static SNetRecordFields Read(const uint8_t* record)
    {
        return SNetRecordFields {
            LoadLE<uint32_t>(record + 0),
            { LoadLE<float>(record + 13), LoadLE<float>(record + 17), LoadLE<float>(record + 21) },
            LoadLE<uint32_t>(record + 25),
            LoadLE<int32_t>(record + 29),
        };
    }
    // Unrotated, at the record's position.
    Matrix4 Placement() const
    {
        Matrix4 m;
        Matrix4Identity(m);
        m.m[12] = position[0];
        m.m[13] = position[1];
        m.m[14] = position[2];
        return m;
    }
};
