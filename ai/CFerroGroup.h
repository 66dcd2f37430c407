// Stand-in until the machine groups land: a group's name, organisation, kind and its ten inline
// machine records.
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
};
