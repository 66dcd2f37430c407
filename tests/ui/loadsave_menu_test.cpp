// The save list window on the null backend, driven by a menu host that plays the mouse, the keys
// and the typed characters: a click selects and names a save, typing edits the title, OK, Delete
// and forged targets.
#include "tests/support/files.h"
#include "tests/ui/menu_fixture.h"
#include "ui/CLoadSaveMenu.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using uitest::MenuTest;

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
    EXPECT_EQ(BlockText(*list.window, "ZJ_2.sav"), "POINTINT_NEWSAVE");
    Click(menu, list, "ZJ_1.sav");
    EXPECT_EQ(menu.chosenName, "ZJ_1.sav");
    EXPECT_EQ(menu.Selected(), 0);
    ASSERT_TRUE(list.InputActive());
    EXPECT_TRUE(host.textInput);
    EXPECT_EQ(BlockText(*list.window, "ZJ_1.sav"), "POINTold title_");
    // ":", "=", "<" and ">" are ignored, backspace removes one character but never the prompt.
    TypeInto(list, std::string("\b\b\b\b\b\b\b\b\b\b\b\b") + "A:=<>b");
    EXPECT_EQ(list.TypedText(), "Ab");
    EXPECT_EQ(BlockText(*list.window, "ZJ_1.sav"), "POINTAb_");
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
    Click(menu, *menu.List(), name.substr(0, MHTLBlock::kNameSize - 1)); // block names keep 31 bytes
    EXPECT_EQ(menu.List()->linkTarget, name);
    EXPECT_EQ(menu.chosenName, name);
}

} // namespace
