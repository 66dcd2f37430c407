// The fields of an object network record that the object factory reads: +0 network id, +13 +17
// +21 position, +25 kind (type code), +29 row index (-1 none).
#pragma once

#include "foundation/Matrix.h"

#include <cstdint>
#include <cstring>

struct SNetRecordFields {
    uint32_t networkId;
    float position[3];
    uint32_t kind;
    int32_t row;

    static SNetRecordFields Read(const uint8_t* record)
    {
        SNetRecordFields fields;
        std::memcpy(&fields.networkId, record + 0, 4);
        std::memcpy(fields.position, record + 13, 12);
        std::memcpy(&fields.kind, record + 25, 4);
        std::memcpy(&fields.row, record + 29, 4);
        return fields;
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
