#include "world/db/CMissileManager.h"

#include "foundation/CallTrace.h"
#include "world/db/CExploManager.h"
#include "world/db/FactoryHelpers.h"
#include "world/db/NetRecordFields.h"
#include "world/db/ResourceIds.h"
#include "world/objects/CMissileObject.h"

#include <cstring>

CMissileManager g_MissileManager;

void CMissileManager::Init(const char* table)
{
    ZJ_TRACE("CMissileManager::Init");
    BeginRows(table);
    for (int i = 0; i < m_rowCount; ++i) {
        const char* section = m_rowNames.GetString(i);
        SMissileType& row = m_rows.At(i);
        RowRead::Name(section, "Model", row.model);
        row.kind = RowRead::Int(section, "TYPE");
        RowRead::Name(section, "Texture", row.texture);
        RowRead::Name(section, "Texture2", row.texture2);
        row.speed = RowRead::Float(section, "SPEED");
        row.damage = RowRead::Float(section, "DAMAGE");
        row.numState = RowRead::Int(section, "NUMSTATE");
        if (row.numState == 0)
            row.numState = 1;
        row.scale = RowRead::FloatOr(section, "SCALE", 1.0f);
        RowRead::Name(section, "EXPLO", row.explosion);
        row.rotate = RowRead::Float(section, "ROTATE");
        row.t = RowRead::Float(section, "T");
        row.weight = RowRead::Float(section, "WEIGHT");
        RowRead::Name(section, "SOUND", row.sound);
        row.price = RowRead::Float(section, "PRICE");
        row.noTrade = RowRead::Flag(section, "NOTRADE");
        row.icon = RowRead::Int(section, "ICON");
        row.standard = RowRead::Int(section, "STANDARD");
        row.subType = RowRead::Int(section, "SUBTYPE");
        RowRead::Name(section, "SUBMISSILE", row.subMissile);
    }
    auto findExplosion = [](const char* name) { return g_ExploManager.FindRow(name); };
    auto findMissile = [this](const char* name) { return FindRow(name); };
    for (SMissileType& row : m_rows) {
        row.model.Resolve(FindModelId);
        row.texture.Resolve(FindTextureId);
        row.texture2.Resolve(FindTextureId);
        row.explosion.Resolve(findExplosion);
        row.sound.Resolve(FindSoundId);
        row.subMissile.Resolve(findMissile);
    }
}

CZJObject* CMissileManager::CreateObject(NameKey32 typeId, const float* placement, const char* propertyText)
{
    auto object = std::make_unique<CMissileObject>();
    CopyPropertyText(*object, propertyText);
    object->Init(placement, typeId);
    return AddToObjectList(std::move(object));
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
    missile->localHit = 0;
    CMissileObject* added = AddToObjectList(std::move(missile));
    ObjectList.AddToExtraList(added);
    return added;
}
