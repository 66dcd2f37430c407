#include "render/CParticleViewer.h"

#include "foundation/CTimer.h"
#include "foundation/ErrorLog.h"
#include "platform/gfx/device.h"
#include "render/CModelManager.h"
#include "render/Graphic.h"
#include "render/TexShaderManager.h"
#include "render/TextureManager.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>

using namespace plat::gfx;

namespace {

constexpr uint32_t kPointFormat = 0x42; // position, diffuse
constexpr uint32_t kQuadFormat = 0x242; // position, diffuse, two texture sets

struct PointVertex {
    float x, y, z;
    uint32_t colour;
};
static_assert(sizeof(PointVertex) == 16);

struct QuadVertex {
    float x, y, z;
    uint32_t colour;
    float u0, v0, u1, v1;
};
static_assert(sizeof(QuadVertex) == 32);

void SetFloatState(Device* device, RenderState state, float value)
{
    device->SetRenderState(state, std::bit_cast<uint32_t>(value));
}

} // namespace

CParticleViewer::CParticleViewer()
    : m_viewer(std::make_shared<SViewerParams>())
{
}

CParticleViewer::~CParticleViewer() = default;

void CParticleViewer::SetBlock(const SParticleBlock& block)
{
    CParticleArray::SetBlock(block);
    m_viewer = std::make_shared<SViewerParams>(block.viewer);
}

SParticleBlock CParticleViewer::GetBlock() const
{
    SParticleBlock block;
    block.desc = *m_desc;
    block.keyCount = m_keyCount;
    block.viewer = *m_viewer;
    return block;
}

void CParticleViewer::CreateBuffers()
{
    SViewerParams& viewer = *m_viewer;
    const uint32_t limit
        = viewer.kind == 0 ? particleblock::kMaxPointParticles : particleblock::kMaxQuadParticles;
    if (m_desc->maxParticles > limit) {
        char line[128];
        std::snprintf(line, sizeof line, "CParticleViewer::CreateBuffers maxParticles %u clamped to %u",
            m_desc->maxParticles, limit);
        WriteErrorLog(line);
        m_desc->maxParticles = limit;
    }
    CParticleArray::InitEmitter();
    const uint32_t n = m_desc->maxParticles;
    if (viewer.kind == 0) {
        m_data.Allocate(kPointFormat, n, 0);
    } else {
        uint16_t* indices = m_data.Allocate(kQuadFormat, 4 * n, 6 * n);
        for (uint32_t k = 0; k < n; ++k) {
            const uint16_t base = uint16_t(4 * k);
            const uint16_t quad[6] = { base, uint16_t(base + 1), uint16_t(base + 2), uint16_t(base + 2),
                uint16_t(base + 3), uint16_t(base + 1) };
            std::copy(quad, quad + 6, indices + 6 * k);
        }
    }
    viewer.texture[sizeof viewer.texture - 1] = 0;
    m_texture = g_pTextureManager ? g_pTextureManager->FindTexture(viewer.texture) : -1;
    if (viewer.grid == 0)
        viewer.grid = 4;
    right = { 0, 0, 1 };
    up = { 1, 0, 0 };
}

void CParticleViewer::Release()
{
    CParticleArray::FreeArrays();
    m_data.Free();
}

bool CParticleViewer::BuildGeometry()
{
    const SViewerParams& viewer = *m_viewer;
    const float lifetime = m_desc->lifetime;
    if (!m_data.vertices || lifetime <= 0)
        return false;
    const int32_t n = std::max(viewer.grid, 1);
    const float cell = 1.0f / float(n);
    const uint32_t capacity = viewer.kind == 0 ? m_data.vertexCapacity : m_data.vertexCapacity / 4;
    uint32_t count = 0;
    for (int slot = m_pool.First(); slot && count < capacity; slot = m_pool.Next(slot)) {
        const SParticle& p = m_pool.At(slot);
        const float life = std::clamp(p.life, 0.0f, lifetime);
        const uint32_t alpha = uint32_t(std::clamp(255.0f * life / lifetime, 0.0f, 255.0f));
        const uint32_t colour = (alpha << 24) | 0xFFFFFF;
        if (viewer.kind == 0) {
            auto* v = reinterpret_cast<PointVertex*>(m_data.vertices) + count;
            *v = { p.position[0], p.position[1], p.position[2], colour };
            ++count;
            continue;
        }
        const float size = ((lifetime - life) * viewer.deathSize + life * viewer.birthSize) / lifetime;
        float u = 0, v = 0, du = 1, dv = 1;
        if (viewer.kind == 2 || viewer.kind == 3) {
            int32_t frame = 0;
            const int32_t cells = n * n;
            if (viewer.kind == 2)
                frame = int32_t(std::fmod(16.0 * p.phase + 16.0 * GameClock, double(cells)));
            else
                frame = int32_t(float(cells) * (lifetime - life) / lifetime);
            frame = std::clamp(frame, 0, cells - 1);
            u = float(frame % n) * cell;
            v = float(frame / n) * cell;
            du = dv = cell;
        }
        const float signs[4][2] = { { 1, -1 }, { 1, 1 }, { -1, -1 }, { -1, 1 } };
        const float uv[4][2] = { { u, v }, { u + du, v }, { u, v + dv }, { u + du, v + dv } };
        auto* quad = reinterpret_cast<QuadVertex*>(m_data.vertices) + 4 * count;
        for (int c = 0; c < 4; ++c) {
            const float sr = signs[c][0] * size, su = signs[c][1] * size;
            quad[c] = { p.position[0] + right.x * sr + up.x * su, p.position[1] + right.y * sr + up.y * su,
                p.position[2] + right.z * sr + up.z * su, colour, uv[c][0], uv[c][1], uv[c][0], uv[c][1] };
        }
        ++count;
    }
    m_data.firstVertex = 0;
    m_data.firstIndex = 0;
    m_data.vertexCount = viewer.kind == 0 ? count : 4 * count;
    m_data.indexCount = viewer.kind == 0 ? 0 : 6 * count;
    return count > 0;
}

void CParticleViewer::Render()
{
    if (!g_pModelManager || !g_TexShaderManager || !BuildGeometry())
        return;
    const SViewerParams& viewer = *m_viewer;
    const int slot = viewer.kind == 0 ? g_pModelManager->EffectPointSlot() : g_pModelManager->EffectSlot();
    if (slot < 0)
        return;
    Mesh* mesh = g_pModelManager->GetRenderSingleBufMesh(slot, m_data);
    if (!mesh)
        return;
    CTexture* texture
        = g_pTextureManager && m_texture >= 0 ? g_pTextureManager->GetTexture(m_texture) : nullptr;
    Device* device = g_Graphic.GetDevice();
    if (viewer.kind == 0 && device) {
        device->SetRenderState(RenderState::PointSpriteEnable, 1);
        device->SetRenderState(RenderState::PointScaleEnable, 1);
        SetFloatState(device, RenderState::PointSize, viewer.birthSize);
        SetFloatState(device, RenderState::PointSizeMin, 1.0f);
        SetFloatState(device, RenderState::PointSizeMax, 64.0f);
        SetFloatState(device, RenderState::PointScaleA, 0.1f);
        SetFloatState(device, RenderState::PointScaleB, 0.0f);
        SetFloatState(device, RenderState::PointScaleC, 1.0f);
    }
    g_TexShaderManager->Apply(kShaderSlot, mesh, texture);
    if (viewer.kind == 0 && device) {
        device->SetRenderState(RenderState::PointSpriteEnable, 0);
        device->SetRenderState(RenderState::PointScaleEnable, 0);
    }
}

void CParticleViewer::GetBoundingSphere(Vec3& centre, float& radius) const
{
    centre = { (m_boundsMin.x + m_boundsMax.x) * 0.5f, (m_boundsMin.y + m_boundsMax.y) * 0.5f,
        (m_boundsMin.z + m_boundsMax.z) * 0.5f };
    Vec3 half;
    Vec3Sub(half, m_boundsMin, centre);
    radius = Vec3Length(half) + std::max(m_viewer->birthSize, m_viewer->deathSize);
}

std::unique_ptr<CParticleViewer> CParticleViewer::Clone() const
{
    auto clone = std::make_unique<CParticleViewer>();
    clone->m_desc = m_desc;
    clone->m_keyCount = m_keyCount;
    clone->m_viewer = m_viewer;
    clone->m_texture = m_texture;
    return clone;
}
