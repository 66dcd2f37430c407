// CGarbage: the cargo hold of a machine: goods with their counts and the unit price paid, captured
// machines under their names, and one bulk amount (the player's money).
#pragma once

#include "foundation/XDynamicArray.h"

#include <cstdint>

// One cargo item, the same 44-byte image in memory, in save games and on the wire.
struct CargoItem {
    static constexpr uint32_t kGoods = 0;
    static constexpr uint32_t kUnmerged = 1; // goods that never merge with another item
    static constexpr uint32_t kCaptured = 2; // a captured machine, under its name
    static constexpr uint32_t kBulk = 3; // AddGoods only: added to the bulk amount

    uint32_t kind;
    char name[32];
    int32_t count;
    float price;
};
static_assert(sizeof(CargoItem) == 44);

class CGarbage {
public:
    // Kind 3 adds count to the bulk amount. Kind 0 merges into an item of that name whose price
    // is, like the new one, above 0 or exactly 0; otherwise the name must be a good (unknown goods
    // are logged and thrown) and a no-merge good becomes kind 1. Kinds 1 and 2 append. Kinds 0 to 2
    // with a count of 0 or below change nothing.
    void AddGoods(const char* name, int32_t count, float price, uint32_t kind);
    // Takes count units of that name from the items in order, whatever their kind; a shortfall
    // is logged. A count of 0 or below changes nothing.
    void RemoveGoods(const char* name, int32_t count);
    // The items of that kind and exact name hold at least count units.
    bool HasGoods(const char* name, uint32_t kind, int32_t count) const;
    // With a name: a captured machine of that name is carried. Without: at least n are (n >= 1).
    bool HasCaptured(const char* name, int32_t n) const;
    void Clear();

    float bulkAmount = 0.0f;
    XDynamicArray<CargoItem> items;
};
