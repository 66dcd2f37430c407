// zoq-map info and height on writer-made maps, plain and inside an archive.
#include "tests/world/terrain/terrain_fixture.h"

#include "tests/support/child_process.h"
#include "tools/data/pak_writer.h"

namespace {

using zoq::tools::map::SurfaceRecord;

zoq::test::RunResult RunMapTool(const std::vector<std::string>& arguments)
{
    return zoq::test::RunProgram(ZOQ_MAP_PROGRAM, arguments);
}

LocationMap ToolMap()
{
    LocationMap map = LocationMap::Flat(129, 65, "Пруд");
    map.horizon = "MOD_HILLS";
    SurfaceRecord pond;
    pond.level = 2.5f;
    pond.kind = 2;
    pond.waveSpeed = 1.5f;
    pond.waveAmplitude = 0.25f;
    pond.atlas = 4;
    pond.atlasPeriod = 2.0f;
    pond.specular = 20.0f;
    pond.texture1 = "TEX_WATER";
    pond.texture2 = "TEX_WATER2";
    map.surfaces = { pond };
    map.weather.resize(3);
    map.blockSurfaces = { -1, 0 };
    for (int gy = 0; gy < 65; ++gy) {
        for (int gx = 0; gx < 129; ++gx) {
            map.heights[map.PointIndex(gx, gy)] = float(gx) * 0.5f - 10.0f;
            map.water[map.PointIndex(gx, gy)] = gx > 100 ? 1 : 0;
            map.materials[map.PointIndex(gx, gy)] = gx < 64 ? 1 : 3;
        }
    }
    return map;
}

using MapToolTest = TerrainTest;

TEST_F(MapToolTest, InfoPrintsTheFile)
{
    zoq::tools::map::MapLayout layout;
    zoq::test::WriteBytes("tool.zjp", zoq::tools::map::WriteMap(ToolMap(), &layout));
    const zoq::test::RunResult result = RunMapTool({ "info", "tool.zjp" });
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::string expected = "name Пруд\n"
                                 "points 129 65\n"
                                 "blocks 2 1\n"
                                 "horizon MOD_HILLS\n"
                                 "chunk 1 228\n"
                                 "surface 0 level=2.5 kind=2 waves=1.5,0.25 atlas=4,2 specular=20 "
                                 "textures=TEX_WATER,TEX_WATER2\n"
                                 "chunk 2 "
        + std::to_string(layout.chunks.size() > 1 ? layout.blockTable - layout.chunks[1] - 12 : 0)
        + "\n"
          "weather 3 horizon=MOD_HILLS\n"
          "block 0 0 offset="
        + std::to_string(layout.blocks[0])
        + " surface=-1 box=0,0,-10,640,640,22\n"
          "block 1 0 offset="
        + std::to_string(layout.blocks[1])
        + " surface=0 box=640,0,2.5,1280,640,54\n"
          "heights -10 54\n"
          "water "
        + std::to_string(28 * 65)
        + "\n"
          "material 1 "
        + std::to_string(65 * 64)
        + "\n"
          "material 3 "
        + std::to_string(65 * 1 + 65 * 65) + "\n";
    EXPECT_EQ(result.out, expected);
}

TEST_F(MapToolTest, ACutFileFailsWithItsName)
{
    const std::vector<uint8_t> bytes = zoq::tools::map::WriteMap(ToolMap());
    zoq::test::WriteBytes("cut.zjp", std::vector<uint8_t>(bytes.begin(), bytes.end() - 100));
    const zoq::test::RunResult result = RunMapTool({ "info", "cut.zjp" });
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "zoq-map: cut.zjp: block 1,0: offset past end of file\n");
    EXPECT_EQ(RunMapTool({ "info" }).exitCode, 2);
    EXPECT_EQ(RunMapTool({ "height", "cut.zjp", "1" }).exitCode, 2);
}

TEST_F(MapToolTest, HeightReadsThroughTheArchives)
{
    std::string error;
    std::filesystem::create_directories("game");
    ASSERT_TRUE(zoq::tools::data::WritePak("game/maps.pak",
        { { "Data\\tool.zjp", {}, zoq::tools::map::WriteMap(ToolMap()) } },
        { 64, zoq::tools::data::Codec::Auto }, error))
        << error;
    const zoq::test::RunResult result = RunMapTool(
        { "height", "--base", "game", "Data\\tool.zjp", "100", "300", "1100", "300", "-15", "0" });
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out,
        "100 300 height=-5 water=-5 nearest=-5\n"
        "1100 300 height=45 water=45 nearest=45\n"
        "-15 0 height=0 water=0 nearest=0\n");
}

} // namespace
