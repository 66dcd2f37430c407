// Stand-in until the world database lands: the engine object reduced to the network object
// factory that the network client calls.
#pragma once

#include <cstdint>

class CZJObject;

class CZJEngine {
public:
    // Creates a glider (type 14), missile (16) or thing (21) from an object record (+0 network
    // id, +13 position, +25 type, +29 type index), adds it to the object list and its network
    // list; null for any other type.
    CZJObject* CreateNetObject(const uint8_t* record);
};

extern CZJEngine ZJEngine;
