#include "world/objects/CPhysics.h"

#include "world/objects/CDynamicObject.h"
#include "world/objects/CObjectList.h"
#include "world/objects/ObjectMath.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CLocation.h"

#include <algorithm>
#include <cmath>

CPhysics Physics;

namespace {

Vec3 operator+(const Vec3& a, const Vec3& b)
{
    return { a.x + b.x, a.y + b.y, a.z + b.z };
}
Vec3 operator-(const Vec3& a, const Vec3& b)
{
    return { a.x - b.x, a.y - b.y, a.z - b.z };
}
Vec3 operator*(const Vec3& a, float k)
{
    return { a.x * k, a.y * k, a.z * k };
}
float Dot(const Vec3& a, const Vec3& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
float Length(const Vec3& a)
{
    return std::sqrt(Dot(a, a));
}
bool Finite(const Vec3& a)
{
    return std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(a.z);
}

// A remote copy that this game does not own catches up by its lag.
float StepOf(const CDynamicObject& object, float dt)
{
    return object.remote && !object.owned ? dt + object.netLag : dt;
}

float Limit(float value, float limit)
{
    return std::clamp(value, -limit, limit);
}

// Over an object surface or the map's edge the normal is flat.
constexpr Vec3 kFlat { 0.0f, 0.0f, 1.0f };
constexpr float kRayLift = 5.0f;
constexpr float kRaySlack = 10.0f;
constexpr float kNoDecay = 1.0e10f;
constexpr float kFarOff = 1.0e6f;

} // namespace

float CPhysics::DampValue(float value, float dt, float k, float s)
{
    return value / std::pow((std::fabs(value / s) + 1.0f) * k, dt);
}

float CPhysics::TerrainHeight(const Vec3& point)
{
    // Far beyond any map (4097 points of 10 units) the terrain answers 0; the terrain's queries
    // are not asked, so no far-off coordinate is converted to a grid index.
    if (!(std::fabs(point.x) < kFarOff && std::fabs(point.y) < kFarOff))
        return 0.0f;
    const float h = Location.GetHeight(point, true, false);
    return h == 0.0f ? Location.GetHeightAt(point, true) : h;
}

float CPhysics::GetGroundHeight(const Vec3& point, const CZJObject* ignore)
{
    // The ground ray meets only non-solid objects (bridges, roofs), so a mover never meets itself.
    (void)ignore;
    const float h = TerrainHeight(point);
    const float length = point.z - h + kRaySlack;
    Vec3 hit {};
    CZJObject* hitObject = nullptr;
    if (length > 0.0f
        && ObjectList.GetRayIntersection2(Vec3 { point.x, point.y, point.z + kRayLift },
            Vec3 { 0.0f, 0.0f, -1.0f }, length, hit, hitObject)) {
        onObject = 1;
        objectGroundHeight = hit.z;
        objectNormal = kFlat;
        return std::max(h, hit.z);
    }
    onObject = 0;
    return h;
}

Vec3 CPhysics::GetMapLNormal(const Vec3& point, bool steepen)
{
    if (onObject)
        return objectNormal;
    const float fx = point.x * gridScale;
    const float fy = point.y * gridScale;
    // Checked as floats: a far-off point converts nothing out of range.
    if (!(fx > -1.0f && fy > -1.0f && fx < float(Location.width - 1) && fy < float(Location.height - 1)))
        return kFlat;
    const int gx = int(fx);
    const int gy = int(fy);
    const int column = gx >> 6;
    const int row = gy >> 6;
    const MapCell* cell = Location.Cell(column, row).full;
    if (!cell)
        return kFlat;
    const int lx = gx & 63;
    const int ly = gy & 63;
    const float u = fx - float(gx);
    const float v = fy - float(gy);
    const Vec3 n00 = UnpackNormal16(cell->planes.normal[ly * MapCell::kSide + lx]);
    const Vec3 n10 = UnpackNormal16(cell->planes.normal[ly * MapCell::kSide + lx + 1]);
    const Vec3 n01 = UnpackNormal16(cell->planes.normal[(ly + 1) * MapCell::kSide + lx]);
    const Vec3 n11 = UnpackNormal16(cell->planes.normal[(ly + 1) * MapCell::kSide + lx + 1]);
    Vec3 n;
    if (((lx + ly) & 1) == 0) {
        // Split from the (0, 0) corner to the (1, 1) corner.
        n = u <= v ? n00 + (n01 - n00) * (v - u) + (n11 - n00) * u
                   : n00 + (n10 - n00) * (u - v) + (n11 - n00) * v;
    } else {
        n = u + v > 1.0f ? n11 + (n01 - n11) * (1.0f - u) + (n10 - n11) * (1.0f - v)
                         : n00 + (n10 - n00) * u + (n01 - n00) * v;
    }
    const MapSurface* surface = Location.Cell(column, row).surface;
    if (surface && FullWater(cell->Code(ly & ~1, lx & ~1))
        && Location.GetHeight(point, false, false) < surface->waterLevel + 3.0f)
        return kFlat;
    if (!steepen)
        return n;
    if (n.z > 0.9f)
        return kFlat;
    const Vec3 steep { 1.5f * n.x, 1.5f * n.y, n.z };
    return steep * (1.0f / Length(steep));
}

Vec3 CPhysics::GetHoverForce(const Vec3& point, const CZJObject* object, float scale)
{
    const float d = std::max(point.z - GetGroundHeight(point, object), 1.0f);
    const Vec3 n = GetMapLNormal(point, true);
    const float k = scale / std::max(d, 6.0f * scale);
    const float force = hoverForce * k * k;
    return Vec3 { n.x * force, n.y * force, force };
}

Vec3 CPhysics::GetProbeForce(const Vec3& point, const CZJObject* object, float scale)
{
    (void)object;
    const float d = point.z - TerrainHeight(point);
    const Vec3 n = GetMapLNormal(point, false);
    const float k = scale / std::max(d, 3.5f * scale);
    return n * (hoverForce * k * k);
}

void CPhysics::Steer(CDynamicObject& object, float dt)
{
    const float limit = std::fabs(dt) * object.turnRate;
    object.yawRate = Limit(object.yawRate + dt * object.controlX * object.turnRate * 0.75f, limit);
    object.pitchControlRate
        = Limit(object.pitchControlRate + dt * object.controlY * object.turnRate * 0.75f, limit);
    object.frame.RotateZ(object.yawRate);
    object.frame.RotateX(object.pitchControlRate);
    object.frame.UpdateAxes();
    object.yawRate = DampValue(object.yawRate, dt, 1.0e8f, kNoDecay);
    object.pitchControlRate = DampValue(object.pitchControlRate, dt, 1.0e10f, kNoDecay);
}

void CPhysics::Bank(CDynamicObject& object, float dt, float& s, float& u, float& w)
{
    if (object.steered) {
        float yaw;
        float pitch;
        if (&object == PlayerObject && object.type == CZJObject::kGlider) {
            const float k = object.turnRate / object.mass;
            yaw = k * s * w * dt * 0.25f;
            pitch = k * s * u * dt * 0.125f;
        } else {
            const float k = s / object.mass;
            yaw = k * w * dt * object.turnRate * 0.125f;
            pitch = k * u * dt * object.turnRate * 0.075f;
        }
        object.frame.RotateZ(yaw);
        object.frame.RotateX(pitch);
        object.frame.UpdateAxes();
    }
    s = DampValue(s, dt, 8.0f * object.bankCoupling, kNoDecay);
    w = DampValue(w, dt, 8.0f * object.bankCoupling, kNoDecay);
}

void CPhysics::PreMove(CDynamicObject* object, float dt)
{
    CDynamicObject& o = *object;
    if (!Finite(o.velocity) || !Finite(o.frame.position)) {
        if (!ObjectList.IsDeletePending(object))
            ObjectList.DeleteObject(object);
        return;
    }
    dt = StepOf(o, dt);
    if (o.steered && dt != 0.0f)
        Steer(o, dt);

    const Vec3& axis1 = o.frame.forward;
    const Vec3& axis3 = o.frame.side;
    Vec3 a = axis1 * (o.thrust / o.mass) - axis3 * (o.sideImpulse / o.mass);
    o.sideImpulse = 0.0f;

    const bool glider = o.type == CZJObject::kGlider;
    const float heightAbove = glider ? o.frame.position.z - GetGroundHeight(o.frame.position, object) : 0.0f;
    if (o.hovers) {
        const Vec3& v = o.velocity;
        const float rising = std::max(v.z, 0.0f);
        const Vec3 q = o.frame.position + (a * dt + v) * dt;
        const float f = 1.05f - 2.0f / (Length(v) + 5.0f);
        Vec3 lift = GetHoverForce(q, object, o.hoverScale) * (f / (rising + 1.0f));
        const float length = Length(lift);
        if (length > kMaxLift)
            lift = lift * (kMaxLift / length);
        if (glider) {
            if (v.z < -30.0f)
                lift.z *= (-30.0f - v.z) * (-30.0f - v.z) * 0.1f + 1.0f;
            if (heightAbove < o.hoverHeight) {
                const float t = 3.0f * (o.hoverHeight - heightAbove) / o.hoverHeight;
                lift = lift * (t * t + 1.0f);
            }
        }
        a = a + lift;
        a.z = std::min(a.z, kMaxRise);
    }
    if (o.gravityOn) {
        if (!o.hovers) {
            a.z -= kGravity;
        } else {
            const float nz = GetMapLNormal(o.frame.position, false).z;
            if (nz >= steepLimit) {
                a.z -= kGravity;
            } else if (nz >= 0.5f) {
                const float t = (nz - 0.5f) / (steepLimit - 0.5f);
                a.z -= (t * t + 1.0f) * kGravity;
            } else {
                o.velocity.z = std::min(o.velocity.z, 0.0f);
                a.z = -kMaxLift;
            }
        }
        if (glider && heightAbove > 24.0f) {
            const float e = heightAbove / 12.0f - 0.25f;
            a.z -= std::min(e * e, 8.0f) * kGravity;
        }
    }
    o.velocity = o.velocity + a * dt;
    o.frame.UpdateAxes();

    float s = Dot(o.velocity, o.frame.forward);
    float u = Dot(o.velocity, o.frame.up);
    float w = Dot(o.velocity, o.frame.side);
    const float lift = u > 0.0f ? o.liftDampingUp : o.liftDampingDown;
    if (lift != 0.0f)
        u = DampValue(u, dt, lift, kNoDecay);
    if (o.sideDamping != 0.0f)
        w = w / std::pow((std::fabs(w) * 1.0e-10f + 1.0f) * o.sideDamping, dt);
    if (o.travelDamping != 0.0f)
        s = DampValue(s, dt, o.travelDamping, o.travelDampingScale);
    if (o.banks && o.bankCoupling != 0.0f)
        Bank(o, dt, s, u, w);
    o.velocity = o.frame.forward * s + o.frame.up * u + o.frame.side * w;
}

void CPhysics::FollowTerrain(CDynamicObject& o, const Vec3& p, float dt)
{
    const Vec3 axis1 = o.frame.forward;
    const Vec3 axis2 = o.frame.up;
    const Vec3 axis3 = o.frame.side;
    const Vec3 pitch1 = GetProbeForce(p - axis1 * o.pitchProbe, &o, o.hoverScale);
    const Vec3 pitch2 = GetProbeForce(p + axis1 * o.pitchProbe, &o, o.hoverScale);
    o.pitchRate += dt * (o.pitchStiffness / o.pitchProbe)
        * -(Dot(pitch2 - pitch1, axis2) - axis1.z * o.pitchProbe * 4.0f);
    o.frame.RotateX(o.pitchRate * dt);
    o.pitchRate = o.pitchRate / std::pow((std::fabs(o.pitchRate) * 1.0e-10f + 1.0f) * 10.0f, dt);

    const float d = o.rollProbe * (axis2.z > 0.0f ? 1.0f : -1.0f);
    const Vec3 roll1 = GetProbeForce(p - axis3 * d, &o, o.hoverScale);
    const Vec3 roll2 = GetProbeForce(p + axis3 * d, &o, o.hoverScale);
    float torque
        = (o.rollStiffness / o.rollProbe) * -(Dot(roll2 - roll1, axis2) - axis3.z * o.rollProbe * 4.0f);
    const float speed = Length(o.velocity);
    if (speed > 10.0f) {
        const float c = Dot(axis3, o.velocity) / speed;
        if (std::fabs(c) > 0.5f)
            torque -= (2.0f * c - std::copysign(1.0f, c)) * speed * o.driftRoll * 0.05f;
    }
    o.rollRate += torque * dt;
    Math::RotateFrameZ(o.frame, o.rollRate * dt);
    o.rollRate = o.rollRate / std::pow((std::fabs(o.rollRate) * 1.0e-10f + 1.0f) * 100.0f, dt);
    o.frame.UpdateAxes();
}

void CPhysics::Move(CDynamicObject* object, float dt)
{
    CDynamicObject& o = *object;
    if (!Finite(o.velocity) || !Finite(o.frame.position))
        return;
    if (o.remote && !o.owned) {
        dt += o.netLag;
        o.netLag = 0.0f;
    }
    Vec3 p = o.frame.position + o.velocity * dt;
    if (o.followsTerrain)
        FollowTerrain(o, p, dt);
    if (o.hovers) {
        const float g = GetGroundHeight(p, object);
        if (p.z - g < kClearance) {
            p.z = g + kClearance;
            const Vec3 n = GetMapLNormal(p, false);
            const float vn = Dot(o.velocity, n);
            if (vn < 0.0f)
                o.velocity = o.velocity - n * (1.5f * vn);
        }
    }
    o.SetPosition(p);
}
