// The collision pass: for each mover, the objects filed in its cell and the three cells toward its
// motion, a broad sphere test, and the responders (resting sphere, moving sphere, polygon model,
// point against polygons, or the object's own custom collision) that report the contact to both
// objects and answer with impulses.
#include "world/objects/CObjectList.h"

#include "audio/CSoundManager.h"
#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "render/CComplexObject.h"
#include "world/db/ResourceIds.h"
#include "world/objects/CDynamicObject.h"
#include "world/objects/CObjectList_local.h"
#include "world/objects/CZJAppEvent.h"
#include "world/objects/PlayerGlobals.h"

#include <algorithm>
#include <cmath>

namespace {

using namespace ObjectGeometry;
using ObjectGrid::IsFinite;

// Objects remembered per mover; later candidates are still handled, only not remembered.
constexpr int kHandled = 100;

float SphereRadius(const CZJObject& object)
{
    return object.pointSized ? 0.1f : object.radius;
}

void Notify(CZJObject* a, CZJObject* b, const Vec3& normal, const Vec3& point)
{
    if (a->collisionNotice)
        a->SetColissionObject(b, normal, point);
    if (b->collisionNotice)
        b->SetColissionObject(a, Scale(normal, -1.0f), point);
}

// The first time of contact of two spheres closing at relative velocity u (b - sqrt(disc) / |u|^2,
// kept as the pass has always taken it), clamped to 0..dt; false when they do not meet this frame.
bool ContactTime(const Vec3& d, const Vec3& u, float rs, float dt, float& t)
{
    const float u2 = Dot(u, u);
    const float b = Dot(d, u);
    const float disc = b * b - (Dot(d, d) - rs * rs) * u2;
    if (disc < 0.0f)
        return false;
    t = b - std::sqrt(disc) / u2;
    if (!(t <= dt))
        return false;
    t = std::max(t, 0.0f);
    return true;
}

// A speed along the normal below 10 in magnitude becomes 10 with its sign (0 counts as negative).
float AtLeastTen(float speed)
{
    if (std::fabs(speed) >= 10.0f)
        return speed;
    return speed > 0.0f ? 10.0f : -10.0f;
}

// The world-to-model transform of an object's frame; false for a singular frame.
bool ModelSpace(const CZJObject& object, SModelSpace& space)
{
    return MakeModelSpace(object.frame.matrix, object.frame.position, space);
}

} // namespace

void CObjectList::CheckCollision()
{
    ZJ_TRACE("CObjectList::CheckCollision");
    const float dt = FrameTime;
    CZJObject* handled[kHandled];
    for (CZJObject* moving : m_moving) {
        if (!moving->moves || !moving->alive)
            continue;
        auto* a = static_cast<CDynamicObject*>(moving);
        if (!IsFinite(a->velocity) || !IsFinite(a->frame.position))
            continue;
        if (!a->visible && a != PlayerObject)
            continue;
        int column = 0;
        int row = 0;
        if (!ObjectGrid::CellIndex(a->frame.position.x, column)
            || !ObjectGrid::CellIndex(a->frame.position.y, row))
            continue;
        const int dx = a->velocity.x > 0.0f ? 1 : -1;
        const int dy = a->velocity.y > 0.0f ? 1 : -1;
        const float va2 = Dot(a->velocity, a->velocity);
        int handledCount = 0;
        for (const int r : { row, row + dy }) {
            for (const int c : { column, column + dx }) {
                if (!Location.InMap(c, r))
                    continue;
                const ObjectGrid::CellWalk walk(Location.Cell(c, r).objects);
                for (size_t i = 0; i < walk.Count(); ++i) {
                    CZJObject* b = walk[i];
                    if (!b->hitByRays || !b->alive || b == a || b == a->owner || b->owner == a)
                        continue;
                    if (!b->visible && b != PlayerObject)
                        continue;
                    const Vec3 vb = b->moves ? static_cast<CDynamicObject*>(b)->velocity : Vec3 {};
                    if (b->moves && (b->id > a->id || !IsFinite(vb)))
                        continue;
                    if (!IsFinite(b->frame.position))
                        continue;
                    const float rs = a->radius + b->radius;
                    const Vec3 d = Sub(a->frame.position, b->frame.position);
                    const float d2 = Dot(d, d);
                    const bool near = b->moves ? d2 <= 1.5f * (rs * rs + va2 + Dot(vb, vb))
                                               : d2 <= 1.5f * rs * rs + 1.5f * va2;
                    if (!near || std::find(handled, handled + handledCount, b) != handled + handledCount)
                        continue;
                    if (handledCount < kHandled)
                        handled[handledCount++] = b;
                    if (b->customCollision)
                        b->CustomCollision(a, dt);
                    else if (b->solid && !b->moves)
                        CheckSphereCollisionStatic(a, b, dt);
                    else if (b->solid)
                        CheckSphereCollisionMove(a, b, dt);
                    else if (!a->pointSized) {
                        if (CheckPolygonCollision(a, b, dt))
                            CheckPolygonCollision(a, b, dt * 0.33f);
                    } else
                        CheckCollisionPoint(a, b, dt);
                }
            }
        }
    }
}

bool CObjectList::CheckSphereCollisionStatic(CZJObject* mover, CZJObject* b, float dt)
{
    ZJ_TRACE("CObjectList::CheckSphereCollisionStatic");
    auto* a = static_cast<CDynamicObject*>(mover);
    if (!IsFinite(a->velocity) || !IsFinite(a->frame.position))
        return false;
    const Vec3 u = Scale(a->velocity, -1.0f);
    const Vec3 d = Sub(b->frame.position, a->frame.position);
    const float ra = SphereRadius(*a);
    const float rb = SphereRadius(*b);
    const float u2 = Dot(u, u);
    // Without motion there is no contact time to take (and no speed to lose).
    if (u2 < 0.0001f || Dot(d, d) > 2.0f * ra * ra + rb * rb + u2 * dt * dt)
        return false;
    float t = 0.0f;
    if (!ContactTime(d, u, ra + rb, dt, t))
        return false;
    const Vec3 n = Unit(Sub(d, Scale(u, t)));
    const Vec3 point = Add(a->frame.position, Scale(a->velocity, t));
    Notify(a, b, n, point);
    a->ApplyImpulse(Scale(n, Dot(n, a->velocity) * -0.8f * a->mass));
    return true;
}

bool CObjectList::CheckSphereCollisionMove(CZJObject* mover, CZJObject* other, float dt)
{
    ZJ_TRACE("CObjectList::CheckSphereCollisionMove");
    auto* a = static_cast<CDynamicObject*>(mover);
    auto* b = static_cast<CDynamicObject*>(other);
    if (!IsFinite(a->velocity) || !IsFinite(a->frame.position))
        return false;
    const Vec3 w = Sub(b->velocity, a->velocity);
    const Vec3 d = Sub(b->frame.position, a->frame.position);
    const float w2 = Dot(w, w);
    if (Dot(d, d) < 0.0001f || w2 < 0.0001f)
        return false;
    const float ra = SphereRadius(*a);
    const float rb = SphereRadius(*b);
    if (Dot(d, d) > 2.0f * (ra * ra + rb * rb + w2 * dt * dt))
        return false;
    float t = 0.0f;
    if (!ContactTime(d, w, ra + rb, dt, t))
        return false;
    const Vec3 m = Sub(d, Scale(w, t));
    if (Length(m) < 1e-5f)
        return false;
    const Vec3 n = Unit(m);
    const Vec3 point = Add(a->frame.position, Scale(a->velocity, t));
    Notify(a, b, n, point);
    if (w2 > 250.0f && (a == PlayerObject || b == PlayerObject)) {
        if (g_pSoundManager)
            g_pSoundManager->Play3DSound(FindSoundId("SND_COLLISION"), point);
        if (AppEvents)
            AppEvents->OnCollision();
    }
    const float ua = AtLeastTen(Dot(n, a->velocity));
    const float ub = AtLeastTen(Dot(n, b->velocity));
    const float ma = a->mass;
    const float mb = b->mass;
    const float p = ma * ua + mb * ub;
    const float total = ma + mb;
    const float e = std::max((total * (mb * ub * ub + ma * ua * ua) * 0.8f - p * p) * ma * mb, 0.0f);
    const float ubAfter = (std::sqrt(e) / mb + p) / total;
    const float uaAfter = (p - ubAfter * mb) / ma;
    a->ApplyImpulse(Scale(n, (uaAfter - ua) * ma));
    b->ApplyImpulse(Scale(n, (ubAfter - ub) * mb));
    return true;
}

bool CObjectList::CheckPolygonCollision(CZJObject* mover, CZJObject* b, float dt)
{
    ZJ_TRACE("CObjectList::CheckPolygonCollision");
    auto* a = static_cast<CDynamicObject*>(mover);
    const XDynamicArray<SCollisionTriangle>* shape = b->GetModel();
    const float ra = a->radius;
    if (!shape
        || Length(a->velocity) * dt + b->radius + ra < Length(Sub(b->frame.position, a->frame.position)))
        return false;
    SModelSpace space {};
    if (!ModelSpace(*b, space))
        return false;
    const Vec3 p = space.Point(a->frame.position);
    const Vec3 v = space.Vector(a->velocity);
    const float rl = ra * space.scale;
    const float s = Length(v) * dt * 1.1f;
    const float k = (2.0f * rl + s) * s + rl * rl;
    bool hit = false;
    for (const SCollisionTriangle& tri : *shape) {
        if (Dot(Sub(p, tri.centre), Sub(p, tri.centre)) > 3.0f * (k + tri.size))
            continue;
        const Vec3 q = Sub(p, Scale(tri.normal, rl));
        const float h = Dot(Sub(q, tri.p1), tri.normal);
        if (!(h > -0.1f * s && h < s))
            continue;
        const float vn = Dot(v, tri.normal);
        if (!(vn < 0.0001f))
            continue;
        const float t = -h / vn;
        if (!(t > -0.1f * dt && t < 1.1f * dt))
            continue;
        const Vec3 c = Add(q, Scale(v, t));
        if (Dot(Sub(c, tri.centre), Sub(c, tri.centre)) > 3.0f * (tri.size + rl * rl))
            continue;
        Vec3 touch = c;
        if (!InTriangle(tri, c) && !NearEdge(tri, c, rl, touch))
            continue;
        const Vec3 normal = space.WorldNormal(tri.normal);
        Notify(a, b, normal, space.WorldPoint(touch));
        const float speed = std::max(Dot(a->velocity, Scale(normal, -1.0f)), 1.0f) * 1.3f;
        a->ApplyImpulse(Scale(normal, speed * a->mass));
        hit = true;
    }
    return hit;
}

bool CObjectList::CheckCollisionPoint(CZJObject* mover, CZJObject* b, float dt)
{
    ZJ_TRACE("CObjectList::CheckCollisionPoint");
    auto* a = static_cast<CDynamicObject*>(mover);
    const XDynamicArray<SCollisionTriangle>* shape = b->GetModel();
    if (!shape || Length(Sub(b->frame.position, a->frame.position)) > Length(a->velocity) * dt + b->radius)
        return false;
    SModelSpace space {};
    if (!ModelSpace(*b, space))
        return false;
    const Vec3 p = space.Point(a->frame.position);
    const Vec3 v = space.Vector(a->velocity);
    const float s = Length(v) * dt;
    for (const SCollisionTriangle& tri : *shape) {
        if (Dot(Sub(p, tri.centre), Sub(p, tri.centre)) > 3.0f * (s * s + tri.size))
            continue;
        const float h = Dot(Sub(p, tri.p1), tri.normal);
        if (!(h > -0.001f && h < s))
            continue;
        const float vn = Dot(v, tri.normal);
        if (!(vn < 0.0001f))
            continue;
        const float t = -h / vn;
        if (!(t > -0.0001f && t < dt + 0.0001f))
            continue;
        const Vec3 c = Add(p, Scale(v, t));
        if (!InTriangle(tri, c))
            continue;
        const Vec3 normal = space.WorldNormal(tri.normal);
        Notify(a, b, normal, space.WorldPoint(c));
        a->ApplyImpulse(Scale(normal, Dot(normal, a->velocity) * -1.3f * a->mass));
        return true;
    }
    return false;
}
