// Mesh: a vertex buffer and an index buffer of the device with the counts and draw parameters of
// one draw call. Models, the named ring buffers and the terrain keep their geometry in meshes;
// TexShaderManager::Apply draws them. Render skips re-binding when the same mesh is drawn again
// (one process-wide last-bound cache). Main thread only.
#pragma once

#include "foundation/Vector.h"
#include "platform/gfx/resource.h"

#include <cstdint>
#include <memory>

struct SMeshBlock;

class Mesh {
public:
    // Memory modes, the first argument of Allocate.
    static constexpr uint32_t kStatic = 0;
    static constexpr uint32_t kStaticManaged = 1;
    static constexpr uint32_t kDynamic = 2; // rewritten every frame; whole locks discard
    static constexpr uint32_t kDynamicManaged = 3;
    static constexpr uint32_t kSoftware = 4;
    static constexpr uint32_t kSystemMemory = 5; // two owned arrays, no device buffers

    Mesh() = default;
    // Constructs and allocates at once.
    Mesh(uint32_t mode, uint32_t format, uint32_t vertexCount, bool hasIndices, uint32_t indexCount);
    virtual ~Mesh();
    Mesh(const Mesh&) = delete;
    Mesh& operator=(const Mesh&) = delete;

    // Bytes of one vertex of a flexible vertex format; 0 for position bits 0x0C and 0x0E.
    static uint32_t GetFVFSize(uint32_t format);

    // Frees what the mesh held and creates its buffers. A vertex buffer that cannot be created in
    // the system pool either logs and throws; a missing index buffer only logs.
    void Allocate(uint32_t mode, uint32_t format, uint32_t vertexCount, bool hasIndices, uint32_t indexCount,
        uint32_t extraUsage = 0);
    void Free();
    // Locks the whole of each chosen buffer (DISCARD in mode 2) into vertexData / indexData.
    // False when a chosen buffer that exists refused; nothing happens in mode 5.
    bool Lock(bool lockVertices, bool lockIndices);
    void Unlock(bool unlockVertices, bool unlockIndices);
    // Draws vertexCount vertices from startVertex (and indexCount indices from startIndex);
    // bindStreams sets the format, indices and stream first unless this mesh is bound already.
    void Render(bool bindStreams);
    // Forgets the last-bound mesh; for code that changed the stream, indices or vertex shader.
    static void ResetStreamCache();

    // Geometry of model files and reads of vertex positions (Mesh_data.cpp).
    // Allocates for the block (indices when it has any) and copies its vertices and indices in.
    void Load(uint32_t mode, const SMeshBlock& block);
    // The largest distance of a vertex position from the origin; 0 without vertices.
    float GetRadius();
    // Extent (max - min) and centre of the vertex positions, from min 1e10 and max -1e10.
    void GetSize(Vec3& extent);
    void GetCenter(Vec3& centre);
    // Between generic 64-byte vertices (+0 position, +24 normal, +36 point size, +40 diffuse,
    // +44 specular, +48 and +56 the first two texture sets) and the packed vertices of the
    // format, with the vertex data locked by the caller.
    void SetFromGenericVertices(const uint8_t* source);
    std::unique_ptr<uint8_t[]> GetGenericVertices();

    plat::gfx::VertexBuffer* vertexBuffer = nullptr;
    plat::gfx::IndexBuffer* indexBuffer = nullptr;
    // While locked, what the locks returned; in mode 5 the owned arrays.
    uint8_t* vertexData = nullptr;
    uint16_t* indexData = nullptr;
    uint32_t vertexCount = 0;
    // 0 point list without indices, 1 indexed triangle list, other values an indexed strip.
    uint32_t primitive = 0;
    // A texture atlas of gridRows x gridColumns frames and the frame shown when animFrames != 0.
    int32_t animFrames = 0;
    int32_t gridRows = 0;
    int32_t gridColumns = 0;
    int32_t frame = 0;
    uint32_t indexCount = 0;
    uint32_t startIndex = 0;
    uint32_t startVertex = 0;
    uint32_t format = 0;
    uint32_t stride = 0;
    // stride x vertexCount + 2048 + 2 x indexCount for device buffers, 0 in mode 5.
    uint32_t byteSize = 0;
    uint32_t memoryMode = kStatic;

private:
    void SetAtlasMatrix();
};
