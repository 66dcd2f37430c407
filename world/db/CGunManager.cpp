#include "world/db/CGunManager.h"

#include "foundation/CallTrace.h"
#include "world/db/CExploManager.h"
#include "world/db/CMissileManager.h"
#include "world/db/ResourceIds.h"

CGunManager g_GunManager;

void CGunManager::Init(const char* table)
{
    ZJ_TRACE("CGunManager::Init");
    DefaultManager::Init(table);
    m_guns.SetSize(m_rowCount);
    for (int i = 0; i < m_rowCount; ++i) {
        const char* section = m_rowNames.GetString(i);
        SGunType& gun = m_guns.At(i);
        RowRead::Name(section, "Model", gun.model);
        RowRead::Name(section, "FXMODEL", gun.effectModel);
        RowRead::Name(section, "IDSOUND", gun.sound);
        RowRead::Name(section, "IDSOUNDEND", gun.endSound);
        gun.standard = RowRead::Int(section, "Standard");
        gun.weaponClass = RowRead::Int(section, "TYPE");
        gun.doubleGun = RowRead::Flag(section, "DoubleGun");
        if (gun.weaponClass == 0)
            gun.doubleGun = 1;
        gun.color[0] = RowRead::Float(section, "RColor");
        gun.color[1] = RowRead::Float(section, "GColor");
        gun.color[2] = RowRead::Float(section, "BColor");
        gun.color[3] = 1.0f;
        gun.shotScale = RowRead::FloatOr(section, "ShootScale", 1.0f);
        RowRead::Name(section, "ShootTex", gun.shotTextures[0]);
        RowRead::Name(section, "ShootTex1", gun.shotTextures[1]);
        RowRead::Name(section, "ShootTex2", gun.shotTextures[2]);
        RowRead::Name(section, "ShootTex3", gun.shotTextures[3]);
        gun.fanSize = RowRead::Int(section, "XSTATE");
        gun.shotKind = RowRead::Int(section, "ShootType");
        gun.rateOfFire = RowRead::Float(section, "RATEOFFIRE") * 0.016666668f;
        if (gun.rateOfFire == 0.0f)
            gun.rateOfFire = 1.0f;
        RowRead::Name(section, "MISSILE", gun.projectile);
        RowRead::Name(section, "EXPLO", gun.explosion);
        gun.damage = RowRead::Float(section, "DAMAGE");
        gun.openTime = RowRead::FloatOr(section, "OPENTIME", 1.0f);
        gun.power = RowRead::Float(section, "POWER");
        gun.ammoCapacity = RowRead::Float(section, "SPARE");
        gun.reloadRate = RowRead::Float(section, "RECONSTRUCTION");
        gun.fireTime = RowRead::FloatOr(section, "TFIRE", 10.0f);
        gun.coolTime = RowRead::FloatOr(section, "TCHARGE", 2.0f * gun.fireTime);
        gun.usesAmmo = RowRead::Flag(section, "TYPEARMS");
        gun.continuous = RowRead::Flag(section, "VTYPE");
        gun.range = RowRead::Float(section, "MAXDISTANCE");
        gun.noTrade = RowRead::Flag(section, "NOTRADE");
        gun.price = RowRead::Float(section, "PRICE");
        gun.mass = RowRead::FloatOr(section, "MASSA", 20.0f);
        gun.icon = RowRead::Int(section, "ICON");
    }
    auto findExplosion = [](const char* name) { return g_ExploManager.FindRow(name); };
    auto findMissile = [](const char* name) { return g_MissileManager.FindRow(name); };
    for (SGunType& gun : m_guns) {
        gun.prepared = 0;
        gun.model.Resolve(FindModelId);
        gun.effectModel.Resolve(FindModelId);
        for (SNameRef32& texture : gun.shotTextures)
            texture.Resolve(FindTextureId);
        gun.explosion.Resolve(findExplosion);
        gun.projectile.Resolve(findMissile);
        gun.sound.Resolve(FindSoundId);
        gun.endSound.Resolve(FindSoundId);
        gun.hasOpenAnimation = 0;
    }
}
