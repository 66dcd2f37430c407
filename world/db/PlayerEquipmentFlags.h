// The player's equipment flags: 21 words set from the names of the mounted items of the player's
// machine, read by the machine record, the glider and the menus.
#pragma once

#include <cstdint>

class CEquipment;

enum EquipmentFlag : int {
    kEqpAccelerator,
    kEqpAnalyzer,
    kEqpAnchor,
    kEqpAntirocketSystem,
    kEqpBooster,
    kEqpBrakeBooster,
    kEqpControlBooster,
    kEqpCryogenerator,
    kEqpRadiationShield,
    kEqpElmStabilizer,
    kEqpUniversalShield,
    kEqpDisperseShield,
    kEqpEnergyRecycler,
    kEqpFuelExpander,
    kEqpHiPowerAntigrav,
    kEqpInvisibilityShield,
    kEqpMobilizer,
    kEqpQuantumTranslator,
    kEqpJumpConcentrator,
    kEqpZeroThickener,
    kEqpSpare,
    kEquipmentFlagCount
};

// The equipment name that sets each flag but the spare one.
extern const char* const EquipmentFlagNames[kEqpSpare];

extern uint32_t PlayerEquipmentFlags[kEquipmentFlagCount];

// Clears every flag, sets those whose name a mounted item carries exactly, then clears the energy
// recycler and zero thickener again unless the armour's name contains "ZERO".
void SetPlayerEquipmentFlags(const CEquipment* const* mounted, int count, const char* armourName);
