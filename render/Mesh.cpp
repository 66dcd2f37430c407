#include "render/Mesh.h"

#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/XRangeError.h"
#include "platform/gfx/device.h"
#include "platform/gfx/fvf.h"
#include "render/Graphic.h"

#include <stdexcept>

using namespace plat::gfx;

namespace {

// The mesh bound to stream 0 last, with the animation state and format it was bound with.
struct StreamCache {
    const Mesh* mesh = nullptr;
    int32_t animFrames = 0;
    uint32_t format = 0;
};
StreamCache g_streamCache;

constexpr const char* kVertexVideoMemory = "CMesh::Allocate Can`t create vertex buffer in videomemory";
constexpr const char* kVertexFailed = "Mesh::Allocate can`t create vertex buffer";
constexpr const char* kIndexVideoMemory = "CMesh::Allocate Can`t create index buffer in videomemory";
constexpr const char* kIndexFailed = "Mesh::Allocate can`t create index buffer";

// Bytes of the position by the position bits of the format.
uint32_t PositionSize(uint32_t format)
{
    switch (format & fvf::kPositionMask) {
    case fvf::kXyz:
        return 12;
    case fvf::kXyzRhw:
    case fvf::kXyzB1:
        return 16;
    case fvf::kXyzB2:
        return 20;
    case fvf::kXyzB3:
        return 24;
    default:
        return 0;
    }
}

struct BufferPlan {
    uint32_t vertexUsage = 0;
    Pool vertexPool = Pool::Managed;
    uint32_t indexUsage = 0;
    Pool indexPool = Pool::Managed;
};

// Usage and pool of both buffers for a memory mode; without hardware vertex processing the
// device wrapper has no video-memory buffers and everything goes to the system pool.
BufferPlan PlanBuffers(uint32_t mode, uint32_t format, uint32_t extraUsage)
{
    const bool software = !g_Graphic.Caps().hwTransformAndLight;
    const Pool videoPool = software ? Pool::SystemMem : Pool::Managed;
    BufferPlan plan;
    switch (mode) {
    case Mesh::kStatic:
        plan.vertexUsage = usage::kWriteOnly;
        plan.vertexPool = videoPool;
        plan.indexUsage = usage::kDynamic;
        plan.indexPool = Pool::SystemMem;
        break;
    case Mesh::kStaticManaged:
        plan.vertexUsage = usage::kWriteOnly;
        plan.vertexPool = videoPool;
        break;
    case Mesh::kDynamic:
        plan.vertexUsage = usage::kWriteOnly | usage::kDynamic;
        plan.vertexPool = software ? Pool::SystemMem : Pool::Default;
        break;
    case Mesh::kDynamicManaged:
        plan.vertexUsage = usage::kWriteOnly | usage::kDynamic;
        plan.vertexPool = Pool::Managed;
        break;
    case Mesh::kSoftware:
        plan.vertexUsage = usage::kWriteOnly | usage::kDynamic | usage::kSoftwareProcessing;
        plan.vertexPool = Pool::SystemMem;
        break;
    default:
        throw XRangeError();
    }
    if (mode != Mesh::kStatic) {
        plan.indexUsage = plan.vertexUsage & ~usage::kWriteOnly;
        plan.indexPool = plan.vertexPool;
    }
    if (mode != Mesh::kSoftware && software) {
        plan.vertexUsage |= usage::kSoftwareProcessing;
        plan.indexUsage |= usage::kSoftwareProcessing;
    }
    if ((format & fvf::kPositionMask) == fvf::kXyzRhw)
        plan.vertexUsage |= usage::kDoNotClip;
    plan.vertexUsage |= extraUsage;
    plan.indexUsage |= extraUsage & ~(usage::kWriteOnly | usage::kDoNotClip);
    return plan;
}

} // namespace

Mesh::Mesh(uint32_t mode, uint32_t format, uint32_t vertexCount, bool hasIndices, uint32_t indexCount)
{
    Allocate(mode, format, vertexCount, hasIndices, indexCount);
}

Mesh::~Mesh()
{
    Free();
}

uint32_t Mesh::GetFVFSize(uint32_t format)
{
    uint32_t size = PositionSize(format);
    if (format & fvf::kNormal)
        size += 12;
    if (format & fvf::kPSize)
        size += 4;
    if (format & fvf::kDiffuse)
        size += 4;
    if (format & fvf::kSpecular)
        size += 4;
    size += 8 * ((format >> fvf::kTexCountShift) & 15);
    return size;
}

void Mesh::Allocate(uint32_t mode, uint32_t format, uint32_t vertexCount, bool hasIndices,
    uint32_t indexCount, uint32_t extraUsage)
{
    ZJ_TRACE("Mesh::Allocate");
    Free();
    this->format = format;
    this->vertexCount = vertexCount;
    this->indexCount = indexCount;
    primitive = hasIndices ? 1 : 0;
    memoryMode = mode;
    stride = GetFVFSize(format);
    animFrames = 0;
    gridRows = 0;
    gridColumns = 0;
    frame = 0;
    startIndex = 0;
    startVertex = 0;

    if (mode == kSystemMemory) {
        byteSize = 0;
        vertexData = new uint8_t[size_t(stride) * vertexCount]();
        if (indexCount > 0)
            indexData = new uint16_t[indexCount]();
        return;
    }

    const BufferPlan plan = PlanBuffers(mode, format, extraUsage);
    byteSize = stride * vertexCount + 2048 + 2 * indexCount;
    Device* device = g_Graphic.GetDevice();
    if (!device)
        throw std::runtime_error(kVertexFailed);

    const uint32_t length = stride * vertexCount;
    if (Failed(
            device->CreateVertexBuffer(length, plan.vertexUsage, format, plan.vertexPool, &vertexBuffer))) {
        vertexBuffer = nullptr;
        WriteErrorLog(kVertexVideoMemory);
        const uint32_t retryUsage = (plan.vertexUsage | usage::kSoftwareProcessing) & ~usage::kWriteOnly;
        if (Failed(device->CreateVertexBuffer(length, retryUsage, format, Pool::SystemMem, &vertexBuffer))) {
            vertexBuffer = nullptr;
            WriteErrorLog(kVertexFailed);
            throw std::runtime_error(kVertexFailed);
        }
    }

    if (!hasIndices)
        return;
    if (Failed(device->CreateIndexBuffer(
            2 * indexCount, plan.indexUsage, Format::Index16, plan.indexPool, &indexBuffer))) {
        indexBuffer = nullptr;
        WriteErrorLog(kIndexVideoMemory);
        uint32_t retryUsage = usage::kSoftwareProcessing;
        if (mode != kStaticManaged)
            retryUsage |= usage::kDynamic;
        if (Failed(device->CreateIndexBuffer(
                2 * indexCount, retryUsage, Format::Index16, Pool::SystemMem, &indexBuffer))) {
            indexBuffer = nullptr;
            WriteErrorLog(kIndexFailed);
        }
    }
}

void Mesh::Free()
{
    if (g_streamCache.mesh == this)
        ResetStreamCache();
    if (memoryMode == kSystemMemory) {
        delete[] vertexData;
        delete[] indexData;
    }
    vertexData = nullptr;
    indexData = nullptr;
    if (vertexBuffer) {
        vertexBuffer->Release();
        vertexBuffer = nullptr;
    }
    if (indexBuffer) {
        indexBuffer->Release();
        indexBuffer = nullptr;
    }
}

bool Mesh::Lock(bool lockVertices, bool lockIndices)
{
    if (memoryMode == kSystemMemory)
        return true;
    const uint32_t flags = memoryMode == kDynamic ? lock::kDiscard : 0;
    bool locked = true;
    if (lockVertices && vertexBuffer) {
        uint8_t* data = nullptr;
        locked = Succeeded(vertexBuffer->Lock(0, 0, &data, flags)) && locked;
        vertexData = data;
    }
    if (lockIndices && indexBuffer) {
        uint8_t* data = nullptr;
        locked = Succeeded(indexBuffer->Lock(0, 0, &data, flags)) && locked;
        indexData = reinterpret_cast<uint16_t*>(data);
    }
    return locked;
}

void Mesh::Unlock(bool unlockVertices, bool unlockIndices)
{
    if (memoryMode == kSystemMemory)
        return;
    if (unlockVertices && vertexBuffer) {
        vertexBuffer->Unlock();
        vertexData = nullptr;
    }
    if (unlockIndices && indexBuffer) {
        indexBuffer->Unlock();
        indexData = nullptr;
    }
}

void Mesh::ResetStreamCache()
{
    g_streamCache = {};
}

// Stage 0's texture matrix shows one frame of the atlas; a grid without rows or columns shows
// the whole texture.
void Mesh::SetAtlasMatrix()
{
    if (gridColumns <= 0 || gridRows <= 0)
        return;
    Device* device = g_Graphic.GetDevice();
    const int32_t row = frame / gridColumns;
    const int32_t column = frame % gridColumns;
    Matrix matrix = Matrix::Identity();
    matrix.m[0][0] = 1.0f / float(gridColumns);
    matrix.m[1][1] = 1.0f / float(gridRows);
    matrix.m[2][0] = float(column) / float(gridColumns);
    matrix.m[2][1] = float(row) / float(gridRows);
    device->SetTransform(TextureTransformOf(0), matrix);
    device->SetTextureStageState(0, StageState::TextureTransformFlags, StateValue(TextureTransform::Count2));
}

void Mesh::Render(bool bindStreams)
{
    if (!vertexBuffer)
        return;
    Device* device = g_Graphic.GetDevice();
    if (bindStreams) {
        if (g_streamCache.mesh == this) {
            if (g_streamCache.animFrames != animFrames || g_streamCache.format != format) {
                device->SetVertexShader(format);
                g_streamCache.animFrames = animFrames;
                g_streamCache.format = format;
            }
            if (animFrames)
                SetAtlasMatrix();
        } else {
            if (animFrames)
                SetAtlasMatrix();
            device->SetVertexShader(format);
            if (primitive && Failed(device->SetIndices(indexBuffer, 0)))
                WriteErrorLog("Mesh::Render SetIndices fails");
            if (Failed(device->SetStreamSource(0, vertexBuffer, stride)))
                WriteErrorLog("Mesh::Render SetStreamSource fails");
            g_streamCache = { this, animFrames, format };
        }
    }

    if (primitive == 0) {
        if (vertexCount > 0) {
            if (Failed(device->DrawPrimitive(PrimitiveType::PointList, startVertex, vertexCount)))
                WriteErrorLog("Mesh::Render DrawPrimitive fails");
            else
                g_Graphic.CountDraw(vertexCount);
        }
    } else if (indexBuffer) {
        // A mesh whose index buffer could not be created draws nothing rather than stale indices.
        const bool list = primitive == 1;
        const uint32_t triangles = list ? indexCount / 3 : (indexCount > 2 ? indexCount - 2 : 0);
        if (triangles > 0) {
            if (Failed(device->DrawIndexedPrimitive(
                    list ? PrimitiveType::TriangleList : PrimitiveType::TriangleStrip, startVertex,
                    vertexCount, startIndex, triangles)))
                WriteErrorLog("Mesh::Render DrawIndexedPromitive fails");
            else
                g_Graphic.CountDraw(triangles);
        }
    }

    if (animFrames)
        device->SetTextureStageState(
            0, StageState::TextureTransformFlags, StateValue(TextureTransform::Disable));
}
