#include "world/db/CTowerManager.h"

#include "foundation/CallTrace.h"
#include "world/db/CGunManager.h"
#include "world/db/FactoryHelpers.h"
#include "world/db/ResourceIds.h"
#include "world/objects/CTowerObject.h"

#include <numbers>

namespace {

constexpr SField<STowerType> kFields[] = {
    { "Model", &STowerType::model, FindModelId, "CTowerManager::Init Model not found: " },
    { "PostModel", &STowerType::postModel, FindModelId },
    { "GUN", &STowerType::gun, FindRowIn<g_GunManager> },
    { "SOUND", &STowerType::sound, FindSoundId },
};

} // namespace

CTowerManager g_TowerManager;

CTowerManager::CTowerManager()
    : CZJTypeManager(22, kFields)
{
}

void CTowerManager::Init(const char* table)
{
    ZJ_TRACE("CTowerManager::Init");
    ReadRows(table, [](const char*, STowerType& row) {
        row.range = 500.0f;
        row.turnSpeed = 0.25f * std::numbers::pi_v<float>;
        row.fxPart = -1;
        row.prepared = 0;
        for (int32_t& corner : row.fxCorners)
            corner = -1;
    });
}

CZJObject* CTowerManager::CreateObject(NameKey32 typeId, const float* placement, const char* propertyText)
{
    ZJ_TRACE("CTowerManager::CreateObject");
    return CreateObjectOf<CTowerObject>(typeId, placement, propertyText);
}
