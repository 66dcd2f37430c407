#include "world/objects/CGliderObject.h"

#include "ai/CBasicGLAI.h"
#include "ai/CFerroGroup.h"
#include "ai/CFerrovant.h"
#include "audio/CSoundManager.h"
#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/XMemBuffer.h"
#include "foundation/XRangeError.h"
#include "net/wire/NetWire.h"
#include "render/CComplexObject.h"
#include "render/CModelManager.h"
#include "world/db/CGliderManager.h"
#include "world/db/CMissileManager.h"
#include "world/db/CZJEngine.h"
#include "world/db/PlayerEquipmentFlags.h"
#include "world/db/ResourceIds.h"
#include "world/objects/PlayerGlobals.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kOneOver180 = 0.0055555557f;
constexpr float kOverloadThreshold = 0.19999997f;

SItemRecord Item(int32_t id)
{
    SItemRecord item {};
    item.words[0] = uint32_t(id);
    return item;
}

int32_t ItemId(const SItemRecord& item)
{
    return int32_t(item.words[0]);
}

// The length of the first row of a placement: the object's scale.
float RowScale(const float* m)
{
    return std::sqrt(m[0] * m[0] + m[1] * m[1] + m[2] * m[2]);
}

float ModelRadius(const SGliderType& row)
{
    const int32_t model = row.model.Index();
    if (!g_pModelManager || model < 0 || model >= g_pModelManager->GetModelCount())
        return 0.0f;
    return g_pModelManager->GetModelRadius(model);
}

int ProjectileKind(int32_t ammo)
{
    return g_MissileManager.GetDesc(ammo).kind;
}

} // namespace

CGliderObject::CGliderObject()
{
    type = kGlider;
    runs = 1;
    moves = 1;
    hitByRays = 1;
    solid = 1;
    alive = 1;
    visible = 1;
    effectInView = 1;
    drawWhenHidden = 1;
    targetable = 1;
    collisionNotice = 1;
    netForce = 1;
    networked = 1;
    notifyOnDelete = 1;
    deferredDelete = 1;
    pointSized = 0;
    lod = 0;
    mass = 1.0f;
    travelDamping = 1.2f;
    travelDampingScale = 100.0f;
    liftDampingUp = 1.5f;
    liftDampingDown = 0.0f;
    sideDamping = 3.0f;
    pitchProbe = 5.0f;
    rollProbe = 1.0f;
    hoverHeight = 1.0f;
    pitchStiffness = rollStiffness = 0.33333334f;
    turnRate = kPi;
    driftRoll = 1.0f;
    spareCoefficient = 1.0f;
    lastJumpTime = 0.0f;
    bankCoupling = 0.0f;
    gravityOn = hovers = steered = followsTerrain = banks = 1;
    for (CGun& gun : guns)
        gun.Reset();
}

CGliderObject::~CGliderObject()
{
    if (g_pSoundManager) {
        g_pSoundManager->StopSoundControl(engineSoundHandle, uint32_t(uintptr_t(this)));
        for (CGun& gun : guns)
            gun.StopFireSound(false);
    }
    delete netGroup;
}

bool CGliderObject::IsPlayer() const
{
    return PlayerObject == this;
}

SGliderType* CGliderObject::Type() const
{
    return static_cast<SGliderType*>(const_cast<void*>(typeRecord));
}

bool CGliderObject::PreparePoints()
{
    SGliderType* desc = Type();
    if (!desc)
        return false;
    if (!desc->prepared) {
        const CComplexObject* model = GetComplexModel();
        if (!model || model->GetPartCount() == 0)
            return false;
        g_GliderManager.InitGlider(typeIndex);
    }
    return desc->prepared != 0;
}

const char* CGliderObject::TypeName() const
{
    if (!typeRecord)
        return "None";
    return g_GliderManager.GetRowNames().GetStringOrDefault(typeIndex);
}

bool CGliderObject::HasEquipment(int flag) const
{
    return IsPlayer() && PlayerEquipmentFlags[flag] != 0;
}

float CGliderObject::EngineMaxSpeed() const
{
    return ferrovant ? ferrovant->engine.Maximum() : 25.0f;
}

void CGliderObject::Init(const float* placement, NameKey32 type)
{
    int row = g_GliderManager.FindRow(type.text);
    if (row < 0) {
        WriteErrorLog(std::string("Unknown glider ") + type.text);
        row = 0;
    }
    InitPlacement(placement, row);
}

void CGliderObject::Init(const float* placement, int32_t row)
{
    InitPlacement(placement, row);
}

void CGliderObject::InitPlacement(const float* placement, int32_t row)
{
    ZJ_TRACE("CGliderObject::Init");
    Matrix4 m;
    std::memcpy(m.m, placement, sizeof m.m);
    frame.SetMatrix(m);
    frame.UpdateAxes();
    SGliderType& desc = g_GliderManager.GetDesc(row);
    typeIndex = row;
    typeRecord = &desc;
    radius = bodyRadius = ModelRadius(desc) * RowScale(placement) * 4.0f;
    drawDistanceFactor = 2.0f;
    hitMarksOwner = this;
    dust.Init(CSmoke::kStyleScatter, 300, Vec3 { placement[0], placement[1], placement[2] }, 1.0f, 0.5f, 7.5f,
        3.0f);
    dust.gap = 1;
    hoverScale = radius * 0.05f + 0.75f;
    aimDirection = Vec3 { placement[2], placement[6], placement[10] };
    effectWhenHidden = IsPlayer() ? 1 : 0;
}

void CGliderObject::SetGliderType(const SItemRecord& hull)
{
    ZJ_TRACE("CGliderObject::SetGliderType");
    const int32_t row = ItemId(hull);
    SGliderType& desc = g_GliderManager.GetDesc(row);
    if (row < 0)
        throw XRangeError();
    typeIndex = row;
    typeRecord = &desc;
    radius = bodyRadius = ModelRadius(desc) * RowScale(frame.matrix.m) * 3.0f;
    const int32_t model = desc.model.Index();
    if (g_pModelManager && model >= 0 && model < g_pModelManager->GetModelCount()) {
        if (CComplexObject* object = g_pModelManager->GetModel(model)) {
            Vec3 extent {};
            object->GetBounds(extent);
            pitchProbe = extent.x * 3.0f;
            rollProbe = extent.y * 3.0f;
            hoverHeight = extent.z * 3.0f;
        }
    }
    travelDamping = desc.resFront;
    liftDampingUp = liftDampingDown = desc.resTop;
    sideDamping = desc.resSide;
    travelDampingScale = desc.turbulence;
    pitchStiffness = 1.0f / (desc.stabFront + 0.0001f);
    rollStiffness = 1.0f / (desc.stabSide + 0.0001f);
    turnRate = kPi * desc.rotateSpeed * kOneOver180;
    driftRoll = desc.careen;
    spareCoefficient = desc.deltaT;
    hoverScale = radius * 0.1f + 0.75f;
    burningPoints = 0;
    nozzleDamage = 0;
}

void CGliderObject::AssignFerrovant(CFerrovant* record)
{
    ZJ_TRACE("CGliderObject::AssignFerrovant");
    ferrovant = record;
    if (!record) {
        for (int mount : { kLightGun, kHeavyGun, kRocketLauncher })
            guns[mount].Assign(Item(-1));
    } else {
        record->glider = this;
        SetGliderType(record->config.glider);
        const int32_t bombLauncher = ZJEngine.ids1[CZJEngine::kGunBombLauncher];
        guns[kBombLauncher].Assign(Item(bombLauncher));
        const float bombs = guns[kBombLauncher].ammo;
        guns[kLightGun].Assign(Item(ItemId(record->config.lightGun)));
        guns[kHeavyGun].Assign(Item(ItemId(record->config.heavyGun)));
        const SGliderType& desc = g_GliderManager.GetDesc(typeIndex);
        guns[kRocketLauncher].Assign(
            Item(desc.standard >= 2 ? ZJEngine.ids1[CZJEngine::kGunRocketLauncher] : -1));
        guns[kBombLauncher].Assign(Item(bombLauncher));
        guns[kBombLauncher].ammo = bombs;
        record->UpdateEquipment();
        mass = record->GetSumWeight();
        float capacity = record->GetFreeLoad();
        if (HasEquipment(kEqpHiPowerAntigrav))
            capacity *= 1.3f;
        const float excess = record->GetGoodsWeight() - capacity;
        float factor = 1.0f;
        if (IsPlayer() && Difficulty == 0)
            factor = 0.5f;
        else if (IsPlayer() && Difficulty != 1)
            factor = 2.0f;
        if (excess > capacity * kOverloadThreshold)
            mass += factor * excess * 10.0f;
        else if (excess > 0.0f)
            mass += factor * excess * 4.0f;
        UpdateAmmo(true, false);
    }
    for (CGun& gun : guns)
        gun.owner = this;
}

void CGliderObject::SyncEquipment()
{
    ZJ_TRACE("CGliderObject::SyncEquipment");
    if (!ferrovant)
        return;
    if (ItemId(ferrovant->config.glider) != typeIndex)
        SetGliderType(ferrovant->config.glider);
    const SItemRecord* items[]
        = { &ferrovant->config.lightGun, &ferrovant->config.heavyGun, &ferrovant->config.rocketGun };
    for (int mount = 0; mount < 3; ++mount)
        if (ItemId(*items[mount]) != ItemId(guns[mount].item)) {
            guns[mount].Assign(Item(ItemId(*items[mount])));
            guns[mount].owner = this;
        }
    mass = ferrovant->GetSumWeight();
    turnRate = kPi * g_GliderManager.GetDesc(typeIndex).rotateSpeed * kOneOver180;
    if (HasEquipment(kEqpControlBooster))
        turnRate *= 1.5f;
}

void CGliderObject::UpdateAmmo(bool take, bool append)
{
    ZJ_TRACE("CGliderObject::UpdateAmmo");
    if (!ferrovant)
        return;
    AmmoStock* stocks = ferrovant->ammo;
    int32_t& count = ferrovant->ammoCount;
    count = std::clamp(count, 0, CFerrovant::kMaxAmmo);
    struct Launcher {
        int mount;
        int kind;
    };
    const Launcher launchers[] = { { kBombLauncher, 4 }, { kRocketLauncher, 2 } };
    for (const Launcher& l : launchers) {
        CGun& gun = guns[l.mount];
        if (l.mount == kRocketLauncher && !gun.assigned)
            continue;
        if (take) {
            // A stock that could not be given back stays on the launcher.
            if (stockKept[l.mount]) {
                stockKept[l.mount] = 0;
                continue;
            }
            gun.projectileType = -1;
            gun.ammo = 0.0f;
            for (int i = 0; i < count; ++i) {
                if (ProjectileKind(stocks[i].index) != l.kind)
                    continue;
                gun.projectileType = stocks[i].index;
                gun.ammo = float(stocks[i].count);
                std::copy(stocks + i + 1, stocks + count, stocks + i);
                --count;
                break;
            }
            continue;
        }
        if (gun.ammo < 1.0f)
            continue;
        const int32_t given = int32_t(gun.ammo);
        AmmoStock* same = std::find_if(
            stocks, stocks + count, [&](const AmmoStock& s) { return s.index == gun.projectileType; });
        if (same != stocks + count) {
            same->count += given;
        } else if (count < CFerrovant::kMaxAmmo) {
            const AmmoStock stock { gun.projectileType, {}, given };
            if (append) {
                stocks[count] = stock;
            } else {
                std::copy_backward(stocks, stocks + count, stocks + count + 1);
                stocks[0] = stock;
            }
            ++count;
        } else {
            stockKept[l.mount] = 1;
            continue;
        }
        stockKept[l.mount] = 0;
    }
}

bool CGliderObject::NotAllowTarget(const CZJObject* other) const
{
    ZJ_TRACE("CGliderObject::NotAllowTarget");
    if (!other || other->type != kGlider || !ferrovant || !ferrovant->group)
        return false;
    const CFerrovant* record = static_cast<const CGliderObject*>(other)->ferrovant;
    return record && ferrovant->group->HasMember(record);
}

bool CGliderObject::IsFiring() const
{
    if (guns[kBombLauncher].trigger != 0.0f)
        return true;
    for (int mount : { kLightGun, kHeavyGun, kRocketLauncher })
        if (guns[mount].assigned && guns[mount].reloadTimer > 0.0f)
            return true;
    return false;
}

void CGliderObject::ProcessDelete(CZJObject* deleted)
{
    if (ai && ai->target == deleted)
        ai->target = nullptr;
    if (target != deleted)
        return;
    CFerroGroup* group = target->ferrovant ? target->ferrovant->group : nullptr;
    target = group ? group->GetNearestMember(frame.position) : nullptr;
    if (target == deleted)
        target = nullptr;
}

void CGliderObject::SetColissionObject(CZJObject* other, const Vec3& normal, const Vec3& point)
{
    ZJ_TRACE("CGliderObject::SetColissionObject");
    (void)other;
    (void)normal;
    Damage(0.0f, point, 0, nullptr, -1);
}

void CGliderObject::SetThrottle(float value)
{
    throttle = std::fabs(value);
    float t = value * EngineMaxSpeed();
    if (HasEquipment(kEqpAccelerator))
        t *= 1.2f;
    if (t != thrust) {
        thrust = t;
        netDirty = 1;
    }
    if (thrust > 0.0f)
        bankCoupling = 0.0f;
}

void CGliderObject::SetStrafe(float amount)
{
    if (!ferrovant)
        return;
    const float standard = float(g_GliderManager.GetDesc(typeIndex).standard);
    sideImpulse = std::sqrt(standard * 0.5f + 1.0f) * EngineMaxSpeed() * amount * 1.5f;
    netDirty = 1;
}

void CGliderObject::Jump(float strength)
{
    if (!ferrovant)
        return;
    if (!(GameClock - 2.0 > double(lastJumpTime)) || !(ferrovant->energy > 100.0f))
        return;
    ferrovant->energy -= 100.0f;
    lastJumpTime = float(GameClock);
    const float k = HasEquipment(kEqpJumpConcentrator) ? 2.5f : 1.5f;
    ApplyImpulse(Vec3 { 0.0f, 0.0f, 29.4f * mass * k * strength });
    if (g_pSoundManager)
        g_pSoundManager->Play3DSound(
            FindSoundId("SND_JUMP1"), Vec3 { frame.position.x, frame.position.y, frame.position.z - 3.0f });
}

void CGliderObject::PackNetState(uint8_t* record, int* size)
{
    using namespace NetWire;
    const uint8_t shown = visible;
    visible = dead ? 0 : 1;
    CDynamicObject::PackNetState(record, size);
    visible = shown;
    uint32_t bits = 0;
    if (guns[kLightGun].assigned && guns[kLightGun].trigger != 0.0f)
        bits |= Glider::kGun0;
    if (guns[kHeavyGun].assigned && guns[kHeavyGun].trigger != 0.0f)
        bits |= Glider::kGun1;
    if (dead)
        bits |= Glider::kDead;
    const bool withRecord = ferroChanged && ferrovant;
    if (withRecord)
        bits |= Glider::kFerrovant;
    Put<uint32_t>(record, Glider::kBits, bits);
    Put<float>(record, Glider::kAim, aimDirection.x);
    Put<float>(record, Glider::kAim + 4, aimDirection.y);
    Put<float>(record, Glider::kAim + 8, aimDirection.z);
    Put<float>(record, Glider::kMass, mass);
    *size = int(Glider::kSize);
    if (!withRecord)
        return;
    ferroChanged = 0;
    XMemBuffer block;
    ferrovant->PutNetBuffer(block);
    std::memcpy(record + Glider::kSize, block.Data(), std::size_t(block.Position()));
    *size += block.Position();
    record[Record::kKind] = Record::kForced;
}

void CGliderObject::UnpackNetState(const uint8_t* record, int* size)
{
    using namespace NetWire;
    CDynamicObject::UnpackNetState(record, size);
    const int length = Get<uint16_t>(record, Record::kLength);
    if (*size == 0 || length < int(Glider::kSize))
        return;
    aimDirection = Vec3 { Get<float>(record, Glider::kAim), Get<float>(record, Glider::kAim + 4),
        Get<float>(record, Glider::kAim + 8) };
    const float newMass = Get<float>(record, Glider::kMass);
    if (std::isfinite(newMass) && newMass > 0.0f)
        mass = newMass;
    const uint32_t bits = Get<uint32_t>(record, Glider::kBits);
    *size = int(Glider::kSize);
    if ((bits & Glider::kFerrovant) && ferrovant) {
        const int used = ferrovant->GetNetBuffer(record + Glider::kSize, length - int(Glider::kSize));
        if (used >= 0) {
            *size += used;
            SyncEquipment();
        } else if (!netBlockLogged) {
            netBlockLogged = true;
            char line[96];
            std::snprintf(line, sizeof line,
                "CGliderObject::UnpackNetState: machine block of glider 0x%08X ignored", networkId);
            WriteErrorLog(line);
        }
    }
    if (bits & Glider::kGun0)
        Fire(kLightGun, 1.0f);
    if (bits & Glider::kGun1)
        Fire(kHeavyGun, 1.0f);
    const uint8_t wasDead = dead;
    dead = (bits & Glider::kDead) ? 1 : 0;
    if (dead) {
        visible = 0;
        if (!wasDead && ferrovant && ferrovant->IsEffectActive())
            dead = 0;
    }
}

void CGliderObject::SaveGame(XMemBuffer& stream, int* size, bool shortForm)
{
    const int start = stream.Position();
    CDynamicObject::SaveGame(stream, size, shortForm);
    if (shortForm)
        return;
    uint32_t flags = 0;
    for (int mount = 0; mount < kMounts; ++mount)
        if (guns[mount].trigger > 0.0f)
            flags |= 1u << mount;
    if (dead)
        flags |= 1u << 4;
    const int config = ferrovant ? ferrovant->configIndex : -1;
    flags |= uint32_t(config + 1) << 16;
    const int written = stream.Position() - start;
    const bool full = !(ReplayMode == 4 && *size <= written + kSaveHeadSize) && ferrovant;
    if (full)
        flags |= 0xF000u;
    stream.WriteValue(flags);
    stream.WriteValue(aimDirection);
    if (full) {
        for (float value : { ferrovant->armourLevel, ferrovant->shieldLevel, ferrovant->hull.wear,
                 ferrovant->reactor.wear, ferrovant->engine.wear })
            stream.WriteValue(value);
        stream.WriteValue(burningPoints);
        stream.Write(partDamage, int(sizeof partDamage));
    }
    *size = stream.Position() - start;
}

void CGliderObject::LoadGame(XMemBuffer& stream, int* size, bool shortForm)
{
    const int start = stream.Position();
    CDynamicObject::LoadGame(stream, size, shortForm);
    if (shortForm)
        return;
    const uint32_t flags = stream.ReadU32();
    Vec3 aim {};
    stream.Read(&aim, int(sizeof aim));
    if (std::isfinite(aim.x) && std::isfinite(aim.y) && std::isfinite(aim.z))
        aimDirection = aim;
    for (int mount = 0; mount < kMounts; ++mount)
        if (flags & (1u << mount))
            Fire(mount, 1.0f);
    dead = (flags >> 4) & 1;
    const int config = int(flags >> 16) - 1;
    if (ferrovant && config != -1 && config != ferrovant->configIndex) {
        ferrovant->ApplyConfig(config, false, 0);
        SetGliderType(ferrovant->config.glider);
        AssignFerrovant(ferrovant);
    }
    if ((flags & 0xF000u) == 0xF000u) {
        float wear[5];
        stream.Read(wear, int(sizeof wear));
        uint32_t burning = stream.ReadU32();
        float damage[kPoints];
        stream.Read(damage, int(sizeof damage));
        if (ferrovant) {
            ferrovant->armourLevel = wear[0];
            ferrovant->shieldLevel = wear[1];
            ferrovant->hull.wear = wear[2];
            ferrovant->reactor.wear = wear[3];
            ferrovant->engine.wear = wear[4];
        }
        burningPoints = burning;
        std::copy(damage, damage + kPoints, partDamage);
    }
    *size = stream.Position() - start;
}
