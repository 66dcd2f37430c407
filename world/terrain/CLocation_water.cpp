// The water surface under a point, asked every frame by the glider, and the water pass of the
// frame: per visible cell with a surface at or below the camera, the surface's shader slot and
// set-up (material, atlas or scrolling texture matrices, wave matrices or the water shader's
// constants) applied only when they change, then the cell's water meshes streamed through "MAP3".
#include "world/terrain/CLocation.h"

#include "foundation/CTimer.h"
#include "foundation/CViewFrame.h"
#include "foundation/CallTrace.h"
#include "render/CModelManager.h"
#include "render/Graphic.h"
#include "render/TexShaderManager.h"
#include "render/TextureManager.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CEffectRenderManager.h"
#include "world/terrain/CEnvironment.h"
#include "world/terrain/TerrainStates.h"

#include <cmath>

namespace {

using plat::gfx::RenderState;
using plat::gfx::StageState;
using plat::gfx::Transform;

// What the water builders get: the cell's colour, a ripple period of 8 steps, three-quarter
// opacity and alternating diagonals.
constexpr float kWaterPeriod = 8.0f;
constexpr float kWaterOpacity = 0.75f;
constexpr float kWaterAlternate = 1.0f;

using terrain_states::Render;
using terrain_states::Stage;

// The reflection pass's terrain states: before the cells (as the terrain pass), and after them.
constexpr STerrainState kReflectionStart[] = {
    Render(RenderState::AmbientMaterialSource, uint32_t(plat::gfx::MaterialSource::Color1)),
    Render(RenderState::DiffuseMaterialSource, uint32_t(plat::gfx::MaterialSource::Color1)),
    Render(RenderState::SrcBlend, uint32_t(plat::gfx::Blend::SrcAlpha)),
    Render(RenderState::DestBlend, uint32_t(plat::gfx::Blend::InvSrcAlpha)),
    Render(RenderState::SpecularEnable, 0),
    Stage(0, StageState::ColorArg2, uint32_t(plat::gfx::TextureArg::Current)),
    Stage(0, StageState::AlphaArg2, uint32_t(plat::gfx::TextureArg::Current)),
    Stage(1, StageState::ColorArg2, uint32_t(plat::gfx::TextureArg::Current)),
    Stage(1, StageState::AlphaArg2, uint32_t(plat::gfx::TextureArg::Current)),
};
constexpr STerrainState kReflectionEnd[] = {
    Stage(1, StageState::AlphaOp, uint32_t(plat::gfx::TextureOp::Disable)),
    Stage(1, StageState::ColorOp, uint32_t(plat::gfx::TextureOp::Disable)),
    Render(RenderState::SpecularEnable, 1),
    Render(RenderState::SrcBlend, uint32_t(plat::gfx::Blend::One)),
    Render(RenderState::DestBlend, uint32_t(plat::gfx::Blend::Zero)),
    Render(RenderState::AmbientMaterialSource, uint32_t(plat::gfx::MaterialSource::Material)),
    Render(RenderState::DiffuseMaterialSource, uint32_t(plat::gfx::MaterialSource::Material)),
    Render(RenderState::NormalizeNormals, 0),
    Render(RenderState::VertexBlend, uint32_t(plat::gfx::VertexBlendMode::Disable)),
    Render(RenderState::AlphaBlendEnable, 1),
};

template <size_t N> void SetStates(plat::gfx::Device& device, const STerrainState (&states)[N])
{
    for (const STerrainState& s : states) {
        if (s.stage < 0)
            device.SetRenderState(RenderState(s.state), s.value);
        else
            device.SetTextureStageState(uint32_t(s.stage), StageState(s.state), s.value);
    }
}

plat::gfx::Matrix Identity()
{
    return plat::gfx::Matrix::Identity();
}

plat::gfx::Matrix Lift(float z)
{
    plat::gfx::Matrix m = Identity();
    m.m[3][2] = z;
    return m;
}

CTexture* TextureAt(int32_t index)
{
    return g_pTextureManager && index >= 0 && index < g_pTextureManager->GetRecordCount()
        ? g_pTextureManager->GetTexture(index)
        : nullptr;
}

void SetConstant(plat::gfx::Device& device, uint32_t reg, float x, float y, float z, float w)
{
    const float v[4] = { x, y, z, w };
    device.SetVertexShaderConstant(reg, v, 1);
}

struct SWaves {
    float a;
    float b;
    float lowest; // -(a + b) x (sin(w t) + 2)
};

SWaves Waves(const MapSurface& surface, double t)
{
    const double wt = double(surface.waveSpeed) * t;
    const float a = float(std::cos(wt)) * surface.waveAmplitude;
    const float b = -float(std::sin(wt)) * surface.waveAmplitude;
    return SWaves { a, b, -(a + b) * (float(std::sin(wt)) + 2.0f) };
}

} // namespace

int CLocation::AtlasFrame(int side, float period, double t)
{
    if (side <= 0 || !(period > 0.0f) || !std::isfinite(period) || !std::isfinite(t))
        return 0;
    const double frames = double(side) * double(side);
    const double f = std::fmod(std::trunc(frames * t / double(period)), frames);
    return f < 0.0 ? int(f + frames) : int(f);
}

const MapSurface* CLocation::GetWaterSurface(const Vec3& point)
{
    const int gx = int(point.x * 0.1f + 0.5f);
    const int gy = int(point.y * 0.1f + 0.5f);
    if (gx < 0 || gx >= width - 1 || gy < 0 || gy >= height - 1)
        return nullptr;
    const int column = gx >> 6;
    const int row = gy >> 6;
    const int lx = (gx & 63) & ~1;
    const int ly = (gy & 63) & ~1;
    const SCellRecord& record = Cell(column, row);
    bool water;
    if (const MapCell* full = GetFullResCell(column, row)) {
        water = FullWater(full->Code(ly, lx));
    } else {
        // The cell's level is left as the visibility pass set it.
        if (!record.half)
            LoadCell(column, row, kFarLevel);
        water = HalfWater(GetHalfResCell(column, row)->At(ly >> 1, lx >> 1).height);
    }
    return water ? record.surface : nullptr;
}

void CLocation::CycleRenderWater()
{
    ZJ_TRACE("CLocation::CycleRenderWater");
    waterCellsDrawn = 0;
    plat::gfx::Device* device = g_Graphic.GetDevice();
    if (!device || !g_TexShaderManager || !g_pModelManager)
        return;
    m_waterSlot = -1;
    m_waterRecord = nullptr;
    m_waterProjected = false;
    device->SetRenderState(RenderState::DiffuseMaterialSource, uint32_t(plat::gfx::MaterialSource::Color1));
    device->SetRenderState(RenderState::SpecularEnable, 0);
    bool blending = false;
    g_TexShaderManager->ResetCurrent();
    const float cameraZ = ViewFrame.position.z;
    for (int i = 0; i < visibleCount; ++i) {
        const SVisibleCell& visible = visibleCells[i];
        const SCellRecord& cell = Cell(visible.column, visible.row);
        const MapSurface* surface = cell.surface;
        if (!surface || surface->waterLevel > cameraZ)
            continue;
        const bool waving = surface->waveAmplitude != 0.0f;
        if (waving != blending) {
            device->SetRenderState(RenderState::VertexBlend,
                uint32_t(
                    waving ? plat::gfx::VertexBlendMode::Weights2 : plat::gfx::VertexBlendMode::Disable));
            blending = waving;
        }
        RenderWater(visible.column, visible.row, cell.level, *surface);
    }
    g_TexShaderManager->ApplyEx();
    if (blending)
        device->SetRenderState(RenderState::VertexBlend, uint32_t(plat::gfx::VertexBlendMode::Disable));
    for (uint32_t stage = 0; stage < 2; ++stage)
        device->SetTextureStageState(
            stage, StageState::TextureTransformFlags, uint32_t(plat::gfx::TextureTransform::Disable));
    device->SetRenderState(RenderState::SpecularEnable, 1);
    device->SetRenderState(RenderState::DiffuseMaterialSource, uint32_t(plat::gfx::MaterialSource::Material));
    Mesh::ResetStreamCache();
}

void CLocation::RenderWater(int column, int row, int far, const MapSurface& surface)
{
    ZJ_TRACE("CLocation::RenderWater");
    plat::gfx::Device& device = *g_Graphic.GetDevice();
    const GraphicCaps& caps = g_Graphic.Caps();
    const double t = GameClock;
    CTexture* second = caps.secondWaterTexture ? TextureAt(surface.texture2Index) : nullptr;
    CTexture* first = TextureAt(surface.texture1Index);
    // Targets are numbered from 1; 0 and below mean that no reflection was made this frame.
    CTexture* reflection = caps.reflectionTexture && surface.reflection > 0
        ? EffectRenderManager.GetReflectionTexture(surface.reflection)
        : nullptr;

    const int slot = surface.waterKind == 0 ? 23 : surface.waterKind == 1 ? 6 : 47;
    const bool shaded = g_TexShaderManager->GetSlot(slot).vertexShader != nullptr;
    plat::gfx::Matrix projection;
    device.GetTransform(Transform::Projection, projection);
    if (slot != m_waterSlot) {
        m_waterSlot = slot;
        m_waterProjected = false;
        if (shaded)
            SetConstant(device, 9, projection.m[0][0] * 0.5f, projection.m[1][1] * 0.5f, 20.0f, 0.0f);
    }
    if (!shaded && slot == 23 && reflection && !m_waterProjected) {
        plat::gfx::Matrix m = Identity();
        m.m[0][0] = projection.m[0][0] * 0.5f;
        m.m[1][1] = projection.m[1][1] * 0.5f;
        m.m[2][0] = 0.5f;
        m.m[2][1] = 0.5f;
        device.SetTransform(Transform::Texture1, m);
        m_waterProjected = true;
    }

    if (&surface != m_waterRecord) {
        m_waterRecord = &surface;
        const int n = surface.atlasSide > 0 ? surface.atlasSide : 0;
        const int frame = AtlasFrame(n, surface.atlasPeriod, t);
        const float scale = n > 0 ? 1.0f / float(n) : 1.0f;
        const float u = n > 0 ? float(frame % n) * scale : 0.0f;
        const float v = n > 0 ? float(frame / n) * scale : 0.0f;
        const SWaves waves = Waves(surface, t);
        if (!shaded) {
            plat::gfx::Material material;
            material.diffuse = material.ambient = material.specular = { 1, 1, 1, 1 };
            material.power = surface.specular;
            device.SetMaterial(material);
            if (n > 0) {
                plat::gfx::Matrix atlas = Identity();
                atlas.m[0][0] = atlas.m[1][1] = scale;
                atlas.m[2][0] = u;
                atlas.m[2][1] = v;
                plat::gfx::Matrix built = atlas;
                if (surface.waterKind == 2) {
                    built = Identity();
                    built.m[2][0] = float(std::sin(0.01 * t));
                    built.m[2][1] = float(std::cos(0.017 * t));
                    device.SetTextureStageState(
                        1, StageState::TextureTransformFlags, uint32_t(plat::gfx::TextureTransform::Count2));
                    device.SetTransform(Transform::Texture1, atlas);
                }
                device.SetTextureStageState(
                    0, StageState::TextureTransformFlags, uint32_t(plat::gfx::TextureTransform::Count2));
                device.SetTransform(Transform::Texture0, built);
                if (caps.secondWaterTexture)
                    device.SetTransform(Transform::Texture2, surface.waterKind == 2 ? atlas : built);
            }
            device.SetTransform(Transform::World2, Lift(surface.waterLevel + waves.lowest));
            device.SetTransform(Transform::World, Lift(surface.waterLevel + 4.0f * waves.a));
            device.SetTransform(Transform::World1, Lift(surface.waterLevel + 4.0f * waves.b));
        } else {
            const float floor = VisibleRadius >= 512 ? 0.00025f : 512.0f / float(VisibleRadius) * 0.00025f;
            const float d = std::max(Environment.current.fogDensity, floor);
            const float ln2 = 2.0f * std::log(2.0f);
            SetConstant(device, 10, u, v, scale, 2.25f * d * d / (ln2 * ln2));
            const plat::gfx::Matrix world = Lift(surface.waterLevel);
            const plat::gfx::Matrix worldViewProjection
                = plat::gfx::Multiply(world, ToDeviceMatrix(ViewFrame.combined));
            const plat::gfx::Matrix worldView = plat::gfx::Multiply(world, ToDeviceMatrix(ViewFrame.matrix));
            SetVertexShaderMatrices(&worldViewProjection, &worldView);
            SetConstant(device, 11, 4.0f * waves.a, -4.0f * waves.b, waves.lowest, 0.0f);
            const uint32_t ambient = Environment.current.ambient;
            SetConstant(device, 12, float((ambient >> 16) & 0xFF) / 127.0f,
                float((ambient >> 8) & 0xFF) / 127.0f, float(ambient & 0xFF) / 127.0f, 1.0f);
            const Vec3& camera = ViewFrame.position;
            SetConstant(device, 13, camera.x, camera.y, camera.z + 40.0f, 0.0f);
        }
        Environment.SetFog(true, 1.25f, 0.0f);
    }

    const SWaterParams params { GetVertexColor(640.0f * (float(column) + 0.5f), 640.0f * (float(row) + 0.5f)),
        kWaterPeriod, kWaterOpacity, kWaterAlternate };
    const int ring = g_pModelManager->FindBuffer("MAP3");
    bool drawn = false;
    auto draw = [&](MapMesh* mesh) {
        if (!mesh || mesh->data.vertexCount == 0 || ring < 0)
            return;
        if (Mesh* buffer = g_pModelManager->GetRenderSingleBufMesh(ring, mesh->data)) {
            g_TexShaderManager->Apply(slot, buffer, first, second, reflection);
            drawn = true;
        }
    };
    if (far == 0) {
        MapCell* cell = Cell(column, row).full;
        if (!cell)
            return;
        cell->lastUse = GameClockF32;
        for (int q = 0; q < 4; ++q) {
            if (cell->quads[q].visible)
                draw(GetQuadWater(column, row, q, params));
        }
    } else {
        HalfCell* half = Cell(column, row).half;
        if (!half)
            return;
        half->lastUse = GameClockF32;
        draw(GetQuadWater(column, row, -1, params));
    }
    if (drawn)
        ++waterCellsDrawn;
}

void CLocation::RenderForWater()
{
    ZJ_TRACE("CLocation::RenderForWater");
    plat::gfx::Device* device = g_Graphic.GetDevice();
    if (!device)
        return;
    ForgetStage0Texture();
    Environment.SetFog(true, 1.0f, 0.0f);
    g_Graphic.SetMaterial(kTerrainMaterial);
    SetStates(*device, kReflectionStart);
    const Vec3& camera = ViewFrame.position;
    const float cx = camera.x * 0.1f / 64.0f;
    const float cy = camera.y * 0.1f / 64.0f;
    const float r = float(VisibleRadius + 32) / 64.0f;
    const int rowFrom = std::max(0, int(std::round(cy - r)));
    const int rowTo = std::min(blocksY, int(std::round(cy + r)));
    const int columnFrom = std::max(0, int(std::round(cx - r)));
    const int columnTo = std::min(blocksX, int(std::round(cx + r)));
    terrainStateCache = -1;
    bendCache = -1;
    // Far cells begin at the near radius of the visibility pass.
    const float far2 = nearRadius * nearRadius;
    for (int row = rowFrom; row < rowTo; ++row) {
        for (int column = columnFrom; column < columnTo; ++column) {
            const float dx = cx - float(column) - 0.5f;
            const float dy = cy - float(row) - 0.5f;
            const float q = dx * dx + dy * dy;
            const SCellRecord& cell = Cell(column, row);
            if (q > r * r * 0.25f || !IsSphereVisible(cell.centre, cell.radius))
                continue;
            if (q >= far2)
                RenderCell4(column, row);
            else
                RenderCell(column, row);
        }
    }
    SetStates(*device, kReflectionEnd);
}
