#include "world/db/CEquipmentManager.h"

#include "foundation/CallTrace.h"
#include "world/db/ResourceIds.h"

CEquipmentManager g_EquipmentManager;

void CEquipmentManager::Init(const char* table)
{
    ZJ_TRACE("CEquipmentManager::Init");
    DefaultManager::Init(table);
    m_items.SetSize(m_rowCount);
    for (int i = 0; i < m_rowCount; ++i) {
        const char* section = m_rowNames.GetString(i);
        SEquipmentType& item = m_items.At(i);
        RowRead::Name(section, "MODEL", item.model);
        item.standard = RowRead::Int(section, "STANDARD");
        item.equipmentClass = RowRead::Int(section, "TYPE");
        if (item.equipmentClass == 0)
            item.equipmentClass = 5;
        item.power = RowRead::Float(section, "POWER");
        item.damageCapacity = RowRead::Float(section, "DAMAGE");
        item.weight = RowRead::Float(section, "WEIGHT");
        item.value1 = RowRead::Float(section, "VALUE1");
        item.value2 = RowRead::Float(section, "VALUE2");
        item.value3 = RowRead::Float(section, "VALUE3");
        item.manual = RowRead::Flag(section, "MANUAL");
        item.price = RowRead::Float(section, "PRICE");
        item.noTrade = RowRead::Flag(section, "NOTRADE");
        item.icon = RowRead::Int(section, "ICON");
    }
    for (SEquipmentType& item : m_items)
        item.model.Resolve(FindModelId);
}
