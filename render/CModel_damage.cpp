// CModel's damage: each damage piece removes its triangles from the main index list; the lists
// without them are cached per piece mask, as index buffers for device meshes and as plain lists
// for the batched work data. The pieces also serve as the model's named points.
#include "render/CModel.h"

#include "foundation/CTimer.h"
#include "foundation/XRangeError.h"
#include "platform/gfx/device.h"
#include "render/CModel_local.h"
#include "render/Graphic.h"

#include <cstring>

using namespace plat::gfx;
using model_local::SetRef;

namespace {

// An index buffer holding the list; null for an empty list or when the device refuses.
IndexBuffer* MakeIndexBuffer(const std::vector<uint16_t>& indices)
{
    Device* device = g_Graphic.GetDevice();
    if (!device || indices.empty())
        return nullptr;
    const bool software = !g_Graphic.Caps().hwTransformAndLight;
    IndexBuffer* buffer = nullptr;
    const uint32_t bytes = uint32_t(indices.size() * 2);
    if (Failed(device->CreateIndexBuffer(bytes, software ? usage::kSoftwareProcessing : 0, Format::Index16,
            software ? Pool::SystemMem : Pool::Managed, &buffer)))
        return nullptr;
    uint8_t* data = nullptr;
    if (Succeeded(buffer->Lock(0, 0, &data, 0))) {
        std::memcpy(data, indices.data(), bytes);
        buffer->Unlock();
    }
    return buffer;
}

} // namespace

uint32_t CModel::PieceMask(uint32_t mask) const
{
    return mask & ((1u << damagePieceCount) - 1);
}

std::vector<uint16_t> CModel::CreateDamageIndexes(uint32_t mask) const
{
    const size_t triangles = m_baseIndices.size() / 3;
    std::vector<uint8_t> removed(triangles, 0);
    for (int i = 0; i < damagePieceCount; ++i) {
        if (!(mask & (1u << i)))
            continue;
        for (uint16_t t : m_pieces[i].triangles) {
            if (t >= triangles)
                throw XRangeError();
            removed[t] = 1;
        }
    }
    std::vector<uint16_t> out;
    out.reserve(m_baseIndices.size());
    for (size_t t = 0; t < triangles; ++t) {
        if (!removed[t])
            out.insert(
                out.end(), m_baseIndices.begin() + long(3 * t), m_baseIndices.begin() + long(3 * t + 3));
    }
    return out;
}

template <class Variants, class Make>
int CModel::FindVariant(Variants& variants, int& count, uint32_t mask, Make make)
{
    const float now = GameClockF32;
    for (int v = 1; v < count; ++v) {
        if (variants[v].mask == mask) {
            variants[v].lastUse = now;
            return v;
        }
    }
    int oldest = -1;
    float oldestUse = 1e11f;
    for (int v = 1; v < count; ++v) {
        if (variants[v].lastUse < oldestUse) {
            oldestUse = variants[v].lastUse;
            oldest = v;
        }
    }
    int slot = oldest;
    if (count == 1 || (now - oldestUse > kVariantIdle && count < kMaxVariants))
        slot = count++;
    make(variants[slot]);
    variants[slot].mask = mask;
    variants[slot].lastUse = now;
    return slot;
}

void CModel::SetDamageData(Mesh* mesh, uint32_t mask)
{
    if (!mesh || mesh->memoryMode == Mesh::kSystemMemory || mesh->primitive == 0 || m_deviceVariantCount == 0)
        return;
    mask = PieceMask(mask);
    int slot = 0;
    if (mask != 0) {
        for (int v = 1; v < m_deviceVariantCount; ++v) {
            if (m_deviceVariants[v].buffer == mesh->indexBuffer && m_deviceVariants[v].mask == mask) {
                m_deviceVariants[v].lastUse = GameClockF32;
                return;
            }
        }
        slot
            = FindVariant(m_deviceVariants, m_deviceVariantCount, mask, [this, mask](DeviceVariant& variant) {
                  const std::vector<uint16_t> indices = CreateDamageIndexes(mask);
                  SetRef(variant.buffer, nullptr);
                  variant.buffer = MakeIndexBuffer(indices);
                  variant.indexCount = variant.buffer ? uint32_t(indices.size()) : 0;
              });
    }
    const DeviceVariant& variant = m_deviceVariants[slot];
    // The intact list of the work mesh is its own copy (it carries the ordering too).
    IndexBuffer* buffer
        = (slot == 0 && mesh == m_workMesh.get() && m_workOwnIndices) ? m_workOwnIndices : variant.buffer;
    // A variant without triangles has no buffer: the mesh draws nothing.
    SetRef(mesh->indexBuffer, buffer);
    mesh->indexCount = buffer ? variant.indexCount : 0;
}

void CModel::SetDamageData(CVertexData* data, uint32_t mask)
{
    if (!data)
        return;
    mask = PieceMask(mask);
    if (mask == 0)
        return; // the work data's own list is the intact one
    const int slot = FindVariant(m_batchVariants, m_batchVariantCount, mask,
        [this, mask](BatchVariant& variant) { variant.indices = CreateDamageIndexes(mask); });
    data->indices = m_batchVariants[slot].indices.data();
    data->indexCount = uint32_t(m_batchVariants[slot].indices.size());
}

SDamagePiece& CModel::GetSubMesh(int i)
{
    if (i < 0 || i >= kMaxPieces)
        throw XRangeError();
    return m_pieces[i];
}

SModelPoint CModel::GetPoint(int i) const
{
    if (i < 0 || i >= damagePieceCount)
        throw XRangeError();
    const SDamagePiece& piece = m_pieces[i];
    return { piece.name, { piece.position[0], piece.position[1], piece.position[2] } };
}

void CModel::ReleaseVariants()
{
    // The meshes get their own lists back before the variants' references go.
    if (m_deviceVariantCount > 0)
        SetRef(mainMesh.indexBuffer, m_deviceVariants[0].buffer);
    if (m_workMesh && m_workOwnIndices)
        SetRef(m_workMesh->indexBuffer, m_workOwnIndices);
    for (DeviceVariant& variant : m_deviceVariants) {
        SetRef(variant.buffer, nullptr);
        variant = DeviceVariant();
    }
    SetRef(m_workOwnIndices, nullptr);
    m_deviceVariantCount = 0;
    for (BatchVariant& variant : m_batchVariants)
        variant = BatchVariant();
    m_batchVariantCount = 0;
}
