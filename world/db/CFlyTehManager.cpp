#include "world/db/CFlyTehManager.h"

#include "foundation/CallTrace.h"
#include "world/db/FactoryHelpers.h"
#include "world/db/ResourceIds.h"
#include "world/objects/CFlyTehObject.h"

#include <cstdio>

CFlyTehManager g_FlyTehManager;

void CFlyTehManager::Init(const char* table)
{
    ZJ_TRACE("CFlyTehManager::Init");
    DeleteLogWriter();
    std::snprintf(m_tableName, sizeof m_tableName, "%s", table ? table : "");
    m_rowNames.Init(1, 32);
    m_rowNames.Add("FTO_OBSERVER");
    m_rowCount = 1;
    m_rows.SetSize(1);
    SFlyTehType& row = m_rows.At(0);
    row.model.SetIndex(FindModelId("MOD_TEH_OBSERVER"));
    row.sound.SetIndex(FindSoundId("SND_FLY_OBSERVER"));
}

CZJObject* CFlyTehManager::CreateObject(NameKey32 typeId, const float* placement, const char*)
{
    return CreateObjectOf<CFlyTehObject>(typeId, placement, nullptr);
}
