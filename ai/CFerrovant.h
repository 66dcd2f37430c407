// Stand-in until the Ferrovant machine record lands: whether the machine is out of action, the
// few fields the world database reads or sets, and the player's own record.
#pragma once

#include <cstdint>

class CFerroGroup;
class CGliderObject;

class CFerrovant {
public:
    // With all three arguments 0 the record is reset; other configurations are not kept here.
    void ApplyConfig(int32_t config, int32_t player, int32_t flag);

    uint8_t dead = 0; // the machine is destroyed
    char name[32] = {};
    float rating = 0.0f;
    int32_t ratingLevel = 0;
    int32_t organisation = -1;
    uint8_t destroyed = 0; // waits to come back
    CFerroGroup* group = nullptr;
    CGliderObject* glider = nullptr;
};

extern CFerrovant* PlayerFerrovant;
