#include "ai/CFerrovant.h"

#include "ai/CFerroGroup.h"
#include "ai/CFerroGroupList.h"
#include "ai/CFerrovantConfigList.h"
#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "foundation/Rand.h"
#include "foundation/Rating.h"
#include "foundation/XRangeError.h"
#include "world/db/CGliderManager.h"
#include "world/db/CGoodsManager.h"
#include "world/db/CMissileManager.h"
#include "world/db/COrgManager.h"
#include "world/db/PlayerEquipmentFlags.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CZJAppEvent.h"
#include "world/objects/PlayerGlobals.h"

#include <algorithm>
#include <cmath>
#include <string>

CFerrovant* PlayerFerrovant = nullptr;

namespace {

constexpr float kClassFactors[5] = { 1.0f, 1.0f, 1.5f, 2.5f, 4.0f };
constexpr float kDifficultyFactors[3] = { 2.0f, 1.0f, 0.75f };

int ClampLevel(int level)
{
    return std::clamp(level, 0, 10);
}

bool Flag(EquipmentFlag flag)
{
    return PlayerEquipmentFlags[flag] != 0;
}

void DecayIndicator(float& x, float dt)
{
    if (x <= 0.0f)
        return;
    x = x / std::pow((std::fabs(x) * 1e-10f + 1.0f) * 40.0f, dt);
    if (x < 0.1f)
        x = 0.0f;
}

} // namespace

CFerrovant::CFerrovant()
{
    for (SEquipmentImage& image : config.items)
        image.item.words[0] = uint32_t(-1);
}

CFerrovant::~CFerrovant() = default;

bool CFerrovant::IsPlayer() const
{
    return this == PlayerFerrovant;
}

CEquipment& CFerrovant::Mounted(int i) const
{
    if (i < 0 || i >= mountedCount)
        throw XRangeError();
    return *mounted[i];
}

void CFerrovant::AddMounted(std::unique_ptr<CEquipment> item)
{
    if (mountedCount >= kMaxMounted)
        throw XRangeError();
    mounted[mountedCount++] = std::move(item);
}

void CFerrovant::ClearMounted()
{
    for (auto& item : mounted)
        item.reset();
    mountedCount = 0;
}

void CFerrovant::SetParts()
{
    reactor.Set(config.reactor);
    engine.Set(config.engine);
    shield.Set(config.shield);
    armour.Set(config.armour);
    hull.Set(config.glider);
}

void CFerrovant::Refill()
{
    armourLevel = armour.Maximum();
    shieldLevel = shield.Maximum();
    energy = reactor.Maximum() * 30.0f;
}

void CFerrovant::ClearWear()
{
    for (CEquipment* part : Parts()) {
        part->wear = 0.0f;
        part->hit = 0;
        part->destroyed = 0;
    }
}

void CFerrovant::ApplyConfig(int32_t index, bool setRating, int32_t levelBonus)
{
    ZJ_TRACE("CFerrovant::ApplyConfig");
    if (index != -1) {
        config = FerrovantConfigList.Get(index);
        configIndex = index;
    }
    if (setRating || !IsPlayer()) {
        const int newLevel = ClampLevel(config.rating + levelBonus);
        rating = newLevel == 0 ? 0.0f : (RatingThresholds[newLevel - 1] + RatingThresholds[newLevel]) * 0.5f;
        config.rating = level = levelCap = newLevel;
    }
    SetParts();
    Refill();
    if (index == -1)
        return;
    ClearMounted();
    const int images = std::clamp(config.itemCount, 0, FerrovantConfig::kMaxItems);
    for (int i = 0; i < images; ++i) {
        auto item = std::make_unique<CEquipment>(config.items[i]);
        if (item->index != -1)
            AddMounted(std::move(item));
    }
    ammoCount = 0;
    const std::pair<const SItemRecord*, int32_t> stocks[4]
        = { { &config.bomb1, config.numBomb1 }, { &config.bomb2, config.numBomb2 },
              { &config.rocket1, config.numRocket1 }, { &config.rocket2, config.numRocket2 } };
    for (const auto& [item, count] : stocks) {
        if (count == 0)
            continue;
        SItemRecord named = *item;
        reinterpret_cast<char*>(named.words)[31] = '\0';
        const int row = g_MissileManager.GetRowNames().Find(ItemName(named));
        if (row == -1)
            continue;
        ammo[ammoCount++] = AmmoStock { row, {}, count };
    }
}

void CFerrovant::Run(float dt)
{
    ZJ_TRACE("CFerrovant::Run");
    const bool player = IsPlayer();
    if (player) {
        DecayIndicator(ShieldHits, dt);
        DecayIndicator(ArmourHits, dt);
        DecayIndicator(HullHits, dt);
        inBuilding = 0;
    } else if (dead) {
        if (respawnTime < kNeverRespawn)
            respawnTime -= dt;
        if (respawnTime < 0.0f && rating > 0.0f)
            Reset();
    } else {
        level = ClampLevel(level);
        if (level < levelCap + 1) {
            rating += float(level * level) * dt * 0.001f;
            if (level < 10 && rating > RatingThresholds[level])
                ++level;
        }
    }
    if (dead || inBuilding || glider == nullptr)
        return;
    const float t = FrameTime;
    const float shieldMax = shield.Maximum();
    if (shieldLevel < shieldMax) {
        shieldLevel = std::min(shieldMax, shieldLevel + dt * shield.Regeneration());
        energy -= 2.0f * dt * shield.Power();
    } else {
        energy -= dt * shield.Power();
    }
    if (hull.type != nullptr && hull.type->restore > 0.0f)
        hull.wear = std::max(0.0f, hull.wear - dt * hull.type->restore);
    const float armourMax = armour.Maximum();
    if (player && Flag(kEqpDisperseShield))
        armourLevel += dt;
    if (armourLevel < armourMax && armour.Regeneration() != 0.0f)
        armourLevel += dt * armour.Regeneration();
    armourLevel = std::min(armourLevel, armourMax);
    energy -= dt * armour.Power();
    float power = reactor.Maximum();
    if (player && Flag(kEqpBooster)) {
        if (PlayerControl.BoostOn) {
            boostTime += dt;
            power *= 1.5f;
            if (boostTime >= 120.0f) {
                float worn = dt * 10.0f;
                reactor.Damage(&worn);
            }
        } else if (boostTime > dt) {
            boostTime -= dt * 0.5f;
        }
    }
    if (player && Flag(kEqpMobilizer))
        power *= 1.2f;
    energy += t * power;
    energy -= t * shield.Power();
    if (glider->thrust != 0.0f) {
        const float d = glider->throttle;
        float cost = d * d * t * engine.Power();
        if (glider->thrust <= 0.0f)
            cost *= 1.5f;
        if (player && Flag(kEqpFuelExpander))
            cost *= 0.8f;
        energy -= cost;
    }
    const int glClass = hull.type ? std::clamp(hull.type->standard, 0, 4) : 0;
    for (int i = 0; i < mountedCount; ++i)
        if (mounted[i]->active)
            energy -= t * mounted[i]->Power() * kClassFactors[glClass];
    energy = std::clamp(energy, 0.0f, reactor.Maximum() * 30.0f);
}

void CFerrovant::Damage(float amount, bool wholeShield, float* outHull, float* outArmour, float* outShield)
{
    ZJ_TRACE("CFerrovant::Damage");
    const bool player = IsPlayer();
    *outHull = *outArmour = *outShield = 0.0f;
    if (shield.index != -1) {
        float take = wholeShield ? amount : std::min(amount, shield.HitLimit());
        take = std::clamp(take, 0.0f, std::max(shieldLevel, 0.0f));
        shieldLevel -= take;
        amount -= take;
        *outShield = take;
        if (player)
            ShieldHits += take;
    }
    if (amount < 0.1f)
        return;
    if (armour.index != -1) {
        float a = std::clamp(amount, 0.0f, std::max(armourLevel, 0.0f));
        amount -= a;
        if (player) {
            const float armourMax = armour.Maximum();
            if (Flag(kEqpDisperseShield))
                a = a / (armourMax + 500.0f) * armourMax;
            if (Flag(kEqpEnergyRecycler)) {
                energy = std::min(energy + 2.0f * a, reactor.Maximum() * 30.0f);
                a *= 0.75f;
            }
            if (Flag(kEqpZeroThickener)) {
                shieldLevel = std::min(shieldLevel + a * 0.25f, shield.Maximum());
                a *= 0.75f;
            }
        }
        armourLevel -= a;
        if (player)
            ArmourHits += a;
        *outArmour = amount + a;
    }
    if (amount < 0.1f)
        return;
    if (player)
        HullHits += amount;
    for (int pass = 0; pass < 6 && amount > 0.0f; ++pass) {
        const int modulus = hull.WearRatio() < 0.25f ? 500 : mountedCount + 700;
        const int r = Rand() % modulus;
        if (r < 500) {
            *outHull = amount;
            hull.Damage(&amount);
            return;
        }
        if (r < 600)
            reactor.Damage(&amount);
        else if (r < 700)
            engine.Damage(&amount);
        else
            Mounted(r - 700).Damage(&amount);
    }
}

void CFerrovant::UpdateEquipment()
{
    config.reactor.words[0] = uint32_t(reactor.index);
    config.engine.words[0] = uint32_t(engine.index);
    config.shield.words[0] = uint32_t(shield.index);
    config.armour.words[0] = uint32_t(armour.index);
    config.glider.words[0] = uint32_t(hull.index);
    if (!IsPlayer())
        return;
    const CEquipment* items[kMaxMounted];
    for (int i = 0; i < mountedCount; ++i)
        items[i] = mounted[i].get();
    SetPlayerEquipmentFlags(items, mountedCount, armour.Name());
}

float CFerrovant::GetShieldLevel(int mode) const
{
    if (shield.index == -1)
        return 0.0f;
    const float maximum = shield.Maximum();
    if (mode == 0)
        return maximum == 0.0f ? 0.0f : std::min(shieldLevel / maximum, 1.0f);
    return mode == 1 ? shieldLevel : maximum;
}

float CFerrovant::GetArmorLevel(int mode) const
{
    if (armour.index == -1)
        return 0.0f;
    const float maximum = armour.Maximum();
    if (mode == 0)
        return maximum == 0.0f ? 0.0f : std::min(armourLevel / maximum, 1.0f);
    return mode == 1 ? armourLevel : maximum;
}

float CFerrovant::GetEnergyLevel(int mode) const
{
    if (reactor.index == -1)
        return 0.0f;
    const float maximum = reactor.Maximum() * 30.0f;
    if (mode == 0)
        return maximum == 0.0f ? 0.0f : energy / maximum;
    return mode == 1 ? energy : maximum;
}

bool CFerrovant::IsCritical() const
{
    if (armour.index != -1 && GetArmorLevel(0) < 0.95f)
        return true;
    return reactor.hit || engine.hit || hull.hit;
}

bool CFerrovant::IsBadlyDamaged() const
{
    return hull.wear > hull.MaximumWear() * 0.5f || reactor.wear > reactor.MaximumWear() * 0.5f
        || engine.wear > engine.MaximumWear() * 0.5f;
}

bool CFerrovant::IsEffectActive() const
{
    return reactor.destroyed || engine.destroyed || hull.destroyed;
}

void CFerrovant::Reset()
{
    dead = 0;
    if (glider != nullptr)
        glider->dead = 0;
    Restore();
    UpdateRatingLevel(rating, level);
}

void CFerrovant::Restore()
{
    ClearWear();
    Refill();
}

CEquipment* CFerrovant::FindItem(uint32_t index)
{
    for (CEquipment* part : { &reactor, &engine, &armour, &shield })
        if (uint32_t(part->index) == index)
            return part;
    for (int i = 0; i < mountedCount; ++i)
        if (uint32_t(mounted[i]->index) == index)
            return mounted[i].get();
    return nullptr;
}

float CFerrovant::GetTotalWeight() const
{
    float sum = reactor.weight + engine.weight + shield.weight + armour.weight;
    for (int i = 0; i < mountedCount; ++i)
        sum += mounted[i]->weight;
    for (int i = 0; i < std::clamp(ammoCount, 0, kMaxAmmo); ++i)
        sum += float(ammo[i].count) * g_MissileManager.GetDesc(ammo[i].index).weight;
    return sum;
}

float CFerrovant::GetGoodsWeight() const
{
    const XStringTable& goods = g_GoodsManager.GetRowNames();
    float sum = 0.0f;
    for (const CargoItem& item : cargo.items) {
        if (item.kind > CargoItem::kCaptured)
            continue;
        const int row = goods.Find(item.kind == CargoItem::kCaptured ? "TOV_FERROVANT" : item.name);
        if (row != -1)
            sum += float(item.count) * g_GoodsManager.GetDesc(row).mass;
    }
    return sum;
}

float CFerrovant::GetSumWeight() const
{
    return g_GliderManager.GetDesc(hull.index).weight + GetTotalWeight() + GetGoodsWeight();
}

float CFerrovant::GetCapacity() const
{
    const SGliderType& type = g_GliderManager.GetDesc(hull.index);
    return type.maxWeight - type.weight;
}

float CFerrovant::GetFreeLoad() const
{
    const SGliderType& type = g_GliderManager.GetDesc(hull.index);
    return type.maxWeight - GetTotalWeight() - type.weight;
}

void CFerrovant::DeliverCapturedMachines()
{
    ZJ_TRACE("CFerrovant::DeliverCapturedMachines");
    float sum = 0.0f;
    for (int i = 0; i < cargo.items.Count();) {
        const CargoItem& item = cargo.items.At(i);
        if (item.kind != CargoItem::kCaptured
            || g_GoodsManager.GetRowNames().Find((std::string("TOV_") + item.name).c_str()) != -1) {
            ++i;
            continue;
        }
        if (CFerrovant* found = FerroGroupList.FindGroupOfMember(item.name)) {
            CFerrovant& machine = *found;
            machine.respawnTime -= kNeverRespawn;
            const float lv = float(ClampLevel(machine.level));
            sum += float(int(lv * lv * lv * 0.2f + 1.0f));
        } else {
            sum += 10.0f;
        }
        cargo.items.Delete(i);
    }
    if (sum <= 0.0f)
        return;
    if (!IsPlayer()) {
        rating += sum;
        return;
    }
    const int org = g_OrgManager.playerOrganisation;
    sum *= 1.0f + (org == -1 ? 0.0f : g_OrgManager.GetRewardFactor(org));
    sum *= kDifficultyFactors[std::clamp(Difficulty, 0, 2)];
    if (AppEvents != nullptr)
        AppEvents->OnAddRating(sum, 1);
}

namespace {

// Whether a carried captured machine belongs to a group of that organisation.
bool CapturedOf(const CargoItem& item, int32_t organisation)
{
    if (item.kind != CargoItem::kCaptured)
        return false;
    const CFerrovant* machine = FerroGroupList.FindGroupOfMember(item.name);
    return machine != nullptr && machine->group != nullptr && machine->group->organisation == organisation;
}

} // namespace

void CFerrovant::RemoveCapturedMachines(int32_t organisation, uint32_t n)
{
    for (int i = 0; i < cargo.items.Count() && n > 0;) {
        if (CapturedOf(cargo.items.At(i), organisation)) {
            cargo.items.Delete(i);
            --n;
        } else {
            ++i;
        }
    }
}

bool CFerrovant::HasCapturedMachines(int32_t organisation, uint32_t n) const
{
    uint32_t found = 0;
    for (const CargoItem& item : cargo.items)
        if (CapturedOf(item, organisation))
            ++found;
    return found >= n;
}
