// The model manager: the model table, the named ring buffers, the screen quad and the billboard
// quad, and device loss.
#include "tests/render/model_fixture.h"

#include "foundation/CViewFrame.h"
#include "foundation/XRangeError.h"
#include "platform/gfx/device.h"

#include <cmath>
#include <cstring>

using namespace plat::gfx;

namespace {

class ModelManagerTest : public ModelTest {
protected:
    void SetUp() override
    {
        ModelTest::SetUp();
        Start();
    }
    // n vertices of format 0x112 with x = first + k, and the indices given.
    static void Fill(CVertexData& data, uint32_t n, std::vector<uint16_t> indices, float first = 0)
    {
        data.Allocate(0x112, std::max(n, 1u), std::max<uint32_t>(uint32_t(indices.size()), 1));
        for (uint32_t k = 0; k < n; ++k) {
            const float x = first + float(k);
            std::memcpy(data.vertices + size_t(k) * data.stride, &x, 4);
        }
        std::copy(indices.begin(), indices.end(), data.indices);
        data.vertexCount = n;
        data.indexCount = uint32_t(indices.size());
    }
    static std::vector<uint16_t> Indices(CRenderBuffer& buffer, uint32_t at, uint32_t n)
    {
        uint8_t* bytes = nullptr;
        EXPECT_EQ(buffer.indexBuffer->Lock(at * 2, n * 2, &bytes, lock::kReadOnly), Result::Ok);
        std::vector<uint16_t> out(reinterpret_cast<uint16_t*>(bytes), reinterpret_cast<uint16_t*>(bytes) + n);
        buffer.indexBuffer->Unlock();
        return out;
    }
    static float VertexX(CRenderBuffer& buffer, uint32_t at)
    {
        uint8_t* bytes = nullptr;
        EXPECT_EQ(buffer.vertexBuffer->Lock(at * buffer.stride, 4, &bytes, lock::kReadOnly), Result::Ok);
        float x = 0;
        std::memcpy(&x, bytes, 4);
        buffer.vertexBuffer->Unlock();
        return x;
    }
};

TEST_F(ModelManagerTest, standardRingsTakeTheFirstSlots)
{
    EXPECT_EQ(m_models->EffectSlot(), 0);
    EXPECT_EQ(m_models->EffectPointSlot(), 2);
    EXPECT_EQ(m_models->ScreenSlot(), 4);
    EXPECT_EQ(m_models->ModelsSlot(), 6);
    EXPECT_EQ(m_models->UsedBufferCount(), 9);
    CRenderBuffer& screen = m_models->GetBuffer(5);
    EXPECT_STREQ(screen.name, "SCREEN");
    EXPECT_EQ(screen.vertexCapacity, 8192);
    EXPECT_EQ(screen.indexCapacity, 12288);
    EXPECT_EQ(m_models->GetBuffer(2).indexBuffer, nullptr);
    EXPECT_EQ(m_models->GetBuffer(2).primitive, 0u);
    EXPECT_EQ(m_models->FindBuffer("MODELS"), 6);
    EXPECT_THROW(m_models->GetBuffer(64), XRangeError);
}

TEST_F(ModelManagerTest, exactFillAppendsAndOneMoreVertexWraps)
{
    const int slot = m_models->CreateRenderBuffer("TEST", 0x112, 10, 12, 2, false);
    ASSERT_EQ(slot, 9);
    CVertexData data;
    Fill(data, 6, { 0, 1, 2, 3, 4, 5 });
    Mesh* first = m_models->GetRenderSingleBufMesh(slot, data);
    EXPECT_EQ(first, &m_models->GetBuffer(9));
    Fill(data, 4, { 0, 1, 2, 1, 2, 3 }, 100);
    Mesh* second = m_models->GetRenderSingleBufMesh(slot, data);
    EXPECT_EQ(second, first);
    EXPECT_EQ(second->startVertex, 6u);
    EXPECT_EQ(second->startIndex, 6u);
    EXPECT_EQ(Indices(m_models->GetBuffer(9), 6, 6), (std::vector<uint16_t> { 6, 7, 8, 7, 8, 9 }));
    EXPECT_EQ(VertexX(m_models->GetBuffer(9), 9), 103.0f);
    EXPECT_EQ(m_models->GetBuffer(9).appendCount, 2);
    Fill(data, 1, { 0, 0, 0 }, 200);
    Mesh* third = m_models->GetRenderSingleBufMesh(slot, data);
    EXPECT_EQ(third, &m_models->GetBuffer(10));
    EXPECT_EQ(third->startVertex, 0u);
    EXPECT_EQ(third->vertexCount, 1u);
    EXPECT_EQ(m_models->GetBuffer(10).wrapCount, 1);
    EXPECT_EQ(VertexX(m_models->GetBuffer(10), 0), 200.0f);
    // The ring comes round to its first buffer.
    Fill(data, 10, {});
    EXPECT_EQ(m_models->GetRenderSingleBufMesh(slot, data), &m_models->GetBuffer(9));
    // The draw covers exactly the last submission.
    Fill(data, 4, { 0, 1, 2, 2, 1, 3 });
    Mesh* quad = m_models->GetRenderSingleBufMesh(slot, data);
    Null().ClearRecords();
    quad->Render(true);
    ASSERT_EQ(Null().Draws().size(), 1u);
    EXPECT_EQ(Null().Draws()[0].call.startIndex, quad->startIndex);
    EXPECT_EQ(Null().Draws()[0].call.minIndex, quad->startVertex);
    EXPECT_EQ(Null().Draws()[0].call.primitiveCount, 2u);
}

TEST_F(ModelManagerTest, emptySubmissionAdvancesPastTheLastOne)
{
    const int slot = m_models->CreateRenderBuffer("TEST", 0x112, 10, 12, 2, false);
    CVertexData data;
    Fill(data, 3, { 0, 1, 2 });
    m_models->GetRenderSingleBufMesh(slot, data);
    data.vertexCount = 0;
    data.indexCount = 0;
    Mesh* mesh = m_models->GetRenderSingleBufMesh(slot, data);
    EXPECT_EQ(mesh->startVertex, 3u);
    EXPECT_EQ(mesh->startIndex, 3u);
    EXPECT_EQ(mesh->vertexCount, 0u);
    Null().ClearRecords();
    mesh->Render(true);
    EXPECT_TRUE(Null().Draws().empty());
}

TEST_F(ModelManagerTest, indicesAreRebasedFromTheFirstVertex)
{
    const int slot = m_models->CreateRenderBuffer("TEST", 0x112, 100, 100, 1, false);
    CVertexData data;
    Fill(data, 8, { 9, 9, 2, 3, 4, 7, 6, 5, 9 });
    data.firstVertex = 2;
    data.vertexCount = 6;
    data.firstIndex = 2;
    data.indexCount = 6;
    CVertexData filler;
    Fill(filler, 5, { 0, 1, 2 });
    m_models->GetRenderSingleBufMesh(slot, filler);
    Mesh* mesh = m_models->GetRenderSingleBufMesh(slot, data);
    EXPECT_EQ(mesh->startVertex, 5u);
    EXPECT_EQ(Indices(m_models->GetBuffer(slot), 3, 6), (std::vector<uint16_t> { 5, 6, 7, 10, 9, 8 }));
    EXPECT_EQ(VertexX(m_models->GetBuffer(slot), 5), 2.0f);
    // An index outside the submitted vertices draws the first of them.
    data.indices[2] = 1;
    mesh = m_models->GetRenderSingleBufMesh(slot, data);
    EXPECT_EQ(Indices(m_models->GetBuffer(slot), mesh->startIndex, 1)[0], mesh->startVertex);
}

TEST_F(ModelManagerTest, oversizedSubmissionIsRefusedAndLoggedOnce)
{
    const int slot = m_models->CreateRenderBuffer("SMALL", 0x112, 10, 12, 2, false);
    CVertexData data;
    Fill(data, 11, { 0, 1, 2 });
    for (int i = 0; i < 3; ++i) {
        Mesh* mesh = m_models->GetRenderSingleBufMesh(slot, data);
        EXPECT_EQ(mesh->vertexCount, 0u);
    }
    Fill(data, 3, std::vector<uint16_t>(15, 0));
    EXPECT_EQ(m_models->GetRenderSingleBufMesh(slot, data)->indexCount, 0u);
    EXPECT_EQ(Messages(),
        std::vector<std::string> { "CModelManager::GetRenderSingleBufMesh submission too large for SMALL" });
    EXPECT_EQ(m_models->CreateRenderBuffer("HUGE", 0x112, 65537, 3, 1, false), -1);
    EXPECT_EQ(m_models->CreateRenderBuffer("EDGE", 0x112, 65536, 3, 1, false), 11);
    EXPECT_THROW(m_models->GetRenderSingleBufMesh(64, data), XRangeError);
}

TEST_F(ModelManagerTest, pointRingsAppendFromTheStartOfTheData)
{
    const int slot = m_models->EffectPointSlot();
    CVertexData points;
    points.Allocate(0x42, 20000, 0);
    points.vertexCount = 16000;
    points.firstVertex = 5; // points copy from the start whatever firstVertex says
    Mesh* full = m_models->GetRenderSingleBufMesh(slot, points);
    EXPECT_EQ(full->vertexCount, 16000u);
    points.vertexCount = 1;
    Mesh* next = m_models->GetRenderSingleBufMesh(slot, points);
    EXPECT_EQ(next, &m_models->GetBuffer(slot + 1));
    EXPECT_EQ(next->startVertex, 0u);
    Null().ClearRecords();
    next->Render(true);
    ASSERT_EQ(Null().Draws().size(), 1u);
    EXPECT_EQ(Null().Draws()[0].call.primitive, PrimitiveType::PointList);
}

TEST_F(ModelManagerTest, ringsKeepTheirSlotsAcrossDeviceLoss)
{
    const int map = m_models->CreateRenderBuffer("MAP1", 0x112, 100, 120, 2, false);
    ASSERT_EQ(map, 9);
    const int32_t liveBefore = liveObjectCount;
    CVertexData data;
    Fill(data, 50, { 0, 1, 2 });
    m_models->GetRenderSingleBufMesh(map, data);
    m_models->GetRenderSingleBufMesh(map, data);
    m_models->GetRenderSingleBufMesh(map, data); // now on slot 10
    m_models->ReleaseBuffers();
    EXPECT_EQ(m_models->GetBuffer(0).vertexBuffer, nullptr);
    EXPECT_EQ(liveObjectCount, liveBefore - 11);
    m_models->RecreateBuffers(false);
    EXPECT_EQ(liveObjectCount, liveBefore);
    for (auto [slot, name] : { std::pair { 0, "EFFECT" }, { 2, "EFFECTPOINT" }, { 4, "SCREEN" },
             { 6, "MODELS" }, { 9, "MAP1" } }) {
        EXPECT_STREQ(m_models->GetBuffer(slot).name, name);
        EXPECT_NE(m_models->GetBuffer(slot).vertexBuffer, nullptr);
        EXPECT_NE(m_models->GetBuffer(slot + 1).vertexBuffer, nullptr);
    }
    EXPECT_EQ(m_models->GetBuffer(2).indexBuffer, nullptr);
    EXPECT_EQ(m_models->CreateRenderBuffer("LATE", 0x112, 10, 12, 1, false), 11);
    // The first submission after the reset starts the ring again at its first buffer.
    Mesh* mesh = m_models->GetRenderSingleBufMesh(map, data);
    EXPECT_EQ(mesh, &m_models->GetBuffer(9));
    EXPECT_EQ(mesh->startVertex, 0u);
    m_models->ReleaseBuffers();
    m_models->RecreateBuffers(true);
    EXPECT_STREQ(m_models->GetBuffer(11).name, "LATE");
}

TEST_F(ModelManagerTest, modelTableLoadsOnFirstUseAndRowsOfRadiusZeroAtOnce)
{
    WriteModel("stone.mdl", Kind("stone"));
    WriteModel("glider.mdl", Kind("glider"));
    zoq::tools::model::Bytes cut = zoq::tools::model::EncodeModelFile(Kind("glider"));
    cut.resize(cut.size() - 10);
    WriteBytes("cut.mdl", cut);
    const int32_t liveBefore = liveObjectCount;
    Models({ { "MOD_STONE", "stone.mdl", "0" }, { "MOD_GLIDER", "glider.mdl", "2.5" },
        { "MOD_LOST", "lost.mdl", "1" }, { "MOD_CUT", "cut.mdl", "3" } });
    EXPECT_EQ(liveObjectCount, liveBefore + 1);
    EXPECT_FLOAT_EQ(m_models->GetModelRadius(0), std::sqrt(3.0f));
    EXPECT_EQ(m_models->GetRecord(0).object->radius, m_models->GetModelRadius(0));
    EXPECT_EQ(m_models->GetRecord(1).object, nullptr);
    EXPECT_EQ(m_models->GetModelRadius(-1), 1.0f);
    EXPECT_THROW(m_models->GetModelRadius(4), XRangeError);
    EXPECT_EQ(m_models->GetModel(-1), nullptr);
    EXPECT_TRUE(Messages().empty());

    CComplexObject* glider = m_models->GetModel(m_models->FindModel("MOD_GLIDER"));
    ASSERT_NE(glider, nullptr);
    EXPECT_EQ(glider->GetPartCount(), 9);
    EXPECT_EQ(glider->radius, 2.5f);
    EXPECT_EQ(m_models->GetModel(1), glider);

    CComplexObject* lost = m_models->GetModel(2);
    ASSERT_NE(lost, nullptr);
    EXPECT_EQ(lost->GetPartCount(), 0);
    CComplexObject* partial = m_models->GetModel(3);
    EXPECT_EQ(partial->GetPartCount(), 8);
    const std::vector<std::string> messages = Messages();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0], "Model .\\lost.mdl not found");
    EXPECT_EQ(messages[1].rfind("CComplexObject::Load part ", 0), 0u);
    EXPECT_EQ(messages[2], "Error in MOD_CUT model");
    EXPECT_THROW(m_models->GetModel(4), XRangeError);
    EXPECT_EQ(liveObjectCount, liveBefore + 4);

    // Device loss drops the models; the next use loads them again.
    m_models->ReleaseBuffers();
    EXPECT_EQ(m_models->GetRecord(1).object, nullptr);
    EXPECT_EQ(m_models->GetModelRadius(1), 2.5f);
    m_models->RecreateBuffers(false);
    EXPECT_EQ(m_models->GetModel(1)->GetPartCount(), 9);
}

TEST_F(ModelManagerTest, screenQuadMapsPixelsOntoTexels)
{
    struct Corner {
        float x, y, u, v;
    };
    auto corners = [&](const CVertexData& quad) {
        std::vector<Corner> out;
        for (int i = 0; i < 4; ++i) {
            float v[8];
            std::memcpy(v, quad.vertices + 32 * i, sizeof v);
            EXPECT_EQ(v[4], v[6]); // the second set copies the first
            EXPECT_EQ(v[5], v[7]);
            EXPECT_EQ(v[3], 0.00001f);
            out.push_back({ v[0], v[1], v[4], v[5] });
        }
        return out;
    };
    std::vector<Corner> c = corners(m_models->DrawScreenQuad(10, 20, 30, 60, nullptr, false));
    EXPECT_EQ(c[0].x, 9.5f);
    EXPECT_EQ(c[0].y, 19.5f);
    EXPECT_EQ(c[3].x, 29.5f);
    EXPECT_EQ(c[3].y, 59.5f);
    EXPECT_EQ(c[1].u, 1.0f);
    EXPECT_EQ(c[2].v, 1.0f);
    EXPECT_EQ(m_models->ScreenQuad().vertexCount, 4u);
    EXPECT_EQ(m_models->ScreenQuad().indexCount, 6u);

    const Rect piece { 64, 32, 128, 64 }; // a 64 x 32 texture piece at (64, 32)
    c = corners(m_models->DrawScreenQuad(0, 0, 16, 8, &piece, false));
    EXPECT_EQ(c[0].u, 1.0f);
    EXPECT_EQ(c[1].u, 80.0f / 64);
    EXPECT_EQ(c[0].v, 1.0f);
    EXPECT_EQ(c[2].v, 40.0f / 32);
    const Rect mirrored { 64, 0, 0, 32 }; // negative width mirrors
    c = corners(m_models->DrawScreenQuad(0, 0, 16, 8, &mirrored, false));
    EXPECT_EQ(c[0].u, -1.0f);
    EXPECT_EQ(c[1].u, -80.0f / 64);
    c = corners(m_models->DrawScreenQuad(0, 0, 16, 8, &piece, true));
    EXPECT_EQ(c[0].u, 64.5f / 64);
    EXPECT_EQ(c[1].u, 79.5f / 64);
    EXPECT_EQ(c[0].v, 32.5f / 32);
    EXPECT_EQ(c[2].v, 39.5f / 32);
    c = corners(m_models->DrawScreenQuad(16, 8, 0, 0, &piece, true)); // negative extent
    EXPECT_EQ(c[0].u, 63.5f / 64);
    EXPECT_EQ(c[1].u, 48.5f / 64);
}

TEST_F(ModelManagerTest, billboardQuadIsCentredOrStandsOnItsBase)
{
    auto ys = [&](const CVertexData& quad) {
        std::vector<std::pair<float, float>> out;
        for (int i = 0; i < 4; ++i) {
            float v[8];
            std::memcpy(v, quad.vertices + 32 * i, sizeof v);
            out.emplace_back(v[0], v[1]);
        }
        return out;
    };
    using P = std::vector<std::pair<float, float>>;
    EXPECT_EQ(ys(m_models->AddBillboard(2, 4, true)), (P { { -2, -1 }, { 2, -1 }, { -2, 1 }, { 2, 1 } }));
    EXPECT_EQ(ys(m_models->AddBillboard(2, 4, false)), (P { { -2, 2 }, { 2, 2 }, { -2, 0 }, { 2, 0 } }));
    Mesh* unit = m_models->AddUnitBillboard();
    EXPECT_EQ(unit, &m_models->GetBuffer(m_models->ModelsSlot()));
    EXPECT_EQ(unit->vertexCount, 4u);
    EXPECT_EQ(unit->indexCount, 6u);
}

TEST_F(ModelManagerTest, billboardOrientationFacesTheView)
{
    // The camera's recomputed view hands its forward column over.
    CViewFrame view;
    Matrix4Identity(view.matrix);
    view.matrix.m[6] = -1;
    view.matrix.m[10] = 0;
    view.Apply(true);
    const Matrix4& m = m_models->BillboardMatrix();
    // Column 2, the forward axis, points along the view direction, Z stays up.
    EXPECT_FLOAT_EQ(m.m[2], 0);
    EXPECT_FLOAT_EQ(m.m[6], -1);
    EXPECT_FLOAT_EQ(m.m[9], 1);
    EXPECT_FLOAT_EQ(m.m[15], 1);
}

} // namespace
