#include "world/db/CHelperManager.h"

#include "foundation/CallTrace.h"
#include "world/db/FactoryHelpers.h"
#include "world/db/PropertyText.h"
#include "world/db/ResourceIds.h"
#include "world/db/SPlacedObject.h"
#include "world/objects/CHelperObject.h"
#include "world/objects/CHelperPoint.h"

CHelperManager g_HelperManager;

void CHelperManager::Init(const char* table)
{
    ZJ_TRACE("CHelperManager::Init");
    BeginRows(table);
    for (int i = 0; i < m_rowCount; ++i) {
        const char* section = m_rowNames.GetString(i);
        SHelperType& row = m_rows.At(i);
        RowRead::Name(section, "Model", row.model);
        row.kind = RowRead::Int(section, "TYPE");
    }
    for (SHelperType& row : m_rows)
        row.model.Resolve(FindModelId);
}

CZJObject* CHelperManager::CreateObject(NameKey32 typeId, const float* placement, const char* propertyText)
{
    auto object = std::make_unique<CHelperObject>();
    CopyPropertyText(*object, propertyText);
    object->Init(placement, typeId);
    return AddToObjectList(std::move(object));
}

void CHelperManager::LoadObjects()
{
    ZJ_TRACE("CHelperManager::LoadObjects");
    const uint32_t count = ReadBlockHead(sizeof(SPlacedObject), 0, "helper count");
    for (uint32_t i = 0; i < count; ++i) {
        SPlacedObject record;
        ReadPlacedObject(record);
        const int row = FindRow(record.typeId);
        if (row < 0)
            continue;
        ObjectList.AddBuilding(new CHelperPoint(record.placement, record.propertyText, m_rows.At(row).kind));
    }
}

std::string CHelperManager::DescribeRow(int row)
{
    return "TYPE=" + std::to_string(GetDesc(row).kind) + "\n";
}

int CHelperManager::UpdateRowFromText(const char* section, const XStringTable& lines)
{
    static const SPropertyKey keys[] = { { "TYPE", "TYPE", SPropertyKey::Integer } };
    return UpdateRowFromLines(m_tableName, section, lines, keys, std::size(keys));
}
