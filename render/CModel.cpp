// CModel: loading a mesh part, its rest-pose and work copies, its size, the marker frames and
// releasing it all.
#include "render/CModel.h"

#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "render/CModel_local.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

using model_local::CopyIntoBuffer;
using model_local::SetRef;

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
        std::snprintf(
            line, sizeof line, "CModel::Load frame grid 0x%x has no columns or no rows", unsigned(frameGrid));
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
    m_workMesh->Allocate(IsInSystemMemory() ? Mesh::kSystemMemory : Mesh::kDynamic, mainMesh.format,
        vertexCount, indexCount > 0, indexCount);
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

void CModel::GetSize(Vec3& extent)
{
    if (mainMesh.vertexCount == 0) {
        extent = { 0, 0, 0 };
        return;
    }
    mainMesh.GetSize(extent);
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
                const float* q
                    = reinterpret_cast<const float*>(vertices + size_t(first[d]) * mainMesh.stride);
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
    Vec3 sum { 0, 0, 0 };
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
    edges = { Vec3Length(edge[0]), Vec3Length(edge[1]), Vec3Length(edge[2]) };
    return true;
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
