#include "world/db/PlayerEquipmentFlags.h"

#include "world/db/CEquipment.h"

#include <cstring>

const char* const EquipmentFlagNames[kEqpSpare] = {
    "EQP_ACCELERATOR",
    "EQP_ANALYZER",
    "EQP_ANCHOR",
    "EQP_ANTIROCKET_SYSTEM",
    "EQP_BOOSTER",
    "EQP_BRAKE_BOOSTER",
    "EQP_CONTROL_BOOSTER",
    "EQP_CRYOGENERATOR",
    "EQP_RADIATION_SHIELD",
    "EQP_ELM_STABILIZER",
    "EQP_UNIVERSAL_SHIELD",
    "EQP_DISPERSE_SHIELD",
    "EQP_ENERGY_RECYCLER",
    "EQP_FUEL_EXPANDER",
    "EQP_HI-POWER_ANTIGRAV",
    "EQP_INVISIBILITY_SHIELD",
    "EQP_MOBILIZER",
    "EQP_QUANTUM_TRANSLATOR",
    "EQP_JUMP_CONCENTRATOR",
    "EQP_ZERO_THICKENER",
};

uint32_t PlayerEquipmentFlags[kEquipmentFlagCount] = {};

void SetPlayerEquipmentFlags(const CEquipment* const* mounted, int count, const char* armourName)
{
    std::memset(PlayerEquipmentFlags, 0, sizeof PlayerEquipmentFlags);
    for (int i = 0; i < count; ++i) {
        const char* name = mounted[i]->Name();
        for (int flag = 0; flag < kEqpSpare; ++flag)
            if (std::strcmp(name, EquipmentFlagNames[flag]) == 0)
                PlayerEquipmentFlags[flag] = 1;
    }
    if (std::strstr(armourName, "ZERO") == nullptr) {
        PlayerEquipmentFlags[kEqpEnergyRecycler] = 0;
        PlayerEquipmentFlags[kEqpZeroThickener] = 0;
    }
}
