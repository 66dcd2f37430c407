// The map file: sizes and block counts, chunk framing, the block table's order, and the
// refusals of Map::Load, each logged, for every damaged or cut file.
#include "tests/world/terrain/terrain_fixture.h"

#include "world/terrain/CEnvironment.h"
#include "world/terrain/MapFile.h"

#include <cstring>

namespace {

using zoq::tools::map::MapLayout;
using zoq::tools::map::RawChunk;
using zoq::tools::map::SurfaceRecord;
using zoq::tools::map::WriteMap;

void PutI32(std::vector<uint8_t>& bytes, size_t at, int32_t value)
{
    std::memcpy(bytes.data() + at, &value, 4);
}

using MapFileTest = TerrainTest;

TEST_F(MapFileTest, BlockCountsFollowThePointCounts)
{
    const std::vector<uint8_t> small = WriteMap(LocationMap::Flat(65, 65));
    struct Case {
        int32_t points;
        int32_t blocks; // 0: refused
    } const cases[] = { { 1025, 16 }, { 1026, 17 }, { 65, 1 }, { 66, 2 }, { 2, 1 }, { 4097, 64 }, { 4098, 0 },
        { 1, 0 }, { -5, 0 } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.points);
        std::vector<uint8_t> bytes = small;
        PutI32(bytes, 132, c.points);
        PutI32(bytes, 136, 65);
        MemoryMapSource source(bytes.data(), bytes.size());
        MapFile file(source);
        if (c.blocks == 0) {
            EXPECT_THROW(file.ReadHeader(), MapFileError);
            continue;
        }
        const MapHeader header = file.ReadHeader();
        EXPECT_EQ(header.blocksX, c.blocks);
        EXPECT_EQ(header.blocksY, 1);
    }
}

TEST_F(MapFileTest, BlockRecordsFillTheCellsRowByRow)
{
    // Each block's own points at 100 x row + 10 x column; its far edges are its neighbours', higher.
    LocationMap map = Shaped(193, 129,
        [](int gx, int gy) { return float(100 * std::min(gy / 64, 1) + 10 * std::min(gx / 64, 2)); });
    map.name = "Долина";
    Load(map);
    EXPECT_EQ(Location.blocksX, 3);
    EXPECT_EQ(Location.blocksY, 2);
    EXPECT_EQ(MapNameUtf8(Location.name), "Долина");
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 3; ++column) {
            SCOPED_TRACE(testing::Message() << column << "," << row);
            const SCellRecord& cell = Location.Cell(column, row);
            EXPECT_FLOAT_EQ(std::min(cell.box[2], cell.box[5]), float(100 * row + 10 * column));
            EXPECT_FLOAT_EQ(cell.factors[4], 1.0f);
            EXPECT_EQ(cell.full, nullptr);
            EXPECT_NEAR(cell.centre.x, 640.0f * float(column) + 320.0f, 10.0f);
        }
    }
    EXPECT_FALSE(LogExists());
}

TEST_F(MapFileTest, ChunksAreFramedByTheirSizes)
{
    LocationMap map = LocationMap::Flat(65, 65);
    SurfaceRecord pond;
    pond.level = 12.5f;
    pond.kind = 2;
    pond.texture1 = "TEX_WATER";
    std::vector<uint8_t> surfaces = zoq::tools::map::WriteSurfaceChunk({ pond });
    surfaces.resize(300, 0xEE); // a remainder of 72 bytes that no reader consumes
    map.extraChunks = { RawChunk { 9, {} }, RawChunk { 1, surfaces }, RawChunk { 7, { 1, 2, 3 } } };
    map.blockSurfaces = { 0 };
    Load(map);
    ASSERT_EQ(Location.surfaces.size(), 1u);
    EXPECT_FLOAT_EQ(Location.surfaces[0].waterLevel, 12.5f);
    EXPECT_EQ(Location.surfaces[0].waterKind, 2);
    EXPECT_STREQ(Location.surfaces[0].texture1, "TEX_WATER");
    EXPECT_EQ(Location.surfaces[0].reflection, -1);
    EXPECT_FALSE(LogExists());
}

TEST_F(MapFileTest, DamagedFilesAreRefusedWithALogLine)
{
    LocationMap map = LocationMap::Flat(129, 129);
    map.surfaces = { SurfaceRecord {} };
    map.blockSurfaces = { -1, 0, 0, -1 };
    MapLayout layout;
    const std::vector<uint8_t> whole = WriteMap(map, &layout);
    struct Case {
        const char* name;
        std::function<void(std::vector<uint8_t>&)> damage;
        const char* log;
    } const cases[] = {
        { "an offset past the end",
            [&](auto& b) { PutI32(b, layout.blockTable + 76 * 3, int32_t(b.size() - 1000)); },
            "Map::Load block 1,1: offset past end of file" },
        { "a surface index equal to the count", [&](auto& b) { PutI32(b, layout.blocks[2], 1); },
            "Map::Load block 0,1: surface index outside the records" },
        { "a surface index below -1", [&](auto& b) { PutI32(b, layout.blocks[1], -2); },
            "Map::Load block 1,0: surface index outside the records" },
        { "a chunk past the end", [&](auto& b) { PutI32(b, layout.chunks[0] + 8, 0x7FFFFFF0); },
            "Map::Load: chunk past end of file" },
        { "4098 points", [&](auto& b) { PutI32(b, 132, 4098); }, "outside 2..4097 points" },
        { "an unterminated horizon name", [&](auto& b) { std::memset(b.data() + 144, 'a', 160); },
            "horizon name not terminated" },
        { "an unterminated texture name",
            [&](auto& b) { std::memset(b.data() + layout.chunks[0] + 12 + 24, 'a', 32); },
            "texture name not terminated" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> bytes = whole;
        c.damage(bytes);
        EXPECT_THROW(LoadBytes(bytes), MapFileError);
        EXPECT_EQ(LogLineCount(c.log), 1);
        EXPECT_NE(std::string(CallTraceText()).find("Map::Load"), std::string::npos);
        ResetCallTrace();
    }
}

TEST_F(MapFileTest, AFileCutAnywhereIsRefused)
{
    LocationMap map = LocationMap::Flat(129, 65);
    map.surfaces = { SurfaceRecord {} };
    map.weather.resize(1);
    MapLayout layout;
    const std::vector<uint8_t> whole = WriteMap(map, &layout);
    std::vector<size_t> cuts = { 0, 3, 100, 303, layout.blockTable + 10, layout.end - 1 };
    for (size_t chunk : layout.chunks) {
        cuts.push_back(chunk + 6);
        cuts.push_back(chunk + 20);
    }
    for (size_t block : layout.blocks)
        cuts.push_back(block + 50);
    for (size_t cut : cuts) {
        SCOPED_TRACE(cut);
        EXPECT_THROW(LoadBytes(std::vector<uint8_t>(whole.begin(), whole.begin() + std::ptrdiff_t(cut))),
            MapFileError);
        ResetCallTrace();
    }
    EXPECT_EQ(LogLineCount("Map::Load"), int(cuts.size()));
}

TEST_F(MapFileTest, TheEnvironmentChunkGoesToTheEnvironment)
{
    LocationMap map = LocationMap::Flat(65, 65);
    map.horizon = "MOD_NONE";
    map.weather.resize(2);
    Environment.horizonModel = 7;
    Load(map);
    EXPECT_EQ(Environment.horizonModel, 7); // no model manager: kept
    EXPECT_EQ(Location.blocksX, 1);
}

} // namespace
