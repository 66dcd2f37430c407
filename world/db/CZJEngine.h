// CZJEngine: the world database. Once at start-up it fills every type table from the record
// database in a fixed order, reads the glider sound settings from cfg.ini and resolves the
// well-known resource ids; then it loads locations (the objects file and the map file) and makes
// objects that arrive from the network. One global object, ZJEngine. Main thread only.
#pragma once

#include "foundation/NameKey32.h"

#include "world/db/SLocMusic.h"

#include <cstdint>

class CBuildingObject;
class CZJObject;
class DefaultManager;

// The location action a building publishes when the player's glider stands in its entrance; the
// game flow and the building menu read and clear it.
struct SPendingAction {
    uint8_t actionPending = 0; // the entrance flag
    uint32_t actionCode = 0; // 1: enter the building
    NameKey32 actionBuilding {}; // the building's name
    NameKey32 actionBuildingType {}; // its type id
};

// Set by CZJEngine::LoadConfig: cfg.ini [ZJCONFIG] FIXCURSOR is 1.
extern uint8_t g_FixCursor;

class CZJEngine {
public:
    // The first group of well-known ids.
    enum WellKnown1 {
        kGunBombLauncher,
        kGunRocketLauncher,
        kSndBldDoorOpen,
        kSndPickUpThing,
        kTexSunFront,
        kTexSunBack,
        kWellKnown1Count
    };
    // The second group.
    enum WellKnown2 {
        kEqpAntirocketSystem,
        kEqpInvisibilityShield,
        kEqpBooster,
        kEqpAnalyzer,
        kTexFxRocketSmoke,
        kTexFxWaterDust,
        kModGlFire,
        kTexGlFireGlow,
        kTexFireGlow2,
        kModFxForce3,
        kModFxRocketFire,
        kTexLampShadow,
        kTexLampGlow,
        kTexLampFlare,
        kModGunCorbel,
        kTexFxHaosParticle,
        kTexFxBorder,
        kTexExpMask,
        kModFxPodbor,
        kTexKptPricel,
        kTexKptPricelGreen,
        kTexKtAll,
        kTexKtIcons,
        kMusObserver,
        kWellKnown2Count
    };

    // One step of the type-table load: its number, the table name passed and the manager filled.
    struct SInitStep {
        int step;
        const char* table;
        DefaultManager* manager;
    };
    static constexpr int kInitStepCount = 21;
    static const SInitStep* InitSteps();
    // The names of the well-known ids.
    static const char* WellKnownName1(int i);
    static const char* WellKnownName2(int i);

    CZJEngine();

    // Where a travel goes: the destination location file, set by the building menu; the building
    // the player arrives in is pendingAction.actionBuilding (empty: the location's tunnel building).
    char destinationFile[64] = {};

    // Every type table in its order, then LoadConfig, then ResolveResourceIds; returns the last
    // id resolved ("MUS_OBSERVER").
    int32_t ZJInit();
    // The glider sound settings of cfg.ini under the data directory; signed integers.
    void LoadConfig();
    int32_t ResolveResourceIds();

    // Loads the location whose map file is name (under the data directory): the objects file (the
    // name with its last character replaced by 'o'), then the map file, which stays open for cell
    // streaming. Returns the result of that open. A missing file or a short or corrupt objects
    // file logs a line and throws.
    int Load(const char* name);
    // The object blocks of the open objects file.
    void ZJLoadObjects();
    // A glider (14), a projectile (16) or a thing (21) from an object network record; null for
    // any other kind.
    CZJObject* CreateNetObject(const uint8_t* record);

    SPendingAction pendingAction;
    CBuildingObject* currentBuilding = nullptr; // the building of the pending action

    int32_t ids1[kWellKnown1Count];
    int32_t soploSounds[4]; // nozzle sound ids
    float soploMinVolume;
    float soploMidSpan; // middle - minimum
    float soploMaxSpan; // maximum - middle
    float modPeriod; // seconds
    float modForce; // half the configured fraction
    float playerFade;
    int32_t engineSound;
    float engineMinVolume;
    float engineMaxVolume;
    float engineMinFreq; // Hz
    float engineMaxFreq; // Hz
    float engineMaxSpeed;
    int32_t ids2[kWellKnown2Count];
    SLocMusic music;
    // The object that destroyed the player's machine; 0 none. The game flow clears it at respawn.
    int32_t killerId = 0;
};

extern CZJEngine ZJEngine;
