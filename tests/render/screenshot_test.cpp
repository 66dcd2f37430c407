#include "tests/render/render_fixture.h"

#include "render/Screenshot.h"
#include "tests/support/le_bytes.h"

#include <cstring>

using namespace plat::gfx;

namespace {

using zoq::test::U32At;

class ScreenshotTest : public RenderTest {
protected:
    // The back buffer: red above, blue in the bottom row.
    void Paint()
    {
        Device().Clear(0, nullptr, clear::kTarget, 0xFFFF0000, 1, 0);
        const uint32_t height = g_Graphic.RenderTarget()->Height();
        const Rect bottom { 0, int32_t(height) - 1, int32_t(g_Graphic.RenderTarget()->Width()),
            int32_t(height) };
        Device().Clear(1, &bottom, clear::kTarget, 0xFF0000FF, 1, 0);
    }
};

} // namespace

TEST_F(ScreenshotTest, writesTheBackBufferBottomUp)
{
    m_window.size = { 1024, 768 };
    ASSERT_TRUE(CreateGraphic());
    Paint();
    SaveScreenshot();
    const Bytes file = ReadBytes("screen1.bmp");
    ASSERT_EQ(file.size(), 3145782u);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(U32At(file, 2), 3145782u);
    EXPECT_EQ(U32At(file, 10), 54u);
    EXPECT_EQ(U32At(file, 14), 40u);
    EXPECT_EQ(U32At(file, 18), 1024u);
    EXPECT_EQ(U32At(file, 22), 768u);
    EXPECT_EQ(file[28], 32);
    EXPECT_EQ(U32At(file, 34), 1024u * 768 * 4);
    EXPECT_EQ(U32At(file, 54) & 0xFFFFFF, 0x0000FFu); // bottom row first
    EXPECT_EQ(U32At(file, 54 + 1024 * 4) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(U32At(file, file.size() - 4) & 0xFFFFFF, 0xFF0000u);
    EXPECT_FALSE(LogExists());
}

TEST_F(ScreenshotTest, takesTheFirstFreeNumber)
{
    ASSERT_TRUE(CreateGraphic());
    WriteText("screen2.bmp", "x");
    SaveScreenshot();
    EXPECT_TRUE(std::filesystem::exists("screen1.bmp"));
    SaveScreenshot();
    EXPECT_TRUE(std::filesystem::exists("screen3.bmp"));
    EXPECT_EQ(ReadBytes("screen2.bmp").size(), 1u);
}

TEST_F(ScreenshotTest, sixteenBitBackBuffersAreWidened)
{
    ASSERT_TRUE(g_Graphic.CreateDirect3D("null"));
    ASSERT_TRUE(g_Graphic.CreateDevice(0, 640, 480, 16, Format::Unknown, 60, 1, false, MultiSample::None, 1,
        1, PresentInterval::One, true, &m_window));
    ASSERT_EQ(g_Graphic.RenderTarget()->GetFormat(), Format::R5G6B5);
    Paint();
    SaveScreenshot();
    const Bytes file = ReadBytes("screen1.bmp");
    ASSERT_EQ(file.size(), 54u + 640 * 480 * 4);
    EXPECT_EQ(U32At(file, 54) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(U32At(file, file.size() - 4) & 0xFFFFFF, 0xFF0000u);
}

TEST_F(ScreenshotTest, aFailedCopyWritesNoFile)
{
    ASSERT_TRUE(CreateGraphic());
    null::GetConfig().failCopyRects = true;
    SaveScreenshot();
    null::GetConfig().failCopyRects = false;
    null::GetConfig().failCreates = 1;
    SaveScreenshot();
    EXPECT_FALSE(std::filesystem::exists("screen1.bmp"));
    EXPECT_EQ(LogMessages(),
        (std::vector<std::string> {
            "Can`t copy rects from back buffer", "Can`t copy rects from back buffer" }));
}

TEST_F(ScreenshotTest, bmpWriterAndPixelRectangles)
{
    const uint8_t pixels[2 * 2 * 3] = { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12 };
    WriteBMP("small.bmp", 2, 2, pixels, 3);
    const Bytes file = ReadBytes("small.bmp");
    ASSERT_EQ(file.size(), 54u + 12);
    EXPECT_EQ(file[28], 24);
    EXPECT_TRUE(std::equal(pixels, pixels + 12, file.begin() + 54));

    std::filesystem::create_directory("folder");
    WriteBMP("folder", 2, 2, pixels, 3);
    EXPECT_EQ(LogMessages(), std::vector<std::string> { "Can`t create file folder" });

    uint8_t target[3][8] = {};
    const uint8_t source[3][10] = { { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 },
        { 11, 12, 13, 14, 15, 16, 17, 18, 19, 20 }, { 21, 22, 23, 24, 25, 26, 27, 28, 29, 30 } };
    CopyPixelRect(target, source, 7, 8, 10, 2);
    EXPECT_EQ(target[0][6], 7);
    EXPECT_EQ(target[0][7], 0);
    EXPECT_EQ(target[1][0], 11);
    EXPECT_EQ(target[2][0], 0);
    CopyPixelRect(target[2], source, 7, 8, 10, 0);
    EXPECT_EQ(target[2][0], 0);
    ClearPixelRect(target, 3, 8, 2);
    EXPECT_EQ(target[0][2], 0);
    EXPECT_EQ(target[0][3], 4);
    EXPECT_EQ(target[1][2], 0);
}
