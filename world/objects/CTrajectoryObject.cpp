#include "world/objects/CTrajectoryObject.h"

#include "foundation/CTransform.h"
#include "foundation/CViewFrame.h"
#include "foundation/CallTrace.h"
#include "foundation/Numeric.h"
#include "platform/gfx/fvf.h"
#include "render/CModelManager.h"
#include "render/Graphic.h"
#include "render/TexShaderManager.h"
#include "world/db/CZJEngine.h"
#include "world/objects/CPhysics.h"
#include "world/terrain/CEffectRenderManager.h"
#include "world/terrain/CLocation.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr float kTraceStep = 0.01f;
constexpr float kGravity = 29.4f;
constexpr uint32_t kDotColour = 0xFFFFFF;
constexpr uint32_t kDiscColour = 0x20FF4000;
constexpr int kSlotEffect = 11;

struct DiscVertex {
    float x, y, z;
    uint32_t diffuse;
    float u0, v0, u1, v1;
};
constexpr uint32_t kDiscFormat = plat::gfx::fvf::kXyz | plat::gfx::fvf::kDiffuse | plat::gfx::fvf::kTex2;

// One step's damping at a speed: v / a^0.01 as v x exp(-0.01 ln a) to second order, 0.01 ln a
// staying far below 0.1.
float StepFactor(float speed, float damping)
{
    const float x = kTraceStep * std::log((speed * 0.001f + 1.0f) * damping);
    return 1.0f - x + 0.5f * x * x;
}

// A step damps by the speed it reaches, and waiting for that speed's root and logarithm would make
// every step wait for the one before. The speed changes smoothly, so each step takes it from the
// quadratic through the speeds of the steps kLead, kLead + 1 and kLead + 2 before, long known by
// then: the damping comes out the same to float precision. Where the speed passes near zero and
// bends sharply, the difference is a few millionths of a tiny velocity. With this lead the
// weights keep a wrong guess from growing through later steps at any speed.
constexpr int kLead = 4;
constexpr int kFirstPredicted = kLead + 2;

float PredictedSpeed(const float* speeds, int step)
{
    const float guess
        = 15.0f * speeds[step - kLead] - 24.0f * speeds[step - kLead - 1] + 10.0f * speeds[step - kLead - 2];
    return std::max(guess, 0.0f);
}

// Whether dots of an arc lie below the ground, a grid square at a time: the square's top clears
// most dots without interpolating.
class GroundTest {
public:
    bool Below(float x, float y, float z)
    {
        const int gx = int(x * 0.1f);
        const int gy = int(y * 0.1f);
        if (gx != m_x || gy != m_y) {
            m_x = gx;
            m_y = gy;
            m_top = Location.GetSquareTop(gx, gy);
        }
        return z < m_top && z < Location.GetHeight(Vec3 { x, y, z }, false, false);
    }

private:
    int m_x = -1;
    int m_y = -1;
    float m_top = 0.0f;
};

float DistanceSq(const Vec3& a, const Vec3& b)
{
    return Vec3LengthSq(Vec3 { a.x - b.x, a.y - b.y, a.z - b.z });
}

} // namespace

CTrajectoryObject::CTrajectoryObject()
{
    type = 18;
    runs = 1;
    solid = 1;
    pointSized = 1;
    alive = 1;
    moves = 0;
    hitByRays = 0;
    visible = 0;
    radius = 1.0f;
    drawDistanceFactor = 100.0f;
    trail.Init(CSmoke::kStylePoints, 4000, Vec3 {}, 0.25f, 0.5f, 4.0f, 0.1f);
}

void CTrajectoryObject::Trace(const Vec3& start, const Vec3& velocity, float damping, float traceRadius)
{
    ZJ_TRACE("CTrajectoryObject::Trace");
    radius = traceRadius;
    SetPosition(start);
    trail.tail = trail.head = trail.count = 0;
    impact = 0;

    Vec3 arc[kMaxSteps];
    float speeds[kMaxSteps];
    float x = start.x;
    float y = start.y;
    float z = start.z;
    Vec3 v = velocity;
    int steps = 0;
    bool hit = false;
    GroundTest ground;
    while (steps < kMaxSteps && !hit) {
        // Each of the first steps damps by its own speed; later ones kLead at a time by speeds
        // predicted from those known before them.
        const bool predicted = steps >= kFirstPredicted;
        const int block = predicted ? std::min(kLead, kMaxSteps - steps) : 1;
        float factors[kLead];
        for (int i = 0; i < block && predicted; ++i)
            factors[i] = StepFactor(PredictedSpeed(speeds, steps + i), damping);
        for (int i = 0; i < block && !hit; ++i) {
            v.z -= kGravity * kTraceStep;
            speeds[steps] = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
            const float f = predicted ? factors[i] : StepFactor(speeds[steps], damping);
            v = Vec3 { v.x * f, v.y * f, v.z * f };
            // Component by component: a copy of the whole point would wait on its parts' stores.
            x += v.x * kTraceStep;
            y += v.y * kTraceStep;
            z += v.z * kTraceStep;
            Vec3& dot = arc[steps++];
            dot.x = x;
            dot.y = y;
            dot.z = z;
            hit = ground.Below(x, y, z);
        }
    }
    trail.AddPuffs(arc, steps, 1.0f, kDotColour);
    if (hit) {
        const Vec3 last = arc[steps - 1];
        Vec3 point = last;
        if (!Location.FindTerrainCrossing(steps > 1 ? arc[steps - 2] : start, last, point))
            point = last;
        CTransform ring;
        ring.SetPosition(point);
        ring.SetDirection(Physics.GetMapLNormal(point, false));
        Vec3 dots[kRingDots];
        for (int i = 0; i < kRingDots; ++i) {
            const float a = float(i) * std::numbers::pi_v<float> * 0.02f;
            const float c = std::cos(a) * radius;
            const float s = std::sin(a) * radius;
            dots[i] = Vec3 { point.x + ring.side.x * c + ring.up.x * s,
                point.y + ring.side.y * c + ring.up.y * s, point.z + ring.side.z * c + ring.up.z * s };
        }
        trail.AddPuffs(dots, kRingDots, 1.0f, kDotColour);
        impactPoint = point;
        impact = 1;
    }
    visible = 1;
}

void CTrajectoryObject::Draw()
{
    if (!EffectRenderManager.IsCollecting()) {
        DrawEffect(0);
        if (impact)
            DrawEffect(1);
        return;
    }
    EffectRenderManager.AddEffect(DistanceSq(frame.position, ViewFrame.position), this, 0);
    if (impact) {
        const float key = std::max(0.0f, DistanceSq(impactPoint, ViewFrame.position) - radius);
        EffectRenderManager.AddEffect(key, this, 1);
    }
}

void CTrajectoryObject::BuildDisc(const Vec3& d)
{
    Vec3 n = d;
    if (Vec3LengthSq(n) > 0.0f)
        Vec3Normalize(n, d);
    else
        n = Vec3 { 0.0f, 0.0f, 1.0f };
    CTransform facing;
    facing.SetPosition(impactPoint);
    facing.SetDirection(n);
    uint16_t* index = disc.Allocate(kDiscFormat, kDiscSegments + 1, kDiscSegments * 3);
    disc.firstVertex = disc.firstIndex = 0;
    auto* vertex = reinterpret_cast<DiscVertex*>(disc.vertices);
    *vertex++
        = DiscVertex { impactPoint.x, impactPoint.y, impactPoint.z, kDiscColour, 0.5f, 0.5f, 0.5f, 0.5f };
    for (int i = 0; i < kDiscSegments; ++i) {
        const float a = float(i) * 2.0f * std::numbers::pi_v<float> / float(kDiscSegments);
        const float c = std::cos(a);
        const float s = std::sin(a);
        const Vec3 p { impactPoint.x + (facing.side.x * c + facing.up.x * s) * radius,
            impactPoint.y + (facing.side.y * c + facing.up.y * s) * radius,
            impactPoint.z + (facing.side.z * c + facing.up.z * s) * radius };
        const float u = c * 0.5f + 0.5f;
        const float v = s * 0.5f + 0.5f;
        *vertex++ = DiscVertex { p.x, p.y, p.z, kDiscColour, u, v, u, v };
        const uint16_t tri[3] = { 0, uint16_t(1 + i), uint16_t(1 + (i + 1) % kDiscSegments) };
        index = std::copy(std::begin(tri), std::end(tri), index);
    }
}

void CTrajectoryObject::DrawEffect(int argument)
{
    ZJ_TRACE("CTrajectoryObject::DrawEffect");
    if (argument == 0) {
        trail.Render(ZJEngine.ids2[CZJEngine::kTexFxHaosParticle]);
        return;
    }
    const Vec3 d { ViewFrame.position.x - impactPoint.x, ViewFrame.position.y - impactPoint.y,
        ViewFrame.position.z - impactPoint.z };
    BuildDisc(d);
    if (!g_pModelManager || !g_TexShaderManager)
        return;
    Mesh* mesh = g_pModelManager->GetRenderSingleBufMesh(g_pModelManager->EffectSlot(), disc);
    if (!mesh)
        return;
    Matrix4 identity;
    Matrix4Identity(identity);
    g_Graphic.SetWorldMatrix(identity);
    g_TexShaderManager->Apply(kSlotEffect, mesh, nullptr);
}
