// CGliderHull: the item that stands for a machine's glider body among its parts. Its row is the
// glider type; the item's wear is the damage absorbed against the type's capacity and its hit mark
// is set by every Damage.
#pragma once

#include "world/db/CEquipment.h"

struct SGliderType;

class CGliderHull : public CEquipment {
public:
    // The glider type (-1 none; any other index must be a row). Clears the wear and marks and
    // takes the type's weight.
    void Set(int32_t row, const uint32_t* params) override;
    using CEquipment::Set;
    // Absorbs what the capacity left allows; the rest stays in amount for the caller.
    void Damage(float* amount) override;
    // wear / capacity; 0 without a type or with no capacity.
    float WearRatio() const override;
    float MaximumWear() const;

    SGliderType* type = nullptr;
};
