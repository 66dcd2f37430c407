#include "world/db/LightManager.h"

#include "foundation/CallTrace.h"
#include "platform/win/text.h"
#include "world/db/FactoryHelpers.h"
#include "world/db/SPlacedObject.h"
#include "world/objects/CLightObject.h"

#include <cstdio>
#include <cstring>

LightManager g_LightManager;

void LightManager::Init(const char*)
{
    ZJ_TRACE("LightManager::Init");
    DeleteLogWriter();
    std::snprintf(m_tableName, sizeof m_tableName, "%s", CP1251("Источники света"));
    m_rowNames.Init(1, 32);
    m_rowNames.Add(CP1251("Источник"));
    m_rowCount = 1;
    m_row = SLightType {};
    m_row.model.SetIndex(-1);
    m_row.number = 62;
    std::snprintf(m_row.name, sizeof m_row.name, "%s", CP1251("Источник"));
}

CZJObject* LightManager::CreateObject(NameKey32 typeId, const float* placement, const char*)
{
    return CreateObjectOf<CLightObject>(typeId, placement, nullptr);
}

void LightManager::LoadObjects()
{
    ZJ_TRACE("LightManager::LoadObjects");
    const uint32_t count = ReadBlockHead(sizeof(SPlacedObject), 0, "light count");
    XDynamicArray<SPlacedObject> records;
    records.SetSize(int(count));
    for (uint32_t i = 0; i < count; ++i)
        ReadPlacedObject(records.At(int(i)));
    for (SPlacedObject& record : records) {
        plat::win::MakeUpper1251(record.propertyText, std::strlen(record.propertyText));
        CreateObject(record.TypeKey(), record.placement, record.propertyText);
    }
}
