#include "render/CVertexData.h"

#include "render/Mesh.h"

#include <cstddef>

CVertexData::CVertexData(uint32_t vertexFormat, uint32_t vertexCapacityIn, uint32_t indexCapacityIn)
{
    Allocate(vertexFormat, vertexCapacityIn, indexCapacityIn);
}

CVertexData::~CVertexData()
{
    Free();
}

void CVertexData::Free()
{
    delete[] vertices;
    delete[] indices;
    vertices = nullptr;
    indices = nullptr;
    vertexCapacity = indexCapacity = vertexCount = indexCount = 0;
    firstIndex = firstVertex = 0;
}

uint16_t* CVertexData::Allocate(uint32_t vertexFormat, uint32_t vertexCapacityIn, uint32_t indexCapacityIn)
{
    Free();
    format = vertexFormat;
    stride = Mesh::GetFVFSize(vertexFormat);
    vertices = new uint8_t[size_t(vertexCapacityIn) * stride]();
    indices = new uint16_t[indexCapacityIn]();
    vertexCapacity = vertexCount = vertexCapacityIn;
    indexCapacity = indexCount = indexCapacityIn;
    return indices;
}
