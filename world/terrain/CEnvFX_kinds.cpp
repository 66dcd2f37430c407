#include "foundation/CTimer.h"
#include "foundation/CViewFrame.h"
#include "foundation/CallTrace.h"
#include "foundation/Rand.h"
#include "platform/gfx/fvf.h"
#include "render/Mesh.h"
#include "render/TexShaderManager.h"
#include "world/terrain/CEnvFX.h"
#include "world/terrain/CEnvironment.h"
#include "world/terrain/CEnvironment_local.h"

#include <cmath>

void CEnvFXSnow::Seed()
{
    for (int i = 0; i < maxParticles; ++i) {
        SFlake& flake = FlakeAt(i);
        SeedPosition(flake.head);
        const float s = float(Rand() % 10 + 5) * 0.1f * 0.05f;
        flake.speed = s;
        flake.velocity = { -2.0f * s, 4.0f * s, -12.0f * s };
    }
}

void CEnvFXSnow::Run(float dt)
{
    ZJ_TRACE("CEnvFXSnow::Run");
    UpdateFade(dt);
    const Vec3& w = Environment.wind;
    const float time = GameClockF32;
    for (int i = 0; i < maxParticles; ++i) {
        SFlake& flake = FlakeAt(i);
        const float s = flake.speed;
        flake.velocity = { 2.0f * w.x * s, 2.0f * w.y * s, (2.0f * w.z - 40.0f) * s };
        const float angle = time * 0.2f / s;
        const float amplitude = float(Rand() % 10 + 5) * s * 0.0155f;
        flake.head.position.x += std::sin(angle) * amplitude + dt * flake.velocity.x;
        flake.head.position.y += std::cos(angle) * amplitude + dt * flake.velocity.y;
        flake.head.position.z += dt * flake.velocity.z;
    }
    Check();
}

void CEnvFXStorm::Seed()
{
    for (int i = 0; i < maxParticles; ++i) {
        SFlake& flake = FlakeAt(i);
        SeedPosition(flake.head);
        flake.speed = float(Rand() % 10 + 5) * 0.1f * 0.1f;
        flake.velocity = {};
    }
}

void CEnvFXStorm::Run(float dt)
{
    ZJ_TRACE("CEnvFXStorm::Run");
    UpdateFade(dt);
    const Vec3 g { 4.0f * Environment.wind.x, 4.0f * Environment.wind.y, 4.0f * Environment.wind.z };
    const float length = Vec3Length(g);
    // Two unit vectors at right angles to the wind and to each other; a fixed pair in calm air.
    Vec3 e1 { 1.0f, 0.0f, 0.0f };
    Vec3 e2 { 0.0f, 1.0f, 0.0f };
    if (std::isfinite(length) && length > 1e-6f) {
        const Vec3 d { g.x / length, g.y / length, g.z / length };
        const Vec3 other = std::fabs(d.z) < 0.9f ? Vec3 { 0.0f, 0.0f, 1.0f } : Vec3 { 1.0f, 0.0f, 0.0f };
        Vec3Cross(e1, d, other);
        Vec3Normalize(e1, e1);
        Vec3Cross(e2, d, e1);
    }
    for (int i = 0; i < maxParticles; ++i) {
        SFlake& flake = FlakeAt(i);
        const float a = (float(Rand() % 10000) * 0.000025f - 0.125f) * length;
        const float b = (float(Rand() % 10000) * 0.000025f - 0.125f) * length;
        const float s = flake.speed;
        flake.velocity = { (g.x + a * e1.x + b * e2.x) * s, (g.y + a * e1.y + b * e2.y) * s,
            (g.z + a * e1.z + b * e2.z) * s };
        flake.head.position.x += dt * flake.velocity.x;
        flake.head.position.y += dt * flake.velocity.y;
        flake.head.position.z += dt * flake.velocity.z;
    }
    Check();
}

void CEnvFXRain::Seed()
{
    for (int i = 0; i < maxParticles; ++i) {
        SDrop& drop = reinterpret_cast<SDrop*>(particles.get())[i];
        SeedPosition(drop.head);
        drop.tail = { drop.head.position.x - center.x, drop.head.position.y - center.y,
            drop.head.position.z - center.z };
    }
    previousCenter = center;
}

void CEnvFXRain::Run(float dt)
{
    ZJ_TRACE("CEnvFXRain::Run");
    UpdateFade(dt);
    const Vec3& w = Environment.wind;
    const Vec3 move { 2.0f * w.x * dt, 2.0f * w.y * dt, (2.0f * w.z - 100.0f) * dt };
    const Vec3 m { move.x - (center.x - previousCenter.x), move.y - (center.y - previousCenter.y),
        move.z - (center.z - previousCenter.z) };
    const float q = Vec3LengthSq(m);
    const float c = q < 2.0f ? 1.3f : q < 5.0f ? 1.3f - (q - 2.0f) * 0.1f : 25.0f / (q + 20.0f);
    for (int i = 0; i < maxParticles; ++i) {
        SDrop& drop = reinterpret_cast<SDrop*>(particles.get())[i];
        Vec3AddInPlace(drop.head.position, move);
        drop.tail = { drop.head.position.x - m.x * c - center.x, drop.head.position.y - m.y * c - center.y,
            drop.head.position.z - m.z * c - center.z };
    }
    previousCenter = center;
    Check();
}

void CEnvFXRain::CreateBuffer()
{
    const uint32_t n = 3u * uint32_t(maxParticles);
    m_mesh = std::make_unique<Mesh>(
        Mesh::kDynamic, plat::gfx::fvf::kXyz | plat::gfx::fvf::kDiffuse | plat::gfx::fvf::kTex1, n, true, n);
    m_mesh->primitive = 1;
}

void CEnvFXRain::Render()
{
    ZJ_TRACE("CEnvFXRain::Render");
    vertexCount = indexCount = drawnVertices = 0;
    if (!m_mesh || activeParticles <= 0 || !m_mesh->Lock(true, true))
        return;
    struct SStreakVertex {
        Vec3 position;
        uint32_t colour;
        float u, v;
    };
    auto* out = reinterpret_cast<SStreakVertex*>(m_mesh->vertexData);
    const Vec3& right = ViewFrame.side;
    const Vec3 r { right.x * 0.025f, right.y * 0.025f, right.z * 0.025f };
    for (int i = 0; i < activeParticles && i < maxParticles; ++i) {
        const SDrop& drop = reinterpret_cast<SDrop*>(particles.get())[i];
        if (drop.head.flags & kWrapped)
            continue;
        const Vec3& head = drop.head.position;
        const Vec3 tail { drop.tail.x + center.x, drop.tail.y + center.y, drop.tail.z + center.z };
        if (!PointInView(head) && !PointInView(tail))
            continue;
        out[vertexCount] = { tail, 0x80FFFFFFu, 0.5f, 0.0f };
        out[vertexCount + 1] = { { head.x + r.x, head.y + r.y, head.z + r.z }, 0x80FFFFFFu, 1.0f, 1.0f };
        out[vertexCount + 2] = { { head.x - r.x, head.y - r.y, head.z - r.z }, 0x80FFFFFFu, 0.0f, 1.0f };
        for (uint32_t k = 0; k < 3; ++k)
            m_mesh->indexData[indexCount + k] = uint16_t(vertexCount + k);
        vertexCount += 3;
        indexCount += 3;
    }
    drawnVertices = vertexCount;
    m_mesh->Unlock(true, true);
    if (vertexCount == 0 || !g_Graphic.GetDevice() || !g_TexShaderManager)
        return;
    m_mesh->startVertex = m_mesh->startIndex = 0;
    m_mesh->vertexCount = vertexCount;
    m_mesh->indexCount = indexCount;
    Matrix4 identity;
    Matrix4Identity(identity);
    g_Graphic.SetWorldMatrix(identity);
    g_TexShaderManager->Apply(24, m_mesh.get(), envlocal::TextureAt(texture));
}
