#include "world/db/CBuildingManager.h"

#include "foundation/CallTrace.h"
#include "world/db/FactoryHelpers.h"
#include "world/db/ResourceIds.h"
#include "world/objects/CBuildingObject.h"

namespace {

constexpr SField<SBuildingType> kFields[] = {
    { "Model", &SBuildingType::model, FindModelId },
    { "NORADIATE", "NORADIATE", &SBuildingType::radiates, EField::Unset },
    { "ReverseOpen", &SBuildingType::reverseOpen, EField::Flag },
    { "TYPE", &SBuildingType::kind, EField::Int },
    { "SOUND", &SBuildingType::sound, FindSoundId },
};
constexpr SPropertyText kText { "\n", true, true };

} // namespace

CBuildingManager g_BuildingManager;

CBuildingManager::CBuildingManager()
    : CZJTypeManager(11, kFields, &kText)
{
}

void CBuildingManager::Init(const char* table)
{
    ZJ_TRACE("CBuildingManager::Init");
    ReadRows(table, [](const char*, SBuildingType& row) {
        row.prepared = 0;
        row.doorAnimation = -1;
    });
}

CZJObject* CBuildingManager::CreateObject(NameKey32 typeId, const float* placement, const char* propertyText)
{
    return CreateObjectOf<CBuildingObject>(typeId, placement, propertyText, this);
}
