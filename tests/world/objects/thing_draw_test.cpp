// A thing's drawing on the null device: the glow decal on the terrain under it with the texture its
// kind picks and an intensity that pulses with its age, and the pulsing light under the model.
#include "tests/render/model_fixture.h"
#include "tests/world/objects/translation.h"

#include "foundation/PakManager.h"
#include "tools/map/map_writer.h"
#include "world/db/ResourceIds.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CTheThing.h"
#include "world/terrain/CEffectRenderManager.h"
#include "world/terrain/CLocation.h"
#include "world/terrain/Map.h"

#include <cmath>
#include <filesystem>
#include <string>

namespace {

class ThingDrawTest : public ModelTest {
protected:
    void SetUp() override
    {
        ModelTest::SetUp();
        Start({ { "TEX_FX_THING_GLOW_FERRO", "ferro.png" }, { "TEX_FX_THING_GLOW_WHITE", "white.png" },
            { "TEX_FX_THING_GLOW_YELLOW", "yellow.png" } });
        WriteModel("thing.mdl", Kind("thing"));
        Models({ { "MOD_CONT_001", "thing.mdl", "1" }, { "MOD_TOV_CORTEXEL", "thing.mdl", "2" } });

        WriteBytes("thing.zjp", zoq::tools::map::WriteMap(zoq::tools::map::LocationMap::Flat(65, 65)));
        const std::string path = (std::filesystem::current_path() / "thing.zjp").string();
        Location.SizeBufferPools(4, 4);
        ASSERT_TRUE(g_PakManager.Open(path.c_str()));
        Map::Load(Location);
        g_PakManager.CloseFile();
        ASSERT_NE(g_PakManager.OpenXFile(path.c_str(), Location.streamFile), 0);
        Location.streamOpen = 1;
        Location.GetHeight(kSpot, false, true);
    }
    void TearDown() override
    {
        EffectRenderManager.ResetFrame();
        ObjectList.Clear();
        Location.ClearCellObjects();
        Location.Purge();
        Location.streamFile.Close();
        Location.streamOpen = 0;
        ModelTest::TearDown();
    }

    // A thing of the kind lying at the spot, not in the object list.
    static std::unique_ptr<CTheThing> Thing(int32_t kind, const Vec3& at = kSpot)
    {
        const Matrix4 m = TranslationAt(at);
        auto thing = std::make_unique<CTheThing>();
        thing->Init(m.m, kind);
        return thing;
    }
    uint32_t TextureId(const char* name)
    {
        CTexture* t = m_textures->GetTexture(FindTextureId(name));
        return t && t->GetTexture() ? t->GetTexture()->Id() : 0;
    }
    // The draws since the mark whose first texture is the named one.
    std::vector<plat::gfx::null::DrawRecord> DrawsWith(const char* texture, size_t from)
    {
        const uint32_t id = TextureId(texture);
        std::vector<plat::gfx::null::DrawRecord> found;
        const auto& draws = Null().Draws();
        for (size_t i = from; i < draws.size(); ++i)
            if (draws[i].textures[0] == id)
                found.push_back(draws[i]);
        return found;
    }

    static constexpr Vec3 kSpot { 300.0f, 300.0f, 0.5f };
};

TEST_F(ThingDrawTest, TheGlowLiesOnTheGroundWithTheTextureOfTheKind)
{
    struct Case {
        int32_t kind;
        const char* glow;
    };
    const char* glows[]
        = { "TEX_FX_THING_GLOW_FERRO", "TEX_FX_THING_GLOW_WHITE", "TEX_FX_THING_GLOW_YELLOW" };
    for (const Case& c :
        { Case { 257, glows[0] }, Case { 513, glows[1] }, Case { 514, glows[2] }, Case { 515, glows[0] } }) {
        SCOPED_TRACE(c.kind);
        auto thing = Thing(c.kind);
        EXPECT_GT(thing->ground.vertexCount, 0u) << "Init lays the patch";
        const size_t from = Null().Draws().size();
        thing->Draw();
        for (const char* glow : glows)
            EXPECT_EQ(DrawsWith(glow, from).size(), glow == c.glow ? 1u : 0u) << glow;
        // The patch covers 5 x radius around the thing and follows the terrain (height 0).
        const float* first = reinterpret_cast<const float*>(thing->ground.vertices);
        EXPECT_NEAR(first[0], kSpot.x, 5.0f * thing->radius + 20.0f);
        EXPECT_FLOAT_EQ(first[2], 0.0f);
    }
}

TEST_F(ThingDrawTest, TheGlowPulsesWithAgeAndGoesOnceTheThingIsTaken)
{
    auto thing = Thing(513);
    for (const float age : { 0.0f, 0.25f, 0.75f }) {
        SCOPED_TRACE(age);
        thing->age = age;
        const size_t from = Null().Draws().size();
        thing->Draw();
        const auto draws = DrawsWith("TEX_FX_THING_GLOW_WHITE", from);
        ASSERT_EQ(draws.size(), 1u);
        const float intensity = std::sin(2.0f * 3.14159265f * age) * 0.15f + 0.4f;
        const uint32_t factor = draws[0].render[size_t(plat::gfx::RenderState::TextureFactor)];
        EXPECT_EQ(factor >> 24, uint32_t(intensity * 255.0f));
    }
    thing->onGround = 0;
    const size_t from = Null().Draws().size();
    thing->Draw();
    EXPECT_TRUE(DrawsWith("TEX_FX_THING_GLOW_WHITE", from).empty());
}

TEST_F(ThingDrawTest, TheLightUnderTheModelPulsesAndIsSwitchedOffAfter)
{
    auto thing = Thing(513);
    ASSERT_GT(thing->radius, 0.0f);
    for (const float age : { 0.0f, 0.25f, 0.75f }) {
        SCOPED_TRACE(age);
        thing->age = age;
        thing->Draw();
        plat::gfx::Light light;
        ASSERT_TRUE(plat::gfx::Succeeded(Device().GetLight(CTheThing::kGlowLight, light)));
        const float pulse = (std::sin(2.0f * 3.14159265f * age) + 1.0f) * 0.5f;
        EXPECT_NEAR(light.diffuse.r, 115.0f / 255.0f * pulse, 1e-5f);
        EXPECT_NEAR(light.specular.g, 90.0f / 255.0f * pulse, 1e-5f);
        EXPECT_NEAR(light.ambient.b, 248.0f / 255.0f * pulse, 1e-5f);
        EXPECT_FLOAT_EQ(light.position.z, kSpot.z - 1.5f * thing->radius);
        EXPECT_FLOAT_EQ(light.range, 5.0f * thing->radius);
        bool enabled = true;
        ASSERT_TRUE(plat::gfx::Succeeded(Device().GetLightEnable(CTheThing::kGlowLight, enabled)));
        EXPECT_FALSE(enabled);
    }
}

// Off the map there is no terrain to lay the glow on: Init says so and nothing is drawn for it.
TEST_F(ThingDrawTest, OffTheMapThereIsNoGlow)
{
    auto thing = Thing(513, Vec3 { -500.0f, -500.0f, 0.0f });
    EXPECT_EQ(thing->ground.vertexCount, 0u);
    const size_t from = Null().Draws().size();
    thing->Draw();
    EXPECT_TRUE(DrawsWith("TEX_FX_THING_GLOW_WHITE", from).empty());
}

} // namespace
