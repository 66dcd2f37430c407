#include "world/db/CMissileManager.h"

#include "foundation/CallTrace.h"
#include "world/db/CExploManager.h"
#include "world/db/FactoryHelpers.h"
#include "world/db/NetRecordFields.h"
#include "world/db/ResourceIds.h"
#include "world/objects/CMissileObject.h"

#include <cstring>

namespace {

constexpr SField<SMissileType> kFields[] = {
    { "Model", &SMissileType::model, FindModelId },
    { "TYPE", &SMissileType::kind, EField::Int },
    { "Texture", &SMissileType::texture, FindTextureId },
    { "Texture2", &SMissileType::texture2, FindTextureId },
    { "SPEED", &SMissileType::speed, EField::Float },
    { "DAMAGE", &SMissileType::damage, EField::Float },
    { "NUMSTATE", &SMissileType::numState, EField::IntOr, 1 },
    { "SCALE", &SMissileType::scale, EField::FloatOr, 1 },
    { "EXPLO", &SMissileType::explosion, FindRowIn<g_ExploManager> },
    { "ROTATE", &SMissileType::rotate, EField::Float },
    { "T", &SMissileType::t, EField::Float },
    { "WEIGHT", &SMissileType::weight, EField::Float },
    { "SOUND", &SMissileType::sound, FindSoundId },
    { "PRICE", &SMissileType::price, EField::Float },
    { "NOTRADE", &SMissileType::noTrade, EField::Flag },
    { "ICON", &SMissileType::icon, EField::Int },
    { "STANDARD", &SMissileType::standard, EField::Int },
    { "SUBTYPE", &SMissileType::subType, EField::Int },
    { "SUBMISSILE", &SMissileType::subMissile, FindRowIn<g_MissileManager> },
};

} // namespace

CMissileManager g_MissileManager;

CMissileManager::CMissileManager()
    : CZJTypeManager(16, kFields)
{
}

void CMissileManager::Init(const char* table)
{
    ZJ_TRACE("CMissileManager::Init");
    ReadRows(table);
}

CZJObject* CMissileManager::CreateObject(NameKey32 typeId, const float* placement, const char* propertyText)
{
    return CreateObjectOf<CMissileObject>(typeId, placement, propertyText);
}

CZJObject* CMissileManager::CreateNetObject(const uint8_t* record)
{
    ZJ_TRACE("CMissileManager::CreateNetObject");
    const SNetRecordFields fields = SNetRecordFields::Read(record);
    if (fields.row == -1)
        return nullptr;
    auto missile = std::make_unique<CMissileObject>();
    NameKey32 typeId {};
    std::memcpy(typeId.text, &fields.row, 4);
    const Matrix4 placement = fields.Placement();
    missile->Init(placement.m, typeId);
    missile->networkId = fields.networkId;
    missile->remote = 1;
    missile->owned = 0;
    CMissileObject* added = AddToObjectList(std::move(missile));
    ObjectList.AddToExtraList(added);
    return added;
}
