// Mesh geometry of model files: loading a mesh block, the generic-vertex copies and the position
// reads.
#include "tests/render/model_fixture.h"

#include "render/ModelFile.h"

#include <cmath>
#include <cstring>
#include <numeric>

namespace {

// A block of n vertices of the format whose every byte differs, with a triangle list.
SMeshBlock Block(uint32_t format, uint32_t n, bool indexed)
{
    SMeshBlock block;
    block.format = format;
    block.vertexCount = n;
    block.vertices.resize(size_t(Mesh::GetFVFSize(format)) * n);
    std::iota(block.vertices.begin(), block.vertices.end(), uint8_t(1));
    if (indexed)
        block.indices = { 0, 1, 2, 2, 1, 3 };
    return block;
}

class ModelMeshTest : public ModelTest { };

TEST_F(ModelMeshTest, genericVerticesRoundTripEveryComponentOfTheFormat)
{
    ASSERT_TRUE(CreateGraphic());
    for (uint32_t format : { 0x112u, 0x242u, 0x116u, 0x42u, 0x1D2u }) {
        Mesh mesh;
        mesh.Load(Mesh::kSystemMemory, Block(format, 4, true));
        const std::unique_ptr<uint8_t[]> generic = mesh.GetGenericVertices();
        Mesh copy;
        copy.Allocate(Mesh::kSystemMemory, format, 4, false, 0);
        copy.SetFromGenericVertices(generic.get());
        EXPECT_EQ(std::memcmp(copy.vertexData, mesh.vertexData, size_t(mesh.stride) * 4), 0)
            << std::hex << format;
    }
    // Where the components land in the generic vertex.
    Mesh mesh;
    mesh.Load(Mesh::kSystemMemory, Block(0x242, 1, false));
    const std::unique_ptr<uint8_t[]> generic = mesh.GetGenericVertices();
    EXPECT_EQ(std::memcmp(generic.get(), mesh.vertexData, 12), 0); // position
    EXPECT_EQ(std::memcmp(generic.get() + 40, mesh.vertexData + 12, 4), 0); // diffuse
    EXPECT_EQ(std::memcmp(generic.get() + 48, mesh.vertexData + 16, 16), 0); // two texture sets
    EXPECT_EQ(generic[24], 0); // no normal
}

TEST_F(ModelMeshTest, fileMeshWithoutIndicesIsAPointList)
{
    ASSERT_TRUE(CreateGraphic());
    Mesh mesh;
    mesh.Load(Mesh::kStaticManaged, Block(0x112, 3, false));
    EXPECT_EQ(mesh.primitive, 0u);
    EXPECT_EQ(mesh.indexBuffer, nullptr);
    ASSERT_NE(mesh.vertexBuffer, nullptr);
    Mesh indexed;
    indexed.Load(Mesh::kStaticManaged, Block(0x112, 4, true));
    EXPECT_EQ(indexed.primitive, 1u);
    ASSERT_NE(indexed.indexBuffer, nullptr);
    ASSERT_TRUE(indexed.Lock(true, true));
    EXPECT_EQ(indexed.indexData[3], 2);
    EXPECT_EQ(indexed.vertexData[5], 6);
    indexed.Unlock(true, true);
}

TEST_F(ModelMeshTest, positionReadsGiveRadiusExtentAndCentre)
{
    ASSERT_TRUE(CreateGraphic());
    SMeshBlock block = Block(0x112, 3, false);
    const float positions[3][3] = { { 1, 2, 2 }, { -1, 0, 4 }, { 3, -2, 0 } };
    for (int v = 0; v < 3; ++v)
        std::memcpy(block.vertices.data() + 32 * v, positions[v], 12);
    Mesh mesh;
    mesh.Load(Mesh::kStaticManaged, block);
    EXPECT_FLOAT_EQ(mesh.GetRadius(), std::sqrt(17.0f));
    Vec3 extent, centre;
    mesh.GetSize(extent);
    mesh.GetCenter(centre);
    EXPECT_EQ(extent.x, 4.0f);
    EXPECT_EQ(extent.y, 4.0f);
    EXPECT_EQ(extent.z, 4.0f);
    EXPECT_EQ(centre.x, 1.0f);
    EXPECT_EQ(centre.y, 0.0f);
    EXPECT_EQ(centre.z, 2.0f);
    Mesh empty;
    EXPECT_EQ(empty.GetRadius(), 0.0f);
}

} // namespace
