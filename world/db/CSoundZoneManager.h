// The sound zones: table "SoundZone", type code 24; its rows name a sound. CreateObject lists a
// sound-zone point in the object list's building list and returns null. Its property text shows
// LOOP, RANDOM, PERIOD and LENGTH.
#pragma once

#include "world/db/CZJObjectManager.h"
#include "world/db/TypeRow.h"

struct SSoundZoneType {
    SNameRef96 sound; // Model
    float period; // PERIOD, 10 when 0
    float length; // LENGTH, 5 when 0
    uint8_t random; // RANDOM = 1
    uint8_t loop; // LOOP = 1
};

class CSoundZoneManager : public CZJTypeManager<SSoundZoneType> {
public:
    CSoundZoneManager();
    void Init(const char* table) override;
    CZJObject* CreateObject(NameKey32 typeId, const float* placement, const char* propertyText) override;
};

extern CSoundZoneManager g_SoundZoneManager;
