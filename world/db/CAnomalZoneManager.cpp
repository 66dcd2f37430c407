#include "world/db/CAnomalZoneManager.h"

#include "foundation/CallTrace.h"
#include "world/db/FactoryHelpers.h"
#include "world/db/PropertyText.h"
#include "world/db/ResourceIds.h"
#include "world/db/SPlacedObject.h"
#include "world/objects/CAnomalZoneObject.h"
#include "world/objects/CAnomalZonePoint.h"

#include <cstdio>

CAnomalZoneManager g_AnomalZoneManager;

void CAnomalZoneManager::Init(const char* table)
{
    ZJ_TRACE("CAnomalZoneManager::Init");
    BeginRows(table);
    for (int i = 0; i < m_rowCount; ++i) {
        const char* section = m_rowNames.GetString(i);
        SAnomalZoneType& row = m_rows.At(i);
        RowRead::Name(section, "Model", row.model);
        row.kind = RowRead::Int(section, "TYPE");
        row.force = RowRead::Float(section, "FORCE");
    }
    for (SAnomalZoneType& row : m_rows)
        row.model.Resolve(FindModelId);
}

CZJObject* CAnomalZoneManager::CreateObject(NameKey32 typeId, const float* placement, const char* propertyText)
{
    auto object = std::make_unique<CAnomalZoneObject>();
    object->Init(placement, typeId);
    CopyPropertyText(*object, propertyText);
    return AddToObjectList(std::move(object));
}

void CAnomalZoneManager::LoadObjects()
{
    ZJ_TRACE("CAnomalZoneManager::LoadObjects");
    const uint32_t count = ReadBlockHead(sizeof(SPlacedObject), 0, "anomaly count");
    for (uint32_t i = 0; i < count; ++i) {
        SPlacedObject record;
        ReadPlacedObject(record);
        if (FindRow(record.typeId) < 0)
            continue;
        ObjectList.AddBuilding(new CAnomalZonePoint(record.TypeKey(), record.placement, record.propertyText));
    }
}

std::string CAnomalZoneManager::DescribeRow(int row)
{
    const SAnomalZoneType& desc = m_rows.At(row);
    char text[96];
    std::snprintf(text, sizeof text, "TYPE=%d\nFORCE=%f\n", desc.kind, double(desc.force));
    return text;
}

int CAnomalZoneManager::UpdateRowFromText(const char* section, const XStringTable& lines)
{
    static const SPropertyKey keys[] = {
        { "TYPE", "TYPE", SPropertyKey::Integer },
        { "FORCE", "FORCE", SPropertyKey::Float },
    };
    return UpdateRowFromLines(m_tableName, section, lines, keys, std::size(keys));
}
