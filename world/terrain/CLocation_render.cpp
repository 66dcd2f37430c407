// The terrain pass: near cells quad by quad with their material layers, far cells whole and
// untextured, the horizon bend through vertex blending, and the mesh slots that keep geometry on
// the device while a mesh keeps being drawn. Only the list path is built (the strip switch is off).
#include "world/terrain/CLocation.h"

#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "render/CLandMaterials.h"
#include "render/CModelManager.h"
#include "render/CTexture.h"
#include "render/Graphic.h"
#include "render/TextureManager.h"
#include "world/terrain/CEnvironment.h"
#include "world/terrain/CLightWare.h"
#include "world/terrain/TerrainStates.h"
#include "world/terrain/TerrainSwitches.h"

#include <array>
#include <cmath>
#include <cstring>

namespace {

using plat::gfx::Blend;
using plat::gfx::Device;
using plat::gfx::MaterialSource;
using plat::gfx::RenderState;
using plat::gfx::StageState;
using plat::gfx::TextureArg;
using plat::gfx::TextureOp;
using plat::gfx::VertexBlendMode;

constexpr int kFarPool = 3;
constexpr int kIdentityBend = 0;
constexpr int kBent = 1;

template <size_t N> void Apply(Device& device, const std::array<STerrainState, N>& states)
{
    for (const STerrainState& s : states) {
        if (s.stage < 0)
            device.SetRenderState(RenderState(s.state), s.value);
        else
            device.SetTextureStageState(uint32_t(s.stage), StageState(s.state), s.value);
    }
}

// Identity with the fade as z scale and the sink as z translation.
plat::gfx::Matrix BendMatrix(const CLocation& location, float x, float y)
{
    float fade = 1.0f;
    float sink = 0.0f;
    location.GetAttenuation(Vec3 { x, y, 0.0f }, fade, sink);
    plat::gfx::Matrix m = plat::gfx::Matrix::Identity();
    m.m[2][2] = fade;
    m.m[3][2] = sink;
    return m;
}

float CellDistance(const Vec3& camera, float x, float y)
{
    const float dx = x - camera.x;
    const float dy = y - camera.y;
    const float dz = camera.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// Restores the stage and material states every terrain pass ends with.
void RestoreAfterTerrain(Device& device)
{
    device.SetTextureStageState(1, StageState::AlphaOp, uint32_t(TextureOp::Disable));
    device.SetTextureStageState(1, StageState::ColorOp, uint32_t(TextureOp::Disable));
    device.SetRenderState(RenderState::SpecularEnable, 1);
    device.SetRenderState(RenderState::AmbientMaterialSource, uint32_t(MaterialSource::Material));
    device.SetRenderState(RenderState::DiffuseMaterialSource, uint32_t(MaterialSource::Material));
    device.SetRenderState(RenderState::NormalizeNormals, 0);
    device.SetRenderState(RenderState::VertexBlend, uint32_t(VertexBlendMode::Disable));
    device.SetRenderState(RenderState::SrcBlend, uint32_t(Blend::One));
    device.SetRenderState(RenderState::DestBlend, uint32_t(Blend::Zero));
    device.SetRenderState(RenderState::AlphaBlendEnable, 1);
}

} // namespace

void CLocation::Render()
{
    CycleRender();
}

void CLocation::SetStage0Texture(CTexture* texture)
{
    if (m_stage0Known && m_stage0Texture == texture)
        return;
    m_stage0Known = true;
    m_stage0Texture = texture;
    g_Graphic.GetDevice()->SetTexture(0, texture ? texture->GetTexture() : nullptr);
    StageTextureCache[0] = texture;
}

void CLocation::ApplyTerrainStates(int set)
{
    if (terrainStateCache == set)
        return;
    terrainStateCache = set;
    Device& device = *g_Graphic.GetDevice();
    if (set == kNearLevel)
        Apply(device, kNearCellStates);
    else
        Apply(device, kFarCellStates);
}

void CLocation::ApplyBend(bool on, float x0, float y0, float side)
{
    Device& device = *g_Graphic.GetDevice();
    if (!on) {
        if (bendCache != kIdentityBend) {
            device.SetTransform(plat::gfx::Transform::World, plat::gfx::Matrix::Identity());
            device.SetRenderState(RenderState::NormalizeNormals, 0);
            device.SetRenderState(RenderState::VertexBlend, uint32_t(VertexBlendMode::Disable));
            bendCache = kIdentityBend;
        }
        return;
    }
    if (g_Graphic.Caps().maxVertexBlendMatrices < 4) {
        device.SetTransform(
            plat::gfx::Transform::World, BendMatrix(*this, x0 + side * 0.5f, y0 + side * 0.5f));
        if (bendCache != kBent) {
            device.SetRenderState(RenderState::NormalizeNormals, 1);
            bendCache = kBent;
        }
        return;
    }
    // The level-3 and far vertices weight these corners: 0 (+s, 0), 1 (0, +s), 2 (+s, +s), 3 (0, 0).
    device.SetTransform(plat::gfx::WorldMatrix(3), BendMatrix(*this, x0, y0));
    device.SetTransform(plat::gfx::WorldMatrix(0), BendMatrix(*this, x0 + side, y0));
    device.SetTransform(plat::gfx::WorldMatrix(1), BendMatrix(*this, x0, y0 + side));
    device.SetTransform(plat::gfx::WorldMatrix(2), BendMatrix(*this, x0 + side, y0 + side));
    if (bendCache != kBent) {
        device.SetRenderState(RenderState::NormalizeNormals, 1);
        device.SetRenderState(RenderState::VertexBlend, uint32_t(VertexBlendMode::Weights3));
        bendCache = kBent;
    }
}

SDeviceBuffer* CLocation::TakeSlot(MapMesh& mesh, int pool, bool fromLast)
{
    auto& slots = m_deviceBuffers[pool];
    const int count = int(slots.size());
    const int start = fromLast && count > 0 ? m_lastSlot[pool] % count : 0;
    for (int k = 0; k < count; ++k) {
        const int i = (start + k) % count;
        SDeviceBuffer& slot = slots[size_t(i)];
        if (slot.inUse)
            continue;
        const CVertexData& data = mesh.data;
        if (!slot.device) {
            slot.device = std::make_unique<Mesh>(
                Mesh::kStatic, data.format, data.vertexCapacity, true, data.indexCapacity);
            slot.created = 1;
        }
        Mesh& device = *slot.device;
        if (!device.Lock(true, true))
            return nullptr;
        std::memcpy(device.vertexData, data.vertices, size_t(data.vertexCount) * data.stride);
        std::memcpy(device.indexData, data.indices, size_t(data.indexCount) * sizeof(uint16_t));
        device.Unlock(true, true);
        slot.inUse = 1;
        slot.usedThisFrame = 1;
        slot.mesh = &mesh;
        mesh.buffer = &slot;
        if (fromLast)
            m_lastSlot[pool] = i;
        return &slot;
    }
    return nullptr;
}

int CLocation::Ring(int which)
{
    static constexpr const char* kNames[3] = { "MAP1", "MAP3", "MAP4" };
    if (!g_pModelManager)
        return -1;
    int32_t& ring = m_rings[which];
    if (ring < 0 || !g_pModelManager->GetBuffer(ring).vertexBuffer
        || std::strncmp(g_pModelManager->GetBuffer(ring).name, kNames[which], 32) != 0)
        ring = g_pModelManager->FindBuffer(kNames[which]);
    return ring;
}

void CLocation::DrawLayers(MapMesh& mesh, int level, int ring)
{
    CVertexData& data = mesh.data;
    const int layers = mesh.layerCount < MapMesh::kMaxLayers ? mesh.layerCount : MapMesh::kMaxLayers;
    for (int k = 0; k < layers; ++k) {
        const SMeshLayer& layer = mesh.layers[k];
        if (layer.material == -2)
            break;
        if (layer.vertexCount == 0 || layer.indexCount == 0)
            continue;
        if (level < kFarLevel) {
            CTexture* texture = nullptr;
            if (layer.material != -1 && g_pLandMaterials && g_pTextureManager) {
                const SLandMaterial& material = g_pLandMaterials->GetMaterial(layer.material);
                texture = g_pTextureManager->GetTexture(level == 1 ? material.textureFull : material.texture);
                if (texture && !texture->GetTexture())
                    texture = nullptr;
            }
            SetStage0Texture(texture);
        }
        if (mesh.buffer) {
            Mesh& device = *mesh.buffer->device;
            device.startVertex = layer.firstVertex;
            device.vertexCount = layer.vertexCount;
            device.startIndex = layer.firstIndex;
            device.indexCount = layer.indexCount;
            device.Render(true);
            continue;
        }
        if (ring < 0)
            continue;
        const uint32_t saved[4] = { data.firstVertex, data.vertexCount, data.firstIndex, data.indexCount };
        data.firstVertex = layer.firstVertex;
        data.vertexCount = layer.vertexCount;
        data.firstIndex = layer.firstIndex;
        data.indexCount = layer.indexCount;
        Mesh* streamed = g_pModelManager->GetRenderSingleBufMesh(ring, data);
        data.firstVertex = saved[0];
        data.vertexCount = saved[1];
        data.firstIndex = saved[2];
        data.indexCount = saved[3];
        streamed->Render(true);
    }
}

void CLocation::RenderCell(int column, int row)
{
    ZJ_TRACE("CLocation::RenderCell");
    MapCell* cell = Cell(column, row).full;
    if (!cell)
        return;
    SetQuadLevels(column, row);
    cell->lastUse = GameClockF32;
    ApplyTerrainStates(kNearLevel);
    const int rings[2] = { Ring(0), Ring(1) };
    const int split = cell->quadSplit;
    for (int q = 0; q < split * split; ++q) {
        MapQuad& quad = cell->quads[q];
        if (!quad.visible)
            continue;
        const float x0 = float(column) + float(q % 2) * 0.5f;
        const float y0 = float(row) + float(q / 2) * 0.5f;
        const bool bend = quad.level == 3 && bendHorizon
            && CellDistance(cameraCell, x0 + 0.25f, y0 + 0.25f) > attenuationStart - 0.3535f;
        ApplyBend(bend, x0, y0, 0.5f);
        LightWare.SetLights(quad.centre.x, quad.centre.y, quad.centre.z, quad.radius);
        MapMesh* mesh = GetQuadObject(column, row, q);
        if (!mesh)
            continue;
        const int level = quad.level;
        const int pool = level - 1;
        if (mesh->buffer) {
            ++bufferHits[pool];
            mesh->buffer->usedThisFrame = 1;
        } else if (!TakeSlot(*mesh, pool, true)) {
            ++bufferMisses[pool];
        }
        DrawLayers(*mesh, level, rings[level == 3 ? 1 : 0]);
    }
}

void CLocation::RenderCell4(int column, int row)
{
    ZJ_TRACE("CLocation::RenderCell4");
    HalfCell* half = Cell(column, row).half;
    if (!half)
        return;
    half->lastUse = GameClockF32;
    // Quad -1 asks for the far mesh whatever level the visibility pass gave the cell.
    MapMesh* mesh = GetQuadObject(column, row, -1);
    if (!mesh)
        return;
    if (mesh->buffer) {
        ++bufferHits[kFarPool];
        mesh->buffer->usedThisFrame = 1;
    } else {
        ++bufferMisses[kFarPool];
        TakeSlot(*mesh, kFarPool, false);
    }
    ApplyTerrainStates(kFarLevel);
    const bool bend = bendHorizon
        && CellDistance(cameraCell, float(column) + 0.5f, float(row) + 0.5f) > attenuationStart - 1.0f;
    ApplyBend(bend, float(column), float(row), 1.0f);
    LightWare.SetLights(half->centre.x, half->centre.y, half->centre.z, half->radius);
    DrawLayers(*mesh, kFarLevel, Ring(2));
}

void CLocation::CycleRender()
{
    ZJ_TRACE("CLocation::CycleRender");
    Device* device = g_Graphic.GetDevice();
    if (!device)
        return;
    for (auto& slots : m_deviceBuffers) {
        for (SDeviceBuffer& slot : slots)
            slot.usedThisFrame = 0;
    }
    ForgetStage0Texture();
    Environment.SetFog(true, 1.0f, 0.0f);
    g_Graphic.SetMaterial(kTerrainMaterial);
    device->SetRenderState(RenderState::AmbientMaterialSource, uint32_t(MaterialSource::Color1));
    device->SetRenderState(RenderState::DiffuseMaterialSource, uint32_t(MaterialSource::Color1));
    device->SetRenderState(RenderState::SpecularEnable, 0);
    device->SetRenderState(RenderState::SrcBlend, uint32_t(Blend::SrcAlpha));
    device->SetRenderState(RenderState::DestBlend, uint32_t(Blend::InvSrcAlpha));
    for (uint32_t stage = 0; stage < 2; ++stage) {
        device->SetTextureStageState(stage, StageState::ColorArg2, uint32_t(TextureArg::Current));
        device->SetTextureStageState(stage, StageState::AlphaArg2, uint32_t(TextureArg::Current));
    }
    terrainStateCache = -1;
    bendCache = -1;
    for (int i = 0; i < visibleCount; ++i) {
        const SVisibleCell& visible = visibleCells[i];
        if (Cell(visible.column, visible.row).level == kNearLevel)
            RenderCell(visible.column, visible.row);
        else
            RenderCell4(visible.column, visible.row);
    }
    RestoreAfterTerrain(*device);
    if (DetailsOn)
        RenderDetails();
    Environment.SetFog(false, 1.0f, 0.0f);
    for (auto& slots : m_deviceBuffers) {
        for (SDeviceBuffer& slot : slots) {
            if (slot.inUse && !slot.usedThisFrame && slot.mesh)
                UnlinkSlot(*slot.mesh);
        }
    }
    device->SetRenderState(RenderState::NormalizeNormals, 1);
}
