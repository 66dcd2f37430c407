#include "world/db/CTreeManager.h"

#include "foundation/CallTrace.h"
#include "platform/win/text.h"
#include "world/db/FactoryHelpers.h"
#include "world/db/ResourceIds.h"
#include "world/objects/CTreeObject.h"

namespace {

constexpr SField<STreeType> kFields[] = {
    { "Model", &STreeType::model, FindModelId },
    { "Flexibility", CP1251("Гибкость"), &STreeType::flexibility, EField::Float, 1 },
    { "NOSOLID", CP1251("БезПересечений"), &STreeType::noSolid, EField::Flag },
};
constexpr SPropertyText kText { "\r\n", false, true };

} // namespace

CTreeManager g_TreeManager;

CTreeManager::CTreeManager()
    : CZJTypeManager(4, kFields, &kText)
{
}

void CTreeManager::Init(const char* table)
{
    ZJ_TRACE("CTreeManager::Init");
    ReadRows(table);
}

CZJObject* CTreeManager::CreateObject(NameKey32 typeId, const float* placement, const char* propertyText)
{
    return CreateObjectOf<CTreeObject>(typeId, placement, propertyText);
}
