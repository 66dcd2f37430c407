// The menu tool-tip drawn by the OpenGL backend on the offscreen driver at 800 x 600: its frame
// pieces cut from an interface texture the test paints (one colour per piece) and its caption in
// 0xFFFFFF80, after 0.6 s of hover; read back ±2 a channel. A failed check leaves "tooltip.bmp" in
// the test's folder.
#include "foundation/CTimer.h"
#include "platform/gfx/device.h"
#include "platform/win/text.h"
#include "render/CFont.h"
#include "render/CModelManager.h"
#include "render/TexShaderManager.h"
#include "render/TextureManager.h"
#include "tests/render/render_fixture.h"
#include "tests/support/gl_environment.h"
#include "tests/ui/fake_menu_host.h"
#include "tools/texture/font_file.h"
#include "tools/texture/image_files.h"
#include "ui/CBaseMenu.h"
#include "ui/InterfaceAtlas.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

namespace tex = zoq::tools::texture;
using namespace plat::gfx;

namespace {

constexpr uint32_t kWidth = 800;
constexpr uint32_t kHeight = 600;
constexpr uint32_t kClear = 0xFF102030u;

// Piece i of the frame in colour 0xFF000000 | (i + 1) * 0x101010 + 0x000040.
uint32_t PieceColour(int i)
{
    return 0xFF000040u + uint32_t(i + 1) * 0x101010u;
}

class MenuGlTest : public RenderTest {
protected:
    void SetUp() override
    {
        RenderTest::SetUp();
        ASSERT_TRUE(zoq::test::GlEnvironment::DriverReady());
        ASSERT_TRUE(g_Graphic.CreateDirect3D("gl"));
        ASSERT_TRUE(g_Graphic.CreateDevice(0, kWidth, kHeight, 32, Format::X8R8G8B8, 0, 0, true,
            MultiSample::None, 0, 1, PresentInterval::Default, true, &m_screen));
        m_shaders = std::make_unique<TexShaderManager>();
        ASSERT_TRUE(m_shaders->Init(true));
        g_TexShaderManager = m_shaders.get();
        m_models = std::make_unique<CModelManager>();
        m_models->Init();
        g_pModelManager = m_models.get();
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
        m_textures = std::make_unique<TextureManager>();
        m_textures->Init(CP1251("Текстуры"));
        g_pTextureManager = m_textures.get();
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
    void TearDown() override
    {
        if (HasFailure())
            SaveScreen();
        menu.ClearControls();
        g_pFont = nullptr;
        m_font.reset();
        g_pTextureManager = nullptr;
        m_textures.reset();
        g_pModelManager = nullptr;
        m_models.reset();
        g_TexShaderManager = nullptr;
        m_shaders.reset();
        Mesh::ResetStreamCache();
        ClearStageTextureCache();
        FrameTime = 0.025f;
        RenderTest::TearDown();
    }
    uint32_t Pixel(uint32_t x, uint32_t y)
    {
        Surface* target = g_Graphic.RenderTarget();
        LockedRect locked;
        EXPECT_EQ(target->LockRect(locked, nullptr, lock::kReadOnly), Result::Ok);
        uint32_t value = 0;
        std::memcpy(&value, static_cast<const uint8_t*>(locked.bits) + y * uint32_t(locked.pitch) + 4 * x, 4);
        target->UnlockRect();
        return value & 0xFFFFFF;
    }
    ::testing::AssertionResult At(uint32_t x, uint32_t y, uint32_t expected)
    {
        const uint32_t actual = Pixel(x, y);
        for (int shift : { 0, 8, 16 })
            if (std::abs(int((actual >> shift) & 255) - int((expected >> shift) & 255)) > 2) {
                char text[64];
                std::snprintf(
                    text, sizeof text, "(%u, %u) is %06X, not %06X", x, y, actual, expected & 0xFFFFFF);
                return ::testing::AssertionFailure() << text;
            }
        return ::testing::AssertionSuccess();
    }
    void SaveScreen()
    {
        Surface* target = g_Graphic.RenderTarget();
        LockedRect locked;
        if (target->LockRect(locked, nullptr, lock::kReadOnly) != Result::Ok)
            return;
        std::vector<uint32_t> argb(size_t(kWidth) * kHeight);
        for (uint32_t y = 0; y < kHeight; ++y)
            std::memcpy(&argb[size_t(y) * kWidth],
                static_cast<const uint8_t*>(locked.bits) + y * uint32_t(locked.pitch), 4 * kWidth);
        target->UnlockRect();
        for (uint32_t& pixel : argb)
            pixel |= 0xFF000000u;
        WriteBytes(m_dir / "tooltip.bmp", tex::MakeBmp(argb, kWidth, kHeight, 32, true));
    }

    zoq::test::GlEnvironment m_gl;
    zoq::test::FakeWindow m_screen { kWidth, kHeight };
    std::unique_ptr<TexShaderManager> m_shaders;
    std::unique_ptr<CModelManager> m_models;
    std::unique_ptr<TextureManager> m_textures;
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

    Device().Clear(0, nullptr, clear::kTarget | clear::kZBuffer, kClear, 1.0f, 0);
    ASSERT_EQ(Device().BeginScene(), Result::Ok);
    m_shaders->SetDefaultStages();
    menu.RenderToolTip();
    ASSERT_EQ(Device().EndScene(), Result::Ok);

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
