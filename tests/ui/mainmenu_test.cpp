// The in-base menu on the null backend: its message queue and slides with the frame time set per
// frame, list selection and layout, the mouse wheel, the preview radius, the load gauge and the
// player's name typed into the text panel.
#include "ai/CFerrovant.h"
#include "foundation/CTimer.h"
#include "render/CFont.h"
#include "tests/ui/menu_fixture.h"
#include "ui/CMainMenu.h"
#include "ui/CMenuListEntry.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using uitest::MenuTest;

constexpr float kFrame = 0.05f;

class WheelHost : public uitest::TypingHost {
public:
    int32_t MouseWheel() override { return wheel; }
    int32_t wheel = 0;
};

// Records the commands that reach the dispatch.
class TestMainMenu : public CMainMenu {
public:
    void ProcessCommand(int id) override
    {
        commands.push_back(id);
        CMainMenu::ProcessCommand(id);
    }
    void OnChangeRightPanel() override { ++rightPanelChanges; }
    std::vector<int> commands;
    int rightPanelChanges = 0;
};

class MainMenuTest : public MenuTest {
protected:
    void SetUp() override
    {
        MenuTest::SetUp();
        SetMenuHost(&wheelHost);
        FrameTime = kFrame;
        menu = std::make_unique<TestMainMenu>();
    }
    void TearDown() override
    {
        menu.reset();
        SetMenuHost(nullptr);
        MenuTest::TearDown();
    }

    // Runs frames until the queue is idle, at most n; the frames run.
    int RunUntilIdle(int n = 100)
    {
        for (int i = 1; i <= n; ++i) {
            menu->ProcessMessages();
            if (menu->currentMessage == CMainMenu::kMsgIdle && menu->messages.IsEmpty())
                return i;
        }
        return n + 1;
    }

    static SListEntry Entry(const char* key, uint32_t kind)
    {
        SListEntry entry {};
        std::snprintf(entry.key, sizeof entry.key, "%s", key);
        std::snprintf(entry.name, sizeof entry.name, "%s", key);
        entry.kind = kind;
        return entry;
    }

    std::string Shown(const MenuList& list)
    {
        std::string shown;
        for (const CMenuListEntry* entry : list)
            shown += entry->visible ? "1" : "0";
        return shown;
    }

    WheelHost wheelHost;
    std::unique_ptr<TestMainMenu> menu;
};

TEST_F(MainMenuTest, AKeyHeldWhenTheToolBarIsBuiltPressesNothing)
{
    constexpr uint8_t kEscape = 0x01;
    wheelHost.keys = { kEscape };
    menu->BuildToolBar(1);
    menu->RunControl();
    EXPECT_EQ(menu->result, 0u) << "the Escape held from before the menu";
    wheelHost.keys.clear();
    menu->RunControl();
    wheelHost.keys = { kEscape };
    menu->RunControl();
    EXPECT_EQ(menu->result, uint32_t(CMainMenu::kResultStay));
}

TEST_F(MainMenuTest, FullQueueDropsItsOldestMessage)
{
    menu->PostMessage(CMainMenu::kMsgEnd);
    const int capacity = menu->messages.Capacity();
    for (int i = 0; i < capacity - 1; ++i)
        menu->PostMessage(CMainMenu::kMsgToggle);
    EXPECT_EQ(menu->messages.Count(), capacity - 1);
    RunUntilIdle();
    EXPECT_EQ(menu->endRequested, 0) << "the oldest message, not the newest, was dropped";
    EXPECT_EQ(menu->toggle, (capacity - 1) % 2);
}

TEST_F(MainMenuTest, SlidesTakeAFifthOfASecond)
{
    struct Case {
        uint32_t message;
        float CMainMenu::*pos;
        float start;
        float end;
    };
    const Case cases[] = {
        { CMainMenu::kMsgOpenFirst, &CMainMenu::firstPanelPos, 0.0f, 1.0f },
        { CMainMenu::kMsgCloseFirst, &CMainMenu::firstPanelPos, 1.0f, 0.0f },
        { CMainMenu::kMsgOpenSecond, &CMainMenu::secondPanelPos, 0.0f, 1.0f },
        { CMainMenu::kMsgCloseSecond, &CMainMenu::secondPanelPos, 1.0f, 0.0f },
        { CMainMenu::kMsgOpenBoth, &CMainMenu::firstPanelPos, 0.0f, 1.0f },
        { CMainMenu::kMsgCloseBoth, &CMainMenu::secondPanelPos, 1.0f, 0.0f },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        menu->firstPanelPos = menu->secondPanelPos = c.start;
        menu->PostMessage(c.message);
        menu->PostMessage(CMainMenu::kMsgToggle);
        const uint8_t toggle = menu->toggle;
        for (int frame = 0; frame < 3; ++frame)
            menu->ProcessMessages();
        EXPECT_NEAR((*menu).*c.pos, c.start + (c.end - c.start) * 0.75f, 1e-5f);
        EXPECT_EQ(menu->currentMessage, c.message);
        int frames = 3;
        while (menu->toggle == toggle && frames < 20) {
            menu->ProcessMessages();
            ++frames;
        }
        EXPECT_EQ((*menu).*c.pos, c.end);
        // Opening ends on reaching 1, closing on dropping below 0; the next message runs in the
        // frame after.
        EXPECT_EQ(frames, c.end > c.start ? 5 : 6);
        EXPECT_EQ(menu->currentMessage, CMainMenu::kMsgIdle);
    }
}

TEST_F(MainMenuTest, FlashPeaksInTheMiddleOfASlide)
{
    menu->PostMessage(CMainMenu::kMsgOpenFirst);
    menu->ProcessMessages();
    EXPECT_NEAR(menu->firstPanelFlash, 0.5f, 1e-5f);
    menu->ProcessMessages();
    EXPECT_NEAR(menu->firstPanelFlash, 1.0f, 1e-5f);
    menu->ProcessMessages();
    EXPECT_NEAR(menu->firstPanelFlash, 0.5f, 1e-5f);
}

TEST_F(MainMenuTest, OpeningAndClosingRunTheIntroThenThePanels)
{
    menu->PostMessage(CMainMenu::kMsgIntro);
    menu->ProcessMessages();
    EXPECT_EQ(menu->introPlaying, 1);
    EXPECT_GT(menu->introPos, 0.0f);
    EXPECT_EQ(menu->firstPanelPos, 0.0f) << "the panels wait for the intro";
    EXPECT_EQ(RunUntilIdle(), 7) << "0.2 s of intro, then 0.2 s of panels";
    EXPECT_EQ(menu->introPos, 1.0f);
    EXPECT_EQ(menu->firstPanelPos, 1.0f);
    EXPECT_EQ(menu->secondPanelPos, 1.0f);
    EXPECT_EQ(menu->introPlaying, 0);

    menu->CloseMenu(CMainMenu::kResultStay);
    EXPECT_EQ(menu->result, CMainMenu::kResultStay);
    menu->ProcessMessages();
    EXPECT_EQ(menu->introPlaying, 1);
    EXPECT_EQ(menu->introPos, 1.0f) << "the panels close first";
    for (int frame = 0; frame < 8 && !menu->endRequested; ++frame)
        menu->ProcessMessages();
    EXPECT_EQ(menu->endRequested, 0) << "ended before the closing slide";
    RunUntilIdle();
    EXPECT_EQ(menu->endRequested, 1);
    EXPECT_EQ(menu->introPos, 0.0f);
    EXPECT_EQ(menu->firstPanelPos, 0.0f);
}

TEST_F(MainMenuTest, RunningFlagMessagesEndAtOnce)
{
    menu->running = 1;
    menu->PostMessage(CMainMenu::kMsgStopRunning);
    menu->PostMessage(CMainMenu::kMsgToggle);
    menu->ProcessMessages();
    EXPECT_EQ(menu->running, 0);
    EXPECT_EQ(menu->toggle, 1) << "the queue went on";
    menu->PostMessage(CMainMenu::kMsgStartRunning);
    menu->PostMessage(CMainMenu::kMsgToggle);
    menu->ProcessMessages();
    EXPECT_EQ(menu->running, 1);
    EXPECT_EQ(menu->toggle, 0);
}

TEST_F(MainMenuTest, PanelMessagesClearTheSelectionAndRefill)
{
    const SListEntry entries[] = { Entry("A", kEntryOrdinary), Entry("B", kEntryOrdinary) };
    menu->FillRightList(entries, 2);
    menu->SelectRightList(1);
    menu->PostMessage(CMainMenu::kMsgRightPanel);
    menu->ProcessMessages();
    EXPECT_EQ(menu->selectedRight, -1);
    EXPECT_EQ(menu->rightPanelChanges, 1);
    EXPECT_EQ(menu->rightList.At(1)->selected, 0);
}

TEST_F(MainMenuTest, GroupHeaderSelectedTwiceTogglesAndLaysOut)
{
    const SListEntry entries[] = {
        Entry("H1", kEntryOpenHeader),
        Entry("A", kEntryOrdinary),
        Entry("B", kEntryOrdinary),
        Entry("H2", kEntryClosedHeader),
        Entry("C", kEntryOrdinary),
    };
    menu->FillRightList(entries, 5);
    EXPECT_EQ(Shown(menu->rightList), "11110");
    const int32_t line = g_pFont ? g_pFont->GetLineHeight() : 16;
    EXPECT_EQ(menu->rightList.At(0)->top, 600 * 104 / 600);
    EXPECT_EQ(menu->rightList.At(3)->top, 104 + 3 * line);

    menu->SelectRightList(0);
    EXPECT_EQ(menu->rightList.At(0)->kind, kEntryOpenHeader) << "a first selection only selects";
    menu->SelectRightList(0);
    EXPECT_EQ(menu->rightList.At(0)->kind, kEntryClosedHeader);
    EXPECT_EQ(Shown(menu->rightList), "10010");
    EXPECT_EQ(menu->rightList.At(3)->top, 104 + line) << "laid out again";

    menu->SelectRightList(3);
    menu->SelectRightList(3);
    EXPECT_EQ(Shown(menu->rightList), "10011");
    EXPECT_EQ(menu->rightList.At(3)->selected, 1);
    EXPECT_EQ(menu->rightList.At(0)->selected, 0);

    menu->SelectRightList(9);
    EXPECT_EQ(menu->selectedRight, -1) << "past the end selects nothing";
}

TEST_F(MainMenuTest, ListScrollsByLinesWithinItsLength)
{
    std::vector<SListEntry> entries;
    for (int i = 0; i < 60; ++i)
        entries.push_back(Entry(("E" + std::to_string(i)).c_str(), kEntryOrdinary));
    menu->FillLeftList(entries.data(), int32_t(entries.size()));
    const int32_t line = g_pFont ? g_pFont->GetLineHeight() : 16;
    const int32_t visible = 400 / line;
    EXPECT_EQ(menu->leftHeight, 60 - visible);
    menu->ProcessCommand(CMainMenu::kCmdLeftUp);
    EXPECT_EQ(menu->leftScroll, 0);
    menu->ProcessCommand(CMainMenu::kCmdLeftDown);
    menu->ProcessCommand(CMainMenu::kCmdLeftDown);
    EXPECT_EQ(menu->leftScroll, 2);
    EXPECT_EQ(menu->leftList.At(1)->visible, 0);
    EXPECT_EQ(menu->leftList.At(2)->top, 104);
    menu->leftScroll = 1000;
    menu->RelayoutLists();
    EXPECT_EQ(menu->leftScroll, 60 - visible) << "no scroll past the end";
    EXPECT_EQ(menu->leftHeight, 0);

    menu->PostMessage(CMainMenu::kMsgWideLists);
    menu->ProcessMessages();
    EXPECT_EQ(menu->leftHeight, 60 - menu->leftScroll - 320 / line)
        << "wide lists show fewer lines on both sides";
}

TEST_F(MainMenuTest, MouseWheelScrollsTheListUnderIt)
{
    menu->running = 1;
    menu->leftStripWidth = 200;
    menu->rightStripWidth = 200;
    struct Case {
        int32_t x;
        int32_t wheel;
        int command; // 0 none
    };
    const Case cases[] = {
        { 100, 1, CMainMenu::kCmdLeftUp },
        { 100, -1, CMainMenu::kCmdLeftDown },
        { 700, 1, CMainMenu::kCmdRightUp },
        { 700, -1, CMainMenu::kCmdRightDown },
        { 400, 1, 0 },
    };
    for (const Case& c : cases) {
        menu->commands.clear();
        wheelHost.mouse = { c.x, 300 };
        wheelHost.wheel = c.wheel;
        menu->ProcessMessages();
        EXPECT_EQ(menu->commands, c.command ? std::vector<int> { c.command } : std::vector<int> {}) << c.x;
    }
    menu->commands.clear();
    menu->PostMessage(CMainMenu::kMsgOpenFirst);
    wheelHost.mouse = { 100, 300 };
    menu->ProcessMessages();
    EXPECT_TRUE(menu->commands.empty()) << "no control reacts during a slide";
}

TEST_F(MainMenuTest, SelectFirstEntrySkipsHeaders)
{
    const SListEntry entries[] = {
        Entry("H1", kEntryOpenHeader),
        Entry("A", kEntryOrdinary),
        Entry("B", kEntryOrdinary),
        Entry("H2", kEntryOpenHeader),
    };
    menu->FillLeftList(entries, 4);
    EXPECT_EQ(menu->SelectFirstEntry(true, false), 1);
    EXPECT_EQ(menu->selectedLeft, 1);
    EXPECT_EQ(menu->SelectFirstEntry(true, true), 2);
    EXPECT_EQ(menu->selectedLeft, 2);
    const SListEntry headers[] = { Entry("H1", kEntryOpenHeader) };
    menu->FillRightList(headers, 1);
    EXPECT_EQ(menu->SelectFirstEntry(false, false), 1) << "none: the count";
}

TEST_F(MainMenuTest, NewEntriesGetTheirColours)
{
    manager->SetEvent("B.NC");
    const SListEntry entries[] = { Entry("A", kEntryOrdinary), Entry("B", kEntryOrdinary) };
    menu->FillRightList(entries, 2);
    menu->MarkNewEntries(menu->rightList);
    EXPECT_EQ(menu->rightList.At(0)->normalColour, CMenuLinkItem::kNormalColour);
    EXPECT_EQ(menu->rightList.At(1)->normalColour, 0x80FFFF00u);
    EXPECT_EQ(menu->rightList.At(1)->hoverColour, 0xFFFFFF00u);
    EXPECT_EQ(menu->rightList.At(1)->selectedColour, 0xFFFFFFFFu);
}

TEST_F(MainMenuTest, SelectionShowsTheEntryTextOncePerBlock)
{
    menu->Init();
    menu->textOnSelect = 1;
    const SListEntry entries[] = { Entry("KEY", kEntryOrdinary), Entry("KEY.1", kEntryOrdinary) };
    menu->FillRightList(entries, 2);
    CMHTLWindow& window = *menu->textPanel->window;
    window.AddText("shown before", "KEY", true);
    const int lines = window.LineCount();
    menu->SelectRightList(0);
    menu->SelectRightList(0);
    EXPECT_EQ(window.LineCount(), lines) << "a block of the key already shows its text";
    EXPECT_EQ(menu->selectedRight, 0);
}

TEST_F(MainMenuTest, PreviewRadiusFromTheExtents)
{
    struct Case {
        Vec3 extent;
        float radius;
    };
    const Case cases[] = {
        { { 3, 1, 10 }, 6.0f },
        { { 8, 1, 2 }, 4.0f },
        { { -3, -1, -10 }, 6.0f },
        { { 1, 9, 2 }, 4.5f },
    };
    for (const Case& c : cases)
        EXPECT_FLOAT_EQ(CMainMenu::PreviewRadius(c.extent), c.radius) << c.extent.x;
    menu->SetPreviewModel(-1);
    EXPECT_EQ(menu->previewModel, nullptr);
    menu->SetPreviewModel(12345);
    EXPECT_EQ(menu->previewModel, nullptr) << "a missing model leaves the preview empty";
}

TEST_F(MainMenuTest, LoadGaugeCountsNoCapacityAsFull)
{
    struct Case {
        float carried;
        float capacity;
        float load;
    };
    const Case cases[] = {
        { 40, 100, 0.3f },
        { 100, 100, 0.75f },
        { 200, 100, 1.0f },
        { 0, 0, 1.0f },
        { 10, -5, 1.0f },
    };
    for (const Case& c : cases)
        EXPECT_FLOAT_EQ(CMainMenu::LoadFraction(c.carried, c.capacity), c.load) << c.capacity;
    EXPECT_EQ(CMainMenu::LoadColour(0.5f), 0xFF46CE7Fu);
    EXPECT_EQ(CMainMenu::LoadColour(0.75f), 0xFFE5E973u);
    EXPECT_EQ(CMainMenu::LoadColour(0.9f), 0xFFFF7349u);
}

TEST_F(MainMenuTest, CountLabelColourAgainstTheRequiredCount)
{
    struct Case {
        int32_t count;
        int32_t required;
        uint32_t colour;
    };
    const Case cases[] = {
        { 3, 5, 0xE0FF0000 },
        { 5, 5, 0xE0FFFFFF },
        { 6, 5, 0xE000FF00 },
        { 3, -1, 0xE0FFFFFF },
    };
    for (const Case& c : cases)
        EXPECT_EQ(CMainMenu::CountColour(c.count, c.required), c.colour) << c.count << " of " << c.required;
}

TEST_F(MainMenuTest, RatingGaugeStoresTheLevelAndShowsAtLeastOne)
{
    CFerrovant machine;
    CFerrovant* const saved = PlayerFerrovant;
    PlayerFerrovant = &machine;
    CMenuControl gauge(0, 0, 10, 10);
    machine.rating = 0.0f;
    machine.level = 7;
    menu->DrawRating(&gauge, 0, 0, 0, 0);
    EXPECT_EQ(machine.level, 0);
    EXPECT_EQ(std::string(gauge.caption.Text()).substr(0, 2), "1.");
    machine.rating = 120.0f;
    menu->DrawRating(&gauge, 0, 0, 0, 0);
    EXPECT_EQ(machine.level, 2);
    EXPECT_EQ(std::string(gauge.caption.Text()).substr(0, 2), "2.");
    PlayerFerrovant = saved;
}

TEST_F(MainMenuTest, TypedNameIsCutAndGivenToScriptsAndMachine)
{
    CFerrovant machine;
    CFerrovant* const saved = PlayerFerrovant;
    PlayerFerrovant = &machine;
    std::snprintf(machine.name, sizeof machine.name, "Old");
    menu->Init();
    manager->playerName = "Unnamed";

    menu->textPanel->resultText = "A";
    menu->ProcessCommand(CMainMenu::kCmdInputLine);
    EXPECT_TRUE(menu->textPanel->InputActive()) << "a short line asks again";
    EXPECT_STREQ(manager->playerName.Text(), "Unnamed");
    EXPECT_STREQ(machine.name, "Old");
    menu->textPanel->CancelInput();

    menu->textPanel->resultText = (std::string(31, 'N') + std::string(9, 'y')).c_str();
    menu->ProcessCommand(CMainMenu::kCmdInputLine);
    EXPECT_EQ(std::string(manager->playerName.Text()), std::string(31, 'N'));
    EXPECT_EQ(std::string(machine.name), std::string(31, 'N'));
    EXPECT_FALSE(menu->textPanel->InputActive());
    PlayerFerrovant = saved;
}

TEST_F(MainMenuTest, AskPlayerNameOpensTheInputLine)
{
    menu->Init();
    menu->ProcessCommand(CMainMenu::kCmdAskName);
    EXPECT_TRUE(menu->textPanel->InputActive());
    wheelHost.Type("Pilot");
    while (!wheelHost.chars.empty())
        menu->textPanel->Run();
    EXPECT_EQ(menu->textPanel->TypedText(), "Pilot");
}

} // namespace
