#include "render/CModelManager.h"

#include "foundation/CLogWriter.h"
#include "foundation/CViewFrame.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/PakManager.h"
#include "foundation/ResourceDBManager.h"
#include "foundation/XRangeError.h"
#include "platform/gfx/device.h"
#include "render/CComplexObject.h"
#include "render/Graphic.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

using namespace plat::gfx;

int32_t liveObjectCount = 0;
int32_t liveObjectBytes = 0;
CModelManager* g_pModelManager = nullptr;

namespace {

struct StandardRing {
    const char* name;
    uint32_t format;
    uint32_t vertices;
    uint32_t indices;
    int ringCount;
    bool points;
};

// The rings every frame shares, in creation order.
constexpr StandardRing kStandardRings[] = {
    { "EFFECT", 0x242, 48000, 63356, 2, false },
    { "EFFECTPOINT", 0x42, 16000, 0, 2, true },
    { "SCREEN", 0x204, 8192, 12288, 2, false },
    { "MODELS", 0x112, 40000, 64000, 3, false },
};

// Screen-quad vertex: pre-transformed position and two texture sets.
struct ScreenVertex {
    float x, y, z, rhw;
    float u0, v0, u1, v1;
};
static_assert(sizeof(ScreenVertex) == 32);

// Billboard vertex: position, normal, one texture set.
struct ModelVertex {
    float x, y, z;
    float nx, ny, nz;
    float u, v;
};
static_assert(sizeof(ModelVertex) == 32);

} // namespace

CModelManager::CModelManager()
{
    Matrix4Identity(m_billboardMatrix);
    // The camera turns the billboards each time its view is recomputed.
    CViewFrame::SetFacingSink([this](const Vec3& viewDirection) { SetBillboardOrientation(viewDirection); });
}

CModelManager::~CModelManager()
{
    CViewFrame::SetFacingSink({});
    FreeModels();
    m_screenQuad.Free();
    m_unitQuad.Free();
    for (CRenderBuffer& buffer : m_buffers) {
        if (buffer.vertexBuffer)
            CountModelOut(&buffer);
        buffer.Free();
    }
    if (g_pModelManager == this)
        g_pModelManager = nullptr;
}

void CModelManager::FreeModels()
{
    for (SModelRecord& record : m_models) {
        if (record.object) {
            --liveObjectCount;
            liveObjectBytes -= record.object->memoryBytes;
            delete record.object;
            record.object = nullptr;
        }
    }
}

void CModelManager::Init(const char* table)
{
    ZJ_TRACE("CModelManager::Init");
    FreeModels();
    DefaultManager::Init(table);
    if (m_logging) {
        DeleteLogWriter();
        m_logWriter = new CLogWriter();
        m_logWriter->Init(
            (std::string(g_ResourceDBManager.BaseDirectory()) + "ModelManager_Log.txt").c_str());
    }
    m_models.assign(size_t(m_rowCount), SModelRecord {});
    m_modelCount = m_rowCount;
    for (int i = 0; i < m_rowCount; ++i) {
        const char* section = m_rowNames.GetString(i);
        SModelRecord& record = m_models[size_t(i)];
        g_ResourceDBManager.GetString(section, "Filename", record.Filename, sizeof record.Filename);
        record.radius = g_ResourceDBManager.GetFloat(section, "Radius");
    }
    for (int i = 0; i < m_rowCount; ++i) {
        SModelRecord& record = m_models[size_t(i)];
        if (record.radius != 0.0f)
            continue;
        try {
            CComplexObject* object = GetModel(i);
            record.radius = object ? object->GetRadius() : 1.0f;
            if (object)
                object->radius = record.radius;
        } catch (...) {
            ResetCallTrace();
            WriteErrorLog("Model not founs");
        }
    }
}

void CModelManager::Init()
{
    ZJ_TRACE("CModelManager::Init");
    int* slots[] = { &m_effectSlot, &m_effectPointSlot, &m_screenSlot, &m_modelsSlot };
    bool failed = false;
    for (size_t i = 0; i < std::size(kStandardRings); ++i) {
        const StandardRing& ring = kStandardRings[i];
        *slots[i] = CreateRenderBuffer(
            ring.name, ring.format, ring.vertices, ring.indices, ring.ringCount, ring.points);
        failed = failed || *slots[i] == -1;
    }
    if (failed)
        WriteErrorLog("CModelManager::Init error while create render buffers");
    CreateVideoMeshes();
}

void CModelManager::CreateVideoMeshes()
{
    uint16_t* indices = m_unitQuad.Allocate(0x112, 4, 6);
    static constexpr uint16_t kQuad[6] = { 0, 1, 2, 2, 1, 3 };
    std::copy(std::begin(kQuad), std::end(kQuad), indices);
    for (int i = 0; i < 4; ++i) {
        auto* v = reinterpret_cast<ModelVertex*>(m_unitQuad.vertices + size_t(i) * m_unitQuad.stride);
        *v = { float(i % 2) - 0.5f, float(i / 2), 0, 0, 1, 0, float(i % 2), float(i / 2) };
    }
    indices = m_screenQuad.Allocate(0x204, 32, 48);
    for (uint16_t k = 0; k < 8; ++k) {
        const uint16_t b = uint16_t(4 * k);
        const uint16_t quad[6]
            = { b, uint16_t(b + 1), uint16_t(b + 2), uint16_t(b + 2), uint16_t(b + 1), uint16_t(b + 3) };
        std::copy(quad, quad + 6, indices + 6 * k);
    }
    for (int i = 0; i < 4; ++i) {
        auto* v = reinterpret_cast<ScreenVertex*>(m_screenQuad.vertices + size_t(i) * m_screenQuad.stride);
        *v = { float(i % 2) - 0.5f, float(i / 2) - 0.5f, 0, 0.00001f, float(i % 2), float(i / 2),
            float(i % 2), float(i / 2) };
    }
}

const SModelRecord& CModelManager::GetRecord(int index) const
{
    if (index < 0 || index >= m_modelCount)
        throw XRangeError();
    return m_models[size_t(index)];
}

CComplexObject* CModelManager::GetModel(int index)
{
    if (index == -1)
        return nullptr;
    if (index < 0 || index >= m_modelCount)
        throw XRangeError();
    if (!m_models[size_t(index)].object)
        LoadModel(index);
    return m_models[size_t(index)].object;
}

void CModelManager::LoadModel(int index)
{
    ZJ_TRACE("CModelManager::GetModel");
    SModelRecord& record = m_models[size_t(index)];
    const char* name = m_rowNames.GetString(index);
    if (m_logWriter && m_logging)
        m_logWriter->WriteToLog(name, record.Filename);
    auto* object = new CComplexObject();
    record.object = object;
    const std::string path = std::string(g_ResourceDBManager.BaseDirectory()) + record.Filename;
    char line[400];
    if (!record.Filename[0] || !g_PakManager.Open(path.c_str())) {
        std::snprintf(line, sizeof line, "Model %s not found", path.c_str());
        WriteErrorLog(line);
    } else {
        try {
            object->Load();
        } catch (...) {
            ResetCallTrace();
            std::snprintf(line, sizeof line, "Error in %s model", name);
            WriteErrorLog(line);
        }
        g_PakManager.CloseFile();
    }
    object->radius = record.radius;
    ++liveObjectCount;
    liveObjectBytes += object->memoryBytes;
}

float CModelManager::GetModelRadius(int index)
{
    if (index == -1)
        return 1.0f;
    return GetRecord(index).radius;
}

int CModelManager::FindBuffer(const char* name) const
{
    for (int i = 0; i < m_usedBufferCount; ++i) {
        if (m_buffers[i].vertexBuffer && std::strncmp(m_buffers[i].name, name, sizeof m_buffers[i].name) == 0)
            return i;
    }
    return -1;
}

CRenderBuffer& CModelManager::GetBuffer(int slot)
{
    if (slot < 0 || slot >= kSlotCount)
        throw XRangeError();
    return m_buffers[slot];
}

int CModelManager::CreateRenderBuffer(const char* name, uint32_t format, uint32_t vertexCount,
    uint32_t indexCount, int ringCount, bool isPointBuffer)
{
    ZJ_TRACE("CModelManager::CreateRenderBuffer");
    char line[160];
    if (vertexCount > kMaxRingVertices || vertexCount == 0 || ringCount < 1 || ringCount > kSlotCount) {
        std::snprintf(line, sizeof line,
            "CModelManager::CreateRenderBuffer %s: %u vertices in %d buffers refused", name, vertexCount,
            ringCount);
        WriteErrorLog(line);
        return -1;
    }
    // The ring takes the first run of free consecutive slots.
    int first = -1;
    for (int s = 0; s + ringCount <= kSlotCount && first < 0; ++s) {
        bool free = true;
        for (int k = 0; k < ringCount && free; ++k)
            free = m_buffers[s + k].vertexBuffer == nullptr;
        if (free)
            first = s;
    }
    if (first < 0)
        return -1;
    int made = 0;
    try {
        for (; made < ringCount; ++made) {
            CRenderBuffer& buffer = m_buffers[first + made];
            if (isPointBuffer) {
                const uint32_t mode = g_Graphic.Caps().pointSizeAboveOne ? Mesh::kDynamic : Mesh::kSoftware;
                buffer.Allocate(mode, format, vertexCount, false, 0, usage::kPoints | usage::kWriteOnly);
            } else {
                buffer.Allocate(Mesh::kDynamic, format, vertexCount, true, indexCount, usage::kWriteOnly);
            }
            std::snprintf(buffer.name, sizeof buffer.name, "%s", name);
            buffer.vertexCapacity = int32_t(vertexCount);
            buffer.indexCapacity = isPointBuffer ? 0 : int32_t(indexCount);
            buffer.ringCount = ringCount;
            buffer.startVertex = buffer.startIndex = 0;
            buffer.vertexCount = buffer.indexCount = 0;
            buffer.appendCount = buffer.wrapCount = 0;
            buffer.peakIndexUse = buffer.peakVertexUse = 0;
            buffer.framesSinceWrap = 0;
            buffer.fewestFramesPerCycle = 100;
            buffer.loggedOversize = false;
            CountModelIn(&buffer);
        }
    } catch (const std::exception&) {
        ResetCallTrace();
        for (int k = 0; k < made; ++k) {
            CountModelOut(&m_buffers[first + k]);
            m_buffers[first + k].Free();
        }
        m_buffers[first + made].Free();
        return -1;
    }
    m_usedBufferCount = std::max(m_usedBufferCount, first + ringCount);
    m_ringIndex[first] = 0;
    return first;
}

CRenderBuffer& CModelManager::Current(int slot)
{
    if (slot < 0 || slot >= kSlotCount)
        throw XRangeError();
    const int at = slot + m_ringIndex[slot];
    if (at < 0 || at >= kSlotCount)
        throw XRangeError();
    return m_buffers[at];
}

void CModelManager::MoveRing(int slot, CRenderBuffer*& buffer)
{
    const int ringCount = std::max(m_buffers[slot].ringCount, 1);
    m_ringIndex[slot] = (m_ringIndex[slot] + 1) % ringCount;
    buffer = &Current(slot);
    buffer->startVertex = buffer->startIndex = 0;
    buffer->vertexCount = buffer->indexCount = 0;
    buffer->fewestFramesPerCycle = std::min(buffer->fewestFramesPerCycle, buffer->framesSinceWrap);
    buffer->framesSinceWrap = 0;
}

Mesh* CModelManager::GetRenderSingleBufMesh(int slot, const CVertexData& data)
{
    CRenderBuffer* b = &Current(slot);
    const uint32_t n = data.vertexCount;
    const uint32_t m = data.indexCount;
    const bool points = b->indexCapacity == 0;
    CRenderBuffer& first = m_buffers[slot];
    const bool tooLarge = n > uint32_t(b->vertexCapacity) || (!points && m > uint32_t(b->indexCapacity));
    const bool outside = (data.vertexCapacity && data.firstVertex + n > data.vertexCapacity)
        || (!points && data.indexCapacity && data.firstIndex + m > data.indexCapacity)
        || (n && !data.vertices) || (!points && m && !data.indices);
    if (n == 0 || tooLarge || outside || !b->vertexBuffer) {
        if (tooLarge && !first.loggedOversize) {
            first.loggedOversize = true;
            WriteErrorLog(
                std::string("CModelManager::GetRenderSingleBufMesh submission too large for ") + first.name);
        }
        b->startVertex += b->vertexCount;
        b->startIndex += b->indexCount;
        b->vertexCount = b->indexCount = 0;
        return b;
    }
    const uint32_t stride = b->stride;
    if (points) {
        uint32_t position = b->startVertex + b->vertexCount;
        uint32_t flags = lock::kNoOverwrite;
        if (uint32_t(b->vertexCapacity) < position + n) {
            MoveRing(slot, b);
            position = 0;
            flags = lock::kDiscard;
        }
        uint8_t* target = nullptr;
        if (Succeeded(b->vertexBuffer->Lock(position * stride, n * stride, &target, flags))) {
            std::memcpy(target, data.vertices, size_t(n) * stride);
            b->vertexBuffer->Unlock();
        }
        b->startVertex = position;
        b->vertexCount = n;
        b->indexCount = 0;
        return b;
    }
    uint32_t vertexAt = b->startVertex + b->vertexCount;
    uint32_t indexAt = b->startIndex + b->indexCount;
    uint32_t flags = lock::kNoOverwrite;
    if (uint32_t(b->vertexCapacity) < vertexAt + n || uint32_t(b->indexCapacity) < indexAt + m) {
        MoveRing(slot, b);
        vertexAt = indexAt = 0;
        flags = lock::kDiscard;
        ++b->wrapCount;
    } else {
        ++b->appendCount;
        b->peakIndexUse = std::max(b->peakIndexUse, int32_t(indexAt + m));
        b->peakVertexUse = std::max(b->peakVertexUse, int32_t(vertexAt + n));
    }
    uint8_t* vertices = nullptr;
    if (Succeeded(b->vertexBuffer->Lock(vertexAt * stride, n * stride, &vertices, flags))) {
        std::memcpy(vertices, data.vertices + size_t(data.firstVertex) * stride, size_t(n) * stride);
        b->vertexBuffer->Unlock();
    }
    uint8_t* indexBytes = nullptr;
    if (m > 0 && b->indexBuffer && Succeeded(b->indexBuffer->Lock(indexAt * 2, m * 2, &indexBytes, flags))) {
        auto* out = reinterpret_cast<uint16_t*>(indexBytes);
        const uint16_t* in = data.indices + data.firstIndex;
        for (uint32_t i = 0; i < m; ++i) {
            // An index outside the submitted vertices draws the first one rather than stale data.
            uint32_t local = uint32_t(in[i]) - data.firstVertex;
            if (local >= n)
                local = 0;
            out[i] = uint16_t(vertexAt + local);
        }
        b->indexBuffer->Unlock();
    }
    b->startVertex = vertexAt;
    b->startIndex = indexAt;
    b->vertexCount = n;
    b->indexCount = m;
    return b;
}

CVertexData& CModelManager::AddBillboard(float height, float width, bool centred)
{
    if (!m_unitQuad.vertices)
        CreateVideoMeshes();
    for (int i = 0; i < 4; ++i) {
        auto* v = reinterpret_cast<ModelVertex*>(m_unitQuad.vertices + size_t(i) * m_unitQuad.stride);
        v->x = (float(i % 2) - 0.5f) * width;
        v->y = centred ? (float(i / 2) - 0.5f) * height : float(1 - i / 2) * height;
    }
    m_unitQuad.vertexCount = 4;
    m_unitQuad.indexCount = 6;
    m_unitQuad.firstVertex = m_unitQuad.firstIndex = 0;
    return m_unitQuad;
}

Mesh* CModelManager::AddUnitBillboard()
{
    CVertexData& quad = AddBillboard(1, 1, true);
    if (m_modelsSlot < 0)
        return nullptr;
    return GetRenderSingleBufMesh(m_modelsSlot, quad);
}

CVertexData& CModelManager::DrawScreenQuad(
    float x1, float y1, float x2, float y2, const Rect* texture, bool halfTexelInset)
{
    if (!m_screenQuad.vertices)
        CreateVideoMeshes();
    float u[2] = { 0, 1 };
    float v[2] = { 0, 1 };
    if (texture) {
        const float w = texture->right != texture->left ? float(texture->right - texture->left) : 1.0f;
        const float h = texture->bottom != texture->top ? float(texture->bottom - texture->top) : 1.0f;
        const float dx = x2 - x1;
        const float dy = y2 - y1;
        const float sx = halfTexelInset ? (dx > 0 ? 0.5f : -0.5f) : 0.0f;
        const float sy = halfTexelInset ? (dy > 0 ? 0.5f : -0.5f) : 0.0f;
        u[0] = (float(texture->left) + sx) / w;
        u[1] = (float(texture->left) + dx - sx) / w;
        v[0] = (float(texture->top) + sy) / h;
        v[1] = (float(texture->top) + dy - sy) / h;
    }
    const float xs[2] = { x1 - 0.5f, x2 - 0.5f };
    const float ys[2] = { y1 - 0.5f, y2 - 0.5f };
    for (int i = 0; i < 4; ++i) {
        auto* vertex
            = reinterpret_cast<ScreenVertex*>(m_screenQuad.vertices + size_t(i) * m_screenQuad.stride);
        vertex->x = xs[i % 2];
        vertex->y = ys[i / 2];
        vertex->u0 = vertex->u1 = u[i % 2];
        vertex->v0 = vertex->v1 = v[i / 2];
    }
    m_screenQuad.vertexCount = 4;
    m_screenQuad.indexCount = 6;
    m_screenQuad.firstVertex = m_screenQuad.firstIndex = 0;
    return m_screenQuad;
}

void CModelManager::Update(float dt)
{
    for (SModelRecord& record : m_models) {
        if (record.object)
            record.object->Update(dt);
    }
}

void CModelManager::AdvanceFrame()
{
    for (int i = 0; i < m_usedBufferCount; ++i)
        ++m_buffers[i].framesSinceWrap;
}

void CModelManager::ReleaseBuffers()
{
    FreeModels();
    for (int i = 0; i < m_usedBufferCount; ++i) {
        CRenderBuffer& buffer = m_buffers[i];
        buffer.startVertex = uint32_t(buffer.vertexCapacity);
        buffer.vertexCount = 0;
        if (buffer.vertexBuffer)
            CountModelOut(&buffer);
        buffer.Free();
    }
}

void CModelManager::RecreateBuffers(bool clearSlots)
{
    ZJ_TRACE("CModelManager::RecreateBuffers");
    const int used = m_usedBufferCount;
    if (clearSlots) {
        for (int i = 0; i < used; ++i) {
            if (m_buffers[i].vertexBuffer)
                CountModelOut(&m_buffers[i]);
            m_buffers[i].Free();
        }
    }
    for (int i = 0; i < used; ++i) {
        CRenderBuffer& buffer = m_buffers[i];
        if (buffer.vertexCapacity == 0 || buffer.vertexBuffer)
            continue;
        if (i > 0 && std::strncmp(buffer.name, m_buffers[i - 1].name, sizeof buffer.name) == 0)
            continue;
        // Copies: creating the ring rewrites the slot's fields.
        char name[32];
        std::memcpy(name, buffer.name, sizeof name);
        const bool points = buffer.vertexCapacity != 0 && buffer.indexCapacity == 0;
        CreateRenderBuffer(name, buffer.format, uint32_t(buffer.vertexCapacity),
            uint32_t(buffer.indexCapacity), buffer.ringCount, points);
    }
    CreateVideoMeshes();
}

void CModelManager::CountModelIn(const Mesh* mesh)
{
    ++liveObjectCount;
    liveObjectBytes += int32_t(mesh ? mesh->byteSize : 0);
}

void CModelManager::CountModelOut(const Mesh* mesh)
{
    --liveObjectCount;
    liveObjectBytes -= int32_t(mesh ? mesh->byteSize : 0);
}

void CModelManager::SetBillboardOrientation(const Vec3& viewDirection)
{
    Matrix4 matrix;
    Matrix4Identity(matrix);
    BuildLookAtMatrix(matrix, viewDirection, Vec3 { 0, 0, 0 }, Vec3 { 0, 0, 1 });
    m_billboardMatrix = matrix;
}
