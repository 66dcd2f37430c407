// The glider's frame step, its damage and its death.
#include "world/objects/CGliderObject.h"

#include "ai/CBasicGLAI.h"
#include "ai/CFerroGroup.h"
#include "ai/CFerroGroupList.h"
#include "ai/CFerrovant.h"
#include "audio/CSoundManager.h"
#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "foundation/Rand.h"
#include "foundation/XRandom.h"
#include "foundation/XRangeError.h"
#include "render/CComplexObject.h"
#include "render/CModel.h"
#include "render/CModelManager.h"
#include "world/db/CExploManager.h"
#include "world/db/CGliderManager.h"
#include "world/db/CZJEngine.h"
#include "world/db/PlayerEquipmentFlags.h"
#include "world/objects/CExploObject.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CSplinterObject.h"
#include "world/objects/CTheThing.h"
#include "world/objects/CZJAppEvent.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CEnvironment.h"
#include "world/terrain/CLocation.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

Vec3 Add(const Vec3& a, const Vec3& b)
{
    return Vec3 { a.x + b.x, a.y + b.y, a.z + b.z };
}

Vec3 Scaled(const Vec3& a, float s)
{
    return Vec3 { a.x * s, a.y * s, a.z * s };
}

Vec3 Unit(const Vec3& a)
{
    const float length = Vec3Length(a);
    return length > 0.0f ? Scaled(a, 1.0f / length) : a;
}

// v / ((|v| x 1e-10 + 1) x r)^dt: a division by r per second.
float Decay(float v, float r, float dt)
{
    return v / std::pow((std::fabs(v) * 1e-10f + 1.0f) * r, dt);
}

Matrix4 Placed(float scale, const Vec3& at)
{
    Matrix4 m;
    Matrix4Identity(m, scale);
    m.m[15] = 1.0f;
    m.m[12] = at.x;
    m.m[13] = at.y;
    m.m[14] = at.z;
    return m;
}

// unit((2 - 0.4 a, 2 - 0.4 b, 1)) x speed x (0.5 + 0.1 c), a, b, c from rand() mod 10.
Vec3 ThrowVelocity(float speed)
{
    const float a = float(Rand() % 10);
    const float b = float(Rand() % 10);
    const float c = float(Rand() % 10);
    return Scaled(Unit(Vec3 { 2.0f - 0.4f * a, 2.0f - 0.4f * b, 1.0f }), speed * (0.5f + 0.1f * c));
}

// Protection of the player's equipment per damage class 0..2.
constexpr int kClassShields[3] = { kEqpRadiationShield, kEqpCryogenerator, kEqpElmStabilizer };

} // namespace

void CGliderObject::Run()
{
    ZJ_TRACE("CGlider::Run");
    const float dt = FrameTime;
    if (thrust != 0.0f && ferrovant && ferrovant->energy <= ferrovant->engine.Power()) {
        thrust = 0.0f;
        sideImpulse = 0.0f;
    }
    if (!IsPlayer() && !remote && ai)
        ai->Run();

    const float t = mass != 0.0f ? thrust / mass : 0.0f;
    engineLevel = std::min(Decay(std::max(0.0f, engineLevel + dt * t), 1.5f, dt), 50.0f);
    engineLevel2 = std::min(std::max(0.0f, Decay(engineLevel2, 2.0f, dt) + t * dt), 50.0f);
    thrustSound = Decay(thrustSound, 1.5f, dt);
    if (thrustSound < throttle)
        thrustSound += dt;
    hoverSound = Decay(hoverSound, 1.2f, dt);
    if (hoverSound < std::min(throttle, 1.0f))
        hoverSound += dt * 0.25f;
    RunEngineSound(dt);

    const SGliderType* desc = Type();
    if (desc && desc->mounts[SGliderType::kFire].part != -1) {
        const float e = bank + dt * controlX * 5.0f;
        const float s = e > 0.0f ? 1.0f : -1.0f;
        bank = s * std::min(Decay(std::fabs(e), 40.0f, dt), 1.0f);
    }

    // The death plays once; a destroyed glider's frame ends here.
    if (ferrovant && ferrovant->IsEffectActive()) {
        if (!dead)
            Die();
        return;
    }
    for (CGun& gun : guns)
        if (gun.assigned)
            gun.Run();
    drawWhenHidden = (guns[kLightGun].assigned && guns[kLightGun].IsFiring())
            || (guns[kHeavyGun].assigned && guns[kHeavyGun].IsFiring()) || (hitMarksActive && IsPlayer())
        ? 1
        : 0;
    if (hitMarksActive)
        AgeHitMarks();
    RunGround(dt);
}

void CGliderObject::RunEngineSound(float dt)
{
    (void)dt;
    const SGliderType* desc = Type();
    if (!g_pSoundManager || !desc)
        return;
    const int standard = desc->standard;
    const int sound = ZJEngine.soploSounds[standard >= 1 && standard <= 3 ? standard - 1 : 3];
    if (sound == -1)
        return;
    const float v = std::min(thrustSound, 2.0f);
    thrustSound = v;
    float volume = v <= 1.0f
        ? ZJEngine.soploMinVolume + v * ZJEngine.soploMidSpan
        : ZJEngine.soploMinVolume + ZJEngine.soploMidSpan + (v - 1.0f) * ZJEngine.soploMaxSpan;
    if (IsPlayer())
        volume *= ZJEngine.playerFade;
    const Vec3 place = Add(frame.position, Scaled(frame.forward, 10.0f));
    engineSoundHandle
        = g_pSoundManager->GetSoundControl(sound, engineSoundHandle, uint32_t(uintptr_t(this)), place, true);
    const float speed = Vec3Length(velocity);
    const float frequency = speed <= ZJEngine.engineMaxSpeed ? ZJEngine.engineMinFreq
            + (ZJEngine.engineMaxFreq - ZJEngine.engineMinFreq) / ZJEngine.engineMaxSpeed * speed
                                                             : ZJEngine.engineMaxFreq;
    g_pSoundManager->SetSoundControl2D(engineSoundHandle, false);
    g_pSoundManager->SetSoundControlFrequency(engineSoundHandle, frequency);
    g_pSoundManager->SetSoundControlVolume(engineSoundHandle, volume);
    g_pSoundManager->SetSoundControlVelocity(engineSoundHandle, Scaled(velocity, 5.0f));
    g_pSoundManager->PlaySoundControl(engineSoundHandle, place, true, true);
}

void CGliderObject::RunGround(float dt)
{
    const Vec3 p = frame.position;
    const float g = Location.GetHeight(p, true, false);
    SEffectSphere& sphere = EffectSphere(0);
    sphere.active = 1;
    sphere.radius = 2.0f * bodyRadius;
    sphere.centre = Vec3 { p.x, p.y, g };
    effectSphereCount = 1;
    overLiquid = 0;

    if (IsPlayer() && Location.width > 0) {
        // Margins in grid steps of 10 units.
        const float m = Location.width > 1024 ? 48.0f : 5.0f;
        const float w = float(Location.width);
        const float h = float(Location.height);
        const float d
            = std::min({ p.x - 10.0f * m, p.y - 10.0f * m, 10.0f * (w - m) - p.x, 10.0f * (h - m) - p.y });
        if (d < 0.0f) {
            const float f = (-d / 10.0f) / m;
            Damage(f * f * 5000.0f * std::min(dt, 0.5f), Vec3 { 0.0f, 0.0f, -1.0f }, 1, nullptr, 0);
        }
    }

    const MapSurface* water = Location.width > 0 ? Location.GetWaterSurface(p) : nullptr;
    if (water && p.z - 60.0f < water->waterLevel && water->waterLevel + 10.0f > g) {
        const bool applies = !remote || owned;
        switch (water->waterKind) {
        case 0:
            overLiquid = 1;
            break;
        case 1:
            if (applies)
                Damage(dt * 50.0f, Vec3 {}, 1, nullptr, 0);
            break;
        case 2:
            if (IsPlayer())
                SituationState = 1;
            if (applies)
                Damage((1200.0f - (p.z - water->waterLevel) * 20.0f) * dt * 10.0f, Vec3 {}, 1, nullptr, 1);
            break;
        default:
            break;
        }
    }

    RunDust(g, dt);
    dust.Update(dt);

    if (p.z < Environment.dieHeight && !remote)
        Damage(dt * 1.0e8f, Vec3 {}, 0, nullptr, -1);
}

void CGliderObject::RunDust(float ground, float dt)
{
    (void)dt;
    const Vec3& p = frame.position;
    if (!(p.z < ground + 24.0f)) {
        dust.gap = 1;
        return;
    }
    float k = std::min(1.0f, 2.0f * (ground + 24.0f - p.z) / 24.0f);
    if (lod >= 3 || lod == -1) {
        if (lod == 3) {
            Rand();
            Rand();
        }
        k = 0.0f;
    }
    uint32_t colour = 0xFFFFFFFFu;
    if (!overLiquid) {
        const uint32_t ground32 = Location.width > 0 ? Location.GetGroundColor(p.x, p.y) : 0u;
        const float light = 1.5f * Environment.skyLightLevel;
        colour = 0;
        for (int shift : { 16, 8, 0 }) {
            const float c = std::min(float((ground32 >> shift) & 0xFFu) * light, 255.0f);
            colour |= uint32_t(c) << shift;
        }
    }
    const Vec3 at { p.x, p.y, ground + 1.5f };
    if (dust.gap) {
        dust.emitterPoint = at;
        dust.gap = 0;
    }
    dust.EmitTo(at, k, colour);
}

void CGliderObject::AgeHitMarks()
{
    const float dt = FrameTime;
    float period = 0.0f;
    const int32_t force = ZJEngine.ids2[CZJEngine::kModFxForce3];
    if (g_pModelManager && force >= 0 && force < g_pModelManager->GetModelCount())
        if (CComplexObject* model = g_pModelManager->GetModel(force); model && model->GetPartCount() > 0)
            if (const CModel* part = model->GetPartObject(0))
                period = part->autoPeriod;
    bool any = false;
    for (SGliderHitMark& mark : hitMarks) {
        if (mark.life <= 0.0f)
            continue;
        mark.life -= period != 0.0f ? dt / (period * 64.0f) : dt;
        any = any || mark.life > 0.0f;
    }
    if (!any)
        hitMarksActive = 0;
}

void CGliderObject::Damage(float amount, const Vec3& point, int heavy, CZJObject* attacker, int damageClass)
{
    ZJ_TRACE("CGliderObject::Damage");
    if (!ferrovant || ferrovant->IsEffectActive())
        return;
    if (IsPlayer() && damageClass < 3) {
        if (Difficulty == 0)
            amount *= 0.5f;
        else if (Difficulty == 2)
            amount *= 1.2f;
    }
    Vec3 hitPoint = point;
    if (damageClass != -1) {
        if (IsPlayer()) {
            if (damageClass >= 0 && damageClass <= 2) {
                if (PlayerEquipmentFlags[kClassShields[damageClass]])
                    amount *= 0.25f;
            } else if (PlayerEquipmentFlags[kEqpUniversalShield]) {
                amount *= 0.001f;
            }
            if (PlayerEquipmentFlags[kEqpUniversalShield])
                amount *= 0.1f;
        }
        const float x = SharedRandom.Get(2.0f) - 1.0f;
        const float y = SharedRandom.Get(2.0f) - 1.0f;
        const float z = SharedRandom.Get(2.0f) - 1.0f;
        hitPoint = (x == 0.0f && y == 0.0f && z == 0.0f) ? Vec3 { 0.0f, 0.0f, 1.0f } : Unit(Vec3 { x, y, z });
    }
    const Vec3 u = Unit(
        Vec3 { hitPoint.x - frame.position.x, hitPoint.y - frame.position.y, hitPoint.z - frame.position.z });
    CTransform hit;
    hit.SetDirection(u);
    hit.RotateZ(float(Rand() % 100 - 50) * 0.001f);
    hit.RotateX(float(Rand() % 100 - 50) * 0.001f);
    Matrix4 hitMatrix;
    MultiplyRotation3(hitMatrix, hit.matrix, frame.matrix);
    hitMatrix.m[12] = hitMatrix.m[13] = hitMatrix.m[14] = 0.0f;
    if (damageClass == -1 && amount != 0.0f)
        AddHitMark(amount, hitMatrix);

    if (remote && !owned) {
        if (amount != 0.0f) {
            damagePending = 1;
            pendingDamage[heavy ? 1 : 0] += amount;
        }
        return;
    }
    if (amount == 0.0f)
        return;
    float partAmount = 0.0f, armourAmount = 0.0f, shieldAmount = 0.0f;
    ferrovant->Damage(amount, heavy != 0, &partAmount, &armourAmount, &shieldAmount);
    if (damageClass == -1) {
        if (armourAmount != 0.0f)
            AttachExplosion("EXP_GL_MINI", Add(frame.position, Scaled(u, bodyRadius * 0.8f)));
        if (partAmount != 0.0f && PreparePoints()) {
            const SGliderType& desc = *Type();
            for (int i = 0; i < std::min(desc.pointCount, kPoints); ++i) {
                if (Vec3Dot(PointDirection(i), u) <= 0.5f)
                    continue;
                partDamage[i] += partAmount;
                if (partDamage[i] > desc.damage * 0.05f && !(burningPoints & (1u << i)))
                    IgnitePoint(i);
            }
        }
    }
    CGliderObject* by
        = attacker && attacker->type == kGlider ? static_cast<CGliderObject*>(attacker) : nullptr;
    if (by && !by->remote && ferrovant->group) {
        const CFerroGroup* theirs = by->ferrovant ? by->ferrovant->group : nullptr;
        ferrovant->group->OnGroupAttacked(FerroGroupList.IndexOf(theirs), amount, false);
    }
    if (ferrovant->IsEffectActive()) {
        if (attacker && attacker == PlayerObject && AppEvents)
            AppEvents->FerroWasKilledByPlayer(ferrovant);
        if (IsPlayer())
            ZJEngine.killerId = attacker ? attacker->id : 0;
    }
}

void CGliderObject::IgnitePoint(int i)
{
    SGliderType* desc = Type();
    if (!desc || i >= desc->pointCount)
        return;
    if (i < 0 || i >= kPoints)
        throw XRangeError();
    const int32_t model = desc->model.Index();
    if (g_pModelManager && model >= 0 && model < g_pModelManager->GetModelCount())
        if (CComplexObject* object = g_pModelManager->GetModel(model); object && object->GetPartCount() > 0)
            if (CModel* mesh = object->GetPartObject(0); mesh && i < mesh->GetPointCount()) {
                const char* name = mesh->GetSubMesh(i).name;
                if (std::strcmp(name, "FIRE") == 0)
                    nozzleDamage |= 1u;
                else if (std::strcmp(name, "FIRE1") == 0)
                    nozzleDamage |= 2u;
            }
    burningPoints ^= 1u << i;
    AttachExplosion("EXP_GL_PART", Add(frame.position, Scaled(PointDirection(i), bodyRadius * 0.8f)));
}

Vec3 CGliderObject::PointDirection(int i) const
{
    const SGliderType& desc = *Type();
    const Vec3 p = Unit(desc.points[i]);
    // Model space to world axes by the drawn frame's rotation.
    const float* m = frame2.matrix.m;
    const Vec3 w { p.x * m[0] + p.y * m[4] + p.z * m[8], p.x * m[1] + p.y * m[5] + p.z * m[9],
        p.x * m[2] + p.y * m[6] + p.z * m[10] };
    return Unit(w);
}

CExploObject* CGliderObject::MakeExplosion(const char* name, const Matrix4& placement)
{
    const int32_t row = g_ExploManager.FindRow(name);
    if (row < 0)
        return nullptr;
    NameKey32 reference {};
    std::memcpy(reference.text, &row, sizeof row);
    auto* explosion
        = static_cast<CExploObject*>(g_ExploManager.CreateObject(reference, placement.m, nullptr));
    explosion->owner = this;
    return explosion;
}

void CGliderObject::AttachExplosion(const char* name, const Vec3& at)
{
    if (CExploObject* explosion = MakeExplosion(name, Placed(1.0f, at)))
        explosion->AttachTo(this);
}

void CGliderObject::Die()
{
    ZJ_TRACE("CGliderObject::Die");
    if (AppEvents)
        AppEvents->OnFerroKilled(ferrovant);
    dead = 1;
    ferroChanged = 1;
    visible = 0;
    moves = 0;
    if (!IsPlayer())
        ObjectList.DeleteObject(this);
    const bool hullOnly = !ferrovant->reactor.destroyed && !ferrovant->engine.destroyed;
    CExploObject* explosion
        = MakeExplosion(hullOnly ? "EXP_GLIDER_2" : "EXP_GLIDER", Placed(radius, frame.position));
    if (explosion && !hullOnly)
        explosion->baseVelocity = Scaled(velocity, 0.5f);
    if (owned || !remote) {
        CTheThing* core = MakeThing(257);
        core->AddItem(2, ferrovant->name, 1);
        if (remote) {
            core->remote = 1;
            core->owned = 1;
        }
        if (IsPlayer())
            PlayerCore = core;
        Vec3 v = ThrowVelocity(10.0f);
        if (IsPlayer())
            v = Vec3 { 3.0f * v.x, 3.0f * v.y, 3.0f * v.z + 30.0f };
        ThrowOut(core, Add(v, velocity));
    }
    DropMoney();
    if (!remote)
        DropCargo();
}

CTheThing* CGliderObject::MakeThing(int32_t kind)
{
    auto* thing = new CTheThing;
    thing->Init(Placed(1.0f, frame.position).m, kind);
    return thing;
}

void CGliderObject::ThrowOut(CTheThing* thing, const Vec3& v)
{
    auto* splinter = new CSplinterObject;
    NameKey32 noModel {};
    const int32_t none = -1;
    std::memcpy(noModel.text, &none, sizeof none);
    splinter->Spawn(Placed(1.0f, frame.position), noModel, CSplinterObject::kCarrier, thing);
    ObjectList.AddObject(splinter);
    splinter->owner = this;
    splinter->velocity = v;
}

void CGliderObject::DropMoney()
{
    ZJ_TRACE("MONEY");
    bool drop = owned != 0;
    if (!owned && !remote)
        drop = SharedRandom.Get(1.0f) < 0.25f;
    if (!drop)
        return;
    const float n = std::max(ferrovant->rating, 1.0f);
    double amount = (8.6 * n + 1.4 * double(n) * n) * (double(SharedRandom.Get(1.0f)) + 0.5);
    if (owned)
        amount *= 500.0;
    amount = std::clamp(amount, 0.0, double(std::numeric_limits<uint32_t>::max()));
    CTheThing* money = MakeThing(515);
    money->AddItem(3, "", uint32_t(amount));
    ThrowOut(money, Add(ThrowVelocity(20.0f), velocity));
}

void CGliderObject::DropCargo()
{
    CGarbage& goods = ferrovant->cargo;
    for (int i = 0; i < goods.items.Count(); ++i) {
        const CargoItem& item = goods.items.At(i);
        int chance = 9;
        if (item.kind == 1 || item.kind == 2)
            chance = 12;
        else if (ferrovant->reactor.destroyed)
            chance = 1;
        else if (ferrovant->engine.destroyed)
            chance = 3;
        if (i > 10 && chance < 12)
            chance = 1;
        const int32_t thingKind = item.kind == 2 ? 257 : item.kind == 1 ? 514 : 513;
        for (int unit = 0; unit < std::max(item.count, 1); ++unit) {
            if (SharedRandom.GetInt(10) >= chance)
                continue;
            CTheThing* thing = MakeThing(thingKind);
            thing->AddItem(item.kind, item.name, 1);
            ThrowOut(thing, Add(ThrowVelocity(20.0f), Scaled(velocity, 0.75f)));
        }
    }
    goods.Clear();
}
