#include "world/objects/CTowerObject.h"

#include "audio/CSoundManager.h"
#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/Numeric.h"
#include "foundation/XRangeError.h"
#include "render/CComplexObject.h"
#include "render/CModel.h"
#include "render/CModelManager.h"
#include "render/Graphic.h"
#include "world/db/CTowerManager.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CObjectList.h"
#include "world/terrain/CEffectRenderManager.h"
#include "world/terrain/CLightWare.h"
#include "world/terrain/CLocation.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
constexpr float kPitchLimit = kPi / 3.0f;
constexpr float kOnAim = kPi / 32.0f;
constexpr float kArmedKey = 1.0e-5f;
constexpr float kAimLift = 30.0f;
constexpr float kRayMargin = 10.0f;

// The model reads a weight per channel; the turret's pitch drives the first.
std::array<float, CModel::kMaxChannels> TurretWeights(float pitch)
{
    std::array<float, CModel::kMaxChannels> weights {};
    weights[0] = std::clamp(pitch / (2.0f * kPi / 3.0f) + 0.5f, 0.0f, 1.0f);
    return weights;
}

CComplexObject* ModelAt(int32_t index)
{
    if (index < 0 || !g_pModelManager || index >= g_pModelManager->GetModelCount())
        return nullptr;
    return g_pModelManager->GetModel(index);
}

float ModelRadius(int32_t index)
{
    if (index < 0 || !g_pModelManager || index >= g_pModelManager->GetModelCount())
        return 0.0f;
    return g_pModelManager->GetModelRadius(index);
}

bool Armed(const CZJObject* object)
{
    return object->type == CZJObject::kGlider && static_cast<const CGliderObject*>(object)->IsFiring();
}

float DistanceSq(const Vec3& a, const Vec3& b)
{
    return (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z);
}

float Sign(float x)
{
    return x >= 0.0f ? 1.0f : -1.0f;
}

} // namespace

CTowerObject::CTowerObject()
{
    type = kTower;
    alive = 1;
    visible = 1;
    hitByRays = 1;
    runs = 1;
    notifyOnDelete = 1;
    targetable = 1;
    solid = 0;
    moves = 0;
    gun.Reset();
}

CTowerObject::~CTowerObject()
{
    gun.StopFireSound(false);
}

STowerType* CTowerObject::Row() const
{
    return static_cast<STowerType*>(const_cast<void*>(typeRecord));
}

void CTowerObject::Init(const float* placement, NameKey32 typeId, const char* propertyText)
{
    ZJ_TRACE("CTowerObject::Init");
    Matrix4 m;
    Matrix4Identity(m);
    if (placement)
        std::copy(placement, placement + 16, m.m);
    frame.SetMatrix(m);
    frame.UpdateAxes();
    frame2 = frame;
    typeKey = typeId;
    if (propertyText)
        std::snprintf(name, sizeof name, "%s", propertyText);
    const int row = g_TowerManager.FindRow(typeId.text);
    if (row < 0) {
        WriteErrorLog(std::string("CTowerObject::Init tower not found: ")
            + std::string(typeId.text, strnlen(typeId.text, 32)));
        throw XRangeError();
    }
    typeIndex = row;
    STowerType& desc = g_TowerManager.GetDesc(row);
    typeRecord = &desc;
    const float turret = ModelRadius(desc.model.Index());
    radius = std::max(turret, ModelRadius(desc.postModel.Index()));
    SItemRecord item {};
    std::memcpy(&item, desc.gun.text, sizeof item);
    gun.Assign(item);
    gun.assigned = 1;
    gun.owner = this;
    const float scale = std::sqrt(m.m[0] * m.m[0] + m.m[1] * m.m[1] + m.m[2] * m.m[2]);
    range = std::max((desc.model.Index() >= 0 ? turret : 1.0f) * scale, kMinRange);
}

void CTowerObject::Alert(CZJObject* glider)
{
    target = glider;
    aggression = 5.0f;
    alerted = 1;
    burstReady = 0;
}

void CTowerObject::Damage(float amount, const Vec3& point, int heavy, CZJObject* attacker, int damageClass)
{
    (void)amount;
    (void)point;
    (void)heavy;
    (void)damageClass;
    if (attacker && attacker->type == kGlider)
        Alert(attacker);
}

void CTowerObject::ProcessDelete(CZJObject* deleted)
{
    if (target == deleted)
        target = nullptr;
}

const XDynamicArray<SCollisionTriangle>* CTowerObject::GetModel()
{
    const STowerType* desc = Row();
    if (!desc)
        return nullptr;
    CComplexObject* model
        = ModelAt(desc->postModel.Index() >= 0 ? desc->postModel.Index() : desc->model.Index());
    return model ? &model->GetShape(0) : nullptr;
}

CZJObject* CTowerObject::Seek() const
{
    SObjectQuery gliders {};
    ObjectList.GetRealTimeObjectList(frame.position, range, kGlider, gliders);
    CZJObject* best = nullptr;
    float bestKey = range * range;
    for (int i = 0; i < gliders.count; ++i) {
        CZJObject* glider = gliders.objects[i];
        if (static_cast<const CGliderObject*>(glider)->dead)
            continue;
        float key = DistanceSq(glider->frame.position, frame.position);
        if (Armed(glider))
            key *= kArmedKey;
        if (key < bestKey) {
            bestKey = key;
            best = glider;
        }
    }
    return best;
}

void CTowerObject::Run()
{
    ZJ_TRACE("CTowerObject::Run");
    const float dt = FrameTime;
    if (target && target->type == kGlider && static_cast<const CGliderObject*>(target)->dead)
        target = nullptr;
    if (target) {
        aggression = std::max(0.0f, aggression - dt * 0.5f);
        if (Armed(target)) {
            if (aggression == 0.0f) {
                aggression = 2.0f;
                burstReady = 1;
            } else {
                aggression = std::max(aggression, 2.0f) * (1.0f + dt);
                if (aggression > 5.0f) {
                    burstReady = 0;
                    alerted = 1;
                }
            }
        }
        const float d2 = DistanceSq(target->frame.position, frame.position);
        if ((!alerted && d2 > range * range) || (alerted && d2 > kAlertedRange * kAlertedRange))
            target = nullptr;
    }
    if (!target || aggression == 0.0f) {
        if (CZJObject* chosen = Seek()) {
            target = chosen;
            alerted = 0;
            aggression = Armed(chosen) ? 2.0f : 0.0f;
            burstReady = 1;
        }
    }
    DampValue(pitchRate, dt, 20.0f, 1.0e10f);
    DampValue(yawRate, dt, 30.0f, 1.0e10f);
    if (target)
        Aim(dt);
    gun.Run();
}

void CTowerObject::Aim(float dt)
{
    const STowerType* desc = Row();
    const float s = desc ? desc->turnSpeed : 0.0f;
    const float fine = 0.1f * s;
    const Vec3 d { frame.position.x - target->frame.position.x, frame.position.y - target->frame.position.y,
        frame.position.z - target->frame.position.z + kAimLift };
    float e = std::atan2(d.x, d.y) + kPi - yaw;
    while (e > 1.01f * kPi)
        e -= 2.0f * kPi;
    while (e < -1.01f * kPi)
        e += 2.0f * kPi;
    if (std::fabs(e) <= fine)
        yawRate += dt * e * 0.8f;
    else
        yawRate += Sign(e) * dt * s * 8.0f;
    yawRate = std::clamp(yawRate, -kMaxYawRate, kMaxYawRate);
    yaw += dt * yawRate;
    while (yaw > kPi)
        yaw -= 2.0f * kPi;
    while (yaw < -kPi)
        yaw += 2.0f * kPi;
    float pitchError = 0.0f;
    const float length = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    if (length > 1.0f) {
        const float desired
            = std::clamp(-2.0f * std::asin(std::clamp(d.z / length, -1.0f, 1.0f)), -kPitchLimit, kPitchLimit);
        const float p = desired - pitch;
        if (std::fabs(p) <= fine)
            pitchRate += dt * p * 0.5f;
        else
            pitchRate += Sign(p) * dt * s * 5.0f;
        pitch = std::clamp(pitch + dt * pitchRate, -kPitchLimit, kPitchLimit);
        pitchError = desired - pitch;
    }
    if (std::fabs(e) < kOnAim && std::fabs(pitchError) < kOnAim && aggression > 1.0f) {
        Fire();
        if (gun.fireCounter == 2 && burstReady) {
            burstReady = 0;
            aggression = 1.0f;
        }
    }
}

Matrix4 CTowerObject::TurretMatrix() const
{
    Matrix4 turret;
    Matrix4Identity(turret);
    Matrix4RotateZ(turret, yaw);
    turret.m[12] = frame.position.x;
    turret.m[13] = frame.position.y;
    turret.m[14] = frame.position.z;
    return turret;
}

bool CTowerObject::MuzzleFrame(const Matrix4& turret, Matrix4& out) const
{
    (void)turret;
    const STowerType* desc = Row();
    if (!desc || !gun.assigned || desc->fxPart < 0)
        return false;
    CComplexObject* model = ModelAt(desc->model.Index());
    if (!model || desc->fxPart >= model->GetPartCount())
        return false;
    CModel* part = model->GetPartObject(desc->fxPart);
    const auto weights = TurretWeights(pitch);
    return part && part->GetBoxCenterFrame(desc->fxCorners, weights.data(), out);
}

void CTowerObject::Fire()
{
    ZJ_TRACE("CTowerObject::Fire");
    STowerType* desc = Row();
    if (!desc || !target)
        return;
    if (!desc->prepared)
        g_TowerManager.InitTower(typeIndex);
    const Matrix4 turret = TurretMatrix();
    Matrix4 muzzle;
    if (!MuzzleFrame(turret, muzzle))
        return;
    Vec3 origin;
    TransformCoord(origin, Vec3 { muzzle.m[12], muzzle.m[13], muzzle.m[14] }, turret);
    Vec3 direction { target->frame.position.x - origin.x, target->frame.position.y - origin.y,
        target->frame.position.z - origin.z };
    const float distance = std::sqrt(Vec3LengthSq(direction));
    if (distance > 0.0f)
        direction = Vec3 { direction.x / distance, direction.y / distance, direction.z / distance };
    Vec3 end;
    if (Location.GetRayIntersection(origin, direction, distance, end))
        return;
    CZJObject* hit = nullptr;
    ObjectList.GetRayIntersection(origin, direction, distance + kRayMargin, end, this, hit);
    if (hit != target)
        return;
    gun.FIRE(turret, muzzle, direction, 1.0f);
}

void CTowerObject::Draw()
{
    ZJ_TRACE("CTowerObject::Draw");
    const STowerType* desc = Row();
    if (!desc)
        return;
    const Vec3& p = frame.position;
    LightWare.SetLights(p.x, p.y, p.z, radius);
    const float brightness = GetObjectBrightness(p);
    if (CComplexObject* base = ModelAt(desc->postModel.Index())) {
        Matrix4 world;
        Matrix4Identity(world);
        world.m[12] = p.x;
        world.m[13] = p.y;
        world.m[14] = p.z;
        g_Graphic.SetWorldMatrix(world);
        base->SetColor(brightness, brightness, brightness, brightness);
        base->Render(nullptr, 0, CComplexObject::kAllGroups);
        base->ResetColor();
    }
    const Matrix4 turret = TurretMatrix();
    if (CComplexObject* model = ModelAt(desc->model.Index())) {
        const auto weights = TurretWeights(pitch);
        g_Graphic.SetWorldMatrix(turret);
        model->SetColor(brightness, brightness, brightness, brightness);
        model->Render(weights.data(), 0, CComplexObject::kAllGroups);
        model->ResetColor();
    }
    Matrix4 muzzle;
    if (!MuzzleFrame(turret, muzzle))
        return;
    gun.Draw(turret, muzzle, -1);
    if (EffectRenderManager.IsCollecting())
        EffectRenderManager.AddEffect(viewDistance * viewDistance, this, 0);
    else
        DrawEffect(0);
}

void CTowerObject::DrawEffect(int argument)
{
    (void)argument;
    if (gun.assigned)
        gun.DrawEffect(!(gun.timeSinceShot > 0.0f && gun.timeSinceShot < 0.5f), -1);
}
