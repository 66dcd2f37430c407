// The six menu controls' state machines, one table each, with the frame time set per step and a
// host the test drives; and the list entries of the in-base lists.
#include "foundation/CTimer.h"
#include "tests/script/script_fixture.h"
#include "tests/ui/fake_menu_host.h"
#include "ui/AddListEntry.h"
#include "ui/CBaseMenu.h"
#include "ui/CGlowButton.h"
#include "ui/CMainMenuButton.h"
#include "ui/CMenuLinkItem.h"
#include "ui/CTextButton.h"
#include "ui/CTextMessageControl.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <vector>

namespace {

// A menu that keeps the commands its controls send.
class CommandMenu : public CBaseMenu {
public:
    void ProcessCommand(int id) override { commands.push_back(id); }
    std::vector<int> commands;
};

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override { FrameTime = 0.02f; }
    void TearDown() override { FrameTime = 0.025f; }
    // One menu frame: the mouse at (x, y) with the left button's events, then the run steps.
    void Frame(int32_t x, int32_t y, uint8_t events = 0)
    {
        host.mouse = { x, y };
        host.leftEvents = events;
        menu.CBaseMenu::ProcessMessages();
        menu.RunControl();
    }

    uitest::FakeMenuHost host;
    CommandMenu menu;
};

TEST_F(ControlsTest, aTextButtonSendsOnReleaseOverItAndEveryFrameItsKeyIsHeld)
{
    auto* button = new CTextButton(0, 0, 100, 40, nullptr, -1, 0, 0, 100, 40, 50, 20, 256, 28);
    menu.AddControl(button);
    struct Step {
        int32_t x;
        uint8_t events;
        bool key;
        std::vector<int> sent; // this frame
        uint8_t pressed;
    };
    const Step steps[] = {
        { 10, 0x00, false, {}, 0 },
        { 10, 0x40, false, {}, 0 }, // a release without a press
        { 10, 0x80, false, {}, 1 },
        { 10, 0x40, false, { 256 }, 0 },
        { 10, 0xC0, false, { 256 }, 0 }, // press and release in one frame
        { 10, 0x80, false, {}, 1 },
        { 200, 0x40, false, {}, 0 }, // released outside
        { 200, 0x00, true, { 256 }, 0 },
        { 200, 0x00, true, { 256 }, 0 },
        { 200, 0x00, false, {}, 0 },
    };
    int i = 0;
    for (const Step& s : steps) {
        menu.commands.clear();
        if (s.key)
            host.keys.insert(28);
        else
            host.keys.clear();
        Frame(s.x, 10, s.events);
        EXPECT_EQ(menu.commands, s.sent) << "step " << i;
        EXPECT_EQ(button->pressed, s.pressed) << "step " << i;
        ++i;
    }
}

TEST_F(ControlsTest, aTextButtonsHoverLastsUntilTheFrameAfterTheMouseLeft)
{
    auto* button = new CTextButton(0, 0, 100, 40, nullptr, -1, 0, 0, 100, 40, 50, 20, 0, 0);
    menu.AddControl(button);
    Frame(10, 10);
    EXPECT_EQ(button->hoverFrames, 1u);
    Frame(200, 10);
    EXPECT_EQ(button->hoverFrames, 0u);
}

class MainButtonsTest : public ControlsTest {
protected:
    void SetUp() override
    {
        ControlsTest::SetUp();
        for (int i = 0; i < CMainMenuButton::kGroup; ++i) {
            buttons[size_t(i)]
                = new CMainMenuButton(0, 60 * i, 180, 60 * i + 50, -1, -1, -1, i, uint32_t(10 + i));
            buttons[size_t(i)]->group = buttons.data();
            menu.AddControl(buttons[size_t(i)]);
        }
    }
    std::array<CMainMenuButton*, CMainMenuButton::kGroup> buttons {};
};

TEST_F(MainButtonsTest, rowsAndFadeFramesFollowStateAndPhase)
{
    struct Case {
        uint32_t state;
        float phase;
        int32_t row;
        int32_t fade;
    };
    const Case cases[] = {
        { CMainMenuButton::kAppearing, 0.0f, 0, 0 },
        { CMainMenuButton::kAppearing, 0.5f, 11, 0 },
        { CMainMenuButton::kAppearing, 0.75f, 16, 0 },
        { CMainMenuButton::kIdle, 3.0f, 17, 0 },
        { CMainMenuButton::kHovered, 0.0f, 0, 0 },
        { CMainMenuButton::kHovered, 0.5f, 2, 0 },
        { CMainMenuButton::kHovered, 0.39f, 9, 0 },
        { CMainMenuButton::kFadingOut, 0.1f, 17, 2 },
        { CMainMenuButton::kFadingOut, 5.0f, 17, 7 },
        { CMainMenuButton::kFadingIn, -0.28f, 17, 7 },
        { CMainMenuButton::kFadingIn, -0.1f, 17, 2 },
        { CMainMenuButton::kFadingIn, 0.0f, 17, 0 },
    };
    CMainMenuButton& b = *buttons[0];
    for (const Case& c : cases) {
        b.state = c.state;
        b.phase = c.phase;
        EXPECT_EQ(b.Row(), c.row) << "state " << c.state << " phase " << c.phase;
        if (c.state >= CMainMenuButton::kFadingOut) {
            EXPECT_EQ(b.FadeFrame(), c.fade) << "state " << c.state << " phase " << c.phase;
        }
    }
}

TEST_F(MainButtonsTest, buttonsAppearHoverAndFadeAsTheOtherIsPressed)
{
    CMainMenuButton& pressed = *buttons[2];
    FrameTime = 0.25f;
    Frame(500, 500);
    Frame(500, 500);
    Frame(500, 500);
    EXPECT_EQ(pressed.state, uint32_t(CMainMenuButton::kAppearing)) << "phase 0.75 is not above 0.75";
    Frame(500, 500);
    EXPECT_EQ(pressed.state, uint32_t(CMainMenuButton::kIdle));

    FrameTime = 0.02f;
    Frame(10, 130);
    EXPECT_EQ(pressed.state, uint32_t(CMainMenuButton::kHovered));
    Frame(10, 130, 0x80);
    for (int i = 0; i < 5; ++i) {
        if (i == 2)
            continue;
        EXPECT_EQ(buttons[size_t(i)]->state, uint32_t(CMainMenuButton::kFadingOut)) << i;
        EXPECT_NEAR(buttons[size_t(i)]->phase, 0.02f, 1e-6f) << "restarted at 0, then one update";
    }
    EXPECT_TRUE(menu.commands.empty());
    Frame(10, 130, 0x40);
    EXPECT_EQ(menu.commands, (std::vector<int> { 12 }));
}

TEST_F(MainButtonsTest, aSecondPressDoesNotRestartARunningFade)
{
    buttons[1]->state = CMainMenuButton::kFadingOut;
    buttons[1]->phase = 0.2f;
    buttons[3]->state = CMainMenuButton::kIdle;
    buttons[3]->phase = 2.0f;
    CMainMenuButton::FadeOutOthers(buttons.data(), 0);
    EXPECT_FLOAT_EQ(buttons[1]->phase, 0.2f);
    EXPECT_FLOAT_EQ(buttons[3]->phase, 0.0f);
    EXPECT_EQ(buttons[3]->state, uint32_t(CMainMenuButton::kFadingOut));
    EXPECT_EQ(buttons[0]->state, uint32_t(CMainMenuButton::kAppearing)) << "the pressed one is left alone";
}

TEST_F(MainButtonsTest, releasingOutsideFadesTheOthersBackFromWhereTheyGotNeverFurtherThanTheLimit)
{
    struct Case {
        uint32_t state;
        float phase;
        float back;
    };
    const Case cases[] = {
        { CMainMenuButton::kFadingOut, 0.1f, -0.1f },
        { CMainMenuButton::kFadingOut, 0.9f, -0.28f },
        { CMainMenuButton::kFadingIn, -0.05f, -0.05f }, // already coming back
        { CMainMenuButton::kIdle, 0.28f, -0.28f },
    };
    for (const Case& c : cases) {
        buttons[1]->state = c.state;
        buttons[1]->phase = c.phase;
        buttons[0]->pressed = 1;
        buttons[0]->OnReleaseOutside();
        EXPECT_FLOAT_EQ(buttons[1]->phase, c.back) << c.phase;
        EXPECT_EQ(buttons[1]->state, uint32_t(CMainMenuButton::kFadingIn));
        EXPECT_EQ(buttons[0]->pressed, 0);
    }
    FrameTime = 0.2f;
    buttons[1]->Update();
    EXPECT_EQ(buttons[1]->state, uint32_t(CMainMenuButton::kFadingIn));
    buttons[1]->Update();
    EXPECT_EQ(buttons[1]->state, uint32_t(CMainMenuButton::kIdle)) << "back at phase 0 or more";

    buttons[3]->state = CMainMenuButton::kFadingOut;
    buttons[0]->OnReleaseOutside();
    EXPECT_EQ(buttons[3]->state, uint32_t(CMainMenuButton::kFadingOut)) << "nothing without a press";
}

TEST_F(ControlsTest, aLinkItemsGlowsRiseAndDecayAndItsPressLastsWhileHovered)
{
    auto* item = new CMenuLinkItem(0, 0, 200, 20, "Item", 4097);
    menu.AddControl(item);
    FrameTime = 0.125f;
    Frame(10, 10);
    EXPECT_NEAR(item->hoverGlow, 0.5f / std::pow(8.0f, 0.125f), 1e-5f);
    item->hoverGlow = 1.0f;
    item->pressGlow = 1.0f;
    FrameTime = 0.5f;
    item->Update();
    item->Update();
    EXPECT_NEAR(item->hoverGlow, 0.125f, 1e-5f) << "a factor 8 a second";
    EXPECT_NEAR(item->pressGlow, 0.125f, 1e-5f);

    FrameTime = 0.02f;
    Frame(10, 10, 0x80);
    EXPECT_EQ(item->pressed, 1);
    Frame(300, 10);
    EXPECT_EQ(item->pressed, 0) << "not hovered this frame";
    Frame(10, 10, 0x40);
    EXPECT_TRUE(menu.commands.empty()) << "released without a press";
    Frame(10, 10, 0xC0);
    EXPECT_EQ(menu.commands, (std::vector<int> { 4097 }));
}

TEST_F(ControlsTest, aClosingLinkItemFadesHidesAndIsNoLongerHitTested)
{
    auto* item = new CMenuLinkItem(0, 0, 200, 20, "Item", 4097);
    menu.AddControl(item);
    item->appear = 0.0f;
    FrameTime = 0.1f;
    Frame(300, 10);
    EXPECT_NEAR(item->appear, 0.4f, 1e-6f);
    for (int i = 0; i < 3; ++i)
        Frame(300, 10);
    EXPECT_FLOAT_EQ(item->appear, 1.0f) << "at most 1";

    item->closing = 1;
    Frame(10, 10, 0xC0);
    EXPECT_TRUE(menu.commands.empty()) << "a closing item sends nothing";
    EXPECT_NEAR(item->appear, 0.6f, 1e-6f);
    Frame(300, 10);
    EXPECT_EQ(item->visible, 1);
    Frame(300, 10);
    EXPECT_EQ(item->appear, 0.0f);
    EXPECT_EQ(item->visible, 0);
    const float hover = item->hoverGlow;
    Frame(10, 10);
    EXPECT_EQ(item->hoverGlow, hover) << "an invisible item gets no mouse and no run steps";
}

TEST_F(ControlsTest, aLinkItemsColourBlendsItsFourColours)
{
    CMenuLinkItem item(0, 0, 200, 20, "Item", 0);
    struct Case {
        uint8_t selected;
        float press, hover, appear;
        uint32_t colour;
    };
    const Case cases[] = {
        { 0, 0, 0, 1, CMenuLinkItem::kNormalColour }, { 0, 0, 1, 1, CMenuLinkItem::kHoverColour },
        { 0, 1, 1, 1, CMenuLinkItem::kPressColour }, { 0, 0, 0, 0.5f, 0x40808080 },
        { 1, 0, 0, 1, 0xF280ABF2 }, // 0.9 selected, 0.1 normal
    };
    for (const Case& c : cases) {
        item.selected = c.selected;
        item.pressGlow = c.press;
        item.hoverGlow = c.hover;
        item.appear = c.appear;
        EXPECT_EQ(item.BlendedColour(), c.colour) << std::hex << c.colour;
    }
}

TEST_F(ControlsTest, aGlowButtonWithAutoRepeatSendsEveryFrameWhileHeldAndOnceMoreOnRelease)
{
    const int32_t normal[4] = { 0, 0, 32, 32 };
    const int32_t glow[4] = { 32, 0, 64, 32 };
    auto* button = new CGlowButton(0, 0, 32, 32, normal, glow, -1, 257);
    button->autoRepeat = 1;
    menu.AddControl(button);
    Frame(10, 10, 0x80);
    EXPECT_TRUE(menu.commands.empty());
    Frame(10, 10);
    Frame(10, 10);
    EXPECT_EQ(menu.commands.size(), 2u);
    Frame(10, 10, 0x40);
    EXPECT_EQ(menu.commands.size(), 4u) << "the held frame and the release";
    Frame(10, 10);
    EXPECT_EQ(menu.commands.size(), 4u);

    button->autoRepeat = 0;
    button->buttonEnabled = 0;
    Frame(10, 10, 0xC0);
    EXPECT_EQ(menu.commands.size(), 4u) << "a disabled button sends nothing";
}

TEST_F(ControlsTest, aGlowButtonPulsesTwiceASecondAndShinesUnderTheMouse)
{
    const int32_t piece[4] = { 0, 0, 1, 1 };
    CGlowButton button(0, 0, 1, 1, piece, piece, -1, 0);
    EXPECT_NEAR(button.GlowAlpha(0.125), 1.0f, 1e-6f);
    EXPECT_NEAR(button.GlowAlpha(0.375), 0.0f, 1e-6f);
    EXPECT_NEAR(button.GlowAlpha(0.625), 1.0f, 1e-6f);
    button.hoverFrames = 1;
    EXPECT_EQ(button.GlowAlpha(0.375), 1.0f);
}

TEST_F(ControlsTest, aTextMessageTypesAtHundredCharactersASecondAndFades)
{
    CTextMessageControl message(0, 0, 100, 20, "0123456789", 0x80FFFFFF, true);
    EXPECT_EQ(message.shownCount, 0);
    FrameTime = 0.05f;
    message.Update();
    EXPECT_EQ(message.shownCount, 5);
    EXPECT_NEAR(message.fade, 0.025f, 1e-6f);
    message.Update();
    message.Update();
    EXPECT_EQ(message.shownCount, 10) << "never past the text";
    message.fade = 0.5f;
    EXPECT_EQ(message.ShownColour(), 0x40FFFFFFu);
    message.fadingOut = 1;
    FrameTime = 0.2f;
    message.Update();
    EXPECT_NEAR(message.fade, 0.1f, 1e-6f);
    message.Update();
    EXPECT_EQ(message.fade, 0.0f) << "not below 0";
    message.usesFade = 0;
    EXPECT_EQ(message.ShownColour(), 0x80FFFFFFu);
}

class ListEntryTest : public zoq::test::ScriptTest { };

TEST_F(ListEntryTest, entriesTakeTheirListsIdTheKeysNameAndTheNumber)
{
    SListEntry entries[4];
    int32_t count = 0;
    AddListEntry(false, entries, "KEY", count, kEntryOrdinary, 11, 1);
    AddListEntry(true, entries, "KEY", count, kEntryClosedHeader, 12, 3);
    AddListEntry(false, entries, "NO_SUCH_KEY", count, kEntryOpenHeader, 13, 0);
    ASSERT_EQ(count, 3);
    EXPECT_EQ(entries[0].id, 4096u);
    EXPECT_STREQ(entries[0].name, "Key name");
    EXPECT_EQ(entries[0].collapsed, 0u);
    EXPECT_EQ(entries[1].id, 8192u + 1);
    EXPECT_STREQ(entries[1].name, "Key name (3)");
    EXPECT_EQ(entries[1].collapsed, 1u);
    EXPECT_EQ(entries[1].data, 12u);
    EXPECT_STREQ(entries[1].key, "KEY");
    EXPECT_EQ(entries[2].id, 4096u + 2);
    EXPECT_STREQ(entries[2].name, "NO_SUCH_KEY");
    EXPECT_EQ(entries[2].kind, 2u);
}

} // namespace
