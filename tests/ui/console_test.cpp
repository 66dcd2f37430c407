// The console line of the mark-up control: the Enter edge, typing, the jump to a building, script
// calls, and links ignored while the line is open.
#include "tests/ui/menu_fixture.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CZJObject.h"
#include "world/terrain/CLocation.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using uitest::MenuTest;

// A menu that records the commands its controls send.
class ConsoleMenu : public CBaseMenu {
public:
    void ProcessCommand(int id) override { commands.push_back(id); }
    std::vector<int> commands;
};

class ConsoleTest : public MenuTest {
protected:
    void SetUp() override
    {
        MenuTest::SetUp();
        ObjectList.Clear();
        Location.Purge();
        Location.blocksX = Location.blocksY = 4;
        control = new CHtmlControl(0, 0, 400, 300);
        menu.AddControl(control);
    }
    void TearDown() override
    {
        ObjectList.Clear();
        Location.Purge();
        MenuTest::TearDown();
    }

    ConsoleMenu menu;
    CHtmlControl* control = nullptr;
};

class Building : public CZJObject {
public:
    explicit Building(const char* text)
    {
        std::snprintf(name, sizeof name, "%s", text);
        type = 11;
    }
};

TEST_F(ConsoleTest, enterOpensTheLineOnceAndAJumpFindsTheBuilding)
{
    Building* building = new Building("B_L1_CEH");
    ObjectList.AddObject(building);
    PressEnter(*control);
    ASSERT_TRUE(control->InputActive());
    EXPECT_EQ(menu.capturedControl, control);
    EXPECT_EQ(BlockText(*control->window, CHtmlControl::kConsoleBlock), "\\_");
    TypeInto(*control, "\b\bjump to <b_l1_ceh>");
    EXPECT_EQ(BlockText(*control->window, CHtmlControl::kConsoleBlock), "\\jump to b_l1_ceh_");
    PressEnter(*control);
    EXPECT_FALSE(control->InputActive());
    EXPECT_EQ(menu.capturedControl, nullptr);
    EXPECT_STREQ(control->resultText.Text(), "jump to b_l1_ceh");
    EXPECT_EQ(menu.commands, std::vector<int>({ int(CHtmlControl::kInputCommand) }));
    EXPECT_EQ(menu.result, CHtmlControl::kJumpResult);
    EXPECT_EQ(menu.endRequested, 1);
    EXPECT_EQ(control->JumpTarget(), building);
}

TEST_F(ConsoleTest, otherLinesAreScriptCallsAndNoCommandsRunsNone)
{
    PressEnter(*control);
    TypeInto(*control, "  _setevent(console)  ");
    PressEnter(*control);
    EXPECT_TRUE(manager->IsEventSet("CONSOLE"));
    EXPECT_EQ(menu.result, 0u);

    control->noCommands = 1;
    PressEnter(*control);
    TypeInto(*control, "_setevent(quiet)");
    PressEnter(*control);
    EXPECT_FALSE(manager->IsEventSet("QUIET"));
    EXPECT_STREQ(control->resultText.Text(), "_setevent(quiet)");
}

TEST_F(ConsoleTest, aClickOnALinkWhileTheLineIsOpenIsIgnored)
{
    control->window->AddText("<link:Go=TARGET>", "LINK", true);
    PressEnter(*control);
    Click(menu, *control, "LINK");
    EXPECT_EQ(control->linkClicked, 0);
    EXPECT_TRUE(menu.commands.empty());
    PressEnter(*control);
    Click(menu, *control, "LINK");
    EXPECT_EQ(control->linkTarget, "TARGET");
    EXPECT_EQ(menu.commands.back(), int(CHtmlControl::kLinkCommand));
}

TEST_F(ConsoleTest, aJumpToANameOfThirtyTwoOrMoreBytesFindsNothing)
{
    ObjectList.AddObject(new Building("B_L1_CEH"));
    PressEnter(*control);
    TypeInto(*control, "JUMP TO " + std::string(32, 'X'));
    PressEnter(*control);
    EXPECT_EQ(menu.result, 0u);
    EXPECT_EQ(control->JumpTarget(), nullptr);
}

} // namespace
