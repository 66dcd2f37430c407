// The equipment: table "Оборудование", one SEquipmentType per row (-1 none). The class numbers and
// the three values belong to the machines' equipment code.
#pragma once

#include "foundation/DefaultManager.h"
#include "foundation/XDynamicArray.h"
#include "world/db/TypeRow.h"

struct SEquipmentType {
    int32_t equipmentClass; // TYPE, 5 when 0
    float weight; // WEIGHT
    int32_t standard; // STANDARD
    SNameRef32 model; // MODEL
    float power; // POWER
    float value1; // VALUE1
    float value2; // VALUE2
    float value3; // VALUE3
    float damageCapacity; // DAMAGE
    uint8_t manual; // MANUAL = 1
    float price; // PRICE
    uint8_t noTrade; // NOTRADE = 1
    int32_t icon; // ICON
    uint8_t lamp; // LAMP = 1: a cockpit lamp shows the item's icon while it is active
};

class CEquipmentManager : public DefaultManager {
public:
    void Init(const char* table) override;
    // Bounds-tested.
    SEquipmentType& GetEquipment(int index) { return m_items.At(index); }
    int EquipmentCount() const { return m_items.Count(); }
    int FindRow(const char* name) const { return m_rowNames.Find(name); }

private:
    XDynamicArray<SEquipmentType> m_items;
};

extern CEquipmentManager g_EquipmentManager;
