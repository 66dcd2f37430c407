#include "world/db/CGunManager.h"

#include "foundation/CallTrace.h"
#include "world/db/CExploManager.h"
#include "world/db/CMissileManager.h"
#include "world/db/FieldTable.h"
#include "world/db/ResourceIds.h"

#include <iterator>

namespace {

constexpr SField<SGunType> kFields[] = {
    { "Model", &SGunType::model, FindModelId },
    { "FXMODEL", &SGunType::effectModel, FindModelId },
    { "IDSOUND", &SGunType::sound, FindSoundId },
    { "IDSOUNDEND", &SGunType::endSound, FindSoundId },
    { "Standard", &SGunType::standard, EField::Int },
    { "TYPE", &SGunType::weaponClass, EField::Int },
    { "DoubleGun", &SGunType::doubleGun, EField::Flag },
    { "ShootScale", &SGunType::shotScale, EField::FloatOr, 1 },
    { "XSTATE", &SGunType::fanSize, EField::Int },
    { "ShootType", &SGunType::shotKind, EField::Int },
    { "RATEOFFIRE", &SGunType::rateOfFire, EField::Float },
    { "MISSILE", &SGunType::projectile, FindRowIn<g_MissileManager> },
    { "EXPLO", &SGunType::explosion, FindRowIn<g_ExploManager> },
    { "DAMAGE", &SGunType::damage, EField::Float },
    { "OPENTIME", &SGunType::openTime, EField::FloatOr, 1 },
    { "POWER", &SGunType::power, EField::Float },
    { "SPARE", &SGunType::ammoCapacity, EField::Float },
    { "RECONSTRUCTION", &SGunType::reloadRate, EField::Float },
    { "TFIRE", &SGunType::fireTime, EField::FloatOr, 10 },
    { "TYPEARMS", &SGunType::usesAmmo, EField::Flag },
    { "VTYPE", &SGunType::continuous, EField::Flag },
    { "MAXDISTANCE", &SGunType::range, EField::Float },
    { "NOTRADE", &SGunType::noTrade, EField::Flag },
    { "PRICE", &SGunType::price, EField::Float },
    { "MASSA", &SGunType::mass, EField::FloatOr, 20 },
    { "ICON", &SGunType::icon, EField::Int },
};

constexpr const char* kColorKeys[] = { "RColor", "GColor", "BColor" };
constexpr const char* kShotTextureKeys[] = { "ShootTex", "ShootTex1", "ShootTex2", "ShootTex3" };

} // namespace

CGunManager g_GunManager;

void CGunManager::Init(const char* table)
{
    ZJ_TRACE("CGunManager::Init");
    DefaultManager::Init(table);
    m_guns.SetSize(m_rowCount);
    ReadTable(m_rowNames, m_guns, kFields, [](const char* section, SGunType& gun) {
        if (gun.weaponClass == 0)
            gun.doubleGun = 1;
        for (size_t c = 0; c < std::size(kColorKeys); ++c)
            gun.color[c] = RowRead::Float(section, kColorKeys[c]);
        gun.color[3] = 1.0f;
        for (size_t t = 0; t < std::size(kShotTextureKeys); ++t)
            RowRead::Name(section, kShotTextureKeys[t], gun.shotTextures[t]);
        // RATEOFFIRE is per minute.
        gun.rateOfFire *= 0.016666668f;
        if (gun.rateOfFire == 0.0f)
            gun.rateOfFire = 1.0f;
        gun.coolTime = RowRead::FloatOr(section, "TCHARGE", 2.0f * gun.fireTime);
    });
    for (SGunType& gun : m_guns) {
        gun.prepared = 0;
        for (SNameRef32& texture : gun.shotTextures)
            texture.Resolve(FindTextureId);
        gun.hasOpenAnimation = 0;
    }
}
