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

    Vec3 p = start;
    Vec3 v = velocity;
    Vec3 before = p;
    bool hit = false;
    for (int step = 0; step < kMaxSteps && !hit; ++step) {
        v.z -= kGravity * kTraceStep;
        // v / a^0.01 as v x exp(-0.01 ln a) to second order: 0.01 ln a stays far below 0.1 here.
        const float x = kTraceStep * std::log((Vec3Length(v) * 0.001f + 1.0f) * damping);
        const float factor = 1.0f - x + 0.5f * x * x;
        v = Vec3 { v.x * factor, v.y * factor, v.z * factor };
        before = p;
        p = Vec3 { p.x + v.x * kTraceStep, p.y + v.y * kTraceStep, p.z + v.z * kTraceStep };
        trail.AddPuff(p, 1.0f, kDotColour);
        hit = p.z < Location.GetHeight(p, false, false);
    }
    if (hit) {
        Vec3 point = p;
        if (!Location.FindTerrainCrossing(before, p, point))
            point = p;
        CTransform ring;
        ring.SetPosition(point);
        ring.SetDirection(Physics.GetMapLNormal(point, false));
        for (int i = 0; i < kRingDots; ++i) {
            const float a = float(i) * std::numbers::pi_v<float> * 0.02f;
            const float c = std::cos(a) * radius;
            const float s = std::sin(a) * radius;
            trail.AddPuff(
                Vec3 { point.x + ring.side.x * c + ring.up.x * s, point.y + ring.side.y * c + ring.up.y * s,
                    point.z + ring.side.z * c + ring.up.z * s },
                1.0f, kDotColour);
        }
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
