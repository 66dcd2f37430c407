#include "world/db/CHelperManager.h"

#include "foundation/CallTrace.h"
#include "world/db/FactoryHelpers.h"
#include "world/db/ResourceIds.h"
#include "world/objects/CHelperObject.h"
#include "world/objects/CHelperPoint.h"

namespace {

constexpr SField<SHelperType> kFields[] = {
    { "Model", &SHelperType::model, FindModelId },
    { "TYPE", "TYPE", &SHelperType::kind, EField::Int },
};
constexpr SPropertyText kText { "\n", true, true };

} // namespace

CHelperManager g_HelperManager;

CHelperManager::CHelperManager()
    : CZJTypeManager(7, kFields, &kText)
{
}

void CHelperManager::Init(const char* table)
{
    ZJ_TRACE("CHelperManager::Init");
    ReadRows(table);
}

CZJObject* CHelperManager::CreateObject(NameKey32 typeId, const float* placement, const char* propertyText)
{
    return CreateObjectOf<CHelperObject>(typeId, placement, propertyText);
}

void CHelperManager::LoadObjects()
{
    ZJ_TRACE("CHelperManager::LoadObjects");
    ReadKnownObjects("helper count", [this](const SPlacedObject& record, int row) {
        ObjectList.AddHelperPoint(
            new CHelperPoint(record.placement, record.propertyText, m_rows.At(row).kind));
    });
}
