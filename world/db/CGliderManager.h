// The gliders: table "Глайдеры", type code 14. Unlike the other kinds, row -1 is out of range.
// The mounts, animation channels and damage points come from the model on first use (InitGlider).
#pragma once

#include "foundation/Vector.h"
#include "world/db/CZJObjectManager.h"
#include "world/db/TypeRow.h"

class CModel;

// A model's animation channels by name, -1 where it has none.
struct SAnimChannels {
    int32_t rotate; // "ROTATE"
    int32_t forward; // "ACCEL" when its index is above "FORWARD"'s, else "FORWARD"
    int32_t jump; // "JUMP"
    int32_t strafe; // "STRAFE"
    int32_t idle; // "AMBIENT"
};

// Fills the channel set from the model's morph channels (all -1 for a null model).
void GetAnimChannels(CModel* model, SAnimChannels& channels);

struct SGliderMount {
    int32_t part; // model part index, -1 none
    SAnimChannels channels;
};

struct SGliderType {
    enum Mount { kFire, kFire1, kLightGun, kLightGun1, kHeavyGun, kHeavyGun1, kRocket, kMountCount };
    static constexpr int kMaxPoints = 8;

    SNameRef96 model; // MODEL
    float weight; // WEIGHT
    float maxWeight; // MAXWEIGHT
    int32_t standard; // STANDARD
    float damage; // DAMAGE
    float resFront; // RESFRONT
    float resSide; // RESSIDE
    float resTop; // RESTOP
    float turbulence; // 1000 / (TURBULENCE + 1)
    float stabFront; // STABFRONT
    float stabSide; // STABSIDE
    float rotateSpeed; // ROTATESPEED
    float careen; // CAREEN x 0.075
    float deltaT; // DELTAT x 0.1
    uint8_t prepared;
    SAnimChannels body;
    SGliderMount
        mounts[kMountCount]; // "FIRE", "FIRE1", "LIGHTGUN", "LIGHTGUN1", "HEAVYGUN", "HEAVYGUN1", "ROCKET"
    int32_t mountCorners[3][4]; // placement data of "FIRE", "FIRE1", "LIGHTGUN"
    int32_t pointCount; // the body's damage pieces, at most kMaxPoints
    uint32_t pointMasks[kMaxPoints];
    Vec3 points[kMaxPoints];
    float price; // PRICE
    float restore; // RESTORE
    uint8_t specialB; // bit 1 of SPECIAL clear
    uint8_t specialA; // bit 0 of SPECIAL clear and STANDARD above 2
};

class CGliderManager : public CZJTypeManager<SGliderType> {
public:
    static constexpr const char* kMountNames[SGliderType::kMountCount]
        = { "FIRE", "FIRE1", "LIGHTGUN", "LIGHTGUN1", "HEAVYGUN", "HEAVYGUN1", "ROCKET" };

    CGliderManager();
    void Init(const char* table) override;
    CZJObject* CreateObject(NameKey32 typeId, const float* placement, const char* propertyText) override;
    // A remote glider with a machine group of its own; the type "_DEFAULT_" for row index -1.
    CZJObject* CreateNetObject(const uint8_t* record) override;

    // Mode 1: STANDARD above 2; any other mode true. A bad row throws.
    bool CheckStandard(int row, int mode);
    // First-use preparation of a row (nothing for -1 or a row without a model).
    void InitGlider(int row);
};

extern CGliderManager g_GliderManager;
