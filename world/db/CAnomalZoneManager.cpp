#include "world/db/CAnomalZoneManager.h"

#include "foundation/CallTrace.h"
#include "world/db/FactoryHelpers.h"
#include "world/db/ResourceIds.h"
#include "world/db/SPlacedObject.h"
#include "world/objects/CAnomalZoneObject.h"
#include "world/objects/CAnomalZonePoint.h"

namespace {

constexpr SField<SAnomalZoneType> kFields[] = {
    { "Model", &SAnomalZoneType::model, FindModelId },
    { "TYPE", "TYPE", &SAnomalZoneType::kind, EField::Int },
    { "FORCE", "FORCE", &SAnomalZoneType::force, EField::Float },
};
constexpr SPropertyText kText { "\n", true, false };

} // namespace

CAnomalZoneManager g_AnomalZoneManager;

CAnomalZoneManager::CAnomalZoneManager()
    : CZJTypeManager(20, kFields, &kText)
{
}

void CAnomalZoneManager::Init(const char* table)
{
    ZJ_TRACE("CAnomalZoneManager::Init");
    ReadRows(table);
}

CZJObject* CAnomalZoneManager::CreateObject(NameKey32 typeId, const float* placement, const char* propertyText)
{
    return CreateObjectOf<CAnomalZoneObject>(typeId, placement, propertyText);
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
