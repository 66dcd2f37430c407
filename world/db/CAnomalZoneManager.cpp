#include "world/db/CAnomalZoneManager.h"

#include "foundation/CallTrace.h"
#include "world/db/FactoryHelpers.h"
#include "world/db/ResourceIds.h"
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

CZJObject* CAnomalZoneManager::CreateObject(
    NameKey32 typeId, const float* placement, const char* propertyText)
{
    return CreateObjectOf<CAnomalZoneObject>(typeId, placement, propertyText);
}

void CAnomalZoneManager::LoadObjects()
{
    ZJ_TRACE("CAnomalZoneManager::LoadObjects");
    ReadKnownObjects("anomaly count", [](const SPlacedObject& record, int) {
        ObjectList.AddHelperPoint(
            new CAnomalZonePoint(record.TypeKey(), record.placement, record.propertyText));
    });
}
