// Stand-in until the world-object classes land: a glider (type code 14) with its pilot record,
// its energy store and the fields the guns read; Init only stores its arguments.
#pragma once

#include "world/objects/CZJObject.h"

class CFerrovant;
class CFerroGroup;

class CGliderObject : public CDynamicObject {
public:
    using CZJObject::Init;
    CGliderObject() { type = 14; }
    ~CGliderObject() override;
    void Init(const float* placement, NameKey32 typeId) { StoreInit(placement, typeId); }

    void AssignFerrovant(CFerrovant* record) { ferrovant = record; }
    // True when this glider may not attack the other; the stand-in allows every target unless
    // refuseTargets is set.
    bool NotAllowTarget(const CGliderObject* other) const { return other != nullptr && refuseTargets; }

    CFerrovant* ferrovant = nullptr;
    CFerroGroup* netGroup = nullptr; // owned: the group made for a glider from the network
    float energy = 0.0f; // the reactor's current energy
    CZJObject* target = nullptr; // handed to the player's projectiles

    // Test access: what NotAllowTarget answers for every other glider.
    uint8_t refuseTargets = 0;
};
