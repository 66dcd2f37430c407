// Blocks, scrolling, drawing and the mouse of the mark-up window on the fixed-width host.
#include "tests/support/error_log_test.h"
#include "tests/ui/markup_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using zoq::test::RecordingWindow;
using zoq::test::Records;

// "text@y1" of the visible records, joined by blanks.
std::string Rows(const CMHTLWindow& window)
{
    std::string out;
    for (int32_t i = 0; i < window.LineCount(); ++i) {
        const MHTLLine& line = window.Line(i);
        if (line.visible)
            out += (out.empty() ? "" : " ") + std::string(line.text.Text()) + "@" + std::to_string(line.y1);
    }
    return out;
}

std::string Blocks(const CMHTLWindow& window)
{
    std::string out;
    for (int32_t i = 0; i < window.BlockCount(); ++i) {
        const MHTLBlock& block = window.Block(i);
        out += (out.empty() ? "" : " ") + std::string(block.name) + ":" + std::to_string(block.firstLine)
            + "-" + std::to_string(block.lastLine);
    }
    return out;
}

// n one-line blocks "L0".."Ln-1" with the texts "line i".
void AddLines(CMHTLWindow& window, int n)
{
    for (int i = 0; i < n; ++i)
        window.AddText(("line" + std::to_string(i)).c_str(), ("L" + std::to_string(i)).c_str(), true);
}

class MarkupBlocksTest : public zoq::test::ErrorLogTest { };

TEST_F(MarkupBlocksTest, deletingANameRemovesEveryBlockOfItAndClosesTheGaps)
{
    RecordingWindow window(0, 0, 400, 1000);
    window.AddText("one", "A", true);
    window.AddText("two", "B", true);
    window.AddText("three", "A", true);
    window.AddText("four", "C", true);
    window.DelBlock("A", false);
    EXPECT_EQ(Rows(window), "two@0 four@16");
    EXPECT_EQ(Blocks(window), "B:0-0 C:1-1");
    window.AddText("five", "D", true);
    EXPECT_EQ(Rows(window), "two@0 four@16 five@32");

    window.DelBlock("nothing", false);
    window.DelBlock(nullptr, false);
    EXPECT_EQ(Blocks(window), "B:0-0 C:1-1 D:2-2");
    window.DelBlock("D", false);
    EXPECT_EQ(Blocks(window), "B:0-0 C:1-1");
    EXPECT_EQ(window.LineCount(), 2);
    EXPECT_EQ(LogLineCount(""), 0);
}

TEST_F(MarkupBlocksTest, theListsOwnNamesMayBeGivenToAddAndDelete)
{
    RecordingWindow window(0, 0, 400, 1000);
    window.AddText("one", "A", true);
    window.AddText("two", "B", true);
    for (int i = 0; i < 5; ++i)
        window.AddText("again", window.GetFirstBlockName(), true);
    EXPECT_EQ(Blocks(window), "A:0-0 B:1-1 A:2-2 A:3-3 A:4-4 A:5-5 A:6-6");
    window.DelBlock(window.GetFirstBlockName(), false);
    EXPECT_EQ(Blocks(window), "B:0-0");
    EXPECT_EQ(Rows(window), "two@0");
}

TEST_F(MarkupBlocksTest, deletingWithFollowersCutsTheTextAtTheBlock)
{
    RecordingWindow window(0, 0, 400, 1000);
    window.AddText("one", "A", true);
    window.AddText("two<br>lines", "B", true);
    window.AddText("three", "C", true);
    window.DelBlock("B", true);
    EXPECT_EQ(Rows(window), "one@0");
    EXPECT_EQ(Blocks(window), "A:0-0");
    window.AddText("four", "D", true);
    EXPECT_EQ(Rows(window), "one@0 four@16");
}

TEST_F(MarkupBlocksTest, minusHidesTheNextBlockAndLiftsTheRestAndPlusRestoresThem)
{
    RecordingWindow window(0, 0, 400, 1000);
    window.AddText("<icon:MINUS>Header", "H", true);
    window.AddText("body one<br>body two", "BODY", true);
    window.AddText("after", "X", true);
    EXPECT_EQ(Rows(window), "MINUS@0 Header@0 body one@16 body two@32 after@48");

    CXAnsiString target;
    EXPECT_EQ(window.MouseClick(5, 5, target), -1);
    EXPECT_EQ(Rows(window), "PLUS@0 Header@0 after@16");
    window.Render();
    EXPECT_EQ(window.drawn,
        (std::vector<std::string> {
            "icon 0,0 PLUS", "text 16,0 FFFF00 Header [H]", "text 0,16 FFFF00 after [X]" }));

    EXPECT_EQ(window.MouseClick(5, 5, target), -1);
    EXPECT_EQ(Rows(window), "MINUS@0 Header@0 body one@16 body two@32 after@48");
    EXPECT_TRUE(target.IsEmpty());
}

TEST_F(MarkupBlocksTest, collapsingARecordOfTheLastBlockDoesNothing)
{
    RecordingWindow window(0, 0, 400, 1000);
    window.AddText("<icon:MINUS>Header", "H", true);
    window.Collapse(1, true);
    window.Collapse(7, true);
    EXPECT_EQ(Rows(window), "MINUS@0 Header@0");
    CXAnsiString target;
    EXPECT_EQ(window.MouseClick(5, 5, target), -1);
    EXPECT_EQ(Rows(window), "PLUS@0 Header@0");
    EXPECT_EQ(LogLineCount(""), 0);
}

TEST_F(MarkupBlocksTest, aLinkAtRecordZeroFlashesUnderTheMouseAndRevertsWhenAnotherIsChosen)
{
    RecordingWindow window(0, 0, 400, 1000);
    window.SetFlags(1, 1, 0);
    window.AddText("<link:first=ONE> <link:second=TWO>", "L", true);
    ASSERT_EQ(Records(window).substr(0, 25), "ONE 0,0,40,16 00FFFF firs");

    window.MouseMove(3, 3);
    EXPECT_EQ(window.Hover(), 0);
    window.Render();
    ASSERT_FALSE(window.drawn.empty());
    EXPECT_EQ(window.drawn[0], "text 0,0 00FF00 first [L]");

    CXAnsiString target;
    EXPECT_EQ(window.MouseClick(3, 3, target), 1);
    EXPECT_STREQ(target.Text(), "ONE");
    EXPECT_EQ(window.Line(0).colour, window.selectedColour);
    EXPECT_EQ(window.selectedLine, 0);
    const int32_t second = window.LineCount() - 1;
    EXPECT_EQ(window.MouseClick(window.Line(second).x1 + 1, 3, target), 1);
    EXPECT_STREQ(target.Text(), "TWO");
    EXPECT_EQ(window.Line(0).colour, window.visitedColour);
    EXPECT_EQ(window.Line(second).colour, window.selectedColour);

    window.MouseMove(300, 3);
    EXPECT_EQ(window.Hover(), -1);
    EXPECT_EQ(window.MouseClick(300, 3, target), 0);
}

TEST_F(MarkupBlocksTest, aLinkWrappedOverTwoRecordsIsChosenWholeAndRevertedWhole)
{
    RecordingWindow window(0, 0, 100, 1000);
    window.SetFlags(1, 1, 0);
    window.AddText("<link:aaaa bbbb cccc=GO><br><link:other=GO2>", "L", true);
    ASSERT_EQ(Records(window),
        "GO 0,0,100,16 00FFFF aaaa bbbb; GO 0,16,32,32 00FFFF cccc; GO2 0,32,40,48 00FFFF other");

    CXAnsiString target;
    EXPECT_EQ(window.MouseClick(5, 20, target), 1);
    EXPECT_EQ(window.Line(0).colour, window.selectedColour);
    EXPECT_EQ(window.Line(1).colour, window.selectedColour);
    EXPECT_EQ(window.Line(2).colour, window.linkColour);

    window.MouseMove(5, 5);
    window.Render();
    ASSERT_EQ(window.drawn.size(), 3u);
    EXPECT_EQ(window.drawn[1], "text 0,16 00FF00 cccc [L]");
    EXPECT_EQ(window.drawn[2], "text 0,32 00FFFF other [L]");

    EXPECT_EQ(window.MouseClick(5, 36, target), 1);
    EXPECT_EQ(window.Line(0).colour, window.visitedColour);
    EXPECT_EQ(window.Line(1).colour, window.visitedColour);
    EXPECT_EQ(window.Line(2).colour, window.selectedColour);
}

TEST_F(MarkupBlocksTest, aWindowThatStacksUpwardShowsTheNewestTextOnTop)
{
    RecordingWindow window(0, 0, 400, 100);
    window.SetFlags(0, 0, 0);
    window.AddText("old", "O", true);
    window.AddText("new", "N", true);
    EXPECT_EQ(Rows(window), "old@84 new@68");
}

TEST_F(MarkupBlocksTest, settingABlockScrollsItToTheTopButNeverLiftsTheEndAboveTheBottom)
{
    RecordingWindow window(0, 0, 400, 100);
    AddLines(window, 20);
    EXPECT_TRUE(window.SetBlock("L2", false));
    EXPECT_EQ(window.Line(2).y1, 0);
    EXPECT_TRUE(window.SetBlock("L18", false));
    EXPECT_EQ(window.Line(19).y2, 100);
    EXPECT_FALSE(window.SetBlock("none", false));
    EXPECT_TRUE(window.SetBlock("L0", true));
    EXPECT_EQ(window.Line(19).y2, 100);

    window.AddText("next", "N", true);
    EXPECT_EQ(window.Line(20).y1, 100);
}

struct SScrollCase {
    int32_t step;
    int32_t allowed;
};

TEST_F(MarkupBlocksTest, scrollingIsLimitedAsEachKindOfWindowNeeds)
{
    // A menu: the text moves while its end is below the bottom and its start above the top.
    RecordingWindow menu(0, 0, 400, 100);
    AddLines(menu, 20);
    for (const SScrollCase c : { SScrollCase { 50, 50 }, { 300, 220 }, { -10, 0 } })
        EXPECT_EQ(menu.IsScroll(c.step), c.allowed) << "menu " << c.step;
    menu.Scroll(100);
    EXPECT_EQ(menu.Line(0).y1, -100);
    EXPECT_EQ(menu.IsScroll(-150), -100);
    RecordingWindow shortMenu(0, 0, 400, 100);
    AddLines(shortMenu, 3);
    EXPECT_EQ(shortMenu.IsScroll(10), 0);

    // The message window: it may scroll its text away but keeps one line in view.
    RecordingWindow messages(0, 0, 400, 100);
    messages.SetFlags(0, 1, 1);
    AddLines(messages, 20);
    for (const SScrollCase c :
        { SScrollCase { 50, 50 }, { 310, 310 }, { 320, 304 }, { 400, 304 }, { -10, 0 } })
        EXPECT_EQ(messages.IsScroll(c.step), c.allowed) << "messages " << c.step;

    // A window that stacks upward: the oldest line stays at the bottom, the newest may come down.
    RecordingWindow stack(0, 0, 400, 100);
    stack.SetFlags(0, 0, 0);
    AddLines(stack, 10);
    EXPECT_EQ(stack.Line(9).y1, -60);
    for (const SScrollCase c : { SScrollCase { 10, 0 }, { -50, -50 }, { -200, -144 } })
        EXPECT_EQ(stack.IsScroll(c.step), c.allowed) << "stack " << c.step;

    RecordingWindow empty(0, 0, 400, 100);
    EXPECT_EQ(empty.IsScroll(10), 0);
    empty.Scroll(10);
    int32_t total = -1;
    int32_t page = -1;
    int32_t position = -1;
    empty.GetScrollInfo(total, page, position);
    EXPECT_EQ(total, 0);
    EXPECT_EQ(page, 100);
    EXPECT_EQ(position, 0);
    menu.GetScrollInfo(total, page, position);
    EXPECT_EQ(total, 320);
    EXPECT_EQ(position, 100);
}

TEST_F(MarkupBlocksTest, replacingTheTextOfABlockAfterAnIconStartsAtTheIcon)
{
    RecordingWindow window(0, 0, 400, 1000);
    window.AddText("<icon:POINT>Count 1", "CNT", true);
    window.AddText("plain", "P", true);
    EXPECT_TRUE(window.ReplaceTextInBlock("CNT", "Count 22"));
    EXPECT_TRUE(window.ReplaceTextInBlock("P", "<reference:Map=MAP>"));
    EXPECT_FALSE(window.ReplaceTextInBlock("none", "x"));
    EXPECT_EQ(Records(window),
        "icon 0,0,16,16 000000 POINT; - 16,0,400,16 FFFF00 Count 22; MAP 0,16,400,32 FFFF00 Map");
}

// A message window adds and deletes blocks for ever: the texts of the blocks still shown, their
// links, rewritten counters and wrapped rows, stay intact however much text went before.
TEST_F(MarkupBlocksTest, blocksKeepTheirTextsWhileManyMoreComeAndGo)
{
    RecordingWindow window(0, 0, 200, 100000);
    window.AddText("<link:Back=FIRST> and a run that wraps onto a second row", "KEEP", true);
    window.AddText("Count", "CNT", true);
    window.ReplaceTextInBlock("CNT", "Count 1");
    const std::string kept = Records(window);
    const std::string filler(1000, 'x');
    for (int i = 0; i < 1000; ++i) {
        window.AddText(filler.c_str(), "GONE", true);
        window.DelBlock("GONE", false);
        window.ReplaceTextInBlock("CNT", ("Count " + std::to_string((i + 1) % 2 + 1)).c_str());
    }
    EXPECT_EQ(Records(window), kept);
    EXPECT_EQ(Blocks(window), "KEEP:0-2 CNT:3-3");
    EXPECT_STREQ(window.Line(3).block.Text(), "CNT");
}

TEST_F(MarkupBlocksTest, blockValuesAndTheFirstName)
{
    RecordingWindow window(0, 0, 400, 1000);
    EXPECT_EQ(window.GetFirstBlockName(), nullptr);
    window.AddText("one", "A", true);
    window.AddText("two", "B", true);
    window.SetBlockValue("B", 7);
    window.SetBlockValue("none", 9);
    EXPECT_EQ(window.GetBlockValue("B"), 7u);
    EXPECT_EQ(window.GetBlockValue("A"), 0u);
    EXPECT_EQ(window.GetBlockValue("none"), 0u);
    EXPECT_STREQ(window.GetFirstBlockName(), "A");
    window.AddText("", "E", true);
    EXPECT_EQ(window.BlockCount(), 2);
    window.Clear();
    EXPECT_EQ(window.GetFirstBlockName(), nullptr);
    EXPECT_EQ(window.LineCount(), 0);
    window.AddText("again", "A", true);
    EXPECT_EQ(Rows(window), "again@0");
}

TEST_F(MarkupBlocksTest, drawingShowsTheRecordsInViewWithTheirBlockAndClipsPictures)
{
    RecordingWindow window(0, 0, 400, 40);
    window.images["wide"] = { 240, 50 };
    window.AddText("a<br>b", "A", true);
    window.AddText("c<br>d", "B", true);
    window.AddText("<image:wide>", "I", true);
    window.Render();
    EXPECT_EQ(window.drawn,
        (std::vector<std::string> {
            "text 0,0 FFFF00 a [A]", "text 0,16 FFFF00 b [A]", "text 0,32 FFFF00 c [B]" }));

    window.drawn.clear();
    window.wholeLinesOnly = 1;
    window.Scroll(-1000);
    window.Scroll(48);
    window.Render();
    EXPECT_EQ(window.drawn,
        (std::vector<std::string> { "text 0,0 FFFF00 d [B]", "image 80,32,320,82 clip 80,32,320,40 wide" }));
}

TEST_F(MarkupBlocksTest, hiddenRecordsAreNeitherHoveredNorClicked)
{
    RecordingWindow window(0, 0, 400, 1000);
    window.AddText("<icon:MINUS>Header", "H", true);
    window.AddText("<link:hidden=HID>", "BODY", true);
    window.AddText("<link:shown=SHOW>", "X", true);
    CXAnsiString target;
    EXPECT_EQ(window.MouseClick(5, 5, target), -1);
    window.MouseMove(3, 20);
    EXPECT_EQ(window.Hover(), 3);
    EXPECT_EQ(window.MouseClick(3, 20, target), 1);
    EXPECT_STREQ(target.Text(), "SHOW");
}

} // namespace
