// Stand-in until the machines' equipment lands: the item interface that the machine calls on each
// of its items, and the 32-byte item record whose first word is the item's row index.
#pragma once

#include <cstdint>

struct SItemRecord {
    uint32_t words[8];
};

class CEquipment {
public:
    virtual ~CEquipment() = default;
    virtual void Assign(SItemRecord item) { (void)item; }
    // Takes what it absorbs of the damage; the rest is left in amount for the next item.
    virtual void AbsorbDamage(float& amount) { (void)amount; }
    virtual float GetWear() { return 0.0f; }
};
