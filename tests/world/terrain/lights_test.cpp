// The dynamic lights on the null device: which lights a drawn sphere gets, and which light calls
// reach the device between two draws.
#include "tests/render/render_fixture.h"

#include "platform/gfx/device_state.h"
#include "platform/gfx/fvf.h"
#include "world/terrain/CLightWare.h"

#include <cmath>
#include <deque>
#include <limits>
#include <set>
#include <string>

namespace {

using plat::gfx::Light;
using plat::gfx::LightType;

struct LightSpec {
    float x; // on the x axis; the drawn thing sits at the origin
    float range;
    float scale = 1.0f;
};

class LightWareTest : public RenderTest {
protected:
    void SetUp() override
    {
        RenderTest::SetUp();
        ASSERT_TRUE(CreateGraphic());
        LightWare.ClearLights();
    }
    void TearDown() override
    {
        LightWare.ClearLights();
        RenderTest::TearDown();
    }

    void Add(const LightSpec& spec)
    {
        Light& light = m_lights.emplace_back();
        light.type = LightType::Point;
        light.diffuse = { 1, 1, 1, 1 };
        light.position = { spec.x, 0, 0 };
        light.range = spec.range;
        LightWare.AddLight(light, spec.scale);
    }

    // The entries whose device light is on.
    std::set<int> Enabled()
    {
        std::set<int> on;
        for (int i = 0; i < LightWare.Count(); ++i) {
            bool enabled = false;
            if (Device().GetLightEnable(CLightWare::kFirstDeviceLight + uint32_t(i), enabled)
                    == plat::gfx::Result::Ok
                && enabled)
                on.insert(i);
        }
        return on;
    }

    // Draws a triangle and tells whether a light change reached the device since the last draw.
    bool DrawChangedLights()
    {
        const float v[9] = { 0, 0, 0.5f, 1, 0, 0.5f, 0, 1, 0.5f };
        Null().ClearRecords();
        Device().SetVertexShader(plat::gfx::fvf::kXyz);
        Device().DrawPrimitiveUP(plat::gfx::PrimitiveType::TriangleList, 1, v, 12);
        return !Null().Draws().empty() && (Null().Draws().back().dirty & plat::gfx::dirty::kLights) != 0;
    }

    std::deque<Light> m_lights; // stable addresses: the light ware keeps pointers
};

TEST_F(LightWareTest, SelectionTable)
{
    struct Case {
        std::string name;
        std::vector<LightSpec> lights;
        float radius;
        std::set<int> enabled;
    };
    const std::vector<Case> cases = {
        { "of ten reaching lights the six with the smallest d / R",
            { { 50, 100 }, { 10, 100 }, { 90, 100 }, { 30, 100 }, { 70, 100 }, { 20, 100 }, { 100, 200 },
                { 40, 100 }, { 60, 100 }, { 80, 100 } },
            1.0f, { 0, 1, 3, 5, 6, 7 } },
        { "of equal weights for the last place the later light",
            { { 10, 100 }, { 10, 100 }, { 10, 100 }, { 10, 100 }, { 10, 100 }, { 50, 100 }, { 50, 100 } },
            1.0f, { 0, 1, 2, 3, 4, 6 } },
        { "a light exactly at radius + R is out", { { 15, 10 }, { 14.9f, 10 } }, 5.0f, { 1 } },
        { "a light of range 0 reaches the sphere but ranks last",
            { { 1, 0 }, { 9, 10 }, { 9, 10 }, { 9, 10 }, { 9, 10 }, { 9, 10 }, { 9, 10 } }, 5.0f,
            { 1, 2, 3, 4, 5, 6 } },
        { "a light of range 0 alone", { { 1, 0 }, { 6, 0 } }, 5.0f, { 0 } },
        { "a light of scale 0 or less is no candidate", { { 1, 100, 0.0f }, { 1, 100, -1.0f }, { 2, 100 } },
            5.0f, { 2 } },
        { "a scale divides the distance", { { 30, 10, 2.0f }, { 30, 10 } }, 10.0f, { 0 } },
        { "a NaN position, range or scale is never taken",
            { { std::nanf(""), 10 }, { 1, std::nanf("") }, { 1, 10, std::nanf("") }, { 2, 10 } }, 5.0f,
            { 3 } },
        { "an infinite range ranks first", { { 2, 10 }, { 50, std::numeric_limits<float>::infinity() } },
            5.0f, { 0, 1 } },
        { "no light", {}, 5.0f, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LightWare.ClearLights();
        m_lights.clear();
        for (const LightSpec& spec : c.lights)
            Add(spec);
        LightWare.SetLights(0, 0, 0, c.radius);
        EXPECT_EQ(Enabled(), c.enabled);
        EXPECT_EQ(LightWare.ActiveCount(), int(c.enabled.size()));
    }
}

TEST_F(LightWareTest, OnlyChangesBetweenTwoSelectionsReachTheDevice)
{
    for (float x : { 1.0f, 2.0f, 3.0f })
        Add({ x, 10 });
    Add({ 100, 10 });
    DrawChangedLights();
    LightWare.SetLights(0, 0, 0, 1);
    EXPECT_TRUE(DrawChangedLights());
    LightWare.SetLights(0.5f, 0, 0, 1);
    EXPECT_FALSE(DrawChangedLights()) << "the same lights for the next thing";
    EXPECT_EQ(Enabled(), (std::set<int> { 0, 1, 2 }));

    LightWare.SetLights(100, 0, 0, 1);
    EXPECT_TRUE(DrawChangedLights());
    EXPECT_EQ(Enabled(), (std::set<int> { 3 }));

    LightWare.DisableActiveLights();
    EXPECT_EQ(Enabled(), (std::set<int> {}));
    EXPECT_EQ(LightWare.ActiveCount(), 0);
    DrawChangedLights();
    LightWare.SetLights(100, 0, 0, 1);
    EXPECT_TRUE(DrawChangedLights()) << "a fresh choice after the lights went off";
    EXPECT_EQ(Enabled(), (std::set<int> { 3 }));
}

TEST_F(LightWareTest, TheTwoHundredAndFirstLightIsLoggedAndIgnoredUntilTheFrameReset)
{
    for (int frame = 0; frame < 2; ++frame) {
        LightWare.ClearLights();
        m_lights.clear();
        for (int i = 0; i < CLightWare::kMaxLights; ++i)
            Add({ float(i), 0.5f });
        EXPECT_EQ(LightWare.Count(), 200);
        Add({ 0, 100 });
        Add({ 0, 100 });
        EXPECT_EQ(LightWare.Count(), 200);
        EXPECT_EQ(LogLineCount("CLightWare::AddLight static array overflow"), 2 * (frame + 1));
        LightWare.SetLights(199, 0, 0, 0.1f);
        EXPECT_EQ(Enabled(), (std::set<int> { 199 })) << "the ignored lights were never bound";
        Light last;
        ASSERT_EQ(Device().GetLight(CLightWare::kFirstDeviceLight + 199, last), plat::gfx::Result::Ok);
        EXPECT_EQ(last.position.x, 199.0f);
    }
}

} // namespace
