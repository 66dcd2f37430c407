// FerrovantConfig: the 1656-byte configuration image a machine is built from. The list, the
// machine record, save games and the wire hold this same image. An item is eight words: while
// read from the table and in save games and on the wire its 32 bytes hold the name; in memory the
// glider, gun and part items hold the table index in the first word (-1 absent), and the bomb
// and rocket items keep their names.
#pragma once

#include "world/db/CEquipment.h"

#include <bit>
#include <cstddef>
#include <cstdint>

static_assert(std::endian::native == std::endian::little, "the images are stored as they lie in memory");

struct FerrovantConfig {
    static constexpr int kMaxItems = 20;

    char name[128];
    int32_t rating;
    SItemRecord glider;
    SItemRecord lightGun;
    SItemRecord heavyGun;
    SItemRecord rocketGun;
    SItemRecord reactor;
    SItemRecord engine;
    SItemRecord shield;
    SItemRecord armour;
    SItemRecord bomb1;
    int32_t numBomb1;
    SItemRecord bomb2;
    int32_t numBomb2;
    SItemRecord rocket1;
    int32_t numRocket1;
    SItemRecord rocket2;
    int32_t numRocket2;
    SEquipmentImage items[kMaxItems];
    int32_t itemCount;
};
static_assert(sizeof(FerrovantConfig) == 1656);
static_assert(offsetof(FerrovantConfig, rating) == 128);
static_assert(offsetof(FerrovantConfig, glider) == 132);
static_assert(offsetof(FerrovantConfig, armour) == 356);
static_assert(offsetof(FerrovantConfig, bomb1) == 388);
static_assert(offsetof(FerrovantConfig, numBomb1) == 420);
static_assert(offsetof(FerrovantConfig, bomb2) == 424);
static_assert(offsetof(FerrovantConfig, rocket1) == 460);
static_assert(offsetof(FerrovantConfig, rocket2) == 496);
static_assert(offsetof(FerrovantConfig, numRocket2) == 528);
static_assert(offsetof(FerrovantConfig, items) == 532);
static_assert(offsetof(FerrovantConfig, itemCount) == 1652);

// An item record's text: at most 31 characters and the terminator.
inline void SetItemName(SItemRecord& item, const char* name)
{
    char* text = reinterpret_cast<char*>(item.words);
    size_t i = 0;
    for (; i < 31 && name[i] != '\0'; ++i)
        text[i] = name[i];
    for (; i < 32; ++i)
        text[i] = '\0';
}

inline const char* ItemName(const SItemRecord& item)
{
    return reinterpret_cast<const char*>(item.words);
}
