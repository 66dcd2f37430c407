#include "world/db/CSoundZoneManager.h"

#include "foundation/CallTrace.h"
#include "platform/win/text.h"
#include "world/db/FactoryHelpers.h"
#include "world/db/ResourceIds.h"
#include "world/objects/CSoundZonePoint.h"

namespace {

constexpr SField<SSoundZoneType> kFields[] = {
    { "Model", &SSoundZoneType::sound, FindSoundId },
    { "LOOP", CP1251("Зацикленный"), &SSoundZoneType::loop, EField::Flag },
    { "RANDOM", CP1251("Случайный"), &SSoundZoneType::random, EField::Flag },
    { "PERIOD", CP1251("Период"), &SSoundZoneType::period, EField::FloatOr, 10 },
    { "LENGTH", CP1251("Продолжительность"), &SSoundZoneType::length, EField::FloatOr, 5 },
};
constexpr SPropertyText kText { "\r\n", true, true };

} // namespace

CSoundZoneManager g_SoundZoneManager;

CSoundZoneManager::CSoundZoneManager()
    : CZJTypeManager(24, kFields, &kText)
{
}

void CSoundZoneManager::Init(const char* table)
{
    ZJ_TRACE("CSoundZoneManager::Init");
    ReadRows(table);
}

CZJObject* CSoundZoneManager::CreateObject(NameKey32 typeId, const float* placement, const char* propertyText)
{
    ObjectList.AddHelperPoint(new CSoundZonePoint(typeId, placement, propertyText));
    return nullptr;
}
