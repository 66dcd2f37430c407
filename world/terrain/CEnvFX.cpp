#include "world/terrain/CEnvFX.h"

#include "foundation/CViewFrame.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/Rand.h"
#include "platform/gfx/fvf.h"
#include "render/Mesh.h"
#include "render/TexShaderManager.h"
#include "world/terrain/CEnvironment_local.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// Moves d back into [-r, r] by whole steps of 2r; non-finite values return to the centre.
float WrapAxis(float d, float r, bool& wrapped)
{
    if (!std::isfinite(d)) {
        wrapped = true;
        return 0.0f;
    }
    if (std::fabs(d) <= r)
        return d;
    wrapped = true;
    return d - 2.0f * r * std::floor((d + r) / (2.0f * r));
}

// ((rand() % 10000) x 0.1 - 500) x 0.002: a value in [-1, 1).
float SeedUnit()
{
    return (float(Rand() % 10000) * 0.1f - 500.0f) * 0.002f;
}

} // namespace

bool PointInView(const Vec3& p)
{
    const float* m = ViewFrame.combined.m;
    const float x = p.x * m[0] + p.y * m[4] + p.z * m[8] + m[12];
    const float y = p.x * m[1] + p.y * m[5] + p.z * m[9] + m[13];
    const float w = p.x * m[3] + p.y * m[7] + p.z * m[11] + m[15];
    return w >= 0.0f && std::fabs(x) < 1.02f * w && std::fabs(y) < 1.02f * w;
}

CEnvFX::CEnvFX()
{
    center = ViewFrame.position;
}

CEnvFX::~CEnvFX() = default;

void CEnvFX::Init(float intensityValue)
{
    intensity = intensityValue;
    const float wanted = std::isfinite(intensity) && intensity > 0.0f ? intensity * 8000.0f : 0.0f;
    const int limit = ParticleLimit();
    if (wanted > float(limit)) {
        char line[96];
        std::snprintf(line, sizeof line, "CEnvFX::Init %.0f particles capped at %d", double(wanted), limit);
        WriteErrorLog(line);
        maxParticles = limit;
    } else {
        maxParticles = int32_t(wanted);
    }
    halfSize = BoxHalfSize();
    if (maxParticles > 0 && g_Graphic.GetDevice())
        CreateBuffer();
    texture = envlocal::FindTexture(TextureName());
    particles.reset(new uint8_t[size_t(maxParticles) * size_t(GetParticleSize()) + 1]());
    activeParticles = 0;
    Seed();
}

void CEnvFX::Start()
{
    level = 1.0f;
    activeParticles = maxParticles;
    fadeMode = kSteady;
}

void CEnvFX::UpdateFade(float dt)
{
    if (!std::isfinite(dt))
        dt = 0.0f;
    if (fadeMode == kFadeIn) {
        level += dt * 0.05f;
        if (level >= 1.0f) {
            level = 1.0f;
            fadeMode = kSteady;
        }
    } else if (fadeMode == kFadeOut) {
        level -= dt * 0.05f;
        if (level <= 0.0f) {
            level = 0.0f;
            fadeMode = kSteady;
        }
    }
    activeParticles = int32_t(float(maxParticles) * level);
}

void CEnvFX::Check()
{
    ZJ_TRACE("CEnvFX::Check");
    for (int i = 0; i < maxParticles; ++i)
        Wrap(ParticleAt(i));
}

void CEnvFX::WrapOutside(SParticle& particle) const
{
    const float r = halfSize;
    bool wrapped = false;
    const float dx = WrapAxis(particle.position.x - center.x, r, wrapped);
    const float dy = WrapAxis(particle.position.y - center.y, r, wrapped);
    const float dz = WrapAxis(particle.position.z - center.z, r * 0.5f, wrapped);
    particle.position = { center.x + dx, center.y + dy, center.z + dz };
    particle.flags |= kWrapped;
}

void CEnvFX::SetCenter(float x, float y, float z)
{
    if (x == center.x && y == center.y && z == center.z)
        return;
    const Vec3 moved { x - center.x, y - center.y, z - center.z };
    center = { x, y, z };
    if (Vec3LengthSq(moved) > 1.5f * halfSize)
        Seed();
    CenterChanged();
}

void CEnvFX::SeedPosition(SParticle& particle) const
{
    const float r = halfSize;
    particle.position.x = center.x + SeedUnit() * r;
    particle.position.y = center.y + SeedUnit() * r;
    particle.position.z = center.z + SeedUnit() * 0.5f * r;
}

void CEnvFX::CreatePointBuffer()
{
    m_mesh = std::make_unique<Mesh>(
        Mesh::kDynamic, plat::gfx::fvf::kXyz | plat::gfx::fvf::kDiffuse, uint32_t(maxParticles), false, 0);
    m_mesh->primitive = 0;
}

void CEnvFX::RenderPoints()
{
    drawnVertices = 0;
    if (!m_mesh || activeParticles <= 0 || !m_mesh->Lock(true, false))
        return;
    struct SPoint {
        Vec3 position;
        uint32_t colour;
    };
    auto* out = reinterpret_cast<SPoint*>(m_mesh->vertexData);
    for (int i = 0; i < activeParticles && i < maxParticles; ++i) {
        const Vec3& p = ParticleAt(i).position;
        if (PointInView(p))
            out[drawnVertices++] = { p, 0xFFFFFFFFu };
    }
    m_mesh->Unlock(true, false);
    plat::gfx::Device* device = g_Graphic.GetDevice();
    if (drawnVertices == 0 || !device || !g_TexShaderManager)
        return;
    m_mesh->startVertex = 0;
    m_mesh->vertexCount = drawnVertices;
    using plat::gfx::RenderState;
    Matrix4 identity;
    Matrix4Identity(identity);
    g_Graphic.SetWorldMatrix(identity);
    device->SetRenderState(RenderState::PointSpriteEnable, 1);
    device->SetRenderState(RenderState::PointScaleEnable, 1);
    envlocal::SetFloatState(device, RenderState::PointSize, 0.05f);
    envlocal::SetFloatState(device, RenderState::PointSizeMin, 0.25f);
    envlocal::SetFloatState(device, RenderState::PointSizeMax, 16.0f);
    envlocal::SetFloatState(device, RenderState::PointScaleA, 0.0f);
    envlocal::SetFloatState(device, RenderState::PointScaleB, 0.3f);
    envlocal::SetFloatState(device, RenderState::PointScaleC, 0.7f);
    g_TexShaderManager->Apply(24, m_mesh.get(), envlocal::TextureAt(texture));
    device->SetRenderState(RenderState::PointSpriteEnable, 0);
    device->SetRenderState(RenderState::PointScaleEnable, 0);
}
