// The message window on the null backend, its clock on a test counter: colours by age, expiry one
// message a frame, the expanded log, colour -1, slot reuse, refusals, and links that scroll, add a
// key's text or run a script procedure.
#include "tests/render/render_fixture.h"
#include "tests/script/script_fixture.h"
#include "tests/ui/fake_menu_host.h"
#include "ui/CHtmlControl.h"
#include "ui/CMessager.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class MessagerTest : public zoq::test::ScriptTest {
protected:
    void SetUp() override
    {
        ScriptTest::SetUp();
        ASSERT_TRUE(g_Graphic.CreateDirect3D("null"));
        ASSERT_TRUE(g_Graphic.CreateDevice(0, 640, 480, 32, plat::gfx::Format::X8R8G8B8, 0, 0, true,
            plat::gfx::MultiSample::None, 1, 1, plat::gfx::PresentInterval::Default, false, &m_window));
        messager.clock = [this] { return now; };
        messager.frameTime = [] { return 0.02f; };
        ASSERT_TRUE(messager.Init());
    }
    void TearDown() override
    {
        g_Graphic.Release();
        ScriptTest::TearDown();
    }

    // A drawn frame and its step.
    void Frame()
    {
        messager.Draw();
        messager.Run();
    }
    bool Shows(const char* block) { return messager.Window()->SetBlock(block, true); }
    // The left button pressed and released at (x, y) over the window's control.
    void Click(int32_t x, int32_t y)
    {
        menuHost.mouse = { x, y };
        menuHost.leftEvents = 0xC0;
        messager.ProcessMouse(messager.Control(), x, y);
        menuHost.leftEvents = 0;
    }
    // The first record of a block.
    const MHTLLine* FirstLine(const char* block)
    {
        CMHTLWindow& window = *messager.Window();
        for (int i = 0; i < window.BlockCount(); ++i)
            if (std::string(window.Block(i).name) == block)
                return &window.Line(window.Block(i).firstLine);
        return nullptr;
    }

    zoq::test::FakeWindow m_window { 640, 480 };
    uitest::FakeMenuHost menuHost;
    CMessager messager;
    double now = 100.0;
};

TEST(MessageColourTest, flashesInTurnsToItsColourAndFades)
{
    struct Case {
        float age;
        bool expanded;
        uint32_t colour;
    };
    const Case cases[] = {
        { 0.0f, false, 0xFF000000 }, // black
        { 0.25f, false, 0xFF7F7F7F }, // half way to white
        { 0.5f, false, 0xFFFFFFFF }, // white
        { 0.75f, false, 0xFF9FFF9F }, // half way to its colour
        { 1.0f, false, 0xFF40FF40 },
        { 18.0f, false, 0xFF40FF40 },
        { 19.0f, false, 0x7F40FF40 }, // fading
        { 20.5f, false, 0x00000000 }, // no longer drawn
        { 100.0f, true, 0xFF40FF40 }, // the expanded log: full alpha, its colour
        { 0.0f, true, 0xFF40FF40 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(MessageColour(0x40FF40, c.age, c.expanded, 1.0f), c.colour) << c.age;
}

TEST_F(MessagerTest, messagesExpireOneAFrameAfterTwentyFiveSeconds)
{
    messager.AddMessage("one", 1, nullptr);
    messager.AddMessage("two", 2, nullptr);
    ASSERT_EQ(messager.Window()->BlockCount(), 2);
    now += 25.0;
    Frame();
    EXPECT_EQ(messager.Window()->BlockCount(), 2);
    now += 0.02;
    Frame();
    EXPECT_EQ(messager.Window()->BlockCount(), 1);
    Frame();
    EXPECT_EQ(messager.Window()->BlockCount(), 0);
}

TEST_F(MessagerTest, theExpandedLogKeepsEveryMessage)
{
    messager.AddMessage("old", 0, nullptr);
    messager.UpdateState(true);
    EXPECT_EQ(messager.Window()->bottom, messager.Window()->top + 384);
    now += 100.0;
    Frame();
    Frame();
    EXPECT_EQ(messager.Window()->BlockCount(), 1);
    messager.UpdateState(false);
    EXPECT_EQ(messager.Window()->bottom, messager.Window()->top + 8 * 16);
    Frame();
    EXPECT_EQ(messager.Window()->BlockCount(), 0);
}

TEST_F(MessagerTest, colourIndexGivesATagAndMinusOneTheDefaultColour)
{
    messager.AddMessage("plain", -1, "PLAIN");
    messager.AddMessage("red", 2, "RED");
    messager.AddMessage("odd", 9, "ODD"); // outside the table: no tag
    EXPECT_EQ(FirstLine("PLAIN")->colour, 0xD0D0D0u);
    EXPECT_EQ(FirstLine("RED")->colour, 0xFF2020u);
    EXPECT_EQ(FirstLine("ODD")->colour, 0xD0D0D0u);
}

TEST_F(MessagerTest, theThousandAndFirstMessageReusesTheFirstSlotAndDropsItsBlock)
{
    for (int i = 0; i < CMessager::kCapacity; ++i)
        messager.AddMessage("m", 0, nullptr);
    EXPECT_TRUE(Shows("0"));
    EXPECT_EQ(messager.Write(), 0); // wrapped onto the head, which moved on
    EXPECT_EQ(messager.Head(), 1);
    messager.AddMessage("new", 0, nullptr);
    EXPECT_EQ(std::string(messager.Slot(0).name), "3e8");
    EXPECT_EQ(messager.Head(), 2);
    EXPECT_EQ(messager.Write(), 1);
    EXPECT_FALSE(Shows("0")); // no two blocks share slot 0
    EXPECT_TRUE(Shows("3e8"));
    EXPECT_EQ(messager.Window()->BlockCount(), CMessager::kCapacity);
    // Every block's value is its own slot.
    CMHTLWindow& window = *messager.Window();
    for (int i = 0; i < window.BlockCount(); ++i) {
        const uint32_t slot = window.Block(i).value;
        ASSERT_LT(slot, uint32_t(CMessager::kCapacity));
        EXPECT_EQ(std::string(messager.Slot(int(slot)).name), window.Block(i).name);
    }
}

TEST_F(MessagerTest, aFullWindowDropsItsOldestMessagesForANewOne)
{
    std::string many;
    for (int i = 0; i < 15; ++i)
        many += "<color:ff0000>a<color:00ff00>b";
    for (int i = 0; i < 100; ++i)
        messager.AddMessage(many.c_str(), -1, ("M" + std::to_string(i)).c_str());
    EXPECT_TRUE(Shows("M99"));
    EXPECT_TRUE(Shows("M98"));
    EXPECT_FALSE(Shows("M0"));
    EXPECT_LE(messager.Window()->LineCount(), CMHTLWindow::kMaxLines);
}

TEST_F(MessagerTest, aLinkToAShownBlockScrollsToIt)
{
    messager.AddMessage("<link:Back=FIRST>", -1, "LINK");
    for (int i = 0; i < 30; ++i)
        messager.AddMessage("filler", -1, nullptr);
    messager.AddMessage("target", -1, "FIRST");
    messager.UpdateState(true);
    messager.Window()->SetBlock("LINK", false);
    const MHTLLine* link = FirstLine("LINK");
    ASSERT_NE(link, nullptr);
    Click(link->x1 + 1, link->y1 + 1);
    EXPECT_EQ(messager.Control()->linkTarget, "FIRST");
    const MHTLLine* target = FirstLine("FIRST");
    EXPECT_GE(target->y1, messager.Window()->top);
    EXPECT_LT(target->y1, messager.Window()->bottom);
    EXPECT_EQ(messager.Window()->BlockCount(), 32); // nothing added
}

TEST_F(MessagerTest, aLinkToAKeyAddsItsTextUnderTheKeysName)
{
    messager.AddMessage("<link:Read=KEY>", -1, "LINK");
    messager.UpdateState(true);
    const MHTLLine* link = FirstLine("LINK");
    Click(link->x1 + 1, link->y1 + 1);
    ASSERT_TRUE(Shows("KEY"));
    std::string text;
    uint32_t nameColour = 0;
    CMHTLWindow& window = *messager.Window();
    for (int i = 0; i < window.LineCount(); ++i) {
        const MHTLLine& line = window.Line(i);
        if (std::string(line.block.Text()) != "KEY")
            continue;
        text += line.text.Text();
        if (std::string(line.text.Text()).find("Key") != std::string::npos)
            nameColour = line.colour;
    }
    EXPECT_NE(text.find("Key name"), std::string::npos);
    EXPECT_NE(text.find("zero"), std::string::npos);
    EXPECT_EQ(nameColour, 0xD1D153u);
}

TEST_F(MessagerTest, aLinkToAProcedureRunsItAndMarksOpenQuests)
{
    Script("MAIN", "scr", "PROC OPEN\nEND\n");
    std::snprintf(manager->runningScript, sizeof manager->runningScript, "%s", "MAIN");
    manager->AddQuest("Q1");
    messager.AddMessage("next", -1, "INT_NEXT_PAGE");
    messager.AddMessage("<link:Open=OPEN>", -1, "LINK");
    messager.UpdateState(true);
    const MHTLLine* link = FirstLine("LINK");
    Click(link->x1 + 1, link->y1 + 1);
    EXPECT_FALSE(Shows("INT_NEXT_PAGE"));
    EXPECT_TRUE(manager->IsEventSet("Q1", ".GET"));
    EXPECT_EQ(host.journalNotices, std::vector<int>({ 1 }));
}

TEST_F(MessagerTest, withoutItsWindowAMessageGoesToTheLog)
{
    CMessager bare;
    bare.AddMessage("lost?", 1, nullptr);
    EXPECT_EQ(LogLineCount("lost?"), 1);
}

} // namespace
