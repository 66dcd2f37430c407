// Map recipes: their refusals with the line at fault, the terrain steps, water and materials, and
// zoq-map make run as a program.
#include "tools/map/map_recipe.h"

#include "tests/support/child_process.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace zoq::tools::map;

constexpr const char* kHead = "name Test\npoints 129 65\n";

struct Refusal {
    const char* text;
    int line;
    const char* reason; // part of the message
};

TEST(MapRecipe, refusesWithTheLineAtFault)
{
    const Refusal cases[] = {
        { "name A\npoints 129 65\nmountain x=1\n", 3, "unknown statement 'mountain'" },
        { "name A\npoints 129 65\n\x01\xFFzz\n", 3, "unknown statement '??zz'" },
        { "name A\npoints 100 65\n", 2, "not 64k + 1" },
        { "name A\npoints 129 4161\n", 2, "outside 65..4097" },
        { "name A\npoints 129\n", 2, "expected 'points <W> <H>'" },
        { "name A\npoints 129 65\n# note\npoints 129 65\n", 4, "given again (first at line 2)" },
        { "name A\nname B\npoints 65 65\n", 2, "given again" },
        { "name A\npoints 65 65\nbase high\n", 3, "'high' is not a number" },
        { "name A\npoints 65 65\nhills amplitude=3 scale=100\n", 3, "needs octaves=" },
        { "name A\npoints 65 65\nhills amplitude=3 scale=100 octaves=2 colour=1\n", 3, "no key 'colour'" },
        { "name A\npoints 65 65\nhills amplitude=3 scale=100 octaves=2 octaves=3\n", 3, "given twice" },
        { "name A\npoints 65 65\nflatten x=1 y=1 radius=-5 height=0 edge=1\n", 3, "radius -5 is outside" },
        { "name A\npoints 65 65\nsurface 1 level=0 kind=0 textures=T\n", 3, "surface 0 expected next" },
        { "name A\npoints 65 65\nsurface 0 level=0 kind=3 textures=T\n", 3, "kind 3 is outside 0..2" },
        { "name A\npoints 65 65\nsurface 0 level=0 kind=0 textures=T,U,V\n", 3, "1 to 2 values" },
        { "name A\npoints 65 65\nsurface 0 level=0 kind=0 textures=TEX_THAT_IS_FAR_TOO_LONG_FOR_A_NAME\n", 3,
            "not a name of 1 to 31 bytes" },
        { "name A\npoints 65 65\nbasin x=1 y=1 radius=5 depth=1 surface=0\n", 3,
            "surface 0 is not defined above" },
        { "name A\npoints 65 65\nmaterial 70000 colour=0xFF000000\n", 3, "outside 0..65535" },
        { "name A\npoints 65 65\nmaterial 1 colour=green\n", 3, "not a colour" },
        { "name A\npoints 65 65\nweather kind=dawn\n", 3, "day or night" },
        { "name A\npoints 65 65\nweather kind=day effect=hail,1\n", 3, "none, rain, snow or storm" },
        { "name A\npoints 65 65\nweather kind=day fog=3,1,2\n", 3, "4 values" },
        { "name A\n\npoints 65 65\nhorizon\n", 4, "expected 'horizon <KEY>'" },
        { "name\npoints 65 65\n", 1, "expected 'name <text>'" },
        { "points 65 65\n", 0, "no 'name' statement" },
        { "name A\n", 0, "no 'points' statement" },
    };
    for (const Refusal& c : cases) {
        try {
            ParseRecipe(c.text);
            ADD_FAILURE() << "read: " << c.text;
        } catch (const RecipeError& e) {
            EXPECT_EQ(e.line, c.line) << c.text;
            EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
        }
    }
}

TEST(MapRecipe, readsEveryStatement)
{
    const MapRecipe recipe
        = ParseRecipe("# a map\r\n"
                      "name  Локация 2  \r\n"
                      "points 129 65 # comment\n"
                      "horizon MOD_HOR\n"
                      "seed 7\n"
                      "base 5.5\n"
                      "surface 0 level=-2 kind=2 waves=1.5,0.25 atlas=4,2 specular=8 "
                      "textures=TEX_A,TEX_B\n"
                      "material 32771 colour=0x123456 above=3 steeper=0.5\n"
                      "weather kind=night weight=2 sky=TEX_SKY,- skycolours=0xFF010203,0xFF040506 "
                      "fog1=0xFF000001,0xFF000002 fog2=0xFF000003,0xFF000004 fog=3,10,20,0.5 "
                      "cloud1=TEX_C,2,0.5,-0.5 sun=TEX_SUN moon=TEX_MOON "
                      "colours=0xFF111111,0xFF222222,0xFF333333 wind=1,2,3 effect=snow,0.75 "
                      "window=0.2,0.4\n");
    EXPECT_EQ(recipe.name, "Локация 2");
    EXPECT_EQ(recipe.width, 129);
    EXPECT_EQ(recipe.height, 65);
    EXPECT_EQ(recipe.horizon, "MOD_HOR");
    EXPECT_EQ(recipe.seed, 7u);
    EXPECT_EQ(recipe.base, 5.5f);
    ASSERT_EQ(recipe.surfaces.size(), 1u);
    const SurfaceRecord& s = recipe.surfaces[0];
    EXPECT_EQ(s.level, -2.0f);
    EXPECT_EQ(s.kind, 2);
    EXPECT_EQ(s.waveSpeed, 1.5f);
    EXPECT_EQ(s.waveAmplitude, 0.25f);
    EXPECT_EQ(s.atlas, 4);
    EXPECT_EQ(s.atlasPeriod, 2.0f);
    EXPECT_EQ(s.specular, 8.0f);
    EXPECT_EQ(s.texture1, "TEX_A");
    EXPECT_EQ(s.texture2, "TEX_B");
    ASSERT_EQ(recipe.materials.size(), 1u);
    EXPECT_EQ(recipe.materials[0].code, 0x8003);
    EXPECT_EQ(recipe.materials[0].colour, 0xFF123456u);
    EXPECT_EQ(recipe.materials[0].above, 3.0f);
    EXPECT_EQ(recipe.materials[0].steeper, 0.5f);
    EXPECT_FALSE(recipe.materials[0].below);
    ASSERT_EQ(recipe.weather.size(), 1u);
    const WeatherRecord& w = recipe.weather[0];
    EXPECT_EQ(w.kind, 1);
    EXPECT_EQ(w.weight, 2.0f);
    EXPECT_EQ(w.sky1, "TEX_SKY");
    EXPECT_EQ(w.sky2, "");
    EXPECT_EQ(w.skyColour2, 0xFF040506u);
    EXPECT_EQ(w.fog2Away, 0xFF000004u);
    EXPECT_EQ(w.fogMode, 3);
    EXPECT_EQ(w.fogDensity, 0.5f);
    EXPECT_EQ(w.cloud1, "TEX_C");
    EXPECT_EQ(w.cloud1Scale, 2.0f);
    EXPECT_EQ(w.cloud1Scroll[1], -0.5f);
    EXPECT_EQ(w.cloud2, "");
    EXPECT_EQ(w.sun, "TEX_SUN");
    EXPECT_EQ(w.moonColour, 0xFF333333u);
    EXPECT_EQ(w.wind[2], 3.0f);
    EXPECT_EQ(w.effects, kEffectSnow);
    EXPECT_EQ(w.effectIntensity, 0.75f);
    EXPECT_EQ(w.effectChance, 0.4f);
}

float Height(const LocationMap& map, int gx, int gy)
{
    return map.heights[map.PointIndex(gx, gy)];
}

TEST(MapRecipe, stepsShapeTheGroundInOrder)
{
    const LocationMap map = BuildMap(ParseRecipe(std::string(kHead)
        + "seed 3\nbase 20\nhills amplitude=15 scale=200 octaves=3\n"
          "flatten x=300 y=300 radius=100 height=4 edge=100\n"));
    float lowest = 1e9f, highest = -1e9f;
    for (float h : map.heights) {
        lowest = std::min(lowest, h);
        highest = std::max(highest, h);
    }
    EXPECT_GE(lowest, 4.0f);
    EXPECT_LE(highest, 35.0f);
    EXPECT_GT(highest - lowest, 5.0f) << "hills";
    EXPECT_EQ(Height(map, 30, 30), 4.0f);
    EXPECT_EQ(Height(map, 30, 39), 4.0f); // 90 units from the centre
    const float blended = Height(map, 30, 45); // half way through the edge
    const float outside = Height(map, 30, 52);
    EXPECT_NE(blended, 4.0f);
    EXPECT_NE(outside, 4.0f);

    const LocationMap again = BuildMap(ParseRecipe(std::string(kHead)
        + "seed 3\nbase 20\nhills amplitude=15 scale=200 octaves=3\n"
          "flatten x=300 y=300 radius=100 height=4 edge=100\n"));
    EXPECT_EQ(WriteMap(map), WriteMap(again));
    const LocationMap reseeded = BuildMap(ParseRecipe(std::string(kHead)
        + "seed 4\nbase 20\nhills amplitude=15 scale=200 octaves=3\n"
          "flatten x=300 y=300 radius=100 height=4 edge=100\n"));
    EXPECT_NE(map.heights, reseeded.heights);
}

TEST(MapRecipe, basinWaterNamesItsBlocksAndMaterialsTakeTheFirstMatch)
{
    const LocationMap map = BuildMap(ParseRecipe(std::string(kHead)
        + "surface 0 level=-1 kind=0 textures=TEX_W\n"
          "basin x=640 y=300 radius=100 depth=5 surface=0\n"
          "material 2 colour=0xFF000002 steeper=0.06\n"
          "material 3 colour=0xFF000003 below=-0.5\n"
          "material 1 colour=0xFF000001\n"));
    EXPECT_FLOAT_EQ(Height(map, 64, 30), -6.0f);
    EXPECT_NE(map.water[map.PointIndex(64, 30)], 0);
    EXPECT_NE(map.water[map.PointIndex(60, 30)], 0);
    EXPECT_EQ(map.water[map.PointIndex(64, 40)], 0) << "on the rim";
    EXPECT_EQ(map.water[map.PointIndex(40, 30)], 0);
    EXPECT_EQ(map.blockSurfaces, (std::vector<int32_t> { 0, 0 })) << "the water crosses the block edge";
    EXPECT_EQ(map.materials[map.PointIndex(64, 30)], 3) << "the flat bottom";
    EXPECT_EQ(map.colours[map.PointIndex(64, 30)], 0xFF000003u);
    EXPECT_EQ(map.materials[map.PointIndex(64, 38)], 2) << "the steep bank";
    EXPECT_EQ(map.materials[map.PointIndex(10, 10)], 1);

    const LocationMap apart = BuildMap(ParseRecipe(std::string(kHead)
        + "surface 0 level=-1 kind=0 textures=TEX_W\n"
          "basin x=300 y=300 radius=100 depth=5 surface=0\n"));
    EXPECT_EQ(apart.blockSurfaces, (std::vector<int32_t> { 0, -1 }));

    try {
        BuildMap(ParseRecipe(std::string(kHead)
            + "surface 0 level=-1 kind=0 textures=TEX_W\nsurface 1 level=-1 kind=2 textures=TEX_W\n"
              "basin x=200 y=300 radius=100 depth=5 surface=0\n"
              "basin x=450 y=300 radius=100 depth=5 surface=1\n"));
        ADD_FAILURE() << "two waters in one block";
    } catch (const RecipeError& e) {
        EXPECT_EQ(e.line, 6);
        EXPECT_NE(std::string(e.what()).find("meets surface 0 in block 0,0"), std::string::npos) << e.what();
    }
}

class MapProgram : public zoq::test::TempDirTest {
protected:
    zoq::test::RunResult Run(const std::vector<std::string>& args)
    {
        return zoq::test::RunProgram(ZOQ_MAP_PROGRAM, args, {}, 60000);
    }
    std::string Path(const char* name) const { return (m_dir / name).string(); }
};

TEST_F(MapProgram, makeWritesSilentlyAndRefusesWithFileLineAndReason)
{
    zoq::test::WriteText(m_dir / "ok.txt", std::string(kHead) + "base 3\n");
    const zoq::test::RunResult made = Run({ "make", Path("ok.txt"), Path("ok.zjp") });
    EXPECT_EQ(made.exitCode, 0) << made.err;
    EXPECT_EQ(made.out, "");
    EXPECT_EQ(made.err, "");
    const LocationMap expected = BuildMap(ParseRecipe(std::string(kHead) + "base 3\n"));
    EXPECT_EQ(zoq::test::ReadBytes(m_dir / "ok.zjp"), WriteMap(expected));

    zoq::test::WriteText(m_dir / "bad.txt", std::string(kHead) + "\nbase x\n");
    const zoq::test::RunResult bad = Run({ "make", Path("bad.txt"), Path("bad.zjp") });
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_EQ(bad.err, "zoq-map: " + Path("bad.txt") + ":4: base: 'x' is not a number\n");
    EXPECT_FALSE(std::filesystem::exists(m_dir / "bad.zjp"));

    const zoq::test::RunResult missing = Run({ "make", Path("none.txt"), Path("none.zjp") });
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, "zoq-map: " + Path("none.txt") + ": cannot open the recipe\n");

    const zoq::test::RunResult unwritable = Run({ "make", Path("ok.txt"), Path("no/such/folder/x.zjp") });
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_EQ(unwritable.err.rfind("zoq-map: " + Path("no/such/folder/x.zjp") + ": ", 0), 0u)
        << unwritable.err;

    for (const std::vector<std::string>& args :
        { std::vector<std::string> {}, { "make", Path("ok.txt") }, { "paint", Path("ok.txt") } }) {
        const zoq::test::RunResult usage = Run(args);
        EXPECT_EQ(usage.exitCode, 2);
        EXPECT_EQ(usage.err.rfind("usage: zoq-map make RECIPE OUT\n", 0), 0u) << usage.err;
    }
}

} // namespace
