// Mesh: model-file geometry and the reads of vertex positions and generic vertices.
#include "render/Mesh.h"

#include "foundation/CallTrace.h"
#include "render/ModelFile.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr size_t kGenericBytes = 64;

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

// The components a format holds, as {offset in the packed vertex, offset in the generic vertex,
// bytes}, in packed order.
struct Component {
    uint32_t packed;
    uint32_t generic;
    uint32_t bytes;
};

int Components(uint32_t format, Component (&out)[6])
{
    int n = 0;
    uint32_t at = 0;
    auto add = [&](uint32_t generic, uint32_t bytes) {
        out[n++] = { at, generic, bytes };
        at += bytes;
    };
    add(0, PositionBytes(format));
    if (format & 0x10)
        add(24, 12);
    if (format & 0x20)
        add(36, 4);
    if (format & 0x40)
        add(40, 4);
    if (format & 0x80)
        add(44, 4);
    // Only the first two texture sets have generic slots.
    const uint32_t sets = std::min((format >> 8) & 15, 2u);
    if (sets)
        add(48, 8 * sets);
    return n;
}

// Calls visit with each vertex position while the vertices are readable.
template <class Visit> void ForEachPosition(Mesh& mesh, Visit visit)
{
    if (!mesh.vertexBuffer && !mesh.vertexData)
        return;
    const bool lock = mesh.vertexData == nullptr;
    if (lock)
        mesh.Lock(true, false);
    if (mesh.vertexData) {
        for (uint32_t i = 0; i < mesh.vertexCount; ++i) {
            float p[3];
            std::memcpy(p, mesh.vertexData + size_t(i) * mesh.stride, sizeof p);
            visit(p);
        }
    }
    if (lock)
        mesh.Unlock(true, false);
}

void Bounds(Mesh& mesh, Vec3& min, Vec3& max)
{
    min = { 1e10f, 1e10f, 1e10f };
    max = { -1e10f, -1e10f, -1e10f };
    ForEachPosition(mesh, [&](const float* p) {
        min = { std::min(min.x, p[0]), std::min(min.y, p[1]), std::min(min.z, p[2]) };
        max = { std::max(max.x, p[0]), std::max(max.y, p[1]), std::max(max.z, p[2]) };
    });
}

} // namespace

void Mesh::Load(uint32_t mode, const SMeshBlock& block)
{
    ZJ_TRACE("Mesh::Load");
    const uint32_t indexCount = uint32_t(block.indices.size());
    if (block.vertexCount == 0) {
        // Nothing to create: the mesh stays without buffers and draws nothing.
        Free();
        format = block.format;
        stride = GetFVFSize(block.format);
        vertexCount = 0;
        this->indexCount = 0;
        primitive = indexCount > 0 ? 1 : 0;
        memoryMode = mode;
        byteSize = 0;
        return;
    }
    Allocate(mode, block.format, block.vertexCount, indexCount > 0, indexCount);
    Lock(true, indexCount > 0);
    if (vertexData)
        std::memcpy(
            vertexData, block.vertices.data(), std::min(block.vertices.size(), size_t(stride) * vertexCount));
    if (indexCount > 0 && indexData)
        std::memcpy(indexData, block.indices.data(), size_t(indexCount) * 2);
    Unlock(true, indexCount > 0);
}

float Mesh::GetRadius()
{
    float largest = 0;
    ForEachPosition(
        *this, [&](const float* p) { largest = std::max(largest, p[0] * p[0] + p[1] * p[1] + p[2] * p[2]); });
    return std::sqrt(largest);
}

void Mesh::GetSize(Vec3& extent)
{
    Vec3 min, max;
    Bounds(*this, min, max);
    extent = { max.x - min.x, max.y - min.y, max.z - min.z };
}

void Mesh::GetCenter(Vec3& centre)
{
    Vec3 min, max;
    Bounds(*this, min, max);
    centre = { (min.x + max.x) * 0.5f, (min.y + max.y) * 0.5f, (min.z + max.z) * 0.5f };
}

void Mesh::SetFromGenericVertices(const uint8_t* source)
{
    if (!vertexData || !source)
        return;
    Component components[6];
    const int n = Components(format, components);
    for (uint32_t i = 0; i < vertexCount; ++i) {
        uint8_t* packed = vertexData + size_t(i) * stride;
        const uint8_t* generic = source + i * kGenericBytes;
        for (int c = 0; c < n; ++c)
            std::memcpy(packed + components[c].packed, generic + components[c].generic, components[c].bytes);
    }
}

std::unique_ptr<uint8_t[]> Mesh::GetGenericVertices()
{
    auto out = std::make_unique<uint8_t[]>(size_t(vertexCount) * kGenericBytes);
    if (!vertexData)
        return out;
    Component components[6];
    const int n = Components(format, components);
    for (uint32_t i = 0; i < vertexCount; ++i) {
        const uint8_t* packed = vertexData + size_t(i) * stride;
        uint8_t* generic = out.get() + i * kGenericBytes;
        for (int c = 0; c < n; ++c)
            std::memcpy(generic + components[c].generic, packed + components[c].packed, components[c].bytes);
    }
    return out;
}
