// The minimap and the big map drawn by the OpenGL backend on the offscreen driver at 800 x 600,
// over a radar map of solid-colour tiles (exact in DXT3), read back pixel by pixel (±2 a
// channel). A failed check leaves a screenshot "radar.bmp" in the test's folder.
#include "tests/ui/ui_gl_fixture.h"
#include "tools/radar/radar_writer.h"
#include "tools/texture/font_file.h"
#include "ui/CRadar.h"
#include "ui/CRadarMap.h"
#include "world/objects/CZJObject.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CLocation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>

namespace tex = zoq::tools::texture;
using uitest::Painted;

namespace {

constexpr uint32_t kClear = 0xFF102030u;
constexpr uint32_t kBack = 0xFF404040u;
constexpr uint32_t kPoint = 0xFF00FFFFu;
// Tiles of a 3 x 3 map around the red centre tile (1, 1): y grows downwards in the table.
constexpr uint32_t kTiles[3][3] = {
    { 0xFFFFFFFFu, 0xFFFFFF00u, 0xFFFFFFFFu },
    { 0xFF00FF00u, 0xFFFF0000u, 0xFF0000FFu },
    { 0xFFFFFFFFu, 0xFFFF00FFu, 0xFFFFFFFFu },
};
constexpr float kCentre = 960.0f; // world units: the middle of tile (1, 1)

class RadarGlTest : public uitest::UiGlTest {
protected:
    RadarGlTest()
        : UiGlTest("radar")
    {
    }
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(UiGlTest::SetUp());
        tex::Picture atlas = Painted(512, 512, 0);
        for (uint32_t y = 2; y < 146; ++y)
            for (uint32_t x = 185; x < 329; ++x)
                atlas.argb[size_t(y) * 512 + x] = 0xFFFFFFFFu;
        WriteBytes("kt_all.dds", tex::EncodeDds32(atlas));
        WriteBytes("arrow.dds", tex::EncodeDds32(Painted(32, 32, 0xFF000000u)));
        WriteBytes("back.dds", tex::EncodeDds32(Painted(64, 64, kBack)));
        WriteBytes("point.dds", tex::EncodeDds32(Painted(128, 128, kPoint)));
        WriteBytes("frame.dds", tex::EncodeDds32(Painted(256, 256, 0xFF808000u)));
        WriteBytes("icon.dds", tex::EncodeDds32(Painted(16, 16, 0xFF800080u)));
        WriteTable(CP1251("Текстуры"),
            { { "TEX_KT_ALL", { { "Filename", "kt_all.dds" }, { "TEXTURETYPE", "2" } } },
                { "TEX_INT_STRELKA", { { "Filename", "arrow.dds" }, { "TEXTURETYPE", "2" } } },
                { "TEX_INT_MINIMAP_BACK", { { "Filename", "back.dds" }, { "TEXTURETYPE", "2" } } },
                { "TEX_INT_RADAR_POINT", { { "Filename", "point.dds" }, { "TEXTURETYPE", "2" } } },
                { "TEX_INT_RADAR_BRAMKA", { { "Filename", "frame.dds" }, { "TEXTURETYPE", "2" } } },
                { "TEX_KT_ICON_FIRST", { { "Filename", "icon.dds" }, { "TEXTURETYPE", "2" } } } });
        InitTextures();

        zoq::tools::radar::RadarPicture picture { 192, 192, std::vector<uint32_t>(192 * 192) };
        for (uint32_t y = 0; y < 192; ++y)
            for (uint32_t x = 0; x < 192; ++x)
                picture.argb[size_t(y) * 192 + x] = kTiles[y / 64][x / 64];
        WriteBytes("test.mmm", zoq::tools::radar::WriteRadarMap(picture));

        m_savedBlocks[0] = Location.blocksX;
        m_savedBlocks[1] = Location.blocksY;
        Location.blocksX = Location.blocksY = 3;
        m_savedPlayer = PlayerObject;
        m_player.frame.position = { kCentre, kCentre, 0.0f };
        SetHeading(0.0f);
        PlayerObject = &m_player;
        m_map = std::make_unique<CRadarMap>();
        g_pRadarMap = m_map.get();
        m_radar = std::make_unique<CRadar>();
        m_radar->LoadTextures();
        m_radar->InitLocation("test.mmm");
        ASSERT_TRUE(m_map->IsOpen());
    }
    void ReleaseScene() override
    {
        m_radar.reset();
        g_pRadarMap = nullptr;
        m_map.reset();
        PlayerObject = m_savedPlayer;
        Location.blocksX = m_savedBlocks[0];
        Location.blocksY = m_savedBlocks[1];
    }

    // Heading a: the glider's forward axis (sin a, cos a) in the map plane.
    void SetHeading(float a)
    {
        for (float& m : m_player.frame.matrix.m)
            m = 0.0f;
        m_player.frame.matrix.m[2] = std::sin(a);
        m_player.frame.matrix.m[6] = std::cos(a);
    }
    CTexture* Atlas() { return m_textures->GetTexture(m_textures->FindTexture("TEX_KT_ALL")); }

    // The big map of a 499 x 546 view centred on the player, at (100, 20).
    void DrawBigMap()
    {
        m_radar->InitBigMap(499, 546);
        DrawFrame(kClear, [&] {
            m_radar->SetBMVector(m_player.frame.position);
            m_radar->DrawBigMap(100, 20);
        });
    }

    CZJObject m_player;
    CZJObject* m_savedPlayer = nullptr;
    std::unique_ptr<CRadarMap> m_map;
    std::unique_ptr<CRadar> m_radar;
    int32_t m_savedBlocks[2] = {};
};

TEST_F(RadarGlTest, theMinimapCentreShowsThePlayersTileAndTurnsWithTheHeading)
{
    // The minimap's centre (800 - 85, 85); 40 pixels above it lies what is ahead.
    DrawFrame(kClear, [&] { m_radar->DrawMinimap(Atlas(), 0); });
    EXPECT_TRUE(At(715 + 14, 85 + 14, 0xFF0000)) << "the player's tile";
    EXPECT_TRUE(At(715, 45, 0xFF00FF)) << "heading +y: the tile south in the table";
    EXPECT_TRUE(At(715, 125, 0xFFFF00));
    EXPECT_TRUE(At(715, 85, 0x000000)) << "the player's arrow";
    EXPECT_TRUE(At(600, 85, 0x102030)) << "left of the square";

    SetHeading(std::numbers::pi_v<float> / 2.0f);
    DrawFrame(kClear, [&] { m_radar->DrawMinimap(Atlas(), 0); });
    EXPECT_TRUE(At(715, 45, 0x0000FF)) << "heading +x: the tile east ahead";
    EXPECT_TRUE(At(715, 125, 0x00FF00));
}

TEST_F(RadarGlTest, theBigMapShowsTheBackWhereUnexploredAndTheMapWhereSeen)
{
    PlayerObject = nullptr;
    // Cells of tile (1, 1) fully seen, the rest not.
    for (int32_t row = 8; row < 16; ++row)
        for (int32_t column = 8; column < 16; ++column)
            m_radar->explored[size_t(row) * size_t(m_radar->exploredWidth) + size_t(column)] = 255;
    DrawBigMap();
    // View pixel (x, y) is map pixel (x - 153, y - 177); the view starts at (100, 20).
    EXPECT_TRUE(At(100 + 153 + 96, 20 + 177 + 96, 0xFF0000)) << "seen";
    EXPECT_TRUE(At(100 + 153 + 32, 20 + 177 + 32, 0x404040)) << "tile (0, 0) unseen";
    EXPECT_TRUE(At(100 + 153 - 40, 20 + 177 + 96, 0x404040)) << "left of the map";
    EXPECT_TRUE(At(95, 300, 0x102030)) << "left of the view";
}

TEST_F(RadarGlTest, aMarkJustPastTheViewsLeftEdgeIsDrawnClipped)
{
    PlayerObject = nullptr;
    m_radar->markShown = 1;
    // Map x -163 lies 10 pixels left of the view; map y 96 in its middle.
    m_radar->markPosition = { -1630.0f, kCentre, 0.0f };
    DrawBigMap();
    EXPECT_TRUE(At(103, 20 + 273, 0x00FFFF)) << "the clipped mark";
    EXPECT_TRUE(At(97, 20 + 273, 0x102030)) << "nothing left of the view";
    EXPECT_TRUE(At(108, 20 + 273, 0x404040)) << "the mark's right part ends at 6";

    m_radar->markPosition = { -1650.0f, kCentre, 0.0f }; // 12 pixels out
    DrawBigMap();
    EXPECT_TRUE(At(100, 20 + 273, 0x404040)) << "not drawn";
}

} // namespace
