// The menu tool-tip drawn by the OpenGL backend on the offscreen driver at 800 x 600: its frame
// pieces cut from an interface texture the test paints (one colour per piece) and its caption in
// 0xFFFFFF80, after 0.6 s of hover; read back ±2 a channel. A failed check leaves "tooltip.bmp" in
// the test's folder.
#include "foundation/CTimer.h"
#include "render/CFont.h"
#include "tests/ui/fake_menu_host.h"
#include "tests/ui/ui_gl_fixture.h"
#include "tools/texture/font_file.h"
#include "tools/texture/image_files.h"
#include "ui/CBaseMenu.h"
#include "ui/InterfaceAtlas.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tex = zoq::tools::texture;
using namespace plat::gfx;

namespace {

constexpr uint32_t kClear = 0xFF102030u;

// Piece i of the frame in colour 0xFF000000 | (i + 1) * 0x101010 + 0x000040.
uint32_t PieceColour(int i)
{
    return 0xFF000040u + uint32_t(i + 1) * 0x101010u;
}

class MenuGlTest : public uitest::UiGlTest {
protected:
    MenuGlTest()
        : UiGlTest("tooltip")
    {
    }
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(UiGlTest::SetUp());
        tex::Picture icons { 256, 256, std::vector<uint32_t>(256 * 256, 0) };
        for (int i = 0; i < 9; ++i) {
            const SAtlasPiece& piece = atlas::kToolTip[i];
            for (int y = piece.v; y < piece.v + piece.height; ++y)
                for (int x = piece.u; x < piece.u + piece.width; ++x)
                    icons.argb[size_t(y) * 256 + size_t(x)] = PieceColour(i);
        }
        WriteBytes("int_icons.dds", tex::EncodeDds32(icons));
        WriteTable(CP1251("Текстуры"),
            { { atlas::kTexture, { { "Filename", "int_icons.dds" }, { "TEXTURETYPE", "2" } } } });
        InitTextures();
        tex::FontFile font;
        font.metrics[0] = 14;
        font.glyphs = { { 'A', 0, 0, 10, 0, 9, 13 } };
        font.texture = { 32, 16, std::vector<uint32_t>(32 * 16, 0xFFFFFFFF) };
        std::filesystem::create_directories("data/fonts");
        std::string error;
        ASSERT_TRUE(tex::WriteFont("data/fonts/tip", font, error)) << error;
        m_font = std::make_unique<CFont>();
        m_font->Init("tip");
        g_pFont = m_font.get();
    }
    void ReleaseScene() override
    {
        menu.ClearControls();
        g_pFont = nullptr;
        m_font.reset();
        FrameTime = 0.025f;
    }

    std::unique_ptr<CFont> m_font;
    uitest::FakeMenuHost host;
    CBaseMenu menu;
};

TEST_F(MenuGlTest, aCaptionHoveredForMoreThanHalfASecondShowsInAFramedBox)
{
    auto* control = new CMenuControl(280, 280, 340, 320);
    control->caption = "AAA";
    menu.AddControl(control);
    host.mouse = { 300, 300 };
    FrameTime = 0.2f;
    for (int i = 0; i < 3; ++i)
        menu.CBaseMenu::ProcessMessages();
    ASSERT_EQ(menu.toolTipControl, control);

    ASSERT_NO_FATAL_FAILURE(DrawFrame(kClear, [this] { menu.RenderToolTip(); }));

    // Width 3 x 10 + 4, height 14 + 4: the box spans x 296 .. 332, y 286 .. 304.
    EXPECT_TRUE(At(296, 286, PieceColour(atlas::kTopLeft)));
    EXPECT_TRUE(At(314, 286, PieceColour(atlas::kTop)));
    EXPECT_TRUE(At(331, 303, PieceColour(atlas::kBottomRight)));
    EXPECT_TRUE(At(296, 295, PieceColour(atlas::kLeft)));
    EXPECT_TRUE(At(328, 295, PieceColour(atlas::kCentre)));
    EXPECT_TRUE(At(302, 294, 0xFFFF80)) << "the caption over its shadow";
    EXPECT_TRUE(At(294, 295, kClear)) << "nothing left of the box";
    EXPECT_TRUE(At(333, 295, kClear)) << "nor right of it";
}

} // namespace
