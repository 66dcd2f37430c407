// CVertexData: geometry in system memory, a vertex array in a flexible vertex format and a 16-bit
// index array. Code that builds geometry every frame fills one and hands it to the model manager,
// which copies the part from firstVertex / firstIndex into a ring-buffer mesh. Owns its arrays.
#pragma once

#include <cstdint>

class CVertexData {
public:
    CVertexData() = default;
    // Allocates at once.
    CVertexData(uint32_t format, uint32_t vertexCapacity, uint32_t indexCapacity);
    ~CVertexData();
    CVertexData(const CVertexData&) = delete;
    CVertexData& operator=(const CVertexData&) = delete;

    // Frees the old arrays; stride from the format; vertexCount and indexCount become the
    // capacities. Returns the index array.
    uint16_t* Allocate(uint32_t format, uint32_t vertexCapacity, uint32_t indexCapacity);
    void Free();

    uint8_t* vertices = nullptr; // vertexCapacity x stride bytes
    uint16_t* indices = nullptr; // indexCapacity indices
    uint32_t indexCount = 0; // to submit
    uint32_t vertexCount = 0;
    uint32_t vertexCapacity = 0;
    uint32_t indexCapacity = 0;
    uint32_t format = 0;
    uint32_t stride = 0;
    uint32_t firstIndex = 0; // where the part to submit begins
    uint32_t firstVertex = 0;
};
