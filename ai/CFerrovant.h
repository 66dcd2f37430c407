// Stand-in until the Ferrovant machine record lands: only whether the machine is out of action,
// and the player's own record.
#pragma once

#include <cstdint>

class CFerrovant {
public:
    uint8_t dead = 0; // the machine is destroyed
};

extern CFerrovant* PlayerFerrovant;
