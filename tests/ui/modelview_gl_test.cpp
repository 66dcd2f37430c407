// A model named in the mark-up drawn by the OpenGL backend on the offscreen driver at 800 x 600:
// its 3-D view fills part of its 200 x 150 place, turns with the running time, and shows only the
// part of the place inside the window. A failed check leaves "modelview.bmp" in the test's folder.
#include "tests/ui/fake_menu_host.h"
#include "tests/ui/ui_gl_fixture.h"
#include "tools/model/model_writer.h"
#include "tools/texture/font_file.h"
#include "tools/texture/image_files.h"
#include "ui/CZJHtmlWindow.h"

#include <gtest/gtest.h>

namespace tex = zoq::tools::texture;

namespace {

constexpr uint32_t kClear = 0x102030u;

class ModelViewGlTest : public uitest::UiGlTest {
protected:
    ModelViewGlTest()
        : UiGlTest("modelview")
    {
    }
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(UiGlTest::SetUp());
        WriteBytes("white.dds", tex::EncodeDds32(uitest::Painted(8, 8, 0xFFFFFFFFu)));
        WriteTable(
            CP1251("Текстуры"), { { "TEX_WHITE", { { "Filename", "white.dds" }, { "TEXTURETYPE", "2" } } } });
        InitTextures();
        // A bar along y, a tenth as deep along x: seen from the side it is wide, end on narrow.
        SModelFile model;
        ASSERT_TRUE(zoq::tools::model::MakeModel("missile", "TEX_WHITE", model));
        WriteBytes("bar.mdl", zoq::tools::model::EncodeModelFile(model));
        WriteTable(CP1251("Модели"), { { "MOD_BAR", { { "Filename", "bar.mdl" }, { "Radius", "0.5" } } } });
        m_models->Init(CP1251("Модели"));
    }

    // The pixels of one screen row from x1 to x2 that are not the clear colour.
    int Drawn(int y, int x1, int x2)
    {
        const std::vector<uint32_t> screen = Screen();
        int count = 0;
        for (int x = x1; x < x2; ++x)
            count += screen[size_t(y) * kWidth + size_t(x)] != kClear;
        return count;
    }
    // The window drawn at the running time. A place 200 wide is centred on its own line in a window
    // 300 wide.
    void DrawAt(double seconds, CZJHtmlWindow& window)
    {
        m_host.runningTime = seconds;
        ASSERT_NO_FATAL_FAILURE(DrawFrame(0xFF000000u | kClear, [&] { window.Render(); }));
    }

    uitest::FakeMenuHost m_host;
};

TEST_F(ModelViewGlTest, aModelInTheMarkupDrawsItsTurningViewInsideTheWindow)
{
    CZJHtmlWindow window(100, 100, 400, 500);
    window.AddText("<image:MOD_BAR>", "T", true);
    const MHTLLine& place = window.Line(window.LineCount() - 1);
    ASSERT_EQ(place.x2 - place.x1, 200);
    ASSERT_EQ(place.y2 - place.y1, 150);
    const int middle = (place.y1 + place.y2) / 2;

    DrawAt(0.0, window);
    const int side = Drawn(middle, place.x1, place.x2);
    DrawAt(2.5, window); // a quarter turn: the bar end on
    const int end = Drawn(middle, place.x1, place.x2);
    DrawAt(5.0, window);
    const int otherSide = Drawn(middle, place.x1, place.x2);
    EXPECT_GT(side, 60) << "the bar drawn across its place";
    EXPECT_GT(end, 0);
    EXPECT_LT(end * 3, side) << "turned end on";
    EXPECT_NEAR(otherSide, side, 4);
    EXPECT_EQ(Drawn(middle, 0, place.x1), 0) << "nothing left of the place";
    EXPECT_EQ(Drawn(middle, place.x2, int(kWidth)), 0) << "nor right of it";

    // A window that ends below the middle row cuts the view at its bottom.
    CZJHtmlWindow shorter(100, 100, 400, middle + 10);
    shorter.AddText("<image:MOD_BAR>", "T", true);
    DrawAt(0.0, shorter);
    EXPECT_NEAR(Drawn(middle, place.x1, place.x2), side, 4) << "the same row of the view";
    EXPECT_EQ(Drawn(middle + 12, 0, int(kWidth)), 0) << "nothing below the window";
}

} // namespace
