// The effect renderer on the null device: the deferred list, reflections, spheres, beams, bands
// and the lit grid patch.
#include "tests/render/model_fixture.h"
#include "tests/world/terrain/terrain_fixture.h"

#include "platform/gfx/device.h"
#include "render/CModelManager.h"
#include "render/TextureManager.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CZJObject.h"
#include "world/terrain/CEffectRenderManager.h"
#include "world/terrain/CLocation.h"

#include <cmath>
#include <functional>
#include <memory>
#include <vector>

namespace {

struct EffectVertex {
    float x, y, z;
    uint32_t diffuse;
    float u0, v0, u1, v1;
};

class Recorder : public CZJObject {
public:
    explicit Recorder(std::vector<uint32_t>& drawn)
        : m_drawn(drawn)
    {
    }
    void DrawEffect(int argument) override { m_drawn.push_back(uint32_t(argument)); }

private:
    std::vector<uint32_t>& m_drawn;
};

class EffectsTest : public RenderTest {
protected:
    void SetUp() override
    {
        RenderTest::SetUp();
        ASSERT_TRUE(CreateGraphic());
        m_textures = std::make_unique<TextureManager>();
        g_pTextureManager = m_textures.get();
        m_models = std::make_unique<CModelManager>();
        m_models->Init();
        g_pModelManager = m_models.get();
        EffectRenderManager.Init(1);
    }
    void TearDown() override
    {
        EffectRenderManager.FreeBuffers();
        FullReflection = 0;
        TerrainReflection = 1;
        ObjectList.Clear();
        Location.visibleCount = 0;
        Location.blocksX = Location.blocksY = 0;
        g_pModelManager = nullptr;
        m_models.reset();
        g_pTextureManager = nullptr;
        m_textures.reset();
        RenderTest::TearDown();
    }

    static const EffectVertex* Beam()
    {
        return reinterpret_cast<const EffectVertex*>(EffectRenderManager.BeamData().vertices);
    }

    std::unique_ptr<TextureManager> m_textures;
    std::unique_ptr<CModelManager> m_models;
};

TEST_F(EffectsTest, DeferredEffectsDrawFarthestFirstAndAFullListDropsWithOneLinePerFrame)
{
    std::vector<uint32_t> drawn;
    Recorder object(drawn);
    EXPECT_TRUE(EffectRenderManager.IsCollecting());
    for (const auto& [key, argument] : { std::pair { 5.0f, 5u }, std::pair { 1.0f, 1u },
             std::pair { 9.0f, 9u }, std::pair { 3.0f, 3u }, std::pair { 5.0f, 6u } })
        EffectRenderManager.AddEffect(key, &object, argument);
    EffectRenderManager.AddEffect(7.0f, &object, CEffectRenderManager::kDetailObjectArgument);
    EffectRenderManager.AddDetailObject(8.0f, 0);
    EffectRenderManager.RenderEffects();
    EXPECT_EQ(drawn, (std::vector<uint32_t> { 9, 6, 5, 3, 1 }));

    EffectRenderManager.ResetFrame();
    EXPECT_EQ(EffectRenderManager.EffectCount(), 0);
    for (int frame = 0; frame < 2; ++frame) {
        for (int i = 0; i < CEffectRenderManager::kMaxEffects + 2; ++i)
            EffectRenderManager.AddEffect(float(i), &object, 0);
        EXPECT_EQ(EffectRenderManager.EffectCount(), CEffectRenderManager::kMaxEffects);
        EXPECT_EQ(LogLineCount("CEffectRenderManager::AddEffect list full"), frame + 1);
        EffectRenderManager.ResetFrame();
    }
}

TEST_F(EffectsTest, AReflectionRendersAboveTheWaterIntoTheNextTarget)
{
    EXPECT_EQ(EffectRenderManager.CreateReflection(10.0f), 0) << "reflections are off after the settings";
    FullReflection = 1;
    plat::gfx::Surface* before = nullptr;
    Device().GetRenderTarget(&before);
    int passes = 0;
    // One visible cell holding an object so large that every view is inside it.
    Location.blocksX = Location.blocksY = 1;
    Location.visibleCells[0] = CLocation::SVisibleCell { 0.0f, 0, 0 };
    Location.visibleCount = 1;
    auto* probe = new DrawProbe([&] {
        ++passes;
        EXPECT_FALSE(EffectRenderManager.IsCollecting());
        float plane[4] = {};
        Device().GetClipPlane(0, plane);
        EXPECT_EQ(std::vector<float>(plane, plane + 4), (std::vector<float> { 0.0f, 0.0f, 1.0f, -10.0f }));
        uint32_t enabled = 0;
        Device().GetRenderState(plat::gfx::RenderState::ClipPlaneEnable, enabled);
        EXPECT_EQ(enabled, 1u);
        plat::gfx::Surface* target = nullptr;
        Device().GetRenderTarget(&target);
        EXPECT_NE(target, before);
        target->Release();
    });
    probe->frame.SetPosition(Vec3 { 100, 100, 0 });
    ObjectList.AddObject(probe);
    const int32_t memory = m_textures->GetTextureMemory();
    EXPECT_EQ(EffectRenderManager.CreateReflection(10.0f), 1);
    EXPECT_EQ(passes, 1);
    EXPECT_TRUE(EffectRenderManager.IsCollecting());
    EXPECT_EQ(EffectRenderManager.CreateReflection(10.0f), 0) << "one target a frame";
    plat::gfx::Surface* after = nullptr;
    Device().GetRenderTarget(&after);
    EXPECT_EQ(after, before);
    after->Release();
    before->Release();
    uint32_t enabled = 1;
    Device().GetRenderState(plat::gfx::RenderState::ClipPlaneEnable, enabled);
    EXPECT_EQ(enabled, 0u);
    ASSERT_NE(EffectRenderManager.GetReflectionTexture(1), nullptr);
    EXPECT_EQ(EffectRenderManager.GetReflectionTexture(1)->GetWidth(), 512);
    EXPECT_EQ(EffectRenderManager.GetReflectionTexture(0), nullptr);
    EXPECT_EQ(EffectRenderManager.GetReflectionTexture(2), nullptr);

    // Without terrain reflections the objects are left out; a new frame frees the target.
    TerrainReflection = 0;
    EffectRenderManager.ResetFrame();
    EXPECT_EQ(EffectRenderManager.CreateReflection(10.0f), 1);
    EXPECT_EQ(passes, 1);
    EXPECT_EQ(m_textures->GetTextureMemory(), memory);

    // The targets count in the texture memory while they exist.
    const int32_t count = m_textures->GetTextureCount();
    EffectRenderManager.InvalidateResources();
    EXPECT_EQ(m_textures->GetTextureCount(), count - 3);
    EXPECT_LT(m_textures->GetTextureMemory(), memory);
    EXPECT_EQ(EffectRenderManager.CreateReflection(10.0f), 0);
    EffectRenderManager.ResetResources();
    EXPECT_EQ(m_textures->GetTextureCount(), count);
    EXPECT_EQ(m_textures->GetTextureMemory(), memory);
}

TEST_F(EffectsTest, SpheresHaveTheirRingsAndARimFacingTheView)
{
    struct Case {
        int n;
        uint32_t vertices;
        uint32_t indices;
    };
    for (const Case& c : { Case { 4, 47, 240 }, Case { 8, 119, 648 } }) {
        CVertexData sphere;
        CEffectRenderManager::CreateSphereEx(sphere, 2.0f, c.n, 0xC0102030u, Vec3 { 0, 0, 3 }, true);
        ASSERT_EQ(sphere.vertexCount, c.vertices) << c.n;
        ASSERT_EQ(sphere.indexCount, c.indices) << c.n;
        const auto* v = reinterpret_cast<const EffectVertex*>(sphere.vertices);
        for (uint32_t i = 0; i < sphere.indexCount; ++i)
            ASSERT_LT(sphere.indices[i], c.vertices);
        for (uint32_t i = 0; i < c.vertices; ++i) {
            EXPECT_NEAR(std::sqrt(v[i].x * v[i].x + v[i].y * v[i].y + v[i].z * v[i].z), 2.0f, 1e-5f);
            const float facing = std::fabs(v[i].z / 2.0f);
            EXPECT_EQ(v[i].diffuse >> 24, uint32_t(192.0f * std::max(0.0f, 3.0f * facing - 2.0f))) << i;
            EXPECT_EQ(v[i].diffuse & 0xFFFFFFu, 0x102030u);
        }
        EXPECT_EQ(v[0].z, 2.0f);
        EXPECT_EQ(v[c.vertices - 1].z, -2.0f);
        EXPECT_EQ(v[0].diffuse >> 24, 192u);
        EXPECT_FLOAT_EQ(v[0].u0, 0.5f);
        // The first ring's last vertex repeats its first.
        EXPECT_FLOAT_EQ(v[1].x, v[uint32_t(c.n) + 5].x);
    }
    CVertexData plain;
    CEffectRenderManager::CreateSphereEx(plain, 1.0f, 4, 0x80FFFFFFu, Vec3 { 1, 0, 0 }, false);
    const auto* v = reinterpret_cast<const EffectVertex*>(plain.vertices);
    for (uint32_t i = 0; i < plain.vertexCount; ++i)
        EXPECT_EQ(v[i].diffuse, 0x80FFFFFFu);
}

TEST_F(EffectsTest, BeamAlphasFollowTheFadeAndAreClamped)
{
    struct Case {
        float f;
        uint32_t start, near;
    };
    for (const Case& c : { Case { 0.2f, 255, 204 }, Case { 0.4f, 255, 255 }, Case { 0.6f, 152, 101 },
             Case { 0.8f, 0, 50 }, Case { 2.0f, 0, 0 } }) {
        ASSERT_NE(EffectRenderManager.GetRayMesh(Vec3 { 0, 0, 0 }, Vec3 { 100, 0, 0 }, 2.0f,
                      Vec3 { 50, 0, 100 }, c.f, false, 0.0f, 1.0f),
            nullptr);
        const EffectVertex* v = Beam();
        const uint32_t expected[4] = { c.start, c.near, 255, 0 };
        for (int p = 0; p < 4; ++p) {
            EXPECT_EQ(v[2 * p].diffuse, expected[p] << 24 | 0xFFFFFFu) << c.f << " pair " << p;
            EXPECT_EQ(v[2 * p + 1].diffuse, v[2 * p].diffuse);
        }
    }
    EXPECT_EQ(EffectRenderManager.BeamData().indexCount, 18u);
}

TEST_F(EffectsTest, BeamsFaceTheEyeAndRepeatTheirTexture)
{
    // Seen from above, the sides lie along y.
    EffectRenderManager.GetRayMesh(
        Vec3 { 0, 0, 0 }, Vec3 { 100, 0, 0 }, 2.0f, Vec3 { 50, 0, 100 }, 0.5f, false, 0.25f, 3.0f);
    const EffectVertex* v = Beam();
    const float centres[4] = { 0.0f, 10.0f, 84.0f, 100.0f };
    const float untiled[4]
        = { 0.25f, 100.0f * 0.1f / 4.0f * 3.0f, 100.0f / 4.0f * 3.0f, 100.0f / 4.0f * 3.0f };
    for (int p = 0; p < 4; ++p) {
        EXPECT_FLOAT_EQ(v[2 * p].x, centres[p]);
        EXPECT_FLOAT_EQ(v[2 * p].y, -2.0f);
        EXPECT_FLOAT_EQ(v[2 * p + 1].y, 2.0f);
        EXPECT_FLOAT_EQ(v[2 * p].z, 0.0f);
        EXPECT_FLOAT_EQ(v[2 * p].u0, 0.0f);
        EXPECT_FLOAT_EQ(v[2 * p + 1].u0, 1.0f);
        EXPECT_FLOAT_EQ(v[2 * p].v0, untiled[p]) << p;
    }
    EffectRenderManager.GetRayMesh(
        Vec3 { 0, 0, 0 }, Vec3 { 100, 0, 0 }, 2.0f, Vec3 { 50, 0, 100 }, 0.5f, true, 0.25f, 3.0f);
    const float tiled[4] = { 0.25f, 0.25f + 0.3f, 3.25f, 3.25f };
    for (int p = 0; p < 4; ++p)
        EXPECT_FLOAT_EQ(Beam()[2 * p].v0, tiled[p]) << p;

    // The eye on the beam's line takes the fixed side; a beam without length makes no mesh.
    EffectRenderManager.GetRayMesh(
        Vec3 { 0, 0, 0 }, Vec3 { 100, 0, 0 }, 1.0f, Vec3 { -50, 0, 0 }, 0.5f, false, 0.0f, 1.0f);
    EXPECT_FLOAT_EQ(Beam()[0].y, 1.0f);
    EXPECT_EQ(EffectRenderManager.GetRayMesh(
                  Vec3 { 5, 5, 5 }, Vec3 { 5, 5, 5 }, 1.0f, Vec3 { 0, 0, 0 }, 0.5f, false, 0.0f, 1.0f),
        nullptr);
    EXPECT_EQ(EffectRenderManager.GetRayMesh2(Vec3 { 5, 5, 5 }, Vec3 { 5, 5, 5 }, 1.0f, Vec3 {}, 0.0f, 0.0f),
        nullptr);
}

TEST_F(EffectsTest, BandCoordinatesRunAlongOrRepeatByLength)
{
    struct Case {
        float repeat, offset;
        float start, end;
    };
    for (const Case& c :
        { Case { 0.0f, 350.0f, 0.0f, 1.0f }, Case { 700.0f, 350.0f, -0.5f, -250.0f / 700.0f } }) {
        ASSERT_NE(EffectRenderManager.GetRayMesh2(
                      Vec3 { 0, 0, 0 }, Vec3 { 100, 0, 0 }, 3.0f, Vec3 { 50, 0, 100 }, c.repeat, c.offset),
            nullptr);
        const CVertexData& band = EffectRenderManager.BeamData();
        ASSERT_EQ(band.vertexCount, 4u);
        ASSERT_EQ(band.indexCount, 6u);
        EXPECT_EQ(std::vector<uint16_t>(band.indices, band.indices + 6),
            (std::vector<uint16_t> { 0, 1, 2, 2, 1, 3 }));
        const EffectVertex* v = Beam();
        const float xs[4] = { 0, 0, 100, 100 };
        const float ys[4] = { -3, 3, -3, 3 };
        const float us[4] = { c.start, c.start, c.end, c.end };
        for (int i = 0; i < 4; ++i) {
            EXPECT_FLOAT_EQ(v[i].x, xs[i]);
            EXPECT_FLOAT_EQ(v[i].y, ys[i]);
            EXPECT_FLOAT_EQ(v[i].u0, us[i]) << c.repeat << " " << i;
            EXPECT_FLOAT_EQ(v[i].v0, float(i % 2));
        }
    }
}

TEST_F(EffectsTest, AFullScreenGridPatchFitsTheBufferSizedForTheScreen)
{
    g_Graphic.SetScreenSize(1600, 1200);
    EffectRenderManager.ResetResources();
    ASSERT_TRUE(EffectRenderManager.BuildGridPatch(0, 0, 1600, 1200, 800, 0));
    const CVertexData& patch = EffectRenderManager.GridPatch();
    EXPECT_EQ(patch.vertexCount, 1938u);
    EXPECT_EQ(patch.indexCount, 50u * 37u * 6u);
    struct GridVertex {
        float x, y, z, rhw;
        uint32_t diffuse, specular;
        float u, v;
    };
    const auto* v = reinterpret_cast<const GridVertex*>(patch.vertices);
    // Right under the light (height 48) the direction is straight up; at the corner it leans to +x.
    const GridVertex& under = v[25];
    EXPECT_FLOAT_EQ(under.x, 800.0f);
    EXPECT_FLOAT_EQ(under.y, 0.0f);
    EXPECT_FLOAT_EQ(under.rhw, 0.00001f);
    EXPECT_EQ(under.diffuse, 0x8300007Fu);
    EXPECT_EQ(under.specular, 0x108080FFu);
    EXPECT_EQ(v[0].diffuse, 0xA8820007u);
    EXPECT_FLOAT_EQ(v[1937].x, 1600.0f);
    EXPECT_FLOAT_EQ(v[1937].y, 1200.0f);
    EXPECT_FLOAT_EQ(v[1937].u, 1.0f);
    EXPECT_FLOAT_EQ(v[1937].v, 1.0f);
    EXPECT_EQ(std::vector<uint16_t>(patch.indices, patch.indices + 6),
        (std::vector<uint16_t> { 0, 1, 51, 51, 1, 52 }));

    // A patch lower than a cell has no triangles; one larger than the screen is refused.
    ASSERT_TRUE(EffectRenderManager.BuildGridPatch(0, 0, 100, 20, 0, 0));
    EXPECT_EQ(EffectRenderManager.GridPatch().vertexCount, 4u * 2u);
    EXPECT_EQ(EffectRenderManager.GridPatch().indexCount, 0u);
    EXPECT_FALSE(EffectRenderManager.BuildGridPatch(0, 0, 3200, 1200, 0, 0));
}

class ModelTextureTest : public ModelTest {
protected:
    void SetUp() override
    {
        ModelTest::SetUp();
        Start();
        EffectRenderManager.Init(1);
    }
    void TearDown() override
    {
        EffectRenderManager.FreeBuffers();
        ModelTest::TearDown();
    }
};

TEST_F(ModelTextureTest, AModelIsDrawnIntoItsTargetAndTheCameraComesBack)
{
    const Matrix4 placement { { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 5, 5, 1 } };
    EXPECT_EQ(EffectRenderManager.RenderModelToTexture(nullptr, placement, 2.0f, false), 0);
    std::unique_ptr<CComplexObject> stone = Load(Kind("stone"));
    plat::gfx::Matrix view = plat::gfx::Matrix::Identity();
    view.m[3][0] = 7.0f;
    Device().SetTransform(plat::gfx::Transform::View, view);
    plat::gfx::Surface* before = nullptr;
    Device().GetRenderTarget(&before);
    for (bool second : { false, true }) {
        const size_t draws = Null().Draws().size();
        EXPECT_EQ(EffectRenderManager.RenderModelToTexture(stone.get(), placement, 2.0f, second), 1);
        ASSERT_GT(Null().Draws().size(), draws);
        const uint32_t target = Null().Draws()[draws].renderTarget;
        EXPECT_NE(target, 0u);
        EXPECT_EQ(Null().Draws().back().renderTarget, target) << "the last pass draws back into the target";
        EXPECT_EQ(Null().Draws().size() - draws > 2, second);

        plat::gfx::Surface* after = nullptr;
        Device().GetRenderTarget(&after);
        EXPECT_EQ(after, before);
        after->Release();
        plat::gfx::Matrix restored;
        Device().GetTransform(plat::gfx::Transform::View, restored);
        EXPECT_FLOAT_EQ(restored.m[3][0], 7.0f);
        uint32_t z = 0;
        Device().GetRenderState(plat::gfx::RenderState::ZEnable, z);
        EXPECT_EQ(z, 1u);
    }
    before->Release();
    ASSERT_NE(EffectRenderManager.GetModelTexture(), nullptr);
    EXPECT_EQ(EffectRenderManager.GetModelTexture()->GetWidth(), 256);
}

} // namespace
