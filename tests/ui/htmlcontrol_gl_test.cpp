// The mark-up list control drawn by the OpenGL backend on the offscreen driver at 800 x 600, with
// a font of solid glyphs and a scroll-bar texture the test paints (its pieces in one colour), read
// back pixel by pixel (±2 a channel): the scroll bar only for tall text, text only
// inside the window, a reference in its colour, and the save list with its lines and the chosen
// save's screenshot (±8 after DXT3). A failed check leaves "htmlcontrol.bmp" in the test's folder.
#include "render/CFont.h"
#include "tests/ui/fake_menu_host.h"
#include "tests/ui/ui_gl_fixture.h"
#include "tools/texture/font_file.h"
#include "tools/texture/image_files.h"
#include "ui/CHtmlControl.h"
#include "ui/CLoadSaveMenu.h"
#include "ui/CZJHtmlWindow.h"
#include "ui/InterfaceAtlas.h"
#include "ui/SaveHeader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace tex = zoq::tools::texture;
using namespace plat::gfx;
using uitest::Hex;
using uitest::Painted;

namespace {

constexpr uint32_t kClear = 0x102030u;
constexpr uint32_t kTrack = 0x40C040u;
constexpr uint32_t kText = 0xFFFFFFu;

// Glyphs of solid white, one line 16 pixels high.
tex::FontFile SolidFont()
{
    tex::FontFile font;
    font.metrics[0] = 16;
    for (uint32_t c = ' '; c < 128; ++c)
        font.glyphs.push_back({ c, 0, 0, c == ' ' ? 4 : 8, 0, c == ' ' ? 1 : 8, 14 });
    font.texture = Painted(16, 16, 0xFFFFFFFFu);
    return font;
}

class HtmlControlGlTest : public uitest::UiGlTest {
protected:
    HtmlControlGlTest()
        : UiGlTest("htmlcontrol")
    {
    }
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(UiGlTest::SetUp());
        tex::Picture bar = Painted(atlas::kScrollSize, atlas::kScrollSize, 0);
        for (const SAtlasPiece& piece : atlas::kScroll)
            for (int32_t y = piece.v; y < piece.v + piece.height; ++y)
                for (int32_t x = piece.u; x < piece.u + piece.width; ++x)
                    bar.argb[size_t(y) * atlas::kScrollSize + size_t(x)] = 0xFF000000u | kTrack;
        WriteBytes("prok.dds", tex::EncodeDds32(bar));
        WriteTable(CP1251("Текстуры"),
            { { atlas::kScrollTexture, { { "Filename", "prok.dds" }, { "TEXTURETYPE", "2" } } } });
        InitTextures();
        std::filesystem::create_directories("data/fonts");
        std::string error;
        ASSERT_TRUE(tex::WriteFont("data/fonts/solid", SolidFont(), error)) << error;
        m_font = std::make_unique<CFont>();
        m_font->Init("solid");
        g_pFont = m_font.get();
        m_host.runningTime = 0.5; // links are past their flash
    }
    void ReleaseScene() override
    {
        g_pFont = nullptr;
        m_font.reset();
    }

    void Frame(CHtmlControl& control)
    {
        Frame([&] { control.Render(); });
    }
    template <class Draw> void Frame(Draw draw) { DrawFrame(0xFF000000u | kClear, draw); }
    // Pixels of the rectangle that are not the clear colour, from one read of the target.
    int PaintedPixels(int32_t left, int32_t top, int32_t right, int32_t bottom)
    {
        Surface* target = g_Graphic.RenderTarget();
        LockedRect locked;
        EXPECT_EQ(target->LockRect(locked, nullptr, lock::kReadOnly), Result::Ok);
        int count = 0;
        for (int32_t y = top; y < bottom; ++y) {
            const auto* row = static_cast<const uint8_t*>(locked.bits) + size_t(y) * size_t(locked.pitch);
            for (int32_t x = left; x < right; ++x) {
                uint32_t value = 0;
                std::memcpy(&value, row + 4 * size_t(x), 4);
                count += (value & 0xFFFFFF) != kClear;
            }
        }
        target->UnlockRect();
        return count;
    }

    uitest::FakeMenuHost m_host;
    std::unique_ptr<CFont> m_font;
};

TEST_F(HtmlControlGlTest, theScrollBarShowsOnlyForTextTallerThanTheWindow)
{
    CHtmlControl control(100, 100, 400, 200);
    control.window->AddText("short", "A", true);
    Frame(control);
    EXPECT_TRUE(At(394, 150, kClear));
    EXPECT_FALSE(control.ScrollBarShown());
    for (int i = 0; i < 10; ++i)
        control.window->AddText("line", ("L" + std::to_string(i)).c_str(), true);
    Frame(control);
    EXPECT_TRUE(control.ScrollBarShown());
    EXPECT_TRUE(At(394, 150, kTrack));
    EXPECT_TRUE(At(394, 105, kTrack)); // the up arrow
    EXPECT_TRUE(At(394, 195, kTrack)); // the down arrow
}

TEST_F(HtmlControlGlTest, noTextPixelFallsOutsideTheWindow)
{
    CHtmlControl control(100, 100, 300, 140);
    control.showScrollBar = 0;
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += "WWWW ";
    control.window->AddText("<color:ffffff>" + CXAnsiString(text.c_str()), "A", true);
    Frame(control);
    EXPECT_GT(PaintedPixels(100, 100, 286, 140), 0);
    EXPECT_EQ(PaintedPixels(0, 140, 400, 200), 0);
    EXPECT_EQ(PaintedPixels(286, 90, 400, 140), 0);
    EXPECT_EQ(PaintedPixels(0, 80, 400, 100), 0);
}

TEST_F(HtmlControlGlTest, aReferenceIsDrawnInItsColour)
{
    CHtmlControl control(100, 100, 400, 200);
    control.window->referenceColour = 0xA099EA;
    control.window->AddText("<reference:Title=ZJ_1.sav>", "ZJ_1.sav", true);
    Frame(control);
    EXPECT_TRUE(At(103, 106, 0xA099EA));
    EXPECT_TRUE(At(103, 106 + 20, kClear));
}

TEST_F(HtmlControlGlTest, theSaveListShowsItsLinesInTheirColourAndTheChosenSavesScreenshot)
{
    constexpr uint32_t kShot = 0x3060C0;
    for (const char* name : { "ZJ_1.sav", "ZJ_2.sav" }) {
        SaveHeader header;
        header.title = name;
        header.version = SaveHeader::kScreenshotVersion;
        const auto head = header.Encode();
        std::vector<uint8_t> bytes(head.begin(), head.end());
        for (size_t i = 0; i < SaveHeader::kScreenshotSize / 4; ++i)
            bytes.insert(bytes.end(), { uint8_t(kShot), uint8_t(kShot >> 8), uint8_t(kShot >> 16), 0 });
        WriteBytes(std::filesystem::path("SAVES") / name, bytes);
    }
    CLoadSaveMenu menu(false);
    menu.centred = 1;
    ASSERT_TRUE(menu.Init());
    CHtmlControl& list = *menu.List();
    const MHTLLine& first = list.window->Line(list.window->Block(0).lastLine);
    const auto draw = [&] {
        menu.RenderBackGround();
        list.Render();
    };
    Frame(draw);
    EXPECT_TRUE(At(uint32_t(first.x1 + 2), uint32_t(first.y1 + 6), 0xA099EA));
    m_host.mouse = { first.x1 + 2, first.y1 + 6 };
    m_host.leftEvents = 0xC0;
    menu.ProcessMouse(&list, m_host.mouse.x, m_host.mouse.y);
    m_host.leftEvents = 0;
    ASSERT_FALSE(menu.chosenName.empty());
    ASSERT_NE(menu.Preview(), nullptr);
    Frame(draw);
    const uint32_t shown = Pixel(uint32_t(menu.panelLeft + 148), uint32_t(menu.panelTop + 141));
    for (int shift : { 0, 8, 16 })
        EXPECT_NEAR(int(shown >> shift & 255), int(kShot >> shift & 255), 8) << Hex(shown);
}

} // namespace
