#include "world/db/CEquipmentManager.h"

#include "foundation/CallTrace.h"
#include "world/db/FieldTable.h"
#include "world/db/ResourceIds.h"

namespace {

constexpr SField<SEquipmentType> kFields[] = {
    { "MODEL", &SEquipmentType::model, FindModelId },
    { "STANDARD", &SEquipmentType::standard, EField::Int },
    { "TYPE", &SEquipmentType::equipmentClass, EField::IntOr, 5 },
    { "POWER", &SEquipmentType::power, EField::Float },
    { "DAMAGE", &SEquipmentType::damageCapacity, EField::Float },
    { "WEIGHT", &SEquipmentType::weight, EField::Float },
    { "VALUE1", &SEquipmentType::value1, EField::Float },
    { "VALUE2", &SEquipmentType::value2, EField::Float },
    { "VALUE3", &SEquipmentType::value3, EField::Float },
    { "MANUAL", &SEquipmentType::manual, EField::Flag },
    { "PRICE", &SEquipmentType::price, EField::Float },
    { "NOTRADE", &SEquipmentType::noTrade, EField::Flag },
    { "ICON", &SEquipmentType::icon, EField::Int },
    { "LAMP", &SEquipmentType::lamp, EField::Flag },
};

} // namespace

CEquipmentManager g_EquipmentManager;

void CEquipmentManager::Init(const char* table)
{
    ZJ_TRACE("CEquipmentManager::Init");
    DefaultManager::Init(table);
    m_items.SetSize(m_rowCount);
    ReadTable(m_rowNames, m_items, kFields);
}
