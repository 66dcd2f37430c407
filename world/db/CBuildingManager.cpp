#include "world/db/CBuildingManager.h"

#include "foundation/CallTrace.h"
#include "world/db/FactoryHelpers.h"
#include "world/db/PropertyText.h"
#include "world/db/ResourceIds.h"
#include "world/objects/CBuildingObject.h"

CBuildingManager g_BuildingManager;

void CBuildingManager::Init(const char* table)
{
    ZJ_TRACE("CBuildingManager::Init");
    BeginRows(table);
    for (int i = 0; i < m_rowCount; ++i) {
        const char* section = m_rowNames.GetString(i);
        SBuildingType& row = m_rows.At(i);
        RowRead::Name(section, "Model", row.model);
        row.radiates = RowRead::Int(section, "NORADIATE") == 0 ? 1 : 0;
        row.prepared = 0;
        row.reverseOpen = RowRead::Flag(section, "ReverseOpen");
        row.kind = RowRead::Int(section, "TYPE");
        RowRead::Name(section, "SOUND", row.sound);
        row.doorAnimation = -1;
    }
    for (SBuildingType& row : m_rows) {
        row.model.Resolve(FindModelId);
        row.sound.Resolve(FindSoundId);
    }
}

CZJObject* CBuildingManager::CreateObject(NameKey32 typeId, const float* placement, const char* propertyText)
{
    auto object = std::make_unique<CBuildingObject>();
    object->Init(placement, typeId, propertyText);
    return AddToObjectList(std::move(object));
}

std::string CBuildingManager::DescribeRow(int row)
{
    const bool noRadiate = row != -1 && !GetDesc(row).radiates;
    return std::string("NORADIATE=") + (noRadiate ? "1" : "0") + "\n";
}

int CBuildingManager::UpdateRowFromText(const char* section, const XStringTable& lines)
{
    static const SPropertyKey keys[] = { { "NORADIATE", "NORADIATE", SPropertyKey::NonZeroFlag } };
    return UpdateRowFromLines(m_tableName, section, lines, keys, std::size(keys));
}
