// CFerrovant: one machine (or the player's own): name, rating and level, five built-in parts, up
// to 20 mounted items, up to 10 ammunition stocks, its cargo and the configuration it was built
// from. A group holds ten inline; PlayerFerrovant is the player's.
#pragma once

#include "ai/CGarbage.h"
#include "ai/FerrovantConfig.h"
#include "world/db/CEquipment.h"
#include "world/db/CGliderHull.h"

#include <array>
#include <cstdint>
#include <memory>

class CFerroGroup;
class CGliderObject;
class XMemBuffer;

// One ammunition stock; save games and the wire hold the ammunition's name in its first 32 bytes.
struct AmmoStock {
    int32_t index; // ammunition table row
    uint32_t params[7];
    int32_t count;
};
static_assert(sizeof(AmmoStock) == 36);

class CFerrovant {
public:
    static constexpr int kMaxMounted = 20;
    static constexpr int kMaxAmmo = 10;
    static constexpr float kNeverRespawn = 1.0e9f;
    // The wire form: name, configuration, ammunition count, then 36 bytes per stock and 42 more.
    static constexpr int kWireFixedBytes = 1730;
    static constexpr int kWireStockBytes = 36;

    CFerrovant();
    ~CFerrovant();
    CFerrovant(const CFerrovant&) = delete;
    CFerrovant& operator=(const CFerrovant&) = delete;

    void Run(float dt);
    // Applies a hit to shield, armour, then hull and parts; the three outputs report what each
    // took.
    void Damage(float amount, bool wholeShield, float* outHull, float* outArmour, float* outShield);
    // configIndex -1 keeps the record's configuration and its mounted items and ammunition.
    void ApplyConfig(int32_t configIndex, bool setRating, int32_t levelBonus);
    void UpdateEquipment();
    void ConvertIds(bool toNames);

    float GetShieldLevel(int mode) const;
    float GetArmorLevel(int mode) const;
    float GetEnergyLevel(int mode) const;
    bool IsCritical() const;
    bool IsBadlyDamaged() const;
    bool IsEffectActive() const;
    void Reset();
    void Restore();
    CEquipment* FindItem(uint32_t index);

    float GetTotalWeight() const;
    float GetGoodsWeight() const;
    float GetSumWeight() const;
    float GetCapacity() const;
    float GetFreeLoad() const;

    void DeliverCapturedMachines();
    void RemoveCapturedMachines(int32_t organisation, uint32_t n);
    bool HasCapturedMachines(int32_t organisation, uint32_t n) const;

    // Save form: full for the player's machine, short for a group member. LoadGame checks every
    // count against the bytes left first; a bad record throws with the machine unchanged.
    void SaveGame(XMemBuffer& stream, bool full);
    void LoadGame(XMemBuffer& stream, bool full);
    // Wire form. GetNetBuffer returns the bytes used, or -1 (logged, machine unchanged) for a
    // record that does not fit the bytes available or holds more than 10 stocks.
    void PutNetBuffer(XMemBuffer& out);
    int GetNetBuffer(const uint8_t* bytes, int available);

    bool IsPlayer() const;
    // Reactor, engine, shield, armour and hull, the order of the save forms.
    std::array<CEquipment*, 5> Parts() { return { &reactor, &engine, &shield, &armour, &hull }; }
    std::array<const CEquipment*, 5> Parts() const { return { &reactor, &engine, &shield, &armour, &hull }; }
    int MountedCount() const { return mountedCount; }
    CEquipment& Mounted(int i) const;

    char name[32] = {};
    float rating = 0.05f;
    int32_t level = 0;
    int32_t levelCap = 0;
    float respawnTime = 0.0f;
    uint8_t dead = 0;
    uint8_t inBuilding = 0;
    CGarbage cargo;
    CGliderObject* glider = nullptr;
    CFerroGroup* group = nullptr;
    CEquipment reactor;
    CEquipment engine;
    CEquipment shield;
    CEquipment armour;
    CGliderHull hull;
    float shieldLevel = 0.0f;
    float armourLevel = 0.0f;
    float energy = 0.0f;
    std::unique_ptr<CEquipment> mounted[kMaxMounted];
    int32_t mountedCount = 0;
    AmmoStock ammo[kMaxAmmo] = {};
    int32_t ammoCount = 0;
    FerrovantConfig config {};
    int32_t configIndex = -1;
    float boostTime = 0.0f; // the player's booster: seconds switched on

private:
    void SetParts();
    void Refill();
    void ClearWear();
    void MarkWear(CEquipment& part, float savedWear);
    void AddMounted(std::unique_ptr<CEquipment> item);
    void ClearMounted();
};

extern CFerrovant* PlayerFerrovant;
