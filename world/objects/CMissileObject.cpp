// CMissileObject: launch, flight, homing, impacts, splits and the network record.
#include "world/objects/CMissileObject.h"

#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/Rand.h"
#include "foundation/XRandom.h"
#include "foundation/XRangeError.h"
#include "net/wire/NetWire.h"
#include "render/CModelManager.h"
#include "world/db/CExploManager.h"
#include "world/db/CMissileManager.h"
#include "world/db/PlayerEquipmentFlags.h"
#include "world/objects/CCamera.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CPhysics.h"
#include "world/objects/ObjectMath.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CLocation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <set>

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr float kSearchRadius = 500.0f;
constexpr float kConeCos = 0.75f;

// How a kind's radius comes from its row.
enum class RadiusFrom { Keep, Scale, Model };

struct SKindLaunch {
    float life;
    RadiusFrom radiusFrom;
    float radiusFactor;
};

// Kinds 1..8 at index kind - 1.
constexpr SKindLaunch kLaunch[8] = {
    { 5.0f, RadiusFrom::Scale, 0.5f },
    { 5.0f, RadiusFrom::Model, 1.0f },
    { 2.0f, RadiusFrom::Keep, 1.0f },
    { 10.0f, RadiusFrom::Model, 0.25f },
    { 2.0f, RadiusFrom::Scale, 1.0f },
    { 10.0f, RadiusFrom::Scale, 1.0f },
    { 1.0f, RadiusFrom::Keep, 1.0f },
    { 2.0f, RadiusFrom::Scale, 0.5f },
};

// The rocket's trail by SUBTYPE; the last row serves every other value.
struct SRocketTrail {
    int32_t subType;
    int32_t capacity;
    float density;
    float life;
    float pointSize;
    float growth;
    uint32_t colours[3];
};

constexpr SRocketTrail kRocketTrails[] = {
    { -1, 300, 1.0f, 0.5f, 2.0f, 2.0f, { 0xFFE0A0, 0x808080, 0x606060 } },
    { 0, 1000, 1.0f, 1.0f, 3.5f, 3.0f, { 0xFFE0A0, 0x808080, 0x606060 } },
    { 1, 500, 0.5f, 1.0f, 4.0f, 3.0f, { 0xA0E0FF, 0x808090, 0x606060 } },
    { 2, 750, 1.0f, 0.5f, 2.5f, 2.0f, { 0xE0FFA0, 0x808080, 0x606060 } },
    { 0, 1000, 1.0f, 1.0f, 2.0f, 4.0f, { 0, 0, 0 } },
};
constexpr float kRampTimes[4] = { 0.1f, 0.2f, 0.5f, 0.7f };

bool KnownKind(int32_t kind)
{
    return kind >= CMissileObject::kBullet && kind <= CMissileObject::kPiercer;
}

// Logs a row of an unknown kind once.
void LogUnknownKind(int row, int32_t kind)
{
    static std::set<int> logged;
    if (!logged.insert(row).second)
        return;
    char line[96];
    std::snprintf(line, sizeof line, "CMissileObject: projectile row %d has unknown kind %d", row, int(kind));
    WriteErrorLog(line);
}

Vec3 Column(const Matrix4& m, int c)
{
    return Vec3 { m.m[c], m.m[4 + c], m.m[8 + c] };
}

void SetColumn(Matrix4& m, int c, const Vec3& v)
{
    m.m[c] = v.x;
    m.m[4 + c] = v.y;
    m.m[8 + c] = v.z;
}

Vec3 Add(const Vec3& a, const Vec3& b)
{
    return Vec3 { a.x + b.x, a.y + b.y, a.z + b.z };
}

Vec3 Sub(const Vec3& a, const Vec3& b)
{
    return Vec3 { a.x - b.x, a.y - b.y, a.z - b.z };
}

Vec3 Scaled(const Vec3& a, float s)
{
    return Vec3 { a.x * s, a.y * s, a.z * s };
}

Vec3 Unit(const Vec3& a)
{
    Vec3 out;
    Vec3Normalize(out, a);
    return out;
}

float Limited(float value)
{
    return std::fabs(value) > 1.0f ? (value > 0.0f ? 1.0f : -1.0f) : value;
}

// A frame whose heading (column 2) is the normal, at point.
Matrix4 FrameAlong(const Vec3& normal, const Vec3& point)
{
    Matrix4 m;
    Matrix4Identity(m);
    const Vec3 n = Unit(normal);
    const Vec3 a = Math::MakeOrthoBasis(n);
    Vec3 b;
    Vec3Cross(b, a, n);
    SetColumn(m, 0, b);
    SetColumn(m, 1, a);
    SetColumn(m, 2, n);
    m.m[12] = point.x;
    m.m[13] = point.y;
    m.m[14] = point.z;
    return m;
}

bool PlayerEvades()
{
    return PlayerEquipmentFlags[kEqpAntirocketSystem] != 0 && PlayerControl.AntirocketOn != 0;
}

} // namespace

CMissileObject::CMissileObject()
{
    type = kMissile;
    runs = 1;
    moves = 1;
    solid = 1;
    pointSized = 1;
    alive = 1;
    visible = 1;
    collisionNotice = 1;
    netInit = 1;
    notifyOnDelete = 1;
    hitByRays = 0;
    drawDistanceFactor = 10.0f;
    radius = 1.0f;
    mass = 0.0001f;
}

CMissileObject::~CMissileObject() = default;

const SMissileType& CMissileObject::Row() const
{
    return *static_cast<const SMissileType*>(typeRecord);
}

Vec3 CMissileObject::Heading() const
{
    return Column(frame.matrix, 2);
}

void CMissileObject::Init(const float* placement, NameKey32 typeId)
{
    ZJ_TRACE("CMissileObject::Init");
    flying = 1;
    Matrix4 m;
    std::memcpy(m.m, placement, sizeof m.m);
    for (int c = 0; c < 3; ++c)
        SetColumn(m, c, Unit(Column(m, c)));
    frame.SetMatrix(m);
    frame.UpdateAxes();
    SetPosition(frame.position);
    prevPosition = frame.position;
    int32_t row;
    std::memcpy(&row, typeId.text, 4);
    if (row < 0 || row >= g_MissileManager.RowCount())
        throw XRangeError();
    typeKey = typeId;
    typeIndex = row;
    typeRecord = &g_MissileManager.GetDesc(row);
    const SMissileType& desc = Row();
    velocity = Scaled(Heading(), desc.speed);
    kind = desc.kind;
    impactTimer = 0.5f;
    if (!KnownKind(kind)) {
        LogUnknownKind(row, kind);
        return;
    }
    Launch(desc);
}

void CMissileObject::Init()
{
    Init(frame.matrix.m, typeKey);
}

void CMissileObject::Launch(const SMissileType& row)
{
    const SKindLaunch& launch = kLaunch[kind - 1];
    lifeTime = launch.life;
    switch (launch.radiusFrom) {
    case RadiusFrom::Scale:
        radius = row.scale * launch.radiusFactor;
        break;
    case RadiusFrom::Model: {
        const int32_t model = row.model.Index();
        if (g_pModelManager && model >= 0 && model < g_pModelManager->GetModelCount())
            radius = g_pModelManager->GetModelRadius(model) * launch.radiusFactor;
        break;
    }
    case RadiusFrom::Keep:
        break;
    }
    switch (kind) {
    case kRocket:
        mass = row.weight;
        thrust = row.t * 15.0f;
        turnRate = row.rotate == 0.0f ? kPi * 1.5f : kPi * row.rotate / 120.0f;
        steered = 1;
        travelDamping = 1.3f;
        travelDampingScale = 0.5f;
        liftDampingUp = liftDampingDown = sideDamping = 2.25f;
        break;
    case kCloud:
        travelDamping = liftDampingUp = liftDampingDown = sideDamping = 0.0f;
        pointSized = 0;
        break;
    case kBomb:
        mass = row.weight;
        travelDamping = 1.05f;
        travelDampingScale = 1000.0f;
        liftDampingUp = liftDampingDown = sideDamping = 1.05f;
        gravityOn = 1;
        break;
    case kWanderer:
        mass = 1.0f;
        steered = followsTerrain = banks = 0;
        travelDamping = liftDampingUp = liftDampingDown = sideDamping = 0.0f;
        hovers = 1;
        gravityOn = 1;
        break;
    case kDrop:
        gravityOn = 1;
        break;
    default:
        break;
    }
    LaunchTrail(row);
}

void CMissileObject::LaunchTrail(const SMissileType& row)
{
    const Vec3 p = frame.position;
    switch (kind) {
    case kRocket: {
        const SRocketTrail* t = &kRocketTrails[std::size(kRocketTrails) - 1];
        for (size_t i = 0; i + 1 < std::size(kRocketTrails); ++i)
            if (kRocketTrails[i].subType == row.subType)
                t = &kRocketTrails[i];
        const bool ramp = t != &kRocketTrails[std::size(kRocketTrails) - 1];
        trail.Init(ramp ? 3 : 0, t->capacity, Sub(p, Scaled(Heading(), 10.0f)), t->density, t->life,
            t->pointSize, t->growth);
        if (ramp) {
            std::memcpy(trail.rampColour, t->colours, sizeof trail.rampColour);
            std::memcpy(trail.rampTime, kRampTimes, sizeof trail.rampTime);
        }
        break;
    }
    case kCloud:
        trail.Init(4, 4000, p, 20.0f, 0.25f, 1.0f, 0.0f);
        trail.SetSpiralAxes(Column(frame.matrix, 1), Column(frame.matrix, 0));
        trail.spiral = 1;
        trail.spiralPeriod = 10.0f;
        trail.spiralRadius = 1.0f;
        break;
    case kBomb:
        if (row.subType == 1)
            trail.Init(0, 500, p, 1.5f, 1.0f, 1.5f, -0.5f);
        else
            trail.Init(0, 1000, p, 0.75f, 1.0f, 2.5f, -0.25f);
        break;
    case kWanderer:
        trail.Init(2, 500, p, 1.0f, 1.0f, 8.0f, -0.5f);
        trail.spiralRadius = 2.0f;
        break;
    default:
        break;
    }
}

void CMissileObject::Run()
{
    ZJ_TRACE("CMissileObject::Run");
    if (!KnownKind(kind)) {
        Stop();
        ObjectList.DeleteObject(this);
        return;
    }
    if (CameraObject) {
        const float range = float(VisibleRadius) * 10.0f;
        if (Vec3LengthSq(Sub(frame.position, CameraObject->frame.position)) > range * range) {
            ObjectList.DeleteObject(this);
            return;
        }
    }
    const float dt = FrameTime;
    lifeTime -= dt;
    RunKind(dt);
    if (flying)
        RunTerrain(dt);
    if (!flying)
        EndOfLife(dt);
}

void CMissileObject::UpdateTrailSphere()
{
    SEffectSphere& sphere = EffectSphere(0);
    sphere.active = 1;
    sphere.centre = trail.boundsCentre;
    sphere.radius = trail.boundsRadius;
    effectSphereCount = 1;
}

void CMissileObject::RunKind(float dt)
{
    const Vec3 p = frame.position;
    switch (kind) {
    case kBullet: {
        SEffectSphere& sphere = EffectSphere(0);
        sphere.active = 1;
        sphere.centre = Scaled(Add(prevPosition, p), 0.5f);
        sphere.radius = Vec3Length(Sub(p, prevPosition));
        effectSphereCount = 1;
        break;
    }
    case kRocket:
        if (flying)
            trail.EmitTo(Sub(p, Scaled(Heading(), radius)), 1.0f, kWhite);
        trail.Update(dt);
        UpdateTrailSphere();
        if (flying)
            Home(dt);
        break;
    case kCloud: {
        const float e = 2.0f - lifeTime;
        const float s = (e * e + 0.1f) * (e * e + 0.1f) * 15.0f + 0.1f;
        trail.spiralRadius = s;
        radius = std::max(s, 1.0f);
        if (flying)
            trail.EmitTo(p, lifeTime, kWhite);
        trail.Update(dt);
        UpdateTrailSphere();
        break;
    }
    case kBomb:
        if (flying)
            trail.EmitTo(Add(p, Scaled(velocity, dt * 0.75f)), 1.0f, 0x101010);
        trail.Update(dt);
        UpdateTrailSphere();
        if (flying && Row().subType == 3 && velocity.z < -5.0f && 10.0f - lifeTime > 2.0f) {
            SplitMissile(Row().numState, 20.0f, Row().subMissile.Key());
            flying = 0;
        }
        break;
    case kWanderer: {
        if (flying)
            trail.EmitTo(p, std::min(lifeTime, 1.0f), kWhite);
        trail.Update(dt);
        UpdateTrailSphere();
        const bool vertical = (Rand() & 1) != 0;
        const float a = float(Rand() % 100 - 50) * 0.001f;
        const float c = std::cos(a), s = std::sin(a);
        const Vec3 v = velocity;
        if (vertical)
            velocity = Vec3 { v.x * c - v.y * s, v.x * s + v.y * c, v.z };
        else
            velocity = Vec3 { v.x, v.y * c - v.z * s, v.y * s + v.z * c };
        break;
    }
    default:
        break;
    }
}

void CMissileObject::Home(float dt)
{
    const Vec3 h = Heading();
    const double time = GameClock;
    if (!targetLocked && std::trunc((time + dt) * 2.0) != std::trunc(time * 2.0)) {
        ZJ_TRACE("CMissileObject::Run - error while spy target");
        SearchTarget(h);
    }
    const Vec3 p = frame.position;
    if (!target) {
        SetControlX(std::sin(float(time) * 10.0f) * 0.3f);
        SetControlY(std::cos(float(time) * 10.0f) * 0.1f);
        return;
    }
    const Vec3 targetPosition = target->frame.position;
    const Vec3 d = Unit(Sub(targetPosition, p));
    const Vec3 s = Unit(Add(h, Unit(velocity)));
    if (h.x * d.x + h.y * d.y >= kConeCos)
        SetControlX(Limited(10.0f * (s.y * d.x - s.x * d.y)));
    else
        target = nullptr;
    const float a = std::hypot(d.x, d.y);
    const float b = std::hypot(h.x, h.y);
    const float c = std::hypot(s.x, s.y);
    if (h.z * d.z + a * b >= kConeCos)
        SetControlY(Limited(10.0f * (s.z * a - d.z * c)));
    else
        target = nullptr;
    if (!target || 5.0f - lifeTime <= 1.5f)
        return;
    const float distanceSq = Vec3LengthSq(Sub(targetPosition, p));
    const int32_t subType = Row().subType;
    if ((subType == 3 && distanceSq < 40000.0f) || (subType == 4 && distanceSq < 5625.0f)) {
        SplitMissile(Row().numState, 60.0f, Row().subMissile.Key());
        flying = 0;
    }
}

void CMissileObject::SearchTarget(const Vec3& h)
{
    const Vec3 p = frame.position;
    SObjectQuery found {};
    ObjectList.GetRealTimeObjectList(p, kSearchRadius, kGlider, found);
    CZJObject* best = nullptr;
    float bestDistance = 1.0e11f;
    for (int i = 0; i < found.count; ++i) {
        auto* glider = dynamic_cast<CGliderObject*>(found.objects[i]);
        if (!glider || glider->dead || (glider == PlayerObject && PlayerEvades()))
            continue;
        const Vec3 aim = glider->moves ? Add(glider->frame.position, Scaled(glider->velocity, 0.25f))
                                       : glider->frame.position;
        const Vec3 d = Unit(Sub(aim, p));
        if (h.x * d.x + h.y * d.y <= kConeCos)
            continue;
        if (glider == target) {
            best = glider;
            break;
        }
        const float distance = Vec3LengthSq(Sub(glider->frame.position, p));
        if (distance < bestDistance) {
            best = glider;
            bestDistance = distance;
        }
    }
    target = best;
}

bool CMissileObject::FindTerrainImpact(float dt, float h, Vec3& impact) const
{
    const Vec3 p = frame.position;
    // Under the ground the crossing is the impact; a segment that starts on or under the ground
    // gives its start as the crossing, so a missile never flies on below the terrain.
    if (p.z < h) {
        Location.FindTerrainCrossing(Sub(p, Scaled(velocity, prevFrameTime)), p, impact);
        return true;
    }
    if (h > p.z - (dt * 100.0f + 5.0f)) {
        const Vec3 back = Scaled(Heading(), -1.0f);
        return Location.GetRayIntersection(p, back, Vec3Length(velocity) * dt, impact);
    }
    return false;
}

void CMissileObject::RunTerrain(float dt)
{
    const float h = Location.GetHeight(frame.position, true, false);
    if (kind == kBomb && Row().subType == 2) {
        BounceBomb(h);
        return;
    }
    Vec3 impact;
    if (FindTerrainImpact(dt, h, impact)) {
        SetPosition(impact);
        Explode(FrameAlong(Physics.GetMapLNormal(impact, false), impact));
        Stop();
        return;
    }
    if (lifeTime > 0.0f)
        return;
    Stop();
    if (kind == kRocket || kind == kBomb)
        Explode(frame.matrix);
}

void CMissileObject::BounceBomb(float h)
{
    const Vec3 p = frame.position;
    // Each contact leaves at most a second: a bomb resting on the ground touches it every frame.
    if (p.z - radius < h) {
        lifeTime = std::min(lifeTime, 1.0f);
        const Vec3 n = Physics.GetMapLNormal(p, false);
        const float k = Vec3Dot(n, velocity);
        if (k < 0.0f) {
            velocity = Sub(velocity, Scaled(n, 2.0f * k));
            velocity = Scaled(velocity, n.z >= 0.9f ? 0.5f : 0.9f);
        }
        if (p.z < h && velocity.z < 0.0f)
            velocity = Vec3 {};
    }
    if (lifeTime <= 0.0f) {
        Explode(frame.matrix);
        Stop();
    }
}

void CMissileObject::EndOfLife(float dt)
{
    switch (kind) {
    case kBullet:
        if (impactTimer >= 0.0f) {
            impactTimer -= dt;
            return;
        }
        break;
    case kRocket:
    case kCloud:
    case kBomb:
    case kWanderer:
        if (!trail.IsEmpty())
            return;
        break;
    default:
        break;
    }
    ObjectList.DeleteObject(this);
}

void CMissileObject::Stop()
{
    velocity = Vec3 {};
    thrust = 0.0f;
    moves = 0;
    flying = 0;
}

CZJObject* CMissileObject::Explode(const Matrix4& placement)
{
    const SMissileType& row = Row();
    if (row.explosion.Index() == -1)
        return nullptr;
    CZJObject* explosion = g_ExploManager.CreateObject(row.explosion.Key(), placement.m, nullptr);
    if (explosion) {
        explosion->remote = remote;
        explosion->owned = owned;
    }
    return explosion;
}

void CMissileObject::SplitMissile(int count, float spread, NameKey32 subType)
{
    ZJ_TRACE("CMissileObject::SplitMissile");
    if (!IsLocal()) {
        flying = 0;
        return;
    }
    int32_t subRow;
    std::memcpy(&subRow, subType.text, 4);
    if (subRow != -1) {
        for (int i = 0; i < count; ++i) {
            auto* sub = static_cast<CMissileObject*>(
                g_MissileManager.CreateObject(subType, frame.matrix.m, nullptr));
            SharedRandom.Get(2.0f);
            SharedRandom.Get(2.0f);
            const float r = SharedRandom.Get(2.0f) - 1.0f;
            sub->velocity = Add(velocity, Vec3 { r * spread, r * spread, r * spread });
            sub->owner = owner;
            sub->target = target;
            sub->targetLocked = 1;
            sub->remote = remote;
            sub->owned = owned;
            if (owned)
                ObjectList.AddToExtraList(sub);
        }
    }
    Explode(frame.matrix);
}

void CMissileObject::SetColissionObject(CZJObject* other, const Vec3& normal, const Vec3& point)
{
    (void)point;
    if (!flying || !other)
        return;
    const SMissileType& row = Row();
    const Vec3 p = frame.position;
    if (other->targetable && IsLocal()) {
        const bool heavy = kind == kRocket || kind == kCloud || kind == kBomb || kind == kPiercer;
        other->Damage(row.damage, p, heavy ? 1 : 0, owner, -1);
    }
    if (kind == kPiercer)
        return;
    if (kind == kBullet || kind == kRocket || kind == kBomb || !other->targetable) {
        const float dt = FrameTime;
        const Vec3 from = Sub(p, Scaled(velocity, 2.0f * dt));
        const Vec3 u = Unit(velocity);
        const float reach = dt * Vec3Length(velocity) * 6.0f;
        float t = other->solid ? ObjectList.RaySphere(from, u, reach, other, false)
                               : ObjectList.GetRayIntersectionPolygon(from, u, reach, other, false);
        if (t >= 0.0f)
            SetPosition(Add(from, Scaled(u, t)));
        if (CZJObject* explosion = Explode(FrameAlong(normal, frame.position)))
            explosion->owner = owner;
    }
    Stop();
}

void CMissileObject::ProcessDelete(CZJObject* deleted)
{
    if (deleted == owner)
        owner = nullptr;
    if (deleted == target) {
        target = nullptr;
        targetLocked = 0;
    }
}

void CMissileObject::PackNetState(uint8_t* record, int* size)
{
    using namespace NetWire;
    CDynamicObject::PackNetState(record, size);
    Put<uint32_t>(record, Missile::kOwner, owner ? owner->networkId : 0);
    Put<uint8_t>(record, Missile::kState, flying);
    *size += int(Missile::kSize - Moving::kSize);
    netDirty = 0;
}

void CMissileObject::UnpackNetState(const uint8_t* record, int* size)
{
    using namespace NetWire;
    CDynamicObject::UnpackNetState(record, size);
    if (*size == 0 || Get<uint16_t>(record, Record::kLength) < Missile::kSize)
        return;
    const uint32_t ownerId = Get<uint32_t>(record, Missile::kOwner);
    if (!owner && ownerId != 0)
        owner = ObjectList.FindNetObject(ownerId);
    flying = Get<uint8_t>(record, Missile::kState);
    *size += int(Missile::kSize - Moving::kSize);
}
