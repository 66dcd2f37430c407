#include "world/db/CMapCoverManager.h"

#include "foundation/CallTrace.h"
#include "platform/win/text.h"
#include "world/db/FactoryHelpers.h"
#include "world/db/ResourceIds.h"
#include "world/objects/CMapCoverObject.h"

namespace {

constexpr SField<SMapCoverType> kFields[] = {
    { "Model", &SMapCoverType::texture, FindTextureId,
        CP1251("CMapCoverManager::Init Текстура не найдена: ") },
    { "TYPE", CP1251("Светящийся"), &SMapCoverType::kind, EField::Int },
    { "PERIOD", CP1251("Период"), &SMapCoverType::period, EField::Float },
};
constexpr SPropertyText kText { "\r\n", false, true };

} // namespace

CMapCoverManager g_MapCoverManager;

CMapCoverManager::CMapCoverManager()
    : CZJTypeManager(12, kFields, &kText)
{
}

void CMapCoverManager::Init(const char* table)
{
    ZJ_TRACE("CMapCoverManager::Init");
    ReadRows(table);
}

CZJObject* CMapCoverManager::CreateObject(NameKey32 typeId, const float* placement, const char*)
{
    return CreateObjectOf<CMapCoverObject>(typeId, placement, nullptr);
}
