#include "app/CZJApp.h"
#include "tests/app/app_fixture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class CommandLineTest : public apptest::TempDirTest { };

TEST_F(CommandLineTest, switchesSetTheLocationAndTheFreeCamera)
{
    struct {
        std::string line;
        const char* location;
        bool freeCamera;
    } const cases[] = {
        { "", "location1.zjp", false },
        { "-m location2.zjp -freecamera 1", "location2.zjp", true },
        { "-FreeCamera 0 -m loc3.zjp", "loc3.zjp", true },
        { "-freecamera -m x", "location1.zjp", true }, // "-m" is the free camera's value
        { "-M x", "location1.zjp", false },
        { "-m", "location1.zjp", false }, // a switch without its value
        { "m x", "location1.zjp", false },
        { "  -m x", "location1.zjp", false }, // the pattern starts with '-'
        { "-a 1 -b 2 -c 3 -m x", "location1.zjp", false }, // three pairs at most
        { "-m a -m b", "b", false },
        { "-m " + std::string(300, 'x'), "location1.zjp", false },
        { "-m " + std::string(127, 'y'), nullptr, false },
        { "-m " + std::string(128, 'y'), "location1.zjp", false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line.substr(0, 40));
        CZJApp app;
        app.ParseCommandLine(c.line.c_str());
        EXPECT_STREQ(app.startLocationFile, c.location ? c.location : std::string(127, 'y').c_str());
        EXPECT_EQ(app.freeCamera != 0, c.freeCamera);
    }
    EXPECT_EQ(LogLineCount("longer than 127"), 2);
}

TEST(ScanCommandLineTest, wordsAreBoundedAndPairsStopAtTheFirstMismatch)
{
    auto pairs = ScanCommandLine("-m " + std::string(300, 'z') + " -x y");
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(pairs[0].value.size(), 255u);
    EXPECT_TRUE(pairs[0].cut);
    EXPECT_EQ(pairs[1].name, "x");
    EXPECT_EQ(ScanCommandLine("-a b c -d e").size(), 1u);
    EXPECT_EQ(ScanCommandLine("-\tm\tv").at(0).name, "m");
}

} // namespace
