// SThingItem: one content item of a thing, 40 bytes, also its wire and save form.
#pragma once

#include <cstdint>

struct SThingItem {
    uint32_t kind; // 2: a Ferrovant named by the id; other values are goods classes
    char id[32];
    uint32_t amount;
};
static_assert(sizeof(SThingItem) == 40);
