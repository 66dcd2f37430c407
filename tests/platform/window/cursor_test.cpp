#include "platform/window/cursor.h"
#include "platform/window/window.h"
#include "tests/platform/window/sdl_events.h"

#include <gtest/gtest.h>

namespace {

using namespace plat::window;

class CursorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearMessages();
        ResetCursor();
        WindowDesc desc;
        desc.className = "ZOQWC0";
        desc.x = 10;
        desc.y = 20;
        desc.width = 800;
        desc.height = 600;
        window = Window::Create(desc);
        ASSERT_TRUE(window);
        DrainEvents();
    }

    void TearDown() override
    {
        window.reset();
        ResetCursor();
        ClearMessages();
    }

    std::unique_ptr<Window> window;
};

TEST_F(CursorTest, displayCounterShouldFollowTheShowAndHideCallsOfStartMenusAndExit)
{
    enum class Call { Show, Hide, NoShape };
    struct Step {
        Call call;
        int count;
        bool visible;
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        // Start hides; a menu shows with the system cursor and hides again; exit shows.
        { "system cursor",
            { { Call::Hide, -1, false }, { Call::Show, 0, true }, { Call::Hide, -1, false },
                { Call::Show, 0, true } } },
        // Without it every show call hides and the shape goes, so the cursor never appears.
        { "drawn cursor",
            { { Call::Hide, -1, false }, { Call::Hide, -2, false }, { Call::NoShape, -2, false },
                { Call::Hide, -3, false }, { Call::NoShape, -3, false }, { Call::Show, -2, false } } },
        { "shown but without a shape", { { Call::NoShape, 0, false }, { Call::Show, 1, false } } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetCursor();
        for (const Step& s : c.steps) {
            if (s.call == Call::NoShape)
                SetCursorShape(CursorShape::None);
            else
                EXPECT_EQ(ShowCursor(s.call == Call::Show), s.count);
            EXPECT_EQ(CursorDisplayCount(), s.count);
            EXPECT_EQ(IsCursorVisible(), s.visible);
        }
    }
}

TEST_F(CursorTest, positionsShouldMapThroughTheLetterboxedRectangle)
{
    struct Case {
        Size logical;
        Rect output;
        Point window;
        Point client;
    };
    const Case cases[] = {
        { { 0, 0 }, { 0, 0, 800, 600 }, { 123, 456 }, { 123, 456 } },
        { { 640, 240 }, { 0, 150, 800, 300 }, { 400, 300 }, { 320, 120 } },
        { { 640, 240 }, { 0, 150, 800, 300 }, { 0, 150 }, { 0, 0 } },
        { { 640, 240 }, { 0, 150, 800, 300 }, { 799, 449 }, { 639, 239 } },
        { { 400, 600 }, { 200, 0, 400, 600 }, { 250, 10 }, { 50, 10 } },
        { { 400, 300 }, { 0, 0, 800, 600 }, { 401, 301 }, { 200, 150 } },
    };
    for (const Case& c : cases) {
        window->SetLogicalSize(c.logical.width, c.logical.height);
        EXPECT_EQ(window->OutputRect(), c.output);
        test::PushMotion(*window, c.window.x, c.window.y, 1, 1);
        DrainEvents();
        EXPECT_EQ(window->CursorClientPos(), c.client) << c.window.x << "," << c.window.y;
    }
    Point origin = window->Position();
    Point screen = window->CursorScreenPos();
    EXPECT_EQ(screen, (Point { 200 + origin.x, 150 + origin.y }));
}

TEST_F(CursorTest, relativeModeShouldMoveByDeltasClampedToTheClientArea)
{
    window->SetLogicalSize(640, 480);
    test::PushMotion(*window, 400, 300, 0, 0);
    test::Focus(*window);
    EXPECT_FALSE(window->IsRelativeMouse());
    window->SetConfined(true);
    EXPECT_FALSE(window->IsRelativeMouse()); // the cursor is still shown
    ShowCursor(false);
    ASSERT_TRUE(window->IsRelativeMouse());

    struct Step {
        int xrel;
        int yrel;
        Point client;
    };
    // Deltas scale like positions (800 x 600 onto 640 x 480) and go on past the edges.
    const Step steps[] = {
        { 10, -5, { 328, 236 } },
        { -5000, 0, { 0, 236 } },
        { -10, 0, { 0, 236 } },
        { 5000, 5000, { 639, 479 } },
        { -5, -5, { 635, 475 } },
    };
    for (const Step& s : steps) {
        test::PushMotion(*window, 0, 0, s.xrel, s.yrel);
        DrainEvents();
        EXPECT_EQ(window->CursorClientPos(), s.client);
    }

    test::Focus(*window, false);
    EXPECT_FALSE(window->IsRelativeMouse());
    test::Focus(*window);
    EXPECT_TRUE(window->IsRelativeMouse());
    window->SetConfined(false);
    EXPECT_FALSE(window->IsRelativeMouse());
    window->SetStyle(Style::FullScreen);
    EXPECT_TRUE(window->IsRelativeMouse());
}

} // namespace
