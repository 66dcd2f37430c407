// The radar without drawing: the explored map, the mark and its tracked group, save section 6,
// the digit strip, the point colours, the clipping of quads, the radar map reader and the tile
// caches of the minimap and the big map, counted by a reader that counts its reads.
#include "ai/CFerroGroup.h"
#include "ai/CFerroGroupList.h"
#include "foundation/XMemBuffer.h"
#include "render/CVertexData.h"
#include "script/CZJScriptManager.h"
#include "tests/support/error_log_test.h"
#include "tests/support/files.h"
#include "tests/support/ini_tables.h"
#include "tools/radar/radar_writer.h"
#include "ui/CRadar.h"
#include "ui/CRadarMap.h"
#include "world/db/CRoadManager.h"
#include "world/objects/CHelperPoint.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CZJObject.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CLocation.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

using zoq::tools::radar::RadarPicture;

// Counts the tiles read.
class CountingMap : public CRadarMap {
public:
    void ReadTile(uint8_t* buffer, int32_t x, int32_t y) override
    {
        ++reads;
        CRadarMap::ReadTile(buffer, x, y);
    }
    int reads = 0;
};

class RadarTest : public zoq::test::WorkingDirLogTest {
protected:
    void SetUp() override
    {
        WorkingDirLogTest::SetUp();
        zoq::test::UseIniTables({});
        m_savedBlocks[0] = Location.blocksX;
        m_savedBlocks[1] = Location.blocksY;
        m_savedRadius = VisibleRadius;
        Location.blocksX = Location.blocksY = 64;
        VisibleRadius = 256;
        ObjectList.Clear();
        FerroGroupList.Clear();
        g_RoadManager.Nodes().Done();
        m_scripts = std::make_unique<CZJScriptManager>();
        g_pScriptManager = m_scripts.get();
        g_pRadarMap = &m_map;
        radar.InitLocation("none.mmm");
    }
    void TearDown() override
    {
        g_pRadarMap = nullptr;
        g_pScriptManager = nullptr;
        m_scripts.reset();
        ObjectList.Clear();
        FerroGroupList.Clear();
        g_RoadManager.Nodes().Done();
        Location.blocksX = m_savedBlocks[0];
        Location.blocksY = m_savedBlocks[1];
        VisibleRadius = m_savedRadius;
        WorkingDirLogTest::TearDown();
    }

    // A map of columns x rows tiles, tile (x, y) of one grey level 16 (x + 4 y) + 8.
    void WriteMap(const char* name, uint32_t columns, uint32_t rows)
    {
        RadarPicture picture { 64 * columns, 64 * rows, {} };
        picture.argb.resize(size_t(picture.width) * picture.height);
        for (uint32_t y = 0; y < picture.height; ++y)
            for (uint32_t x = 0; x < picture.width; ++x) {
                const uint32_t level = 16 * (x / 64 + 4 * (y / 64)) + 8;
                picture.argb[size_t(y) * picture.width + x] = 0xFF000000u | level * 0x010101u;
            }
        zoq::test::WriteBytes(m_dir / name, zoq::tools::radar::WriteRadarMap(picture));
    }

    CFerroGroup& Group(const char* name, Vec3 position)
    {
        auto group = std::make_unique<CFerroGroup>();
        std::snprintf(group->name, sizeof group->name, "%s", name);
        group->memberCount = 1;
        group->position = position;
        CFerroGroup& added = *group;
        FerroGroupList.AddGroup(group.release());
        return added;
    }

    CountingMap m_map;
    CRadar radar;
    std::unique_ptr<CZJScriptManager> m_scripts;
    int32_t m_savedBlocks[2] = {};
    int32_t m_savedRadius = 0;
};

TEST_F(RadarTest, revealingAroundAPointRaisesTheCellsWithinItsRadius)
{
    ASSERT_EQ(radar.exploredWidth, 512);
    ASSERT_EQ(radar.explored.size(), 512u * 512u);
    radar.RevealArea(1000.0f, 1000.0f, 0.0f, 750.0f);
    struct SCell {
        int32_t column, row;
        uint8_t value;
    };
    // Cell centres at 80 c + 40: distances 0, 320, 640, 720, 800, and 480 on both axes.
    const SCell cells[] = { { 12, 12, 255 }, { 16, 12, 255 }, { 20, 12, 74 }, { 21, 12, 20 }, { 22, 12, 0 },
        { 3, 12, 20 }, { 2, 12, 0 }, { 12, 21, 20 }, { 12, 3, 20 }, { 18, 18, 48 }, { 40, 40, 0 } };
    for (const SCell& cell : cells)
        EXPECT_EQ(radar.Explored(cell.column, cell.row), cell.value) << cell.column << ", " << cell.row;

    const std::vector<uint8_t> once = radar.explored;
    radar.RevealArea(1000.0f, 1000.0f, 0.0f, 750.0f);
    EXPECT_EQ(radar.explored, once) << "a second reveal changes nothing";
    radar.RevealArea(1000.0f, 1000.0f, 0.0f, 100.0f);
    EXPECT_EQ(radar.explored, once) << "a cell is never lowered";
    radar.RevealArea(1000.0f, 1000.0f, 0.0f, 0.0f);
    radar.RevealArea(1000.0f, 1000.0f, 0.0f, -50.0f);
    EXPECT_EQ(radar.explored, once);
    radar.RevealArea(-5000.0f, 90000.0f, 0.0f, 750.0f); // off the map
    EXPECT_EQ(radar.explored, once);
    EXPECT_EQ(radar.Explored(-1, 0), 0);
    EXPECT_EQ(radar.Explored(512, 0), 0);
}

TEST_F(RadarTest, aCellAtHalfTheRadiusIsFullAndOneAtTheRadiusStaysUnseen)
{
    radar.RevealArea(40.0f + 375.0f, 40.0f, 0.0f, 750.0f);
    EXPECT_EQ(radar.Explored(0, 0), 255);
    CRadar other;
    other.InitLocation("none.mmm");
    other.RevealArea(40.0f + 750.0f, 40.0f, 0.0f, 750.0f);
    EXPECT_EQ(other.Explored(0, 0), 0);
    EXPECT_EQ(other.Explored(1, 0), 54); // 670 away
}

TEST_F(RadarTest, markingFindsAnObjectABuildingEntryOrARoadNode)
{
    auto* building = new CZJObject;
    std::strcpy(building->name, "B_ONE");
    building->type = 11;
    building->frame.position = { 1000, 2000, 5 };
    ObjectList.AddObject(building);
    const float placement[16] = { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 3000, 4000, 6, 1 };
    ObjectList.AddHelperPoint(new CHelperPoint(placement, "B_ONE", 0));
    ObjectList.AddHelperPoint(new CHelperPoint(placement, "ENTRY", 0));
    SRoadNode node {};
    std::strcpy(node.name, "NODE");
    node.position[0] = 500;
    node.position[1] = 600;
    g_RoadManager.Nodes().Add(node);

    radar.tracking = 1;
    radar.MarkObject("B_ONE", 1);
    EXPECT_EQ(radar.markShown, 1);
    EXPECT_EQ(radar.tracking, 0);
    EXPECT_EQ(radar.markPosition.x, 1000.0f);
    EXPECT_EQ(m_scripts->visitedBuildings, std::vector<std::string> { "B_ONE" });
    EXPECT_TRUE(m_scripts->markedPoints.empty()) << "the object path only";
    EXPECT_EQ(radar.Explored(12, 25), 255) << "the mark's surroundings are revealed";

    radar.MarkObject("ENTRY", 1);
    EXPECT_EQ(radar.markPosition.x, 3000.0f);
    radar.MarkObject("ENTRY", 1);
    EXPECT_EQ(m_scripts->markedPoints, std::vector<std::string> { "ENTRY" });

    radar.MarkObject("NODE", 1);
    EXPECT_EQ(radar.markPosition.y, 600.0f);

    radar.MarkObject("NOWHERE", 1);
    EXPECT_EQ(LogLineCount("CRadar::MarkObject object 'NOWHERE' not found"), 1);
    EXPECT_EQ(radar.markShown, 1);
    EXPECT_EQ(radar.markPosition.y, 600.0f) << "the mark stays";

    radar.SetMarkPosition(0, nullptr);
    EXPECT_EQ(radar.markShown, 0);
    radar.MarkObject("B_ONE", 0);
    EXPECT_EQ(radar.markShown, 0);
}

TEST_F(RadarTest, aTrackedGroupMovesTheMarkUntilItIsDestroyed)
{
    CFerroGroup& group = Group("G1", { 100, 200, 0 });
    radar.SetTrackedGroup("NOBODY");
    EXPECT_EQ(radar.tracking, 0);
    radar.SetTrackedGroup("G1");
    EXPECT_EQ(radar.tracking, 1);
    EXPECT_EQ(radar.markShown, 1);
    EXPECT_STREQ(radar.trackedGroupName, "G1");
    EXPECT_EQ(radar.markPosition.y, 200.0f);

    group.position = { 700, 800, 0 };
    radar.markShown = 0;
    radar.RefreshTrackedGroup();
    EXPECT_EQ(radar.markPosition.x, 700.0f);
    EXPECT_EQ(radar.markShown, 1);

    group.pendingCheck = 1; // every member dead
    radar.RefreshTrackedGroup();
    EXPECT_EQ(radar.tracking, 0);
    EXPECT_EQ(radar.markShown, 0);

    radar.SetTrackedGroup("G1");
    m_scripts->markedPoints = { "G1", "X" };
    radar.UnmarkObject("G1");
    EXPECT_EQ(radar.tracking, 0);
    EXPECT_EQ(radar.markShown, 0);
    EXPECT_EQ(m_scripts->markedPoints, std::vector<std::string> { "X" });
}

TEST_F(RadarTest, sectionSixLoadsVersions257To259AndRefusesAWrongLength)
{
    radar.RevealArea(1000.0f, 1000.0f, 0.0f, 750.0f);
    radar.markShown = 1;
    radar.markPosition = { 1, 2, 3 };
    radar.tracking = 1;
    std::strcpy(radar.trackedGroupName, "G7");
    XMemBuffer saved;
    radar.Save(saved);
    ASSERT_EQ(saved.Position(), 4 + 512 * 512 + 46);

    const auto load = [&](uint32_t version, int tail, CRadar& into) {
        std::vector<uint8_t> bytes(saved.Data(), saved.Data() + 4 + 512 * 512 + tail);
        std::memcpy(bytes.data(), &version, 4);
        XMemBuffer stream;
        stream.Attach(bytes.data(), int(bytes.size()));
        return into.Load(stream);
    };
    CRadar full;
    full.InitLocation("none.mmm");
    ASSERT_TRUE(load(259, 46, full));
    EXPECT_EQ(full.explored, radar.explored);
    EXPECT_EQ(full.markPosition.z, 3.0f);
    EXPECT_EQ(full.tracking, 1);
    EXPECT_STREQ(full.trackedGroupName, "G7");

    CRadar mark;
    mark.InitLocation("none.mmm");
    ASSERT_TRUE(load(258, 13, mark));
    EXPECT_EQ(mark.markShown, 1);
    EXPECT_EQ(mark.markPosition.y, 2.0f);
    EXPECT_EQ(mark.tracking, 0);

    CRadar old;
    old.InitLocation("none.mmm");
    old.markPosition = { 9, 9, 9 };
    ASSERT_TRUE(load(257, 0, old));
    EXPECT_EQ(old.explored, radar.explored);
    EXPECT_EQ(old.markShown, 0);
    EXPECT_EQ(old.markPosition.x, 9.0f);

    // A save of another location's size, or cut short: nothing changes.
    Location.blocksX = 32;
    CRadar small;
    small.InitLocation("none.mmm");
    small.markPosition = { 5, 5, 5 };
    const std::vector<uint8_t> before = small.explored;
    EXPECT_FALSE(load(259, 46, small));
    EXPECT_FALSE(load(259, 45, small));
    EXPECT_FALSE(load(257, 13, small));
    EXPECT_EQ(small.explored, before);
    EXPECT_EQ(small.markPosition.x, 5.0f);
    EXPECT_EQ(LogLineCount("CRadar::Load"), 3);
}

// The glyphs of a strip from its texture coordinates, right to left.
std::vector<int> Glyphs(const CVertexData& quads)
{
    std::vector<int> glyphs;
    for (uint32_t k = 0; k < quads.vertexCount / 4; ++k) {
        float u = 0.0f;
        std::memcpy(&u, quads.vertices + size_t(4 * k) * quads.stride + 16, 4);
        glyphs.push_back(int((u * 512.0f - 2.0f) / 13.0f + 0.5f));
    }
    return glyphs;
}

TEST(DigitStripTest, buildsGlyphsRightToLeftWithTheClockSeparator)
{
    CVertexData quads;
    quads.Allocate(0x204, 40, 60);
    struct SCase {
        int32_t value;
        bool clock;
        std::vector<int> glyphs;
    };
    const SCase cases[] = {
        { 5, true, { 5, 0, 10, 0 } },
        { 1330, true, { 0, 3, 10, 3, 1 } },
        { 0, true, { 0, 0, 10, 0 } },
        { 0, false, { 0 } },
        { 907, false, { 7, 0, 9 } },
    };
    for (const SCase& c : cases) {
        DrawDigitStrip(quads, 100.0f, 50.0f, c.value, c.clock);
        EXPECT_EQ(Glyphs(quads), c.glyphs) << c.value;
        EXPECT_EQ(quads.vertexCount, 4 * c.glyphs.size());
        EXPECT_EQ(quads.indexCount, 6 * c.glyphs.size());
    }
    // Glyph 1 spans x 87..100 and y 50..62, half a pixel up and left; v 60..72 of 512.
    DrawDigitStrip(quads, 100.0f, 50.0f, 42, false);
    float vertex[8];
    std::memcpy(vertex, quads.vertices + size_t(4) * quads.stride, sizeof vertex);
    EXPECT_FLOAT_EQ(vertex[0], 86.5f);
    EXPECT_FLOAT_EQ(vertex[1], 49.5f);
    EXPECT_FLOAT_EQ(vertex[3], 0.00001f);
    EXPECT_FLOAT_EQ(vertex[5], 60.0f / 512.0f);
    std::memcpy(vertex, quads.vertices + size_t(7) * quads.stride, sizeof vertex);
    EXPECT_FLOAT_EQ(vertex[0], 99.5f);
    EXPECT_FLOAT_EQ(vertex[1], 61.5f);
    EXPECT_FLOAT_EQ(vertex[4], 67.0f / 512.0f); // digit 4 ends at 13 x 4 + 15
}

TEST(PointColorTest, coloursFollowTheAttitudeAndTheHostilityOfKindTwo)
{
    struct SCase {
        int32_t attitude;
        float hostility;
        uint32_t colour;
    };
    const SCase cases[] = { { 0, 0, 0x80FFFFFFu }, { 1, 0, 0x80FFFF00u }, { 2, 0.5f, 0xFF80FF80u },
        { 2, 0, 0xFFFF8080u }, { 2, -1, 0xFFFF8080u }, { 3, 0, 0xFFFF0000u }, { 4, 0, 0xFF8080FFu },
        { 5, 0, 0xFFFFFF00u }, { 6, 0, 0xFFFF8080u }, { 7, 0, 0xFF000000u }, { 99, 0, 0xFF000000u } };
    for (const SCase& c : cases) {
        TargetRecord record {};
        record.attitude = c.attitude;
        record.hostility = c.hostility;
        EXPECT_EQ(CRadar::GetPointColor(record), c.colour) << c.attitude << " " << c.hostility;
    }
}

TEST(ClipScreenRectTest, cutEdgesMoveTheTextureOnlyOnTheLeftAndTop)
{
    const SRadarRect clip { 0, 0, 100, 80 };
    struct SCase {
        SRadarRect quad;
        bool drawn;
        SRadarRect quadAfter;
        SRadarRect textureAfter;
    };
    const SCase cases[] = {
        { { 10, 10, 42, 42 }, true, { 10, 10, 42, 42 }, { 32, 0, 64, 32 } },
        { { -26, 10, 6, 42 }, true, { 0, 10, 6, 42 }, { 58, 0, 90, 32 } },
        { { 10, -5, 42, 27 }, true, { 10, 0, 42, 27 }, { 32, 5, 64, 37 } },
        { { 90, 70, 122, 102 }, true, { 90, 70, 100, 80 }, { 32, 0, 64, 32 } },
        { { -40, 10, -8, 42 }, false, {}, {} },
        { { -32, 10, 0, 42 }, false, {}, {} },
        { { 10, 80, 42, 112 }, false, {}, {} },
    };
    for (const SCase& c : cases) {
        SRadarRect quad = c.quad;
        SRadarRect texture { 32, 0, 64, 32 };
        EXPECT_EQ(ClipScreenRect(clip, quad, texture), c.drawn) << c.quad.left << ", " << c.quad.top;
        if (!c.drawn)
            continue;
        EXPECT_EQ(quad.left, c.quadAfter.left);
        EXPECT_EQ(quad.top, c.quadAfter.top);
        EXPECT_EQ(quad.right, c.quadAfter.right);
        EXPECT_EQ(quad.bottom, c.quadAfter.bottom);
        EXPECT_EQ(texture.left, c.textureAfter.left);
        EXPECT_EQ(texture.top, c.textureAfter.top);
        EXPECT_EQ(texture.right, c.textureAfter.right);
        EXPECT_EQ(texture.bottom, c.textureAfter.bottom);
    }
}

TEST_F(RadarTest, theReaderRefusesAnUntrustedHeaderAndZeroesWhatTheFileLacks)
{
    EXPECT_EQ(RadarMapName("location1.zjp"), "location1.mmm");
    EXPECT_FALSE(m_map.IsOpen()) << "a missing file";
    EXPECT_EQ(LogLineCount(""), 0);

    WriteMap("two.mmm", 2, 2);
    ASSERT_TRUE(m_map.Open("two.mmm"));
    EXPECT_EQ(m_map.columns, 2);
    EXPECT_EQ(m_map.rows, 2);
    uint8_t tile[4096];
    m_map.ReadTile(tile, 1, 1);
    EXPECT_NE(tile[8], 0) << "a grey colour block";
    m_map.ReadTile(tile, 2, 0);
    EXPECT_EQ(std::vector<uint8_t>(tile, tile + 4096), std::vector<uint8_t>(4096, 0)) << "outside the grid";

    // The last tile cut in its middle: what is there is read, the rest is zero.
    Bytes bytes = zoq::test::ReadBytes(m_dir / "two.mmm");
    const Bytes whole(bytes.end() - 4096, bytes.end());
    bytes.resize(bytes.size() - 2048);
    zoq::test::WriteBytes(m_dir / "cut.mmm", bytes);
    ASSERT_TRUE(m_map.Open("cut.mmm"));
    std::memset(tile, 0xAB, sizeof tile);
    m_map.ReadTile(tile, 1, 1);
    EXPECT_EQ(
        std::vector<uint8_t>(tile, tile + 2048), std::vector<uint8_t>(whole.begin(), whole.begin() + 2048));
    EXPECT_EQ(std::vector<uint8_t>(tile + 2048, tile + 4096), std::vector<uint8_t>(2048, 0));

    struct SHeader {
        uint32_t offset, width, height;
        const char* reason;
    };
    const SHeader refused[] = { { 16, 0, 70, "width outside 1..65536" },
        { 16, 100, 65537, "height outside 1..65536" }, { 99999, 100, 70, "data offset outside the file" } };
    for (const SHeader& h : refused) {
        Bytes header(32, 0);
        std::memcpy(header.data(), &h.offset, 4);
        std::memcpy(header.data() + 8, &h.width, 4);
        std::memcpy(header.data() + 12, &h.height, 4);
        zoq::test::WriteBytes(m_dir / "bad.mmm", header);
        EXPECT_FALSE(m_map.Open("bad.mmm"));
        EXPECT_EQ(LogLineCount(h.reason), 1) << h.reason;
        m_map.ReadTile(tile, 0, 0);
        EXPECT_EQ(tile[0], 0);
    }
}

TEST_F(RadarTest, theMinimapReadsOnlyTheTilesThatCameIntoItsWindow)
{
    WriteMap("grid.mmm", 4, 4);
    radar.InitLocation("grid.mmm");
    radar.UpdateMinimapTexture({ 2000, 2000, 0 });
    EXPECT_EQ(m_map.reads, 64);
    EXPECT_EQ(radar.minimapTileX, 0); // (200 - 192) / 64
    EXPECT_FLOAT_EQ(radar.minimapOffset.x, 200.0f - 192.0f);
    m_map.reads = 0;
    radar.UpdateMinimapTexture({ 2100, 2050, 0 });
    EXPECT_EQ(m_map.reads, 0) << "still within the same tiles";
    radar.UpdateMinimapTexture({ 2600, 2050, 0 }); // x 260: one tile east
    EXPECT_EQ(radar.minimapTileX, 1);
    EXPECT_EQ(m_map.reads, 8);
    m_map.reads = 0;
    radar.UpdateMinimapTexture({ -900, 2050, 0 }); // west of the map: every tile reads zeros
    EXPECT_EQ(radar.minimapTileX, -5);
    EXPECT_GT(m_map.reads, 0);
}

TEST_F(RadarTest, theBigMapCachesItsViewAsATorusAtAnyPosition)
{
    WriteMap("grid.mmm", 4, 4);
    radar.InitLocation("grid.mmm");
    radar.InitBigMap(499, 546);
    EXPECT_EQ(radar.bigTextureWidth, 576);
    EXPECT_EQ(radar.bigTextureHeight, 640);
    ASSERT_EQ(radar.bigColumns, 9);
    ASSERT_EQ(radar.bigRows, 10);
    ASSERT_EQ(radar.bigSlots.size(), 90u);

    radar.SetBMVector({ -1000, 500, 40 });
    EXPECT_EQ(radar.bigTileX, -6);
    EXPECT_EQ(radar.bigTileY, -4);
    EXPECT_FLOAT_EQ(radar.bigOffset.x, 35.0f); // -349 + 384
    EXPECT_FLOAT_EQ(radar.bigOffset.y, 33.0f); // -223 + 256
    EXPECT_FLOAT_EQ(radar.bigOffset.z, 4.0f);
    EXPECT_EQ(m_map.reads, 90);
    m_map.reads = 0;
    radar.SetBMVector({ -1000, 500, 40 });
    EXPECT_EQ(m_map.reads, 0);
    radar.SetBMVector({ -1000 + 640, 500, 40 });
    EXPECT_EQ(m_map.reads, 10) << "one column";
    m_map.reads = 0;
    radar.ResetBigMapCache();
    radar.SetBMVector({ -1000 + 640, 500, 40 });
    EXPECT_EQ(m_map.reads, 90);

    const Vec3 world = radar.ViewPointToWorld(10, 20);
    EXPECT_FLOAT_EQ(world.x, (-64.0f * 5 + 35.0f + 10.0f) * 10.0f);
    EXPECT_FLOAT_EQ(world.y, (-64.0f * 4 + 33.0f + 20.0f) * 10.0f);

    // A screen larger than twenty tiles a side: the slot table follows the view.
    radar.InitBigMap(3000, 2000);
    EXPECT_EQ(radar.bigColumns, 48);
    EXPECT_EQ(radar.bigSlots.size(), size_t(48 * 33));
    m_map.reads = 0;
    radar.SetBMVector({ 0, 0, 0 });
    EXPECT_EQ(m_map.reads, 48 * 33);
    radar.DoneBigMap();
}

} // namespace
