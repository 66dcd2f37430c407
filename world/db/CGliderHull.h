// CGliderHull: the item that stands for a machine's glider body among its parts. It records the
// damage the body has absorbed against the capacity of its glider type.
#pragma once

#include "world/db/CEquipment.h"

#include <cstdint>

struct SGliderType;

class CGliderHull : public CEquipment {
public:
    // The item's first word is the glider type (-1 none; any other index must be a row). Clears
    // the damage and takes the type's weight.
    void Assign(SItemRecord item) override;
    // Absorbs what the capacity left allows; the rest stays in amount for the caller.
    void AbsorbDamage(float& amount) override;
    // Absorbed / capacity; 0 without a type; with no capacity, 1 when destroyed, else 0.
    float GetWear() override;

    SItemRecord item {};
    float absorbed = 0.0f;
    float weight = 0.0f;
    uint8_t destroyed = 0;
    uint8_t touched = 0;
    SGliderType* type = nullptr;
};
