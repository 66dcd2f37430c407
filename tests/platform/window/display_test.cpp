#include "platform/window/display.h"

#include <gtest/gtest.h>

namespace {

using namespace plat::window;

TEST(Display, anOffscreenDriverShouldGiveTheDesktopSizeInBothFormats)
{
    ClearDisplayModeOverride();
    DisplayMode desktop = DesktopMode();
    ASSERT_GT(desktop.width, 0);
    EXPECT_EQ(desktop.refresh, 60);
    EXPECT_EQ(DisplayModes(),
        (std::vector<DisplayMode> { { desktop.width, desktop.height, 60, DisplayFormat::X8R8G8B8 },
            { desktop.width, desktop.height, 60, DisplayFormat::R5G6B5 } }));
}

TEST(Display, anOverrideShouldReplaceTheDriverUntilCleared)
{
    std::vector<DisplayMode> modes { { 800, 600, 75, DisplayFormat::X8R8G8B8 },
        { 800, 600, 75, DisplayFormat::R5G6B5 } };
    OverrideDisplayModes(modes, modes[0]);
    EXPECT_EQ(DisplayModes(), modes);
    EXPECT_EQ(DesktopMode(), modes[0]);
    ClearDisplayModeOverride();
    EXPECT_NE(DisplayModes(), modes);
}

} // namespace
