// The save list window on the null backend, driven by a menu host that plays the mouse, the keys
// and the typed characters: a click selects and names a save, typing edits the title, OK, Delete
// and forged targets; and the console line of the mark-up control: the Enter edge, typing, the
// jump to a building and script calls.
#include "tests/render/render_fixture.h"
#include "tests/script/script_fixture.h"
#include "tests/support/files.h"
#include "tests/ui/fake_menu_host.h"
#include "ui/CBaseMenu.h"
#include "ui/CHtmlControl.h"
#include "ui/CLoadSaveMenu.h"
#include "ui/CZJHtmlWindow.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CZJObject.h"
#include "world/terrain/CLocation.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <filesystem>
#include <string>

namespace {

constexpr uint8_t kEnter = 28;
constexpr uint8_t kPressAndRelease = 0xC0;

// The fake host with a queue of typed characters.
class TypingHost : public uitest::FakeMenuHost {
public:
    void SetTextInput(bool on) override { textInput = on; }
    uint8_t TakeChar() override
    {
        if (chars.empty())
            return 0;
        const uint8_t c = chars.front();
        chars.pop_front();
        return c;
    }
    void Type(const std::string& text) { chars.insert(chars.end(), text.begin(), text.end()); }

    std::deque<uint8_t> chars;
    bool textInput = false;
};

class MenuTest : public zoq::test::ScriptTest {
protected:
    void SetUp() override
    {
        ScriptTest::SetUp();
        ASSERT_TRUE(g_Graphic.CreateDirect3D("null"));
        ASSERT_TRUE(g_Graphic.CreateDevice(0, 800, 600, 32, plat::gfx::Format::X8R8G8B8, 0, 0, true,
            plat::gfx::MultiSample::None, 1, 1, plat::gfx::PresentInterval::Default, false, &m_window));
    }
    void TearDown() override
    {
        g_Graphic.Release();
        ScriptTest::TearDown();
    }

    // The last record of a block (its link), or null.
    static const MHTLLine* LastLine(CMHTLWindow& window, const std::string& block)
    {
        for (int i = 0; i < window.BlockCount(); ++i)
            if (window.Block(i).name == block)
                return &window.Line(window.Block(i).lastLine);
        return nullptr;
    }
    // The text of a block's records.
    static std::string BlockText(CMHTLWindow& window, const std::string& block)
    {
        std::string text;
        for (int i = 0; i < window.LineCount(); ++i)
            if (std::string(window.Line(i).block.Text()) == block)
                text += window.Line(i).text.Text();
        return text;
    }
    // Presses and releases the left button over the control's record of that block.
    void Click(CBaseMenu& menu, CHtmlControl& control, const std::string& block)
    {
        const MHTLLine* line = LastLine(*control.window, block);
        ASSERT_NE(line, nullptr) << block;
        host.mouse = { line->x1 + 1, line->y1 + 1 };
        host.leftEvents = kPressAndRelease;
        menu.ProcessMouse(&control, host.mouse.x, host.mouse.y);
        host.leftEvents = 0;
    }
    // Runs the control's frames until every typed character is taken.
    void TypeInto(CHtmlControl& control, const std::string& text)
    {
        host.Type(text);
        while (!host.chars.empty())
            control.Run();
    }
    void PressEnter(CHtmlControl& control)
    {
        host.keys = { kEnter };
        control.Run();
        control.Run(); // held: no second toggle
        host.keys.clear();
        control.Run();
    }

    zoq::test::FakeWindow m_window { 800, 600 };
    TypingHost host;
};

class LoadSaveMenuTest : public MenuTest {
protected:
    void Save(const std::string& name, const std::string& title)
    {
        SaveHeader header;
        header.title = title;
        header.version = SaveHeader::kScreenshotVersion;
        const auto bytes = header.Encode();
        zoq::test::WriteBytes(m_dir / "SAVES" / name, std::vector<uint8_t>(bytes.begin(), bytes.end()));
    }
};

TEST_F(LoadSaveMenuTest, savingAClickedEntryTypesItsTitleAndOkChoosesIt)
{
    Save("ZJ_1.sav", "old=title");
    CLoadSaveMenu menu(true);
    ASSERT_TRUE(menu.Init());
    CHtmlControl& list = *menu.List();
    EXPECT_EQ(BlockText(*list.window, "ZJ_2.sav"), "INT_NEWSAVE");
    Click(menu, list, "ZJ_1.sav");
    EXPECT_EQ(menu.chosenName, "ZJ_1.sav");
    EXPECT_EQ(menu.Selected(), 0);
    ASSERT_TRUE(list.InputActive());
    EXPECT_TRUE(host.textInput);
    EXPECT_EQ(BlockText(*list.window, "ZJ_1.sav"), "old title_");
    // ":", "=", "<" and ">" are ignored, backspace removes one character but never the prompt.
    TypeInto(list, std::string("\b\b\b\b\b\b\b\b\b\b\b\b") + "A:=<>b");
    EXPECT_EQ(list.TypedText(), "Ab");
    EXPECT_EQ(BlockText(*list.window, "ZJ_1.sav"), "Ab_");
    menu.ProcessCommand(CInputLineMenu::kOk);
    EXPECT_EQ(menu.result, CInputLineMenu::kChosen);
    EXPECT_EQ(menu.endRequested, 1);
    EXPECT_STREQ(list.resultText.Text(), "Ab");
}

TEST_F(LoadSaveMenuTest, okWithAnEmptyTitleKeepsTheWindowOpenAndEnterFinishesTheLine)
{
    CLoadSaveMenu menu(true);
    ASSERT_TRUE(menu.Init());
    CHtmlControl& list = *menu.List();
    Click(menu, list, "ZJ_1.sav");
    EXPECT_EQ(menu.chosenName, "ZJ_1.sav");
    EXPECT_EQ(menu.Selected(), -1);
    menu.ProcessCommand(CInputLineMenu::kOk);
    EXPECT_EQ(menu.endRequested, 0);
    TypeInto(list, "Named");
    PressEnter(list);
    EXPECT_FALSE(list.InputActive());
    EXPECT_EQ(menu.result, CInputLineMenu::kChosen);
    EXPECT_STREQ(list.resultText.Text(), "Named");
}

TEST_F(LoadSaveMenuTest, deleteNeedsASelectionAndThenRemovesTheFile)
{
    Save("ZJ_1.sav", "one");
    Save("ZJ_2.sav", "two");
    CLoadSaveMenu menu(false);
    ASSERT_TRUE(menu.Init());
    menu.ProcessCommand(CInputLineMenu::kDelete);
    EXPECT_EQ(menu.Entries().size(), 2u);
    Click(menu, *menu.List(), "ZJ_2.sav");
    EXPECT_FALSE(menu.List()->InputActive()); // loading names nothing
    menu.ProcessCommand(CInputLineMenu::kDelete);
    EXPECT_FALSE(std::filesystem::exists(m_dir / "SAVES" / "ZJ_2.sav"));
    EXPECT_EQ(menu.Entries().size(), 1u);
    EXPECT_EQ(menu.Selected(), -1);
    EXPECT_TRUE(menu.chosenName.empty());
    menu.ProcessCommand(CInputLineMenu::kOk);
    EXPECT_EQ(menu.endRequested, 0);
}

TEST_F(LoadSaveMenuTest, aTargetThatNamesNoListedFileIsIgnored)
{
    Save("ZJ_1.sav", "one");
    CLoadSaveMenu menu(false);
    ASSERT_TRUE(menu.Init());
    CHtmlControl& list = *menu.List();
    list.window->AddText("<reference:up=..\\..\\DATA\\DB.dat>", "FORGED", true);
    Click(menu, list, "FORGED");
    EXPECT_EQ(list.linkTarget, "..\\..\\DATA\\DB.dat");
    EXPECT_TRUE(menu.chosenName.empty());
    EXPECT_EQ(LogLineCount("names no listed file"), 1);
    Click(menu, list, "ZJ_1.sav");
    EXPECT_EQ(menu.chosenName, "ZJ_1.sav");
    menu.ProcessCommand(CInputLineMenu::kOk);
    EXPECT_EQ(menu.result, CInputLineMenu::kChosen);
}

TEST_F(LoadSaveMenuTest, aLongSaveNameIsKeptWhole)
{
    const std::string name = std::string(100, 'n') + ".sav";
    Save(name, "long");
    CLoadSaveMenu menu(false);
    ASSERT_TRUE(menu.Init());
    Click(menu, *menu.List(), name);
    EXPECT_EQ(menu.List()->linkTarget, name);
    EXPECT_EQ(menu.chosenName, name);
}

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
