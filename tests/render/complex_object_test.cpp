// Complex objects: loading every procedural kind, part look-ups, drawing by group, sorting,
// bounds, collision shapes and the camera-facing part.
#include "tests/render/model_fixture.h"

#include "foundation/XRangeError.h"
#include "platform/gfx/device.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string_view>

using namespace plat::gfx;

namespace {

class ComplexObjectTest : public ModelTest {
protected:
    void SetUp() override
    {
        ModelTest::SetUp();
        Start();
    }
    size_t Draws() { return Null().Draws().size(); }
};

TEST_F(ComplexObjectTest, everyKindAnswersItsLookUps)
{
    const struct {
        const char* kind;
        const char* part;
        int index;
        int points;
        const char* point0;
        const char* point1;
        const char* channel;
        int channelIndex;
    } kRows[] = {
        { "glider", "LIGHTGUN1", 4, 8, "FIRE", "FIRE1", "STRAFE", 2 },
        { "building", "OPEN1", 6, 0, nullptr, nullptr, "DOOR", 0 },
        { "tree", "BILLBOARD", 1, 0, nullptr, nullptr, "DOOR", -1 },
        { "stone", "SHAPE", 1, 0, nullptr, nullptr, "X", -1 },
        { "missile", "SMOKE", 3, 0, nullptr, nullptr, "X", -1 },
        { "thing", "FX", 1, 0, nullptr, nullptr, "X", -1 },
        { "gun", "FX2", 3, 0, nullptr, nullptr, "X", -1 },
        { "flash", "FLASH", 0, 0, nullptr, nullptr, "X", -1 },
    };
    for (const auto& row : kRows) {
        auto object = Load(Kind(row.kind));
        EXPECT_EQ(object->FindPart(row.part), row.index) << row.kind;
        EXPECT_EQ(object->FindPart("NOPE"), -1);
        EXPECT_EQ(object->FindMorphChannel(0, row.channel), row.channelIndex) << row.kind;
        CModel* body = object->GetPartObject(0);
        ASSERT_NE(body, nullptr) << row.kind;
        EXPECT_EQ(body->GetPointCount(), row.points) << row.kind;
        if (row.point0) {
            EXPECT_STREQ(body->GetPoint(0).name, row.point0);
            EXPECT_STREQ(body->GetPoint(1).name, row.point1);
            EXPECT_STREQ(body->GetSubMesh(7).name, "DAMAGE7");
            EXPECT_EQ(body->GetPoint(0).position.y, -2.1f);
            EXPECT_EQ(body->GetSubMesh(1).mesh.vertexCount, 24u);
        }
        EXPECT_THROW(body->GetSubMesh(8), XRangeError);
        EXPECT_THROW(body->GetPoint(row.points), XRangeError);
        EXPECT_EQ(object->GetPartObject(-1), nullptr);
        EXPECT_THROW(object->GetPartObject(object->GetPartCount()), XRangeError);
        EXPECT_EQ(object->GetPart(0).textures[0], 0) << row.kind; // TEX_SAMPLECOLOR
    }
    auto missile = Load(Kind("missile"));
    EXPECT_NE(missile->GetPartEmitter(3), nullptr);
    EXPECT_EQ(missile->GetPartObject(3), nullptr);
    EXPECT_TRUE(Load(Kind("building"))->hasOrderings);
    EXPECT_FALSE(Load(Kind("stone"))->hasOrderings);
    EXPECT_TRUE(Load(Kind("glider"))->GetPartObject(1)->IsInSystemMemory());
    EXPECT_FALSE(Load(Kind("glider"))->GetPartObject(0)->IsInSystemMemory());
}

TEST_F(ComplexObjectTest, refusedFileKeepsThePartsReadBefore)
{
    zoq::tools::model::Bytes bytes = zoq::tools::model::EncodeModelFile(Kind("glider"));
    bytes.resize(bytes.size() - 10);
    CComplexObject object;
    EXPECT_THROW(object.Load(bytes.data(), bytes.size()), XModelFileError);
    EXPECT_EQ(object.GetPartCount(), 8);
    EXPECT_EQ(object.FindPart("SHAPE"), -1);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].rfind("CComplexObject::Load part 8: file ends inside", 0), 0u) << Messages()[0];

    SModelFile bad = Kind("stone");
    bad.parts[1].record.type = 7;
    EXPECT_THROW(Load(bad), XModelFileError);
    EXPECT_EQ(
        plat::win::Utf8ToCp1251(Messages()[1]), CP1251("CComplexObject::Load Загрузка типа не реализована"));
}

TEST_F(ComplexObjectTest, groupsSelectWhichPartsDraw)
{
    SModelFile file;
    for (uint32_t mask : { 0u, 1u << 3, 0xFu, 1u << 2 }) {
        SModelFile stone = Kind("stone");
        stone.parts[0].record.groupMask = mask;
        file.parts.push_back(stone.parts[0]);
    }
    auto object = Load(file);
    const struct {
        int group;
        size_t draws;
    } kRows[] = { { -1, 4 }, { 3, 2 }, { 2, 2 }, { 0, 1 }, { 5, 0 }, { 40, 0 } };
    for (const auto& row : kRows) {
        Null().ClearRecords();
        object->Render(nullptr, 0, row.group);
        EXPECT_EQ(Draws(), row.draws) << row.group;
    }
    Null().ClearRecords();
    object->RenderGroup(nullptr, 3); // models without channels submit nothing
    EXPECT_EQ(Draws(), 0u);
}

TEST_F(ComplexObjectTest, damagedGliderDrawsItsPieces)
{
    auto object = Load(Kind("glider"));
    object->Render(nullptr, 0, -1);
    ASSERT_EQ(Draws(), 1u);
    EXPECT_EQ(Null().Draws()[0].call.primitiveCount, 24u);
    Null().ClearRecords();
    object->Render(nullptr, 1 | 4 | 0x100, -1);
    ASSERT_EQ(Draws(), 3u);
    EXPECT_EQ(Null().Draws()[0].call.primitiveCount, 20u); // pieces 0 and 2 remove two triangles each
    EXPECT_EQ(Null().Draws()[1].call.primitiveCount, 12u);
    // Bent: the geometry goes through "MODELS", damage applied there.
    Null().ClearRecords();
    const float weights[5] = { 0.5f, 0, 0, 0, 99 };
    object->Render(weights, 1, -1);
    ASSERT_EQ(Draws(), 2u);
    EXPECT_EQ(Null().Draws()[0].vertexBuffer, m_models->GetBuffer(m_models->ModelsSlot()).vertexBuffer->Id());
    EXPECT_EQ(Null().Draws()[0].call.primitiveCount, 22u);
}

TEST_F(ComplexObjectTest, sortByDirectionPicksTheNearestAxis)
{
    auto object = Load(Kind("building"));
    const struct {
        Vec3 direction;
        int ordering;
    } kRows[] = { { { 0, 0, -1 }, 5 }, { { 0, 0, 0 }, 0 }, { { 1, 0, 0 }, 0 }, { { 0, -2, 1 }, 3 },
        { { 1, 1, 0 }, 0 }, { { -1, 0.5f, 0.9f }, 2 }, { { 0.1f, 0.2f, 0.3f }, 4 } };
    for (const auto& row : kRows) {
        EXPECT_EQ(object->SortByDirection(row.direction, false), row.ordering);
        EXPECT_EQ(object->GetPartObject(0)->currentOrdering, row.ordering);
    }
}

TEST_F(ComplexObjectTest, boundsAreComputedOnceAndExtentsAreTheLargest)
{
    auto object = Load(Kind("building"));
    Vec3 centre;
    object->GetBoundsCentre(centre);
    EXPECT_FLOAT_EQ(centre.x, 0);
    EXPECT_FLOAT_EQ(centre.y, -1.5f); // the markers reach y = -8
    EXPECT_FLOAT_EQ(centre.z, 1.95f); // from z = -0.1 to 4
    object->boundsCentre = { 5, 6, 7 };
    object->GetBoundingBox(centre);
    EXPECT_EQ(centre.x, 5);
    Vec3 extent;
    object->GetBounds(extent);
    EXPECT_FLOAT_EQ(extent.x, 10);
    EXPECT_FLOAT_EQ(extent.y, 10.2f);
    EXPECT_FLOAT_EQ(extent.z, 4);
    EXPECT_GT(object->GetRadius(), 5.0f);
    CComplexObject empty;
    EXPECT_EQ(empty.GetRadius(), 0.001f);
    EXPECT_FLOAT_EQ(Load(Kind("thing"))->GetRadius(), 2.0f); // ten times the emitter's birth size
}

TEST_F(ComplexObjectTest, shapesComeFromTheirPartsOrPartZero)
{
    auto building = Load(Kind("building"));
    EXPECT_EQ(building->GetShape(0).Count(), 12);
    const SCollisionTriangle& open = building->GetShape(1).At(0);
    EXPECT_EQ(open.p0.y, -4.0f); // SHAPE2 starts at y = -4
    auto glider = Load(Kind("glider"));
    EXPECT_EQ(glider->GetShape(1).Count(), 12); // no SHAPE2: SHAPE
    EXPECT_EQ(glider->GetShape(1).At(0).p0.y, -2.0f);
    SModelFile bare = Kind("stone");
    bare.parts.pop_back();
    bare.parts[0].model->mesh.indices.resize(6);
    auto stone = Load(bare);
    EXPECT_EQ(stone->GetShape(0).Count(), 2); // part 0's triangles
    CComplexObject empty;
    EXPECT_THROW(empty.BuildShape(true), XRangeError);
    SModelFile points = Kind("stone");
    points.parts[1].model->mesh.indices.clear();
    EXPECT_EQ(Load(points)->GetShape(0).Count(), 0);
}

// The writer's collision shapes are closed boxes: every triangle's normal points away from the
// box's middle, as rays and collisions meet them from the front.
TEST_F(ComplexObjectTest, writtenShapesFaceOutwards)
{
    for (const std::string_view kind : { "building", "glider", "tree", "stone" }) {
        auto object = Load(Kind(kind));
        for (int variant = 0; variant < 2; ++variant) {
            const XDynamicArray<SCollisionTriangle>& shape = object->GetShape(variant);
            ASSERT_EQ(shape.Count(), 12) << kind;
            Vec3 lo { 1e9f, 1e9f, 1e9f };
            Vec3 hi { -1e9f, -1e9f, -1e9f };
            for (const SCollisionTriangle& t : shape) {
                for (const Vec3& p : { t.p0, t.p1, t.p2 }) {
                    lo = { std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z) };
                    hi = { std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z) };
                }
            }
            const Vec3 middle { (lo.x + hi.x) * 0.5f, (lo.y + hi.y) * 0.5f, (lo.z + hi.z) * 0.5f };
            for (const SCollisionTriangle& t : shape) {
                const Vec3 out { t.centre.x - middle.x, t.centre.y - middle.y, t.centre.z - middle.z };
                EXPECT_GT(out.x * t.normal.x + out.y * t.normal.y + out.z * t.normal.z, 0.0f) << kind;
            }
        }
    }
}

TEST_F(ComplexObjectTest, collisionTrianglesCarryNormalCentreAndSize)
{
    SModelFile file;
    zoq::tools::model::MeshBuilder builder;
    for (const auto& p : { std::array<float, 3> { 0, 0, 0 }, { 2, 0, 0 }, { 0, 2, 0 }, { 0, 0, 0 },
             { 1, 1, 1 }, { 2, 2, 2 } }) {
        zoq::tools::model::MeshBuilder::Vertex v {};
        std::copy(p.begin(), p.end(), v.position);
        builder.Add(v);
    }
    builder.AddTriangle(0, 1, 2);
    builder.AddTriangle(3, 4, 5); // on one line
    file.parts.push_back(zoq::tools::model::ModelPart(modelfile::kPartShape, "SHAPE", "", builder.Build()));
    auto object = Load(file);
    const auto& shape = object->GetShape(0);
    ASSERT_EQ(shape.Count(), 2);
    const SCollisionTriangle& flat = shape.At(0);
    EXPECT_EQ(flat.normal.z, -1.0f); // (p0 - p1) x (p2 - p1)
    EXPECT_EQ(flat.centre.x, 1.0f);
    EXPECT_EQ(flat.centre.y, 1.0f);
    EXPECT_EQ(flat.size, 2.0f);
    const SCollisionTriangle& line = shape.At(1);
    EXPECT_EQ(line.normal.x, 0.0f);
    EXPECT_EQ(line.normal.z, 1.0f);
}

TEST_F(ComplexObjectTest, cameraFacingPartNeedsAWorldMatrix)
{
    SModelFile file = Kind("stone");
    file.parts[0].record.flags = modelfile::kFacesCamera;
    auto object = Load(file);
    g_Graphic.ResetWorldStack();
    EXPECT_THROW(object->Render(nullptr, 0, -1), XRangeError);
    EXPECT_EQ(Messages(), std::vector<std::string> { "XStaticFIFO::Last stack is empty" });
    ResetCallTrace();

    Matrix4 world;
    Matrix4Identity(world, 2);
    world.m[12] = 10;
    g_Graphic.PushWorldMatrix(world);
    object->Render(nullptr, 0, -1);
    ASSERT_EQ(Draws(), 1u);
    Matrix drawn;
    Device().GetTransform(Transform::World, drawn);
    EXPECT_EQ(drawn.m[0][0], 2.0f); // the stack top again after the part
    EXPECT_EQ(drawn.m[2][1], 0.0f);
    // Billboard matrix identity: rows B1, -B3, B2 scaled by 2, pulled 0.25 x 2 x 4 along B3.
    Matrix4 billboard, facing;
    Matrix4Identity(billboard);
    CComplexObject::BuildFacingMatrix(world, billboard, 4, facing);
    const float expected[16] = { 2, 0, 0, 0, 0, 0, -2, 0, 0, 2, 0, 0, 10, 0, -2, 1 };
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(facing.m[i], expected[i]) << i;
    g_Graphic.ResetWorldStack();
}

TEST_F(ComplexObjectTest, billboardIsSizedByItsTexture)
{
    auto tree = Load(Kind("tree", "TEX_WIDE"));
    tree->radius = 8;
    Matrix4 world;
    Matrix4Identity(world);
    g_Graphic.PushWorldMatrix(world);
    tree->Render(nullptr, 0, 1);
    ASSERT_EQ(Draws(), 2u);
    const CVertexData& quad = m_models->UnitQuad();
    const float* v0 = reinterpret_cast<const float*>(quad.vertices);
    const float* v3 = reinterpret_cast<const float*>(quad.vertices + 3 * quad.stride);
    EXPECT_EQ(v0[0], -4.0f); // width = radius
    EXPECT_EQ(v0[1], 2.0f); // height = 4 / 16 x radius, bottom-anchored
    EXPECT_EQ(v3[0], 4.0f);
    EXPECT_EQ(v3[1], 0.0f);
    g_Graphic.ResetWorldStack();
    // Without a texture the billboard is skipped silently.
    auto bare = Load(Kind("tree", "TEX_NONE"));
    Null().ClearRecords();
    bare->Render(nullptr, 0, -1);
    EXPECT_EQ(Draws(), 1u);
}

TEST_F(ComplexObjectTest, colourFrameAndMaterialOverride)
{
    auto object = Load(Kind("flash"));
    object->SetColor(0.5f, 1, 1, 1);
    object->Render(nullptr, 0, -1);
    EXPECT_FLOAT_EQ(g_Graphic.GetMaterial().diffuse.r, 0.4f);
    object->ResetColor();
    object->SetPartsParameter(5);
    EXPECT_EQ(object->GetPartObject(0)->frame, 5);
    object->Update(0.06f);
    EXPECT_EQ(object->GetPartObject(0)->frame, 6);
    Material mine {};
    mine.power = 77;
    g_Graphic.SetMaterial(mine);
    object->ClearMaterials();
    object->Render(nullptr, 0, -1);
    EXPECT_EQ(g_Graphic.GetMaterial().power, 77.0f);
}

} // namespace
