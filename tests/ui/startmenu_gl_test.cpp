// The start-screen panel drawn by the OpenGL backend on the offscreen driver at 800 x 600 from
// sheets the test paints (one colour per column and row), read back pixel by pixel (±2 a
// channel): the panel with its five idle buttons, a hovered button's highlight frame, the
// tool-tip of a caption hovered for 0.6 s, the scene drawn into the menu's 512 x 512 target and
// stretched over the screen, and the back panel lit through its bump picture from the mouse. A
// failed check leaves "startmenu.bmp" in the test's folder.
#include "foundation/CTimer.h"
#include "render/CFont.h"
#include "render/CSurfaceManager.h"
#include "tests/ui/fake_menu_host.h"
#include "tests/ui/ui_gl_fixture.h"
#include "tools/texture/font_file.h"
#include "tools/texture/image_files.h"
#include "ui/CMenu1.h"
#include "ui/CZJStartMenu.h"
#include "ui/InterfaceAtlas.h"
#include "world/terrain/CEffectRenderManager.h"

#include <gtest/gtest.h>

#include <string>

namespace tex = zoq::tools::texture;
using namespace plat::gfx;
using uitest::Hex;
using uitest::Painted;

namespace {

constexpr uint32_t kClear = 0xFF102030u;
constexpr uint32_t kPanel = 0xFF605040u;
constexpr uint32_t kTipFrame = 0xFF40C040u;
constexpr uint32_t kTipCentre = 0xFF204060u;
constexpr int32_t kColumns = 10;
constexpr int32_t kButtonRows = 18;
constexpr int32_t kHighlightRows = 10;
constexpr uint32_t kSceneTop = 0xFFC03020u;
constexpr uint32_t kSceneBottom = 0xFF20A040u;
// A bump picture whose normals all lean towards the screen's top left.
constexpr uint32_t kLeaningNormal = 0xFF000080u;

// A start-screen menu whose scene clears the top half of the current target to one colour and
// the bottom half to another, noting the target it drew into.
class SceneMenu : public CMenu1 {
public:
    void RenderScene(bool run) override
    {
        (void)run;
        sceneTarget = g_Graphic.CurrentTarget();
        const Rect halves[2]
            = { { 0, 0, kTargetSize, kTargetSize / 2 }, { 0, kTargetSize / 2, kTargetSize, kTargetSize } };
        g_Graphic.GetDevice()->Clear(1, &halves[0], clear::kTarget, kSceneTop, 1.0f, 0);
        g_Graphic.GetDevice()->Clear(1, &halves[1], clear::kTarget, kSceneBottom, 1.0f, 0);
    }
    using CMenu1::RenderNoise;
    plat::gfx::Surface* sceneTarget = nullptr;
};

// The colour of a cell of a sheet: red by column, green by row, blue by sheet.
uint32_t CellColour(int32_t column, int32_t row, uint32_t sheet)
{
    return 0xFF000000u | uint32_t(column * 24 + 8) << 16 | uint32_t(row * 12 + 8) << 8 | sheet;
}

tex::Picture Sheet(int32_t rows, uint32_t sheet)
{
    const uint32_t width = kColumns * CMainMenuButton::kColumn;
    tex::Picture picture = Painted(width, uint32_t(rows * CMainMenuButton::kRow), 0);
    for (uint32_t y = 0; y < picture.height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            picture.argb[size_t(y) * width + x] = CellColour(
                int32_t(x) / CMainMenuButton::kColumn, int32_t(y) / CMainMenuButton::kRow, sheet);
    return picture;
}

class StartMenuGlTest : public uitest::UiGlTest {
protected:
    StartMenuGlTest()
        : UiGlTest("startmenu")
    {
    }
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(UiGlTest::SetUp());

        tex::Picture icons = Painted(atlas::kSize, atlas::kSize, 0);
        for (int i = 0; i < 9; ++i) {
            const SAtlasPiece& piece = atlas::kToolTip[i];
            for (int32_t y = piece.v; y < piece.v + piece.height; ++y)
                for (int32_t x = piece.u; x < piece.u + piece.width; ++x)
                    icons.argb[size_t(y) * atlas::kSize + size_t(x)]
                        = i == atlas::kCentre ? kTipCentre : kTipFrame;
        }
        WriteBytes("int_icons.dds", tex::EncodeDds32(icons));
        WriteBytes("back_bump.dds", tex::EncodeDds32(Painted(64, 64, kLeaningNormal)));
        std::vector<Row> textures
            = { { "TEX_INT_ICONS", { { "Filename", "int_icons.dds" }, { "TEXTURETYPE", "2" } } },
                  { "TEX_INT_ZJ_B_BUMP", { { "Filename", "back_bump.dds" }, { "TEXTURETYPE", "2" } } } };
        if (m_whiteNoise) {
            WriteBytes("noise.dds", tex::EncodeDds32(Painted(128, 128, 0xFFFFFFFFu)));
            textures.push_back({ "TEX_INT_NOISE", { { "Filename", "noise.dds" }, { "TEXTURETYPE", "2" } } });
        }
        WriteTable(CP1251("Текстуры"), textures);
        InitTextures();
        EffectRenderManager.Init(0);
        m_textures->CreateCacheTextures();

        WriteBytes("back.dds", tex::EncodeDds32(Painted(232, 320, kPanel)));
        WriteBytes("buttons.dds", tex::EncodeDds32(Sheet(kButtonRows, 0x40)));
        WriteBytes("highlight.dds", tex::EncodeDds32(Sheet(kHighlightRows, 0xC0)));
        WriteBytes("fade.dds", tex::EncodeDds32(Painted(180, 400, 0xFFFFFFFFu)));
        const auto row = [](const char* file, uint32_t width, uint32_t height) {
            return std::vector<std::pair<std::string, std::string>> { { "Filename", file },
                { "WIDTH", std::to_string(width) }, { "HEIGHT", std::to_string(height) },
                { "NOFILTER", "1" } };
        };
        WriteTable(CP1251("Изображения"),
            { { "SUF_MAINMENU_BACK", row("back.dds", 232, 320) },
                { "SUF_MAINMENU_BUTTONS", row("buttons.dds", 1800, 900) },
                { "SUF_MAINMENU_BUTSHL", row("highlight.dds", 1800, 500) },
                { "SUF_MAINMENU_FADE", row("fade.dds", 180, 400) } });
        m_surfaces = std::make_unique<CSurfaceManager>();
        m_surfaces->Init(CP1251("Изображения"));
        g_pSurfaceManager = m_surfaces.get();

        tex::FontFile font;
        font.metrics[0] = 14;
        font.metrics[2] = 4;
        font.glyphs = { { 'A', 0, 0, 10, 0, 9, 13 }, { 'B', 10, 0, 22, 0, 11, 13 } };
        font.texture = { 64, 32, std::vector<uint32_t>(64 * 32, 0xFFFFFFFF) };
        std::filesystem::create_directories("data/fonts");
        std::string error;
        ASSERT_TRUE(tex::WriteFont("data/fonts/test", font, error)) << error;
        m_font = std::make_unique<CFont>();
        m_font->Init("test");
        g_pFont = m_font.get();

        m_savedFrameTime = FrameTime;
        menu.renderScene = 0;
        menu.highlightColour = 0;
        menu.Init();
        menu.AddButtons(CZJStartMenu::kMainLayout);
        for (CMainMenuButton* button : menu.buttons)
            button->state = CMainMenuButton::kIdle;
    }
    void ReleaseScene() override
    {
        FrameTime = m_savedFrameTime;
        menu.ReleaseResources(false);
        menu.ClearControls();
        EffectRenderManager.FreeBuffers();
        g_pFont = nullptr;
        m_font.reset();
        g_pSurfaceManager = nullptr;
        m_surfaces.reset();
    }

    // The menu's frame without presenting it: background, controls, tool-tip.
    void Frame()
    {
        DrawFrame(kClear, [this] {
            menu.RenderBackGround();
            menu.RenderControl();
            if (menu.toolTipControl)
                menu.RenderToolTip();
        });
    }
    // The centre of button i.
    plat::window::Point Centre(int i) const
    {
        const CMainMenuButton& button = *menu.buttons[i];
        return { (button.left + button.right) / 2, (button.top + button.bottom) / 2 };
    }
    // Frames of the mouse protocol with the mouse at the point, each of `seconds`.
    void Hover(plat::window::Point at, int frames, float seconds)
    {
        host.mouse = at;
        FrameTime = seconds;
        for (int i = 0; i < frames; ++i)
            menu.ProcessMessages();
    }

    bool m_whiteNoise = false; // a white, opaque "TEX_INT_NOISE"
    std::unique_ptr<CSurfaceManager> m_surfaces;
    std::unique_ptr<CFont> m_font;
    uitest::FakeMenuHost host;
    SceneMenu menu;
    float m_savedFrameTime = 0.0f;
};

TEST_F(StartMenuGlTest, thePanelShowsItsFiveIdleButtonsFromRowSeventeenOfTheirColumns)
{
    Frame();
    // The panel: 232 x 320, centred, on the bottom edge.
    EXPECT_EQ(menu.panelLeft, 284);
    EXPECT_EQ(menu.panelTop, 280);
    EXPECT_TRUE(At(290, 300, kPanel & 0xFFFFFF));
    EXPECT_TRUE(At(500, 590, kPanel & 0xFFFFFF));
    EXPECT_TRUE(At(280, 300, 0x000000)) << "without the scene the background is black";
    for (int i = 0; i < CMenu1::kButtons; ++i) {
        const CMainMenuButton& button = *menu.buttons[i];
        EXPECT_EQ(button.left, 309) << i;
        EXPECT_EQ(button.top, int32_t(i * 61.5f + 283.0f)) << i;
        const uint32_t colour
            = CellColour(CZJStartMenu::kMainLayout[i].column, CMainMenuButton::kIdleRow, 0x40);
        EXPECT_TRUE(At(Centre(i).x, Centre(i).y, colour)) << "button " << i;
        EXPECT_TRUE(At(button.left + 3, button.top + 3, colour)) << "button " << i;
        EXPECT_TRUE(At(button.right - 4, button.bottom - 4, colour)) << "button " << i;
    }
}

TEST_F(StartMenuGlTest, aHoveredButtonShowsItsHighlightFrame)
{
    Hover(Centre(2), 1, 0.04f);
    ASSERT_EQ(menu.buttons[2]->state, CMainMenuButton::kHovered);
    menu.buttons[2]->phase = 0.13f; // frame 3 of the 25-a-second loop
    Frame();
    EXPECT_TRUE(At(Centre(2).x, Centre(2).y, CellColour(CZJStartMenu::kMainLayout[2].column, 3, 0xC0)));
    EXPECT_TRUE(At(Centre(1).x, Centre(1).y,
        CellColour(CZJStartMenu::kMainLayout[1].column, CMainMenuButton::kIdleRow, 0x40)));
}

TEST_F(StartMenuGlTest, aCaptionHoveredForMoreThanHalfASecondShowsItsToolTip)
{
    menu.buttons[0]->caption = "AB";
    const plat::window::Point at = Centre(0);
    Hover(at, 5, 0.1f);
    EXPECT_EQ(menu.toolTipControl, nullptr) << "0.5 s is not yet more than half a second";
    Hover(at, 1, 0.1f);
    ASSERT_EQ(menu.toolTipControl, menu.buttons[0]);
    Frame();
    // "AB" is 22 pixels wide and the line 14 high: the box is 26 x 18, from 2 left of the text.
    const int32_t right = at.x + 26 - 2;
    const int32_t left = right - 26 - 2;
    const int32_t top = at.y - 18 + 2 + 2;
    EXPECT_TRUE(At(left, top + 9, kTipFrame & 0xFFFFFF));
    EXPECT_TRUE(At(right - 1, top + 9, kTipFrame & 0xFFFFFF));
    EXPECT_TRUE(At(left + 10, top + 17, kTipFrame & 0xFFFFFF));
    EXPECT_TRUE(At(left + 2, top + 2, 0xFFFF80)) << "the text in 0xFFFFFF80";
    EXPECT_TRUE(At(left + 10, top + 5, 0x000000)) << "the shadow right of the A";
    EXPECT_TRUE(At(left + 12, top + 11, kTipCentre & 0xFFFFFF)) << "the centre piece below the text";
    EXPECT_TRUE(At(right + 1, top + 9, CellColour(0, 0, 0xC0))) << "the hovered button right of the box";
}

TEST_F(StartMenuGlTest, theSceneIsDrawnIntoTheMenusTargetAndStretchedOverTheScreen)
{
    menu.PreProcess();
    ASSERT_NE(menu.targetSurface, nullptr);
    menu.renderScene = 1;
    const int framesBefore = host.frames;
    Frame();
    EXPECT_EQ(host.frames, framesBefore) << "only the presented frame counts a frame";
    EXPECT_EQ(menu.sceneTarget, menu.targetSurface);
    EXPECT_EQ(g_Graphic.CurrentTarget(), g_Graphic.RenderTarget()) << "the screen is the target again";
    // 512 x 512 over 800 x 600: the top half of the target covers the screen's top 300 rows.
    EXPECT_TRUE(At(20, 20, kSceneTop & 0xFFFFFF));
    EXPECT_TRUE(At(780, 280, kSceneTop & 0xFFFFFF)) << "right of the target's own 512 columns";
    EXPECT_TRUE(At(780, 320, kSceneBottom & 0xFFFFFF));
    EXPECT_TRUE(At(20, 580, kSceneBottom & 0xFFFFFF));
    EXPECT_TRUE(At(505, 450, kPanel & 0xFFFFFF)) << "the panel over the scene";
}

TEST_F(StartMenuGlTest, withoutItsTargetTheSceneIsNotDrawnAndTheScreenIsCleared)
{
    menu.renderScene = 1;
    menu.drawPanel = 0;
    Frame();
    EXPECT_EQ(menu.sceneTarget, nullptr);
    EXPECT_TRUE(At(20, 20, 0x000000));
}

class NoiseGlTest : public StartMenuGlTest {
protected:
    NoiseGlTest() { m_whiteNoise = true; }
};

TEST_F(NoiseGlTest, theNoiseOverlayTakesItsColourAndStrength)
{
    // A white noise picture shows the overlay's colour at full strength, half of it at half.
    DrawFrame(kClear, [this] { menu.RenderNoise(0x8040C0, 1.0f); });
    EXPECT_TRUE(At(400, 300, 0x8040C0));
    DrawFrame(0xFF000000u, [this] { menu.RenderNoise(0x8040C0, 0.5f); });
    EXPECT_TRUE(At(400, 300, 0x402060));
}

TEST_F(StartMenuGlTest, theBackPanelIsLitFromTheMouseThroughItsBumpPicture)
{
    ASSERT_GE(menu.bumpTexture, 0);
    menu.highlightColour = 0x5080FF;
    const uint32_t x = 505, y = 450; // on the back panel, right of the buttons
    const auto lit = [&](plat::window::Point mouse) {
        host.mouse = mouse;
        Frame();
        return Pixel(x, y);
    };
    // Normals leaning towards the light add the factor colour; turned away from it, nothing.
    const uint32_t towards = lit({ 0, 0 });
    const uint32_t away = lit({ 799, 599 });
    const auto blue = [](uint32_t rgb) { return int(rgb & 255); };
    EXPECT_GT(blue(towards), blue(kPanel) + 40) << Hex(towards);
    EXPECT_GT(blue(towards), blue(away) + 40) << Hex(towards) << " " << Hex(away);
    EXPECT_TRUE(At(x, y, kPanel & 0xFFFFFF)) << "lit from the bottom right";
    menu.highlightColour = 0;
    lit({ 0, 0 });
    EXPECT_TRUE(At(x, y, kPanel & 0xFFFFFF)) << "a black factor adds nothing";
}

} // namespace
