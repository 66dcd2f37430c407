// The mesh device record on the null backend: vertex sizes, the buffers each memory mode makes
// with their fall-backs and log texts, locking, and the draw call with its last-bound cache.
#include "tests/render/shader_fixture.h"

#include "platform/gfx/device.h"

#include <stdexcept>

using namespace plat::gfx;
using namespace shader_test;

namespace {

constexpr const char* kV1 = "CMesh::Allocate Can`t create vertex buffer in videomemory";
constexpr const char* kV2 = "Mesh::Allocate can`t create vertex buffer";
constexpr const char* kI1 = "CMesh::Allocate Can`t create index buffer in videomemory";
constexpr const char* kI2 = "Mesh::Allocate can`t create index buffer";

BufferDesc Desc(const Buffer* buffer)
{
    BufferDesc desc;
    buffer->GetDesc(desc);
    return desc;
}

} // namespace

TEST(MeshSizeTest, vertexSizeFollowsTheFormatBits)
{
    const std::pair<uint32_t, uint32_t> cases[] = {
        { 0x0C, 0 },
        { 0x0E, 0 },
        { 0x00, 0 },
        { 0x112, 32 },
        { 0x242, 32 },
        { 0x204, 32 },
        { 0x42, 16 },
        { 0x116, 36 },
        { 0x008, 20 },
        { 0x00A, 24 },
        { 0x0F2, 36 },
        { 0x802, 76 },
    };
    for (auto [format, size] : cases)
        EXPECT_EQ(Mesh::GetFVFSize(format), size) << std::hex << format;
}

class MeshTest : public ShaderTest {
protected:
    void SetUp() override
    {
        ShaderTest::SetUp();
        CreateGraphic(Profile::Full);
    }
};

TEST_F(MeshTest, eachMemoryModeMakesItsBuffers)
{
    struct Case {
        uint32_t mode;
        bool hardware;
        Pool vertexPool;
        uint32_t vertexUsage;
        Pool indexPool;
        uint32_t indexUsage;
        bool fellBack; // the first vertex-buffer attempt was refused
    };
    using namespace usage;
    const Case cases[] = {
        { Mesh::kStatic, true, Pool::Managed, kWriteOnly, Pool::SystemMem, kDynamic, false },
        { Mesh::kStaticManaged, true, Pool::Managed, kWriteOnly, Pool::Managed, 0, false },
        { Mesh::kDynamic, true, Pool::Default, kWriteOnly | kDynamic, Pool::Default, kDynamic, false },
        // DYNAMIC is refused in the managed pool: the retry goes to the system pool, readable.
        { Mesh::kDynamicManaged, true, Pool::SystemMem, kDynamic | kSoftwareProcessing, Pool::SystemMem,
            kSoftwareProcessing | kDynamic, true },
        { Mesh::kSoftware, true, Pool::SystemMem, kWriteOnly | kDynamic | kSoftwareProcessing,
            Pool::SystemMem, kDynamic | kSoftwareProcessing, false },
        // Without hardware vertex processing: the system pool and software processing.
        { Mesh::kStatic, false, Pool::SystemMem, kWriteOnly | kSoftwareProcessing, Pool::SystemMem,
            kDynamic | kSoftwareProcessing, false },
        { Mesh::kDynamic, false, Pool::SystemMem, kWriteOnly | kDynamic | kSoftwareProcessing,
            Pool::SystemMem, kDynamic | kSoftwareProcessing, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << (c.hardware ? " hardware" : " software"));
        std::filesystem::remove(m_dir / "error.log");
        g_Graphic.MutableCaps().hwTransformAndLight = c.hardware;
        Mesh mesh(c.mode, 0x112, 10, true, 30);
        ASSERT_NE(mesh.vertexBuffer, nullptr);
        ASSERT_NE(mesh.indexBuffer, nullptr);
        EXPECT_EQ(Desc(mesh.vertexBuffer).pool, c.vertexPool);
        EXPECT_EQ(Desc(mesh.vertexBuffer).usage, c.vertexUsage);
        EXPECT_EQ(Desc(mesh.vertexBuffer).size, 320u);
        EXPECT_EQ(Desc(mesh.indexBuffer).pool, c.indexPool);
        EXPECT_EQ(Desc(mesh.indexBuffer).usage, c.indexUsage);
        EXPECT_EQ(Desc(mesh.indexBuffer).size, 60u);
        EXPECT_EQ(mesh.byteSize, 320u + 2048u + 60u);
        EXPECT_EQ(mesh.stride, 32u);
        EXPECT_EQ(mesh.primitive, 1u);
        if (c.fellBack) {
            EXPECT_EQ(LogMessages(), (std::vector<std::string> { kV1, kI1 }));
        } else {
            EXPECT_FALSE(LogExists());
        }
    }
}

TEST_F(MeshTest, extraUsageAndPretransformedFormatsAddTheirBits)
{
    Mesh points(Mesh::kDynamic, 0x42, 8, false, 0);
    Mesh screen(Mesh::kStaticManaged, 0x204, 4, true, 6);
    points.Allocate(Mesh::kDynamic, 0x42, 8, false, 0, usage::kPoints | usage::kWriteOnly);
    EXPECT_EQ(Desc(points.vertexBuffer).usage, usage::kWriteOnly | usage::kDynamic | usage::kPoints);
    EXPECT_EQ(points.indexBuffer, nullptr);
    EXPECT_EQ(points.primitive, 0u);
    EXPECT_EQ(points.byteSize, 16u * 8u + 2048u);
    EXPECT_EQ(Desc(screen.vertexBuffer).usage, usage::kWriteOnly | usage::kDoNotClip);
    EXPECT_EQ(Desc(screen.indexBuffer).usage, 0u);
}

TEST_F(MeshTest, aVertexBufferRefusedTwiceLogsAndThrows)
{
    null::GetConfig().failCreates = 2;
    Mesh mesh;
    try {
        mesh.Allocate(Mesh::kStaticManaged, 0x112, 4, true, 6);
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), kV2);
    }
    EXPECT_EQ(mesh.vertexBuffer, nullptr);
    EXPECT_EQ(mesh.indexBuffer, nullptr);
    EXPECT_EQ(LogMessages(), (std::vector<std::string> { kV1, kV2 }));
    EXPECT_EQ(CallTraceText(), std::string("EXCEPTION:->Mesh::Allocate"));
}

TEST_F(MeshTest, anIndexBufferRefusedTwiceOnlyLogsAndTheMeshDrawsNothing)
{
    // A zero-length index buffer is refused in both pools.
    Mesh broken;
    broken.Allocate(Mesh::kStaticManaged, 0x112, 4, true, 0);
    EXPECT_NE(broken.vertexBuffer, nullptr);
    EXPECT_EQ(broken.indexBuffer, nullptr);
    EXPECT_EQ(broken.primitive, 1u);
    EXPECT_EQ(LogMessages(), (std::vector<std::string> { kI1, kI2 }));

    Null().ClearRecords();
    broken.indexCount = 6;
    broken.Render(true);
    EXPECT_TRUE(Null().Draws().empty());
    EXPECT_EQ(LogMessages().size(), 2u);
}

TEST_F(MeshTest, systemMemoryMeshesOwnArraysAndDrawNothing)
{
    Mesh mesh(Mesh::kSystemMemory, 0x242, 5, true, 9);
    EXPECT_EQ(mesh.vertexBuffer, nullptr);
    ASSERT_NE(mesh.vertexData, nullptr);
    ASSERT_NE(mesh.indexData, nullptr);
    EXPECT_EQ(mesh.byteSize, 0u);
    mesh.vertexData[5 * 32 - 1] = 7;
    mesh.indexData[8] = 4;
    EXPECT_TRUE(mesh.Lock(true, true));
    mesh.Unlock(true, true);
    EXPECT_EQ(mesh.vertexData[5 * 32 - 1], 7);
    Null().ClearRecords();
    mesh.Render(true);
    EXPECT_TRUE(Null().Draws().empty());
    mesh.Allocate(Mesh::kStaticManaged, 0x112, 4, true, 6);
    EXPECT_EQ(mesh.indexData, nullptr);
    EXPECT_NE(mesh.vertexBuffer, nullptr);
}

TEST_F(MeshTest, lockGivesTheWholeBuffersAndUnlockUploads)
{
    Mesh mesh(Mesh::kDynamic, 0x112, 4, true, 6);
    ASSERT_TRUE(mesh.Lock(true, true));
    ASSERT_NE(mesh.vertexData, nullptr);
    ASSERT_NE(mesh.indexData, nullptr);
    mesh.vertexData[127] = 0x5A;
    mesh.indexData[5] = 3;
    EXPECT_FALSE(mesh.Lock(true, false)); // already locked
    mesh.Unlock(true, true);
    EXPECT_EQ(mesh.vertexData, nullptr);
    EXPECT_EQ(mesh.indexData, nullptr);
    EXPECT_EQ(mesh.vertexBuffer->Bytes()[127], 0x5A);
    EXPECT_EQ(mesh.indexBuffer->MaxIndex(0, 6), 3u);
}

TEST_F(MeshTest, renderBindsOnceAndDrawsItsRange)
{
    auto mesh = MakeQuad();
    auto other = MakeQuad(0x242);
    Mesh::ResetStreamCache();
    Null().ClearRecords();
    g_Graphic.ResetFrameCounters();
    mesh->Render(true);
    ASSERT_EQ(Null().Draws().size(), 1u);
    const null::DrawRecord first = Null().Draws().back();
    EXPECT_EQ(first.vertexBuffer, mesh->vertexBuffer->Id());
    EXPECT_EQ(first.indexBuffer, mesh->indexBuffer->Id());
    EXPECT_EQ(first.vertexShader, 0x112u);
    EXPECT_EQ(first.call.primitive, PrimitiveType::TriangleList);
    EXPECT_EQ(first.call.primitiveCount, 2u);
    EXPECT_EQ(g_Graphic.DrawCalls(), 1u);
    EXPECT_EQ(g_Graphic.Primitives(), 2u);

    // Drawn again without a reset: the cache says it is bound, so nothing is bound again.
    Dev().SetStreamSource(0, other->vertexBuffer, 32);
    mesh->Render(true);
    EXPECT_EQ(Null().Draws().back().vertexBuffer, other->vertexBuffer->Id());
    Mesh::ResetStreamCache();
    mesh->Render(true);
    EXPECT_EQ(Null().Draws().back().vertexBuffer, mesh->vertexBuffer->Id());

    // A strip of 6 indices is 4 triangles; a point list draws vertexCount points from startVertex.
    mesh->primitive = 2;
    mesh->Render(true);
    EXPECT_EQ(Null().Draws().back().call.primitive, PrimitiveType::TriangleStrip);
    EXPECT_EQ(Null().Draws().back().call.primitiveCount, 4u);
    mesh->primitive = 0;
    mesh->vertexCount = 3;
    mesh->startVertex = 1;
    mesh->Render(true);
    EXPECT_EQ(Null().Draws().back().call.primitive, PrimitiveType::PointList);
    EXPECT_EQ(Null().Draws().back().call.primitiveCount, 3u);
    EXPECT_EQ(Null().Draws().back().call.startVertex, 1u);
    EXPECT_FALSE(LogExists());

    // A mesh that goes away is forgotten by the cache: a new one at the same address binds.
    mesh.reset();
    auto again = MakeQuad();
    again->Render(true);
    EXPECT_EQ(Null().Draws().back().vertexBuffer, again->vertexBuffer->Id());
}

TEST_F(MeshTest, aNullVertexBufferDrawsNothing)
{
    Mesh empty;
    empty.vertexCount = 4;
    Null().ClearRecords();
    empty.Render(true);
    EXPECT_TRUE(Null().Draws().empty());
    EXPECT_FALSE(LogExists());
}

TEST_F(MeshTest, atlasFramesSetTheTextureMatrixForTheDraw)
{
    auto mesh = MakeQuad();
    struct Case {
        int rows, columns, frame;
        float m11, m22, m31, m32;
    };
    const Case cases[] = {
        { 2, 4, 5, 0.25f, 0.5f, 0.25f, 0.5f },
        { 3, 3, 0, 1.0f / 3, 1.0f / 3, 0.0f, 0.0f },
        { 1, 2, 1, 0.5f, 1.0f, 0.5f, 0.0f },
    };
    for (const Case& c : cases) {
        mesh->animFrames = 1;
        mesh->gridRows = c.rows;
        mesh->gridColumns = c.columns;
        mesh->frame = c.frame;
        Null().ClearRecords();
        mesh->Render(true);
        ASSERT_EQ(Null().Draws().size(), 1u);
        EXPECT_EQ(Null().Draws()[0].stage[0][size_t(StageState::TextureTransformFlags)],
            StateValue(TextureTransform::Count2));
        Matrix m;
        Dev().GetTransform(Transform::Texture0, m);
        EXPECT_FLOAT_EQ(m.m[0][0], c.m11);
        EXPECT_FLOAT_EQ(m.m[1][1], c.m22);
        EXPECT_FLOAT_EQ(m.m[2][0], c.m31);
        EXPECT_FLOAT_EQ(m.m[2][1], c.m32);
        EXPECT_EQ(Stage(0, StageState::TextureTransformFlags), StateValue(TextureTransform::Disable));
    }

    // No rows or columns: no matrix and no division by zero.
    const Matrix marker = Matrix::Identity();
    Dev().SetTransform(Transform::Texture0, marker);
    mesh->gridColumns = 0;
    Null().ClearRecords();
    mesh->Render(true);
    ASSERT_EQ(Null().Draws().size(), 1u);
    EXPECT_EQ(Null().Draws()[0].stage[0][size_t(StageState::TextureTransformFlags)],
        StateValue(TextureTransform::Disable));
    Matrix m;
    Dev().GetTransform(Transform::Texture0, m);
    EXPECT_EQ(m, marker);
}
