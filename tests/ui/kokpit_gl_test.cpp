// The cockpit drawn by the OpenGL backend on the offscreen driver at 800 x 600, from an atlas the
// test paints (a solid colour per piece, white where a piece is tinted), read back pixel by pixel
// (±2 a channel). A failed check leaves a screenshot "kokpit.bmp" in the test's folder.
#include "ai/CFerroGroup.h"
#include "foundation/CTimer.h"
#include "foundation/CViewFrame.h"
#include "tests/ui/ui_gl_fixture.h"
#include "tools/texture/font_file.h"
#include "tools/texture/image_files.h"
#include "ui/CRenderer.h"
#include "ui/ScannerTexture.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/PlayerGlobals.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace tex = zoq::tools::texture;
using namespace plat::gfx;
using uitest::Hex;
using uitest::Painted;

namespace {

constexpr uint32_t kClear = 0xFF102030u;
constexpr uint32_t kIconColour = 0xFF00C0C0u;
constexpr uint32_t kGreen = 0x93EE6Bu;
constexpr uint32_t kOrange = 0xFF6C00u;
constexpr uint32_t kPipColour = 0xFFFFD040u;

// Plain pieces have their own colour; tinted ones are white.
const std::map<std::string, uint32_t> kPieceColours = {
    { "upper right frame", 0xFF404040u },
    { "upper left frame", 0xFF505050u },
    { "lower left frame", 0xFF606060u },
    { "lower right frame", 0xFF707070u },
    { "number box", 0xFF800000u },
    { "weapon panel", 0xFF3050A0u },
    { "lamp box", 0xFF008000u },
    { "not ready cover", 0xFFA05030u },
    { "bracket lower", 0xFFC000C0u },
    { "bracket right", 0xFFC000C0u },
};

tex::Picture PaintedAtlas()
{
    tex::Picture atlas = Painted(512, 512, 0);
    for (const SKokpitPiece& piece : KokpitPieces()) {
        const auto found = kPieceColours.find(piece.name);
        const uint32_t colour = found == kPieceColours.end() ? 0xFFFFFFFFu : found->second;
        for (int y = piece.v; y < piece.v + piece.height && y < 512; ++y)
            for (int x = piece.u; x < piece.u + piece.width && x < 512; ++x)
                atlas.argb[size_t(y) * 512 + size_t(x)] = colour;
    }
    return atlas;
}

class KokpitGlTest : public uitest::UiGlTest {
protected:
    KokpitGlTest()
        : UiGlTest("kokpit")
    {
    }
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(UiGlTest::SetUp());
        WriteBytes("kt_all.dds", tex::EncodeDds32(PaintedAtlas()));
        WriteBytes("kt_icons.dds", tex::EncodeDds32(Painted(256, 512, kIconColour)));
        WriteBytes("interlace.dds", tex::EncodeDds32(Painted(16, 16, 0xFFFFFFFFu)));
        WriteBytes("mask.dds", tex::EncodeDds32(Painted(64, 64, 0xFF808080u)));
        tex::Picture icons = Painted(256, 256, 0);
        for (uint32_t y = 184; y < 208; ++y)
            for (uint32_t x = 1; x < 25; ++x)
                icons.argb[size_t(y) * 256 + x] = kPipColour;
        WriteBytes("int_icons.dds", tex::EncodeDds32(icons));
        WriteBytes("corner.dds", tex::EncodeDds32(Painted(32, 32, 0xFFFFFFFFu)));
        WriteBytes("arrow.dds", tex::EncodeDds32(Painted(32, 32, 0xFFFFFFFFu)));
        WriteTable(CP1251("Текстуры"),
            { { "TEX_KT_ALL", { { "Filename", "kt_all.dds" }, { "TEXTURETYPE", "2" } } },
                { "TEX_KT_ICONS", { { "Filename", "kt_icons.dds" }, { "TEXTURETYPE", "2" } } },
                { "TEX_INT_INTERLACE", { { "Filename", "interlace.dds" }, { "TEXTURETYPE", "2" } } },
                { "TEX_INT_SCREEN_MASK", { { "Filename", "mask.dds" }, { "TEXTURETYPE", "2" } } },
                { "TEX_INT_ICONS", { { "Filename", "int_icons.dds" }, { "TEXTURETYPE", "2" } } },
                { "TEX_KT_TARGET_CORNER", { { "Filename", "corner.dds" }, { "TEXTURETYPE", "2" } } },
                { "TEX_KT_TARGET_ARROW", { { "Filename", "arrow.dds" }, { "TEXTURETYPE", "2" } } } });
        InitTextures();
        m_savedClock = GameClock;
        renderer.showMessagesAndRadar = 0;
        renderer.LoadTextures();
        ClearScannerTexture();
    }
    void ReleaseScene() override
    {
        GameClock = m_savedClock;
        renderer.Done();
    }

    // Clears to kClear and draws what draw does.
    template <class Draw> void Frame(Draw draw) { DrawFrame(kClear, draw); }

    static CRenderer::SKokpitFrame Healthy()
    {
        CRenderer::SKokpitFrame frame;
        frame.energy = 0.5f;
        frame.armour = 1.0f;
        frame.shield = 1.0f;
        return frame;
    }

    CRenderer renderer;
    double m_savedClock = 0.0;
};

TEST_F(KokpitGlTest, gaugesAreGreenAboveTheLowMarkAndOrangeAtIt)
{
    GameClock = 0.125; // blinks at their brightest
    CRenderer::SKokpitFrame frame = Healthy();
    frame.armour = 32.0f / 133.0f;
    Frame([&] { renderer.DrawPanels(frame); });
    EXPECT_TRUE(At(40, 35, kGreen)); // energy 0.5: 66 pixels
    EXPECT_TRUE(At(110, 35, 0x505050)); // past its end: the frame
    EXPECT_TRUE(At(40, 75, kOrange)); // armour at 32/133
    EXPECT_TRUE(At(6, 50, kClear & 0xFFFFFF)); // and no warning piece
    frame.armour = std::nextafter(32.0f / 133.0f, 0.0f);
    Frame([&] { renderer.DrawPanels(frame); });
    EXPECT_TRUE(At(6, 50, kOrange)); // just below: the warning shows
}

TEST_F(KokpitGlTest, twoWeaponPanelsAndADamagedPart)
{
    GameClock = 0.375; // blinking frames are out
    CRenderer::SKokpitFrame frame = Healthy();
    SWeaponPanel ready;
    SWeaponPanel reloading;
    reloading.q = 0.5f;
    reloading.notReady = 1;
    frame.weapons = { ready, reloading };
    frame.damaged = { { 4, 0.5f } };
    Frame([&] { renderer.DrawPanels(frame); });
    EXPECT_TRUE(At(100, 174, 0x3050A0)); // panel 0 at y = 172
    EXPECT_TRUE(At(60, 172 + 35, kGreen)); // its full bar
    EXPECT_TRUE(At(100, 230, 0xA05030)); // panel 1 at y = 228, covered
    EXPECT_TRUE(At(100, 286, kClear & 0xFFFFFF)); // no third panel
    EXPECT_TRUE(At(100, 442, 0x3050A0)); // the damaged part's panel
    EXPECT_TRUE(At(20, 450, kIconColour & 0xFFFFFF)); // its icon
    EXPECT_TRUE(At(50, 475, kOrange)); // its wear bar
}

TEST_F(KokpitGlTest, theScannerQuadShowsItsTexture)
{
    Frame([&] { renderer.DrawPanels(Healthy()); });
    EXPECT_TRUE(At(48, 530 + 20, 0x000000)); // a cleared row: opaque black
    EXPECT_TRUE(At(48, 530 + 5, 0x606060)); // an unwritten row: the frame shows through
}

TEST_F(KokpitGlTest, veilAndScreenMasksBlendOverTheFrame)
{
    renderer.transitionState = 1;
    renderer.transitionTimer = 5.0f;
    Frame([&] { renderer.DrawVeil(); });
    // a = 0.37: (16, 32, 48) x 0.63 + (96, 96, 160) x 0.37.
    EXPECT_TRUE(At(400, 300, 0x2D3759));
    Frame([&] { renderer.DrawScreenMasks(); });
    EXPECT_TRUE(At(400, 300, 0x081018)); // the frame times the mask's 0.5
}

TEST_F(KokpitGlTest, damageBracketsPulseThroughTheirStageStates)
{
    CRenderer::SKokpitFrame frame = Healthy();
    GameClock = 0.375; // sin(4 pi t) = -1
    Frame([&] { renderer.DrawPanels(frame); });
    EXPECT_TRUE(At(400, 460, kClear & 0xFFFFFF)); // no hits: no brackets
    // Hits 1: f = 0.5, alpha (1 - 0.5)^2 x 4 = 1: the lower bracket in its own colour.
    frame.armourHits = 1.0f;
    Frame([&] { renderer.DrawPanels(frame); });
    EXPECT_TRUE(At(400, 460, 0xC000C0));
    // Hits 0.5: f = 0.75, alpha 0.25^2 x 4 = 0.25 over the clear colour.
    frame.armourHits = 0.5f;
    Frame([&] { renderer.DrawPanels(frame); });
    EXPECT_TRUE(At(400, 460, 0x3C1854));
    // At the pulse's top f = 1: alpha 0, nothing shows.
    GameClock = 0.125;
    frame.armourHits = 1.0f;
    Frame([&] { renderer.DrawPanels(frame); });
    EXPECT_TRUE(At(400, 460, kClear & 0xFFFFFF));
}

TEST_F(KokpitGlTest, aTargetAloneShowsItsLevelAsOverlappingPips)
{
    CFerroGroup group;
    group.memberCount = 1;
    group.members[0].level = 3;
    group.members[0].group = &group;
    CGliderObject target;
    target.ferrovant = &group.members[0];
    Frame([&] { renderer.DrawTargetBadge(target); });
    // Pips from x = W - 135 + 3 (level - i): 800 - 135 + 3 .. 800 - 135 + 9, 24 wide, at y = H - 36.
    EXPECT_TRUE(At(800 - 135 + 3 + 1, 600 - 36 + 12, kPipColour & 0xFFFFFF));
    EXPECT_TRUE(At(800 - 135 + 9 + 23, 600 - 36 + 12, kPipColour & 0xFFFFFF));
    EXPECT_TRUE(At(800 - 135 + 9 + 25, 600 - 36 + 12, kClear & 0xFFFFFF));
}

TEST_F(KokpitGlTest, membersInViewGetBracketsAndOneBehindAnArrow)
{
    const CViewFrame saved = ViewFrame;
    Matrix4Identity(ViewFrame.combined);
    ViewFrame.position = { 0.0f, 0.0f, -1.0f };
    ViewFrame.forward = { 0.0f, 0.0f, 1.0f };
    CFerroGroup group;
    group.memberCount = 2;
    CGliderObject gliders[2];
    for (int i = 0; i < 2; ++i) {
        gliders[i].ferrovant = &group.members[i];
        gliders[i].radius = 0.01f;
        group.members[i].glider = &gliders[i];
        group.members[i].group = &group;
    }
    gliders[0].frame.position = { 0.0f, 0.0f, 0.0f }; // the centre of the screen
    gliders[1].frame.position = { 5.0f, 0.0f, 0.0f }; // far right: out of view
    CGliderObject player;
    player.target = &gliders[0];
    CZJObject* savedPlayer = PlayerObject;
    PlayerObject = &player;
    Frame([&] { renderer.DrawTarget(); });
    PlayerObject = savedPlayer;
    ViewFrame = saved;
    // s = -8 + 800 x 0.01 x 0.5 = -4: the first corner spans x 372..404 and y 273..305.
    EXPECT_TRUE(At(380, 280, 0x808080)); // grey: no target record of the player's team
    // The arrow at the right edge: a = 5 / 50 = 0.1, g = 1.3 sqrt(0.11), anchor x = 400 (1 + a / g).
    const float a = 0.1f / (1.3f * std::sqrt(0.11f));
    EXPECT_FALSE(At(uint32_t(400.0f * (1.0f + a)) - 8, 300, kClear & 0xFFFFFF));
}
} // namespace

namespace {

// A whole frame without a location: the world passes draw nothing, the frame ends and the three
// counters start again.
TEST_F(KokpitGlTest, aFrameWithoutALocationEndsAndClearsTheCounters)
{
    renderer.Render();
    renderer.DrawPanels(Healthy());
    EXPECT_GT(CRenderer::PiecesDrawn(), 0u);
    EXPECT_GT(CRenderer::DrawCalls(), 0u);
    EXPECT_GT(CRenderer::Primitives(), 0u);
    renderer.EndFrame();
    EXPECT_EQ(CRenderer::PiecesDrawn(), 0u);
    EXPECT_EQ(CRenderer::DrawCalls(), 0u);
    EXPECT_EQ(CRenderer::Primitives(), 0u);
}

} // namespace
