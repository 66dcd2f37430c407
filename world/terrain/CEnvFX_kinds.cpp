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

#include <algorithm>
#include <cmath>

void CEnvFXSnow::Seed()
{
    for (int i = 0; i < maxParticles; ++i) {
        SFlake& flake = FlakeAt(i);
        SeedPosition(flake.head);
        const int speedClass = Rand() % 10;
        flake.head.flags = uint32_t(speedClass);
        const float s = float(speedClass + 5) * 0.1f * 0.05f;
        flake.speed = s;
        flake.velocity = { -2.0f * s, 4.0f * s, -12.0f * s };
    }
    m_fresh = true;
}

void CEnvFXSnow::Run(float dt)
{
    ZJ_TRACE("CEnvFXSnow::Run");
    UpdateFade(dt);
    // A flake's speed is one of ten; its class (the flag word's low four bits) picks the swing,
    // the velocity and this frame's move, worked out once a frame. Classes 10-15 do not occur;
    // they repeat 0-5.
    struct alignas(32) SClass {
        float swingX, swingY; // sin and cos of the swing angle, x s x 0.0155
        Vec3 move; // dt x velocity
        Vec3 velocity;
    };
    SClass classes[16];
    // A wind or step that is not finite moves nothing (positions stay finite, so the box test
    // below may take the largest of the distances).
    const bool finite = std::isfinite(dt) && std::isfinite(Environment.wind.x)
        && std::isfinite(Environment.wind.y) && std::isfinite(Environment.wind.z);
    if (!finite)
        dt = 0.0f;
    const Vec3 w = finite ? Environment.wind : Vec3 {};
    const float time = GameClockF32;
    for (int k = 0; k < 16; ++k) {
        const float s = float(k % 10 + 5) * 0.1f * 0.05f;
        const float angle = time * 0.2f / s;
        const Vec3 v { 2.0f * w.x * s, 2.0f * w.y * s, (2.0f * w.z - 40.0f) * s };
        classes[k] = { std::sin(angle) * s * 0.0155f, std::cos(angle) * s * 0.0155f,
            { dt * v.x, dt * v.y, dt * v.z }, v };
    }
    const size_t n = size_t(maxParticles);
    // Draws and amplitudes in whole blocks of eight, so that the conversion runs eight wide.
    const size_t blocks = (n + 7) / 8;
    m_draws.resize(blocks * 8);
    m_amplitudes.resize(blocks * 8);
    m_outside.resize(n + 1);
    RandFill(m_draws.data(), n);
    for (size_t b = 0; b < blocks; ++b)
        for (size_t k = 0; k < 8; ++k)
            m_amplitudes[b * 8 + k] = float(m_draws[b * 8 + k] % 10 + 5);
    // The velocities change with the wind only.
    const bool windChanged = w.x != m_wind.x || w.y != m_wind.y || w.z != m_wind.z || m_fresh;
    m_wind = w;
    m_fresh = false;
    const Vec3 c = center;
    const float r = halfSize;
    SFlake* flakes = &FlakeAt(0);
    uint32_t* outside = m_outside.data();
    size_t outsideCount = 0;
    for (size_t i = 0; i < n; ++i) {
        SFlake& flake = flakes[i];
        const SClass& k = classes[flake.head.flags & 0xF];
        const float amplitude = m_amplitudes[i];
        if (windChanged)
            flake.velocity = k.velocity;
        Vec3& p = flake.head.position;
        p.x += k.swingX * amplitude + k.move.x;
        p.y += k.swingY * amplitude + k.move.y;
        p.z += k.move.z;
        if (flake.head.flags & kWrapped)
            flake.head.flags &= ~kWrapped;
        // Outside the box: listed, wrapped below. |dz| <= R/2 is 2|dz| <= R, exactly.
        const float extent
            = std::max(std::max(std::fabs(p.x - c.x), std::fabs(p.y - c.y)), 2.0f * std::fabs(p.z - c.z));
        const bool inside = extent <= r;
        if (!inside)
            outside[outsideCount++] = uint32_t(i);
    }
    for (size_t j = 0; j < outsideCount; ++j)
        WrapOutside(flakes[outside[j]].head);
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
