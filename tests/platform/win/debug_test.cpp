// Debugger output: one UTF-8 line per message on stderr, none while it is turned off.
#include "platform/win/debug.h"

#include <gtest/gtest.h>

namespace {

TEST(DebugOutputTest, writesOneUtf8LineUnlessTurnedOff)
{
    testing::internal::CaptureStderr();
    plat::win::DebugOutput("shown \xC4\xE0");
    plat::win::SetDebugOutputEnabled(false);
    plat::win::DebugOutput("hidden");
    plat::win::SetDebugOutputEnabled(true);
    plat::win::DebugOutput("shown again\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "shown \xD0\x94\xD0\xB0\nshown again\n");
}

} // namespace
