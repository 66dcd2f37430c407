// The projectiles: table "Снаряды", type code 16. Projectiles are made at run time only (guns,
// splitting missiles, the network); their type argument carries the row index in its first word.
#pragma once

#include "world/db/CZJObjectManager.h"
#include "world/db/TypeRow.h"

struct SMissileType {
    SNameRef96 model; // Model
    int32_t kind; // TYPE
    SNameRef32 texture; // Texture
    SNameRef32 texture2; // Texture2
    float speed; // SPEED
    float damage; // DAMAGE
    int32_t numState; // NUMSTATE, 1 when 0
    float scale; // SCALE, 1 when 0
    SNameRef32 explosion; // EXPLO: a row of the explosion table
    float rotate; // ROTATE
    float t; // T
    float weight; // WEIGHT
    SNameRef32 sound; // SOUND
    float price; // PRICE
    uint8_t noTrade; // NOTRADE = 1
    int32_t icon; // ICON
    int32_t standard; // STANDARD
    int32_t subType; // SUBTYPE
    SNameRef32 subMissile; // SUBMISSILE: a row of this table
};

class CMissileManager : public CZJTypeManager<SMissileType> {
public:
    CMissileManager();
    void Init(const char* table) override;
    CZJObject* CreateObject(NameKey32 typeId, const float* placement, const char* propertyText) override;
    // A remote projectile; nothing for row index -1.
    CZJObject* CreateNetObject(const uint8_t* record) override;
};

extern CMissileManager g_MissileManager;
