// Stand-in until the machine groups land: a group's name, organisation, kind and its ten inline
// machine records; the flags and the operations that mission scripts use (assembling, visibility,
// the stop flag, the next target of slot 7, reanimation) only record what was asked.
#pragma once

#include "ai/CFerrovant.h"

#include <cstdint>

class CFerroGroup {
public:
    static constexpr int kMaxMembers = 10;

    char name[32] = {}; // upper case
    char secondName[64] = {};
    int32_t organisation = -1;
    int32_t kind = -1; // 0 guard, 1 trade caravan, 2 hunters, 3 people, else a plain group
    int32_t parameter = 0;
    uint8_t stateFlags[2] = {};
    int32_t count = 0; // at most kMaxMembers
    CFerrovant members[kMaxMembers];

    virtual ~CFerroGroup() = default;
    // Slot 7: the next target point and path point (-1 none); the trade caravan acts on it.
    virtual void SetNextTarget(int point, int path)
    {
        nextTarget = point;
        nextPath = path;
    }
    void Assemble() { assembled = 1; }
    void Reanimate() { ++reanimated; }

    uint8_t assembled = 0;
    uint8_t visible = 1;
    uint8_t hidden = 0;
    uint8_t stop = 0;
    uint8_t followsPlayer = 0; // in the player's team
    int nextTarget = -1;
    int nextPath = -1;
    int reanimated = 0;
};
