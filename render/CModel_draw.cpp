// CModel's drawing: material and tint, the frame atlas, vertex blending and the texture
// parameter around the shader slot; a part with its damage pieces; the batched work data through
// the "MODELS" ring; the triangle ordering for the viewing direction.
#include "render/CModel.h"

#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "platform/gfx/device.h"
#include "render/CModelManager.h"
#include "render/CModel_local.h"
#include "render/Graphic.h"
#include "render/TexShaderManager.h"

#include <cstring>

using namespace plat::gfx;
using model_local::CopyIntoBuffer;

Mesh* CModel::SubmitToBuffer()
{
    if (!MakeWorkData())
        return nullptr;
    if (!g_pModelManager || g_pModelManager->ModelsSlot() < 0)
        return nullptr;
    return g_pModelManager->GetRenderSingleBufMesh(g_pModelManager->ModelsSlot(), *m_workData);
}

void CModel::SetSorting(int ordering, bool indexDataOnly)
{
    if (!HasOrderings() || ordering == currentOrdering || ordering < 0
        || ordering >= modelfile::kOrderingCount)
        return;
    const size_t count = m_baseIndices.size();
    if (orderings.size() < count * modelfile::kOrderingCount)
        return;
    currentOrdering = ordering;
    const uint16_t* source = orderings.data() + size_t(ordering) * count;
    if (batched && m_workData && m_workData->indexCapacity >= count)
        std::memcpy(m_workData->indices, source, count * 2);
    if (indexDataOnly)
        return;
    if (IsInSystemMemory()) {
        if (mainMesh.indexData)
            std::memcpy(mainMesh.indexData, source, count * 2);
        if (m_workMesh && m_workMesh->indexData)
            std::memcpy(m_workMesh->indexData, source, count * 2);
        return;
    }
    CopyIntoBuffer(m_deviceVariants[0].buffer, source, count);
    CopyIntoBuffer(m_workOwnIndices, source, count);
}

void CModel::Render(Mesh* mesh, CTexture* t0, CTexture* t1, CTexture* t2)
{
    if (!mesh)
        return;
    Device* device = g_Graphic.GetDevice();
    if (materialState != -1) {
        Material use = material;
        if (tinted) {
            use.diffuse = { use.diffuse.r * tint[0], use.diffuse.g * tint[1], use.diffuse.b * tint[2],
                use.diffuse.a * tint[3] };
            use.ambient = { use.ambient.r * tint[0], use.ambient.g * tint[1], use.ambient.b * tint[2],
                use.ambient.a * tint[3] };
        }
        g_Graphic.SetMaterial(use);
    }
    mesh->animFrames = frameGrid;
    if (frameGrid < 256) {
        mesh->gridRows = frameGrid;
        mesh->gridColumns = frameGrid;
    } else {
        mesh->gridColumns = frameGrid & 0xFF;
        mesh->gridRows = (frameGrid >> 8) & 0xFF;
    }
    mesh->frame = frame;

    bool blending = false;
    if (device && (blendMode == 1 || blendMode == 2)) {
        device->SetRenderState(RenderState::VertexBlend,
            StateValue(blendMode == 1 ? VertexBlendMode::Weights1 : VertexBlendMode::Weights2));
        blending = true;
    } else if (blendMode != 0) {
        WriteErrorLog("CModel::Render m_iBlend value error");
    }
    if (device && texParamKind == 1) {
        Matrix scale = Matrix::Identity();
        scale.m[0][0] = scale.m[1][1] = scale.m[2][2] = texParamScale;
        device->SetTransform(TextureTransformOf(1), scale);
    } else if (texParamKind != 0) {
        WriteErrorLog("CModel::Render unknown type of additional paramater");
    }
    if (g_TexShaderManager)
        g_TexShaderManager->Apply(int(shaderSlot), mesh, t0, t1, t2);
    if (blending)
        device->SetRenderState(RenderState::VertexBlend, StateValue(VertexBlendMode::Disable));
}

void CModel::RenderPart(const float* weights, uint32_t damageMask, CTexture* t0, CTexture* t1, CTexture* t2)
{
    ZJ_TRACE("CModel::RenderPart");
    uint16_t* ownIndices = nullptr;
    uint32_t ownCount = 0;
    const bool swap = batched && hasChannels && weights && MakeWorkData();
    if (swap) {
        ownIndices = m_workData->indices;
        ownCount = m_workData->indexCount;
        SetDamageData(m_workData.get(), damageMask);
        m_workData->firstIndex = 0;
    }
    Mesh* mesh = GetMorphedMesh(weights);
    if (swap) {
        m_workData->indices = ownIndices;
        m_workData->indexCount = ownCount;
    }
    if (!mesh)
        return;
    if (!batched || mesh == &mainMesh) {
        SetDamageData(mesh, damageMask);
        Mesh::ResetStreamCache();
    }
    Render(mesh, t0, t1, t2);
    const uint32_t pieces = PieceMask(damageMask);
    for (int i = 0; i < damagePieceCount; ++i) {
        if (pieces & (1u << i))
            Render(&m_pieces[i].mesh, t0, t1, t2);
    }
}

void CModel::Submit(const float* weights, CTexture* t0, CTexture* t1, CTexture* t2)
{
    (void)weights;
    Render(SubmitToBuffer(), t0, t1, t2);
}

void CModel::SetColor(float r, float g, float b, float a)
{
    tinted = true;
    tint[0] = r;
    tint[1] = g;
    tint[2] = b;
    tint[3] = a;
}
