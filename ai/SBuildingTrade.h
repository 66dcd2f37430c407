// One good of a trading building: its prices and stock. The image is stored byte for byte in the
// location's objects data and in save games.
#pragma once

#include <cstddef>
#include <cstdint>

struct SBuildingTrade {
    // How the building menu offers the record: always; listed only while the condition event is
    // set; listed but sold only while the condition event is set.
    enum : uint8_t { kOpen = 0, kConditional = 1, kLocked = 2 };

    char key[32]; // the good's table key, zero-terminated
    char condition[32]; // the script event a conditional or locked offer waits for
    uint8_t access; // kOpen, kConditional or kLocked
    uint8_t reserved1[31]; // carried as stored
    float maxPrice; // top of the selling-price curve; above 0 when the building offers the good
    float buyPrice; // the fixed price the building pays; above 0 when it buys the good
    float stock;
    float production; // produced only when above 0
    float minPrice; // bottom of the curve; consumed only when above 0
    float normalStock; // the size of one production step
    uint8_t reserved2[16]; // carried as stored
    uint8_t soldIn; // added by a sale of a good the building did not list
    uint8_t steepCurve;
    uint8_t padding[2];
};

static_assert(sizeof(SBuildingTrade) == 140);
static_assert(offsetof(SBuildingTrade, access) == 64);
static_assert(offsetof(SBuildingTrade, maxPrice) == 96);
static_assert(offsetof(SBuildingTrade, buyPrice) == 100);
static_assert(offsetof(SBuildingTrade, stock) == 104);
static_assert(offsetof(SBuildingTrade, production) == 108);
static_assert(offsetof(SBuildingTrade, minPrice) == 112);
static_assert(offsetof(SBuildingTrade, normalStock) == 116);
static_assert(offsetof(SBuildingTrade, reserved2) == 120);
static_assert(offsetof(SBuildingTrade, soldIn) == 136);
static_assert(offsetof(SBuildingTrade, steepCurve) == 137);
