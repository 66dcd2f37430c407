#include "world/objects/CSmoke.h"

#include "foundation/CallTrace.h"
#include "foundation/Rand.h"
#include "foundation/XRandom.h"
#include "platform/gfx/fvf.h"

#include "foundation/XRangeError.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kPi = 3.14159265358979f;
// A feed longer than this many spacings is a jump: no line of puffs across it.
constexpr float kJumpSpacings = 1000.0f;
// 16-bit indices address at most 65536 vertices, four a quad.
constexpr int32_t kMaxQuadCapacity = 65536 / 4;

constexpr uint32_t kQuadFormat = plat::gfx::fvf::kXyz | plat::gfx::fvf::kDiffuse | plat::gfx::fvf::kTex2;
constexpr uint32_t kPointFormat = plat::gfx::fvf::kXyz | plat::gfx::fvf::kDiffuse;

Vec3 Along(const Vec3& from, const Vec3& direction, float distance)
{
    return { from.x + direction.x * distance, from.y + direction.y * distance,
        from.z + direction.z * distance };
}

// Blends two RGB colours byte by byte, t in 0..1.
uint32_t BlendRgb(uint32_t a, uint32_t b, float t)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const float from = float((a >> shift) & 0xFFu);
        const float to = float((b >> shift) & 0xFFu);
        out |= uint32_t(from + (to - from) * t) << shift;
    }
    return out;
}

} // namespace

CSmoke::~CSmoke() = default;

void CSmoke::Init(int32_t newStyle, int32_t newCapacity, const Vec3& emitter, float newDensity,
    float newPuffLife, float newPointSize, float newGrowth)
{
    ZJ_TRACE("CSmoke::Init");
    const bool quads = newStyle >= kStyleQuads && newStyle < kStylePoints;
    if (newCapacity < 1 || (quads && newCapacity > kMaxQuadCapacity))
        throw XRangeError();
    ready = 1;
    style = newStyle;
    capacity = newCapacity;
    puffs = std::make_unique<SSmokePuff[]>(size_t(capacity));
    tail = head = count = 0;
    emitterPoint = emitter;
    density = newDensity;
    puffLife = newPuffLife;
    pointSize = newPointSize;
    growth = newGrowth;
    travelled = 0.0f;
    gap = 0;
    spiral = 0;
    lastDirection = {};
    boundsCentre = emitter;
    boundsRadius = 0.0f;
    if (quads) {
        uint16_t* indices = mesh.Allocate(kQuadFormat, uint32_t(capacity) * 4, uint32_t(capacity) * 6);
        static constexpr uint16_t kQuad[6] = { 0, 1, 2, 2, 1, 3 };
        for (int32_t q = 0; q < capacity; ++q)
            for (int c = 0; c < 6; ++c)
                indices[6 * q + c] = uint16_t(4 * q + kQuad[c]);
    } else if (style == kStylePoints)
        mesh.Allocate(kPointFormat, uint32_t(capacity), 0);
    else
        mesh.Free();
    mesh.vertexCount = mesh.indexCount = 0;
}

void CSmoke::SetSpiralAxes(const Vec3& axisA, const Vec3& axisB)
{
    spiralAxes[0] = axisA;
    spiralAxes[1] = axisB;
}

namespace {

// A new puff from its two draws: the size draw gives s in 0.75 .. 1.25.
SSmokePuff NewPuff(
    const Vec3& point, float strength, uint32_t colour, const Vec3& velocity, int sizeDraw, int frame)
{
    const float s = float(sizeDraw % 1000) * 0.0005f + 0.75f;
    return SSmokePuff { 0.0f, s * s, 1.0f, frame, point, strength, colour & 0xFFFFFFu, velocity };
}

} // namespace

void CSmoke::AddPuff(const Vec3& point, float strength, uint32_t colour, const Vec3* velocity)
{
    if (capacity == 0)
        return;
    if (count == capacity) {
        tail = (tail + 1) % capacity;
        --count;
    }
    const int sizeDraw = Rand();
    const int frame = velocity ? 0 : Rand() % 16;
    puffs[head] = NewPuff(point, strength, colour, velocity ? *velocity : Vec3 {}, sizeDraw, frame);
    head = (head + 1) % capacity;
    ++count;
}

void CSmoke::AddPuffs(const Vec3* points, int32_t n, float strength, uint32_t colour)
{
    if (capacity == 0)
        return;
    // The draws come in blocks; the ring's indices stay in registers.
    constexpr int32_t kBlock = 256;
    uint16_t draws[2 * kBlock];
    int32_t first = tail;
    int32_t next = head;
    int32_t live = count;
    for (int32_t done = 0; done < n; done += kBlock) {
        const int32_t m = std::min(kBlock, n - done);
        RandFill(draws, size_t(2 * m));
        for (int32_t i = 0; i < m; ++i) {
            if (live == capacity) {
                first = first + 1 == capacity ? 0 : first + 1;
                --live;
            }
            puffs[next]
                = NewPuff(points[done + i], strength, colour, Vec3 {}, draws[2 * i], draws[2 * i + 1] % 16);
            next = next + 1 == capacity ? 0 : next + 1;
            ++live;
        }
    }
    tail = first;
    head = next;
    count = live;
}

void CSmoke::EmitTo(const Vec3& point, float strength, uint32_t colour)
{
    Vec3 delta;
    Vec3Sub(delta, point, emitterPoint);
    const float d = Vec3Length(delta);
    if (d < 1e-6f)
        return;
    Vec3 u;
    Vec3Scale(u, delta, 1.0f / d);
    lastDirection = u;

    Vec3 sideA {};
    Vec3 sideB {};
    if (style == kStyleDrift) {
        const Vec3 other = std::fabs(u.z) < 0.9f ? Vec3 { 0.0f, 0.0f, 1.0f } : Vec3 { 1.0f, 0.0f, 0.0f };
        Vec3Cross(sideA, u, other);
        Vec3Normalize(sideA, sideA);
        Vec3Cross(sideB, u, sideA);
    } else if (style == kStyleScatter) {
        sideA = { u.y, -u.x, 0.0f };
    }

    if (!(density > 0.0f)) { // a row without a density leaves no puffs rather than looping
        emitterPoint = point;
        return;
    }
    const float spacing = 1.0f / density;
    const float done = std::floor(travelled / spacing) * spacing; // path length at the last puff
    float left = travelled - done + d;
    if (left > kJumpSpacings * spacing) {
        emitterPoint = point;
        travelled = 0.0f;
        return;
    }
    float along = done; // path length of the step point
    while (left > spacing) {
        along += spacing;
        left -= spacing;
        Vec3 at = Along(emitterPoint, u, along - travelled);
        if (spiral && spiralPeriod > 0.0f) {
            const float phi = 2.0f * kPi * along / spiralPeriod;
            const float c = std::cos(phi) * spiralRadius;
            const float s = std::sin(phi) * spiralRadius;
            at = { at.x + c * spiralAxes[1].x + s * spiralAxes[0].x,
                at.y + c * spiralAxes[1].y + s * spiralAxes[0].y,
                at.z + c * spiralAxes[1].z + s * spiralAxes[0].z };
        }
        if (strength <= 0.0f)
            continue;
        if (style == kStyleScatter) {
            const float a = float(Rand() % 100 - 50) * 0.02f * kPi * 0.5f;
            const float c = std::cos(a) * 2.0f * pointSize;
            const float s = std::sin(a) * 2.0f * pointSize;
            AddPuff(
                { at.x + c * u.x + s * sideA.x, at.y + c * u.y + s * sideA.y, at.z + c * u.z + s * sideA.z },
                strength, colour);
        } else if (style == kStyleDrift) {
            const float r1 = SharedRandom.Get(2.0f * spiralRadius) - spiralRadius;
            const float r2 = SharedRandom.Get(2.0f * spiralRadius) - spiralRadius;
            const Vec3 v { r1 * sideB.x + r2 * sideA.x, r1 * sideB.y + r2 * sideA.y,
                r1 * sideB.z + r2 * sideA.z };
            AddPuff({ at.x + v.x, at.y + v.y, at.z + v.z }, strength, colour, &v);
        } else {
            AddPuff(at, strength, colour);
        }
    }
    emitterPoint = point;
    travelled += d;
}

void CSmoke::Update(float dt)
{
    float lo[3] = { 1e10f, 1e10f, 1e10f };
    float hi[3] = { -1e10f, -1e10f, -1e10f };
    bool any = false;
    const float invLife = 1.0f / puffLife;
    bool atTail = true;
    const int32_t n = count;
    int32_t index = tail;
    for (int32_t i = 0; i < n; ++i, index = index + 1 == capacity ? 0 : index + 1) {
        SSmokePuff& puff = puffs[index];
        puff.age += dt;
        if (puff.age * puff.ageRate >= puffLife) {
            if (atTail) {
                tail = index + 1 == capacity ? 0 : index + 1;
                --count;
            }
            continue;
        }
        atTail = false;
        puff.size = puff.age * invLife * growth + 1.0f;
        if (style == kStyleDrift && puff.age < puffLife) {
            const float k = dt * invLife;
            puff.position.x -= puff.velocity.x * k;
            puff.position.y -= puff.velocity.y * k;
            puff.position.z -= puff.velocity.z * k;
            puff.frame = int32_t(puff.age * invLife * 15.0f);
        } else if (style == kStyleRamp) {
            const float t = puff.age;
            if (t < rampTime[0])
                puff.colour = rampColour[0];
            else if (t < rampTime[1])
                puff.colour
                    = BlendRgb(rampColour[0], rampColour[1], (t - rampTime[0]) / (rampTime[1] - rampTime[0]));
            else if (t < rampTime[2])
                puff.colour = rampColour[1];
            else if (t < rampTime[3])
                puff.colour
                    = BlendRgb(rampColour[1], rampColour[2], (t - rampTime[2]) / (rampTime[3] - rampTime[2]));
            else
                puff.colour = rampColour[2];
            puff.colour &= 0xFFFFFFu;
        }
        const float p[3] = { puff.position.x, puff.position.y, puff.position.z };
        for (int axis = 0; axis < 3; ++axis) {
            lo[axis] = std::fmin(lo[axis], p[axis]);
            hi[axis] = std::fmax(hi[axis], p[axis]);
        }
        any = true;
    }
    if (!any) {
        boundsCentre = emitterPoint;
        boundsRadius = 0.0f;
        return;
    }
    boundsCentre = { (lo[0] + hi[0]) * 0.5f, (lo[1] + hi[1]) * 0.5f, (lo[2] + hi[2]) * 0.5f };
    const Vec3 corner { lo[0], lo[1], lo[2] };
    Vec3 toCorner;
    Vec3Sub(toCorner, corner, boundsCentre);
    boundsRadius = Vec3Length(toCorner);
}

void CSmoke::Drift(const Vec3& offset)
{
    Vec3AddInPlace(emitterPoint, offset);
    for (int32_t i = 0; i < count; ++i)
        Vec3AddInPlace(puffs[(tail + i) % capacity].position, offset);
}

void CSmoke::PushFrom(float amount, const Vec3& centre)
{
    for (int32_t i = 0; i < count; ++i) {
        Vec3& p = puffs[(tail + i) % capacity].position;
        Vec3 away;
        Vec3Sub(away, p, centre);
        Vec3Normalize(away, away);
        p = Along(p, away, amount);
    }
}
