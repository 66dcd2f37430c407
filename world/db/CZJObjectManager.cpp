#include "world/db/CZJObjectManager.h"

#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "platform/win/text.h"
#include "world/db/CStoneManager.h"
#include "world/db/SPlacedObject.h"

#include <cstdio>
#include <cstring>

CZJObject* CZJObjectManager::CreateObject(NameKey32, const float*, const char*)
{
    return nullptr;
}

CZJObject* CZJObjectManager::CreateNetObject(const uint8_t*)
{
    return nullptr;
}

std::string CZJObjectManager::DescribeRow(int)
{
    return {};
}

int CZJObjectManager::UpdateRowFromText(const char*, const XStringTable& lines)
{
    return lines.Count();
}

void CZJObjectManager::LoadObjects()
{
    ZJ_TRACE("CZJObjectManager::LoadObjects");
    const uint32_t count = ReadBlockHead(sizeof(SPlacedObject), 0, "record count");
    XDynamicArray<SPlacedObject> records;
    records.SetSize(int(count));
    for (uint32_t i = 0; i < count; ++i)
        ReadPlacedObject(records.At(int(i)));
    for (SPlacedObject& record : records) {
        if (FindRow(record.typeId) >= 0) {
            plat::win::MakeUpper1251(record.propertyText, std::strlen(record.propertyText));
            CreateObject(record.TypeKey(), record.placement, record.propertyText);
            continue;
        }
        char line[96];
        std::snprintf(line, sizeof line, CP1251("Не найден идентификатор '%s'"), record.typeId);
        WriteErrorLog(line);
        if (g_StoneManager.FindRow(record.typeId) >= 0) {
            plat::win::MakeUpper1251(record.propertyText, std::strlen(record.propertyText));
            g_StoneManager.CreateObject(record.TypeKey(), record.placement, record.propertyText);
        }
    }
}
