#include "render/CModel.h"

#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/XRangeError.h"
#include "platform/gfx/device.h"
#include "render/CModelManager.h"
#include "render/Graphic.h"
#include "render/TexShaderManager.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

using namespace plat::gfx;

namespace {

uint32_t PositionBytes(uint32_t format)
{
    switch (format & 0x0E) {
    case 0x02:
        return 12;
    case 0x04:
    case 0x06:
        return 16;
    case 0x08:
        return 20;
    case 0x0A:
        return 24;
    default:
        return 0;
    }
}

// Frames of the atlas: n x n below 256, else columns (low byte) x rows (high byte); at least 1.
int32_t FrameCount(int32_t grid)
{
    const int32_t n = grid < 256 ? grid * grid : (grid & 0xFF) * ((grid >> 8) & 0xFF);
    return std::max(n, 1);
}

void SetRef(IndexBuffer*& slot, IndexBuffer* buffer)
{
    if (slot == buffer)
        return;
    if (buffer)
        buffer->AddRef();
    if (slot)
        slot->Release();
    slot = buffer;
}

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

void CopyIntoBuffer(IndexBuffer* buffer, const uint16_t* indices, size_t count)
{
    uint8_t* data = nullptr;
    if (buffer && count && Succeeded(buffer->Lock(0, uint32_t(count * 2), &data, 0))) {
        std::memcpy(data, indices, count * 2);
        buffer->Unlock();
    }
}

// Block factors of one channel for weight w: position and normal factor of each delta block,
// and the block whose vertex list the terms follow. False when the channel adds nothing.
struct Terms {
    float position[4] = {};
    float normal[4] = {};
    int list = 0;
};

bool ChannelTerms(uint32_t type, float w, Terms& t)
{
    auto set = [&t](std::initializer_list<float> factors) {
        int b = 0;
        for (float f : factors) {
            t.position[b] = f;
            t.normal[b] = f;
            ++b;
        }
        return true;
    };
    const bool negated = type == 4 || type == 5 || type == 7 || type == 11 || type == 13 || type == 14 || type == 15;
    const float v = negated ? -w : w;
    switch (type) {
    case 1:
        if (w > 0)
            return set({w, w * w});
        t.list = 2;
        return set({0, 0, -w, w * w});
    case 2:
    case 4:
        return v > 0 && set({v, v * v});
    case 3:
    case 5:
        return v > 0 && set({v});
    case 6:
    case 7:
        if (v <= 0)
            return false;
        return v <= 0.5f ? set({v}) : set({0.5f, v - 0.5f});
    case 8:
    case 14:
        if (v <= 0)
            return false;
        if (v <= 1.0f / 3)
            return set({v});
        if (v <= 2.0f / 3)
            return set({1.0f / 3, v - 1.0f / 3});
        return set({1.0f / 3, 1.0f / 3, v - 2.0f / 3});
    case 9:
    case 15:
        if (v <= 0)
            return false;
        if (v <= 0.25f)
            return set({v});
        if (v <= 0.5f)
            return set({0.25f, v - 0.25f});
        if (v <= 0.75f)
            return set({0.25f, 0.25f, v - 0.5f});
        return set({0.25f, 0.25f, 0.25f, v - 0.75f});
    case 10:
    case 11: {
        const float angle = float(M_PI) * v;
        t.position[0] = 1 - std::cos(angle);
        t.position[1] = std::sin(angle);
        if (v > 0) {
            t.normal[0] = v;
            t.normal[1] = v * v;
        } else {
            t.normal[0] = -v;
            t.normal[1] = -2 * v - v * v;
        }
        return true;
    }
    case 12:
    case 13:
        return v > 0 && set({v, v * v, v * v * v});
    default:
        return false;
    }
}

// One delta block's term of a blend: its deltas and the factors of position and normal.
struct DeltaTerm {
    const SMorphDelta* deltas;
    size_t count;
    float p, n;
};

template <int N, bool Normals>
void AddTermsOf(uint8_t* destination, uint32_t stride, uint32_t normalOffset, const uint16_t* indices, size_t count,
    const DeltaTerm* terms)
{
    for (size_t k = 0; k < count; ++k) {
        const size_t vertex = indices ? indices[k] : k;
        float* position = reinterpret_cast<float*>(destination + vertex * stride);
        float px = 0, py = 0, pz = 0, nx = 0, ny = 0, nz = 0;
        for (int a = 0; a < N; ++a) {
            const SMorphDelta& d = terms[a].deltas[k];
            px += terms[a].p * d.position[0];
            py += terms[a].p * d.position[1];
            pz += terms[a].p * d.position[2];
            if constexpr (Normals) {
                nx += terms[a].n * d.normal[0];
                ny += terms[a].n * d.normal[1];
                nz += terms[a].n * d.normal[2];
            }
        }
        position[0] += px;
        position[1] += py;
        position[2] += pz;
        if constexpr (Normals) {
            float* normal = reinterpret_cast<float*>(destination + vertex * stride + normalOffset);
            normal[0] += nx;
            normal[1] += ny;
            normal[2] += nz;
        }
    }
}

// The blend of vertices 0 to count - 1 of the list, where every term has a delta.
void AddTerms(int n, bool normals, uint8_t* destination, uint32_t stride, uint32_t normalOffset,
    const uint16_t* indices, size_t count, const DeltaTerm* terms)
{
    using Kernel = void (*)(uint8_t*, uint32_t, uint32_t, const uint16_t*, size_t, const DeltaTerm*);
    static constexpr Kernel kKernels[2][4] = {
        {AddTermsOf<1, false>, AddTermsOf<2, false>, AddTermsOf<3, false>, AddTermsOf<4, false>},
        {AddTermsOf<1, true>, AddTermsOf<2, true>, AddTermsOf<3, true>, AddTermsOf<4, true>},
    };
    if (n >= 1 && n <= 4)
        kKernels[normals ? 1 : 0][n - 1](destination, stride, normalOffset, indices, count, terms);
}

// The rest of the list, where shorter blocks have run out of deltas.
void AddTermsChecked(int n, bool normals, uint8_t* destination, uint32_t stride, uint32_t normalOffset,
    const uint16_t* indices, size_t first, size_t last, const DeltaTerm* terms)
{
    for (size_t k = first; k < last; ++k) {
        const size_t vertex = indices ? indices[k] : k;
        float* position = reinterpret_cast<float*>(destination + vertex * stride);
        float* normal = reinterpret_cast<float*>(destination + vertex * stride + normalOffset);
        for (int a = 0; a < n; ++a) {
            if (k >= terms[a].count)
                continue;
            const SMorphDelta& d = terms[a].deltas[k];
            for (int c = 0; c < 3; ++c) {
                position[c] += terms[a].p * d.position[c];
                if (normals)
                    normal[c] += terms[a].n * d.normal[c];
            }
        }
    }
}

} // namespace

CModel::~CModel()
{
    Done();
}

void CModel::Load(const SModelBlock& block, bool deviceBuffers)
{
    Load(SModelBlock(block), deviceBuffers);
}

void CModel::Load(SModelBlock&& block, bool deviceBuffers)
{
    ZJ_TRACE("CModel::Load");
    Done();
    std::memcpy(&material, block.material, sizeof material);
    shaderSlot = block.shaderSlot;
    frameGrid = std::max(block.frameGrid, 0);
    if (frameGrid >= 256 && ((frameGrid & 0xFF) == 0 || ((frameGrid >> 8) & 0xFF) == 0)) {
        char line[96];
        std::snprintf(line, sizeof line, "CModel::Load frame grid 0x%x has no columns or no rows", unsigned(frameGrid));
        WriteErrorLog(line);
        frameGrid = 0;
    }
    frameTime = block.frameTime >= 0.0f ? std::min(block.frameTime, 100.0f) : 0.0f;
    autoAnimate = block.autoAnimate != 0 && block.autoChannel < uint32_t(kMaxChannels);
    autoPeriod = block.autoPeriod;
    autoChannel = block.autoChannel;
    blendMode = block.blendMode;
    orderingsMode = block.orderingsMode;
    texParamKind = block.texParamKind;
    texParamScale = block.texParamScale;
    damagePieceCount = int32_t(block.pieces.size());
    materialState = 0;
    batched = deviceBuffers;

    mainMesh.Load(deviceBuffers ? Mesh::kStaticManaged : Mesh::kSystemMemory, block.mesh);
    memoryBytes += int32_t(mainMesh.byteSize);
    m_baseIndices = std::move(block.mesh.indices);
    m_normalOffset = PositionBytes(block.mesh.format);
    if (m_normalOffset == 0) {
        WriteErrorLog("Error in mesh format");
        m_normalOffset = 12;
    }

    channels = std::move(block.channels);
    channelCount = int32_t(channels.size());
    if (channelCount > 0)
        MakeWorkMesh(std::move(block.mesh.vertices));

    m_deviceVariants[0] = DeviceVariant();
    SetRef(m_deviceVariants[0].buffer, mainMesh.indexBuffer);
    m_deviceVariants[0].indexCount = mainMesh.indexCount;
    m_deviceVariantCount = 1;
    m_batchVariantCount = 1;

    hasChannels = channelCount > 0;
    if (HasOrderings())
        orderings = std::move(block.orderings);

    for (int i = 0; i < damagePieceCount; ++i) {
        SDamagePieceBlock& source = block.pieces[size_t(i)];
        SDamagePiece& piece = m_pieces[i];
        std::memcpy(piece.name, source.name, sizeof piece.name);
        std::memcpy(piece.position, source.position, sizeof piece.position);
        piece.triangles = std::move(source.triangles);
        piece.mesh.Load(deviceBuffers ? Mesh::kStaticManaged : Mesh::kSystemMemory, source.mesh);
        memoryBytes += int32_t(piece.mesh.byteSize);
    }
}

void CModel::MakeWorkMesh(std::vector<uint8_t>&& vertices)
{
    ZJ_TRACE("CModel::MakeWorkMesh");
    const uint32_t vertexCount = mainMesh.vertexCount;
    if (vertexCount == 0)
        return;
    const size_t bytes = size_t(mainMesh.stride) * vertexCount;
    if (vertices.size() == bytes) {
        m_baseVertices = std::move(vertices);
    } else {
        m_baseVertices.assign(bytes, 0);
        const bool locked = mainMesh.vertexData == nullptr;
        if (locked)
            mainMesh.Lock(true, false);
        if (mainMesh.vertexData)
            std::memcpy(m_baseVertices.data(), mainMesh.vertexData, bytes);
        if (locked)
            mainMesh.Unlock(true, false);
    }
    // A batched model's work data is made on its first blend.
    if (batched)
        return;
    const uint32_t indexCount = uint32_t(m_baseIndices.size());
    m_workVertices = m_baseVertices;
    m_workMesh = std::make_unique<Mesh>();
    m_workMesh->Allocate(IsInSystemMemory() ? Mesh::kSystemMemory : Mesh::kDynamic, mainMesh.format, vertexCount,
        indexCount > 0, indexCount);
    memoryBytes += int32_t(m_workMesh->byteSize);
    if (IsInSystemMemory()) {
        if (indexCount)
            std::memcpy(m_workMesh->indexData, m_baseIndices.data(), indexCount * 2);
        std::memcpy(m_workMesh->vertexData, m_baseVertices.data(), bytes);
    } else {
        CopyIntoBuffer(m_workMesh->indexBuffer, m_baseIndices.data(), indexCount);
        SetRef(m_workOwnIndices, m_workMesh->indexBuffer);
    }
}

bool CModel::MakeWorkData()
{
    if (m_workData)
        return true;
    if (!batched || m_baseVertices.empty())
        return false;
    const uint32_t indexCount = uint32_t(m_baseIndices.size());
    m_workData = std::make_unique<CVertexData>(mainMesh.format, mainMesh.vertexCount, indexCount);
    const uint16_t* indices = m_baseIndices.data();
    if (currentOrdering >= 0 && orderings.size() >= size_t(currentOrdering + 1) * indexCount)
        indices = orderings.data() + size_t(currentOrdering) * indexCount;
    if (indexCount)
        std::memcpy(m_workData->indices, indices, indexCount * 2);
    std::memcpy(m_workData->vertices, m_baseVertices.data(), m_baseVertices.size());
    return true;
}

Mesh* CModel::GetMorphedMesh(const float* weights)
{
    const bool automatic = autoAnimate;
    float use[kMaxChannels] = {};
    if (!weights || automatic || !hasChannels) {
        if ((!weights || !hasChannels) && !automatic)
            return &mainMesh;
        if (weights)
            std::copy(weights, weights + kMaxChannels, use);
        use[autoChannel] = autoPhase;
    } else {
        std::copy(weights, weights + kMaxChannels, use);
    }
    if (!hasChannels || m_baseVertices.empty())
        return &mainMesh;
    bool changed = false;
    bool active = false;
    for (int i = 0; i < kMaxChannels; ++i) {
        changed = changed || std::fabs(use[i] - lastWeights[i]) >= kWeightChange;
        active = active || std::fabs(use[i]) >= kWeightActive;
    }
    if (active && changed)
        return GetAnimatedMesh(use, false);
    if (active)
        return batched ? SubmitToBuffer() : m_workMesh.get();
    return &mainMesh;
}

Mesh* CModel::GetAnimatedMesh(const float* weights, bool force)
{
    if (m_baseVertices.empty())
        return &mainMesh;
    if (batched && !MakeWorkData())
        return &mainMesh;
    std::copy(weights, weights + kMaxChannels, lastWeights);
    // A system-memory work mesh is bent in place; a device one from its own copy.
    const bool inPlace = !batched && IsInSystemMemory();
    uint8_t* destination = batched ? m_workData->vertices : inPlace ? m_workMesh->vertexData : m_workVertices.data();
    std::memcpy(destination, m_baseVertices.data(), m_baseVertices.size());

    const uint32_t stride = mainMesh.stride;
    const bool hasNormal = (mainMesh.format & 0x10) != 0;
    bool applied = false;
    for (int i = 0; i < channelCount && i < kMaxChannels; ++i) {
        const float w = weights[i];
        const SMorphChannelBlock& channel = channels[size_t(i)];
        Terms terms;
        if (w == 0 || channel.blockCount == 0 || !ChannelTerms(channel.type, w, terms))
            continue;
        applied = true;
        const SDeltaBlock& list = channel.blocks[terms.list];
        const size_t count = list.deltas.size();
        DeltaTerm active[4];
        int activeCount = 0;
        size_t common = count;
        for (int b = 0; b < channel.blockCount; ++b) {
            if (terms.position[b] == 0 && terms.normal[b] == 0)
                continue;
            const std::vector<SMorphDelta>& deltas = channel.blocks[b].deltas;
            active[activeCount++] = {deltas.data(), deltas.size(), terms.position[b], terms.normal[b]};
            common = std::min(common, deltas.size());
        }
        const uint16_t* indices = list.hasIndices ? list.indices.data() : nullptr;
        // Every block holds a delta for the first `common` vertices; past them short blocks add nothing.
        AddTerms(activeCount, hasNormal, destination, stride, m_normalOffset, indices, common, active);
        AddTermsChecked(activeCount, hasNormal, destination, stride, m_normalOffset, indices, common, count, active);
    }
    if (!applied && !force)
        return &mainMesh;
    if (batched)
        return SubmitToBuffer();
    if (!inPlace) {
        if (m_workMesh->Lock(true, false) && m_workMesh->vertexData)
            std::memcpy(m_workMesh->vertexData, destination, m_baseVertices.size());
        m_workMesh->Unlock(true, false);
    }
    return m_workMesh.get();
}

Mesh* CModel::SubmitToBuffer()
{
    if (!MakeWorkData())
        return nullptr;
    if (!g_pModelManager || g_pModelManager->ModelsSlot() < 0)
        return nullptr;
    return g_pModelManager->GetRenderSingleBufMesh(g_pModelManager->ModelsSlot(), *m_workData);
}

int CModel::AdvanceAnimation(float dt)
{
    if (autoAnimate && autoPeriod > 0) {
        autoClock += dt;
        // x less its integer part with the lowest bit cleared: x modulo 2.
        const double x = double(autoClock) / double(autoPeriod);
        double p = std::isfinite(x) ? std::fmod(x, 2.0) : 0.0;
        if (p < 0)
            p += 2.0;
        autoPhase = float(p > 1 ? 2 - p : p);
    }
    int cycles = 0;
    if (frameGrid >= 1 && frameTime > 0) {
        frameClock += dt;
        if (frameClock > frameTime) {
            ++frame;
            frameClock -= frameTime;
        }
        const int32_t n = FrameCount(frameGrid);
        cycles = frame / n;
        frame %= n;
    }
    return cycles;
}

void CModel::SetSorting(int ordering, bool indexDataOnly)
{
    if (!HasOrderings() || ordering == currentOrdering || ordering < 0 || ordering >= modelfile::kOrderingCount)
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
            out.insert(out.end(), m_baseIndices.begin() + long(3 * t), m_baseIndices.begin() + long(3 * t + 3));
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
        slot = FindVariant(m_deviceVariants, m_deviceVariantCount, mask, [this, mask](DeviceVariant& variant) {
            const std::vector<uint16_t> indices = CreateDamageIndexes(mask);
            SetRef(variant.buffer, nullptr);
            variant.buffer = MakeIndexBuffer(indices);
            variant.indexCount = variant.buffer ? uint32_t(indices.size()) : 0;
        });
    }
    const DeviceVariant& variant = m_deviceVariants[slot];
    // The intact list of the work mesh is its own copy (it carries the ordering too).
    IndexBuffer* buffer = (slot == 0 && mesh == m_workMesh.get() && m_workOwnIndices) ? m_workOwnIndices : variant.buffer;
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
        return;   // the work data's own list is the intact one
    const int slot = FindVariant(m_batchVariants, m_batchVariantCount, mask,
        [this, mask](BatchVariant& variant) { variant.indices = CreateDamageIndexes(mask); });
    data->indices = m_batchVariants[slot].indices.data();
    data->indexCount = uint32_t(m_batchVariants[slot].indices.size());
}

void CModel::Render(Mesh* mesh, CTexture* t0, CTexture* t1, CTexture* t2)
{
    if (!mesh)
        return;
    Device* device = g_Graphic.GetDevice();
    if (materialState != -1) {
        Material use = material;
        if (tinted) {
            use.diffuse = {use.diffuse.r * tint[0], use.diffuse.g * tint[1], use.diffuse.b * tint[2],
                use.diffuse.a * tint[3]};
            use.ambient = {use.ambient.r * tint[0], use.ambient.g * tint[1], use.ambient.b * tint[2],
                use.ambient.a * tint[3]};
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

void CModel::GetSize(Vec3& extent)
{
    if (mainMesh.vertexCount == 0) {
        extent = {0, 0, 0};
        return;
    }
    mainMesh.GetSize(extent);
}

int CModel::FindMorphChannel(const char* name) const
{
    for (int i = 0; i < channelCount; ++i) {
        if (std::strncmp(channels[size_t(i)].name, name, sizeof channels[size_t(i)].name) == 0
            && std::strlen(name) < sizeof channels[size_t(i)].name)
            return i;
    }
    return -1;
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
    return {piece.name, {piece.position[0], piece.position[1], piece.position[2]}};
}

void CModel::SetColor(float r, float g, float b, float a)
{
    tinted = true;
    tint[0] = r;
    tint[1] = g;
    tint[2] = b;
    tint[3] = a;
}

const uint8_t* CModel::MorphedVertices(const float* weights, uint32_t& count, bool& locked, Mesh*& mesh)
{
    locked = false;
    mesh = GetMorphedMesh(weights);
    count = mainMesh.vertexCount;
    if (mesh == &mainMesh || !mesh) {
        mesh = &mainMesh;
        if (!mainMesh.vertexData && mainMesh.vertexBuffer) {
            mainMesh.Lock(true, false);
            locked = true;
        }
        return mainMesh.vertexData;
    }
    return batched ? m_workData->vertices : m_workVertices.data();
}

bool CModel::FindFrameCorners(int corners[4])
{
    for (int i = 0; i < 4; ++i)
        corners[i] = i;
    uint32_t count = 0;
    bool locked = false;
    Mesh* mesh = nullptr;
    const uint8_t* vertices = MorphedVertices(nullptr, count, locked, mesh);
    bool found = false;
    if (vertices && count >= 4) {
        const uint32_t seen = std::min(count, 9u);
        int first[9];
        int uses[9] = {};
        int distinct = 0;
        for (uint32_t v = 0; v < seen; ++v) {
            const float* p = reinterpret_cast<const float*>(vertices + size_t(v) * mainMesh.stride);
            int match = -1;
            for (int d = 0; d < distinct && match < 0; ++d) {
                const float* q = reinterpret_cast<const float*>(vertices + size_t(first[d]) * mainMesh.stride);
                const float dx = p[0] - q[0], dy = p[1] - q[1], dz = p[2] - q[2];
                if (dx * dx + dy * dy + dz * dz < 0.000625f)
                    match = d;
            }
            if (match < 0) {
                match = distinct++;
                first[match] = int(v);
            }
            ++uses[match];
        }
        if (distinct == 4) {
            int corner = 0;
            for (int d = 1; d < 4; ++d) {
                if (uses[d] > uses[corner])
                    corner = d;
            }
            int n = 0;
            corners[n++] = first[corner];
            for (int d = 0; d < 4; ++d) {
                if (d != corner)
                    corners[n++] = first[d];
            }
            found = true;
        }
    }
    if (locked)
        mainMesh.Unlock(true, false);
    return found;
}

bool CModel::ReadCorners(const int corners[4], const float* weights, Vec3 out[4])
{
    uint32_t count = 0;
    bool locked = false;
    Mesh* mesh = nullptr;
    const uint8_t* vertices = MorphedVertices(weights, count, locked, mesh);
    bool ok = vertices && count >= 4;
    for (int i = 0; ok && i < 4; ++i) {
        if (corners[i] < 0 || uint32_t(corners[i]) >= count) {
            ok = false;
            break;
        }
        std::memcpy(&out[i], vertices + size_t(corners[i]) * mainMesh.stride, sizeof(Vec3));
    }
    if (locked)
        mainMesh.Unlock(true, false);
    return ok;
}

bool CModel::GetBoxFrame(const int corners[4], const float* weights, Matrix4& frame)
{
    Vec3 p[4];
    if (!ReadCorners(corners, weights, p))
        return false;
    Vec3 axes[3];
    for (int i = 0; i < 3; ++i) {
        Vec3Sub(axes[i], p[i + 1], p[0]);
        Vec3Normalize(axes[i], axes[i]);
    }
    Vec3Negate(axes[2], axes[2]);
    Matrix4Identity(frame);
    for (int i = 0; i < 3; ++i) {
        frame.m[4 * i + 0] = axes[i].x;
        frame.m[4 * i + 1] = axes[i].y;
        frame.m[4 * i + 2] = axes[i].z;
    }
    frame.m[12] = p[0].x;
    frame.m[13] = p[0].y;
    frame.m[14] = p[0].z;
    return true;
}

bool CModel::GetBoxCenterFrame(const int corners[4], const float* weights, Matrix4& frame)
{
    Vec3 p[4];
    if (!ReadCorners(corners, weights, p) || !GetBoxFrame(corners, weights, frame))
        return false;
    Vec3 sum {0, 0, 0};
    for (int i = 1; i < 4; ++i) {
        Vec3 edge;
        Vec3Sub(edge, p[i], p[0]);
        Vec3AddInPlace(sum, edge);
    }
    frame.m[12] = p[0].x + 0.5f * sum.x;
    frame.m[13] = p[0].y + 0.5f * sum.y;
    frame.m[14] = p[0].z + 0.5f * sum.z;
    return true;
}

bool CModel::GetBoxCornerFrame(const int corners[4], const float* weights, Matrix4& frame, Vec3& edges)
{
    Vec3 p[4];
    if (!ReadCorners(corners, weights, p) || !GetBoxFrame(corners, weights, frame))
        return false;
    Vec3 edge[3];
    for (int i = 0; i < 3; ++i)
        Vec3Sub(edge[i], p[i + 1], p[0]);
    edges = {Vec3Length(edge[0]), Vec3Length(edge[1]), Vec3Length(edge[2])};
    return true;
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

void CModel::Done()
{
    ReleaseVariants();
    memoryBytes -= int32_t(mainMesh.byteSize);
    mainMesh.Free();
    mainMesh.byteSize = 0;
    if (m_workMesh)
        memoryBytes -= int32_t(m_workMesh->byteSize);
    m_workMesh.reset();
    m_workData.reset();
    m_workVertices.clear();
    m_baseVertices.clear();
    m_baseIndices.clear();
    for (SDamagePiece& piece : m_pieces) {
        memoryBytes -= int32_t(piece.mesh.byteSize);
        piece.mesh.Free();
        piece.mesh.byteSize = 0;
        std::memset(piece.name, 0, sizeof piece.name);
        std::memset(piece.position, 0, sizeof piece.position);
        piece.triangles.clear();
    }
    channels.clear();
    channelCount = 0;
    damagePieceCount = 0;
    orderings.clear();
    hasChannels = false;
    currentOrdering = -1;
}
