#include "world/db/CStoneManager.h"

#include "foundation/CallTrace.h"
#include "platform/win/text.h"
#include "world/db/FactoryHelpers.h"
#include "world/db/ResourceIds.h"
#include "world/objects/CStoneObject.h"

namespace {

constexpr SField<SStoneType> kFields[] = {
    { "Model", &SStoneType::model, FindModelId },
    { "Fly", CP1251("Летающий"), &SStoneType::flying, EField::Flag },
    { "NOMAPCOLOR", CP1251("НеМеняетЦвет"), &SStoneType::noMapColor, EField::Flag },
};
constexpr SPropertyText kText { "\r\n", true, true };

} // namespace

CStoneManager g_StoneManager;

CStoneManager::CStoneManager()
    : CZJTypeManager(3, kFields, &kText)
{
}

void CStoneManager::Init(const char* table)
{
    ZJ_TRACE("CStoneManager::Init");
    ReadRows(table);
}

CZJObject* CStoneManager::CreateObject(NameKey32 typeId, const float* placement, const char* propertyText)
{
    return CreateObjectOf<CStoneObject>(typeId, placement, propertyText);
}
