// The weapons: table "Оружие", one SGunType per row, a weapon being its row index (-1 none). The
// runtime fields (effect points, animations, muzzle offset) come from the model the first time a
// gun of the type fires or draws (InitGun).
#pragma once

#include "foundation/DefaultManager.h"
#include "foundation/Vector.h"
#include "foundation/XDynamicArray.h"
#include "world/db/TypeRow.h"

struct SGunType {
    SNameRef32 model; // Model
    SNameRef32 effectModel; // FXMODEL
    uint8_t doubleGun; // DoubleGun = 1, or TYPE 0
    int32_t standard; // Standard
    int32_t weaponClass; // TYPE: 0 light gun (double, bracket model), 1 runs the opening cycle
    float color[4]; // RColor, GColor, BColor, 1
    uint8_t prepared;
    int32_t effectPoints[3]; // the model parts "FX", "FX1", "FX2"
    int32_t fireAnimation; // morph channel "FIRE"
    int32_t openAnimation; // morph channel "OPEN"
    Vec3 muzzleOffset; // centre of the "FX" part's mesh
    int32_t shotKind; // ShootType
    SNameRef32 shotTextures[4]; // ShootTex, ShootTex1, ShootTex2, ShootTex3
    int32_t fanSize; // XSTATE
    float shotScale; // ShootScale, 1 when 0
    float rateOfFire; // RATEOFFIRE per minute, kept per second; 1 when 0
    SNameRef32 projectile; // MISSILE: a row of "Снаряды"
    SNameRef32 explosion; // EXPLO: a row of "Взрывы"
    SNameRef32 sound; // IDSOUND
    SNameRef32 endSound; // IDSOUNDEND
    float damage; // DAMAGE
    float openTime; // OPENTIME, 1 when 0
    float power; // POWER
    float ammoCapacity; // SPARE
    float reloadRate; // RECONSTRUCTION
    float fireTime; // TFIRE, 10 when 0
    float coolTime; // TCHARGE, 2 x fire time when 0
    uint8_t usesAmmo; // TYPEARMS = 1
    uint8_t hasOpenAnimation;
    uint8_t continuous; // VTYPE = 1
    float price; // PRICE
    float range; // MAXDISTANCE
    uint8_t noTrade; // NOTRADE = 1
    float mass; // MASSA, 20 when 0
    int32_t icon; // ICON
};

class CGunManager : public DefaultManager {
public:
    void Init(const char* table) override;
    // Prepares the runtime fields of a descriptor from its model; a bad index throws.
    void InitGun(int index);
    // Bounds-tested.
    SGunType& GetGun(int index) { return m_guns.At(index); }
    int GunCount() const { return m_guns.Count(); }
    int FindRow(const char* name) const { return m_rowNames.Find(name); }

private:
    XDynamicArray<SGunType> m_guns;
};

extern CGunManager g_GunManager;
