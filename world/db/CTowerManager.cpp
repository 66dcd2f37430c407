#include "world/db/CTowerManager.h"

#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "world/db/CGunManager.h"
#include "world/db/FactoryHelpers.h"
#include "world/db/ResourceIds.h"
#include "world/objects/CTowerObject.h"

#include <cstdio>
#include <numbers>

CTowerManager g_TowerManager;

namespace {

template <size_t N> void ResolveModel(SNameField<N>& field)
{
    field.text[sizeof field.text - 1] = '\0';
    const int32_t index = FindModelId(field.text);
    if (index < 0) {
        char line[160];
        std::snprintf(line, sizeof line, "CTowerManager::Init Model not found: %s", field.text);
        WriteErrorLog(line);
    }
    field.SetIndex(index);
}

} // namespace

void CTowerManager::Init(const char* table)
{
    ZJ_TRACE("CTowerManager::Init");
    BeginRows(table);
    for (int i = 0; i < m_rowCount; ++i) {
        const char* section = m_rowNames.GetString(i);
        STowerType& row = m_rows.At(i);
        RowRead::Name(section, "Model", row.model);
        RowRead::Name(section, "PostModel", row.postModel);
        RowRead::Name(section, "GUN", row.gun);
        row.range = 500.0f;
        row.turnSpeed = 0.25f * std::numbers::pi_v<float>;
        row.fxPart = -1;
        RowRead::Name(section, "SOUND", row.sound);
        row.prepared = 0;
        for (int32_t& corner : row.fxCorners)
            corner = -1;
    }
    auto findGun = [](const char* name) { return g_GunManager.FindRow(name); };
    for (STowerType& row : m_rows) {
        ResolveModel(row.model);
        row.postModel.Resolve(FindModelId);
        row.gun.Resolve(findGun);
        row.sound.Resolve(FindSoundId);
    }
}

CZJObject* CTowerManager::CreateObject(NameKey32 typeId, const float* placement, const char* propertyText)
{
    ZJ_TRACE("CTowerManager::CreateObject");
    auto object = std::make_unique<CTowerObject>();
    object->Init(placement, typeId, propertyText);
    return AddToObjectList(std::move(object));
}
