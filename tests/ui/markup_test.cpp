// The parser and the layout on the fixed-width host: tags, colours, links, paragraphs, the
// proportional cut, pictures, justification and runs wider than the window.
#include "tests/support/error_log_test.h"
#include "tests/ui/markup_fixture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using zoq::test::RecordingWindow;
using zoq::test::Records;

struct SLayoutCase {
    const char* what;
    int32_t width;
    std::string text;
    std::string records;
};

const SLayoutCase kLayoutCases[] = {
    { "a bare colour tag returns to the default colour", 400, "<color:ff0000>A<color>B",
        "- 0,0,16,16 FF0000 A; - 16,0,32,16 FFFF00 B" },
    { "colour names are whole and case-sensitive, before any hex reading", 400,
        "<color:green>g<color:Green>G<color:0>z<color:cyan>c<color:blue>b<color:bluex>x<color:0x00ff00>h",
        "- 0,0,16,16 4AC64A g; - 16,0,32,16 FFFF00 G; - 32,0,48,16 FFFF00 z; - 48,0,64,16 000080 c; "
        "- 64,0,80,16 0000FF b; - 80,0,96,16 00000B x; - 96,0,112,16 00FF00 h" },
    { "a link takes its target as kind and the link colour", 400, "<link:Buy=LINKBUY>",
        "LINKBUY 0,0,24,16 00FFFF Buy" },
    { "a reference takes the reference colour; no = leaves the text empty", 400,
        "<reference:Map=MAP><link:NOTEXT>", "MAP 0,0,24,16 0000FF Map; NOTEXT 24,0,24,16 00FFFF " },
    { "a paragraph is one mark and indents the next word", 400, "<p>pilot",
        "- 0,0,1,16 FFFF00  ; - 32,16,80,32 FFFF00 pilot" },
    { "tag words outside brackets are text", 400, "pilot price<br>icon link",
        "- 0,0,96,16 FFFF00 pilot price; - 0,16,80,32 FFFF00 icon link" },
    { "a bracketed word that names no tag is text", 400, "<pilot>x",
        "- 0,0,48,16 FFFF00 pilot; - 48,0,64,16 FFFF00 x" },
    { "a text of one character is one token", 400, "A", "- 0,0,16,16 FFFF00 A" },
    { "the cut is estimated in proportion and falls after the last blank", 80, "aaaa bbbb cccc dddd",
        "- 0,0,80,16 FFFF00 aaaa bbbb; - 0,16,72,32 FFFF00 cccc dddd" },
    { "a picture 240 wide in a 400 window is centred on its own line", 400, "<image:wide>after",
        "image 80,16,320,66 000000 wide; - 0,66,48,82 FFFF00 after" },
    { "a row whose gap stays under a blank plus 20 is stretched to the edge", 100,
        "<color:red>aa <color>bb cc dd ee ff gg hh",
        "- 0,0,36,16 C5635A aa ; - 48,0,100,16 FFFF00 bb cc; - 0,16,100,32 FFFF00 dd ee ff gg; "
        "- 0,32,16,48 FFFF00 hh" },
    { "a row whose gap would reach a blank plus 20 stays ragged", 100,
        "<color:red>a <color>bb cccccccccccccc",
        "- 0,0,24,16 C5635A a ; - 24,0,100,16 FFFF00 bb; - 0,16,112,32 FFFF00 cccccccccccccc" },
    { "a run without blanks moves to the next row once and reaches past the edge", 400,
        "aa <color:red>" + std::string(60, 'x'),
        "- 0,0,32,16 FFFF00 aa ; - 0,16,480,32 C5635A " + std::string(60, 'x') },
    { "such a run at a row's start stays there", 400, std::string(60, 'x') + "<br>y",
        "- 0,0,480,16 FFFF00 " + std::string(60, 'x') + "; - 0,16,16,32 FFFF00 y" },
};

TEST(MarkupLayoutTest, textsLayOutAsTheTableSays)
{
    for (const SLayoutCase& c : kLayoutCases) {
        RecordingWindow window(0, 0, c.width, 100000);
        window.images["wide"] = { 240, 50 };
        window.AddText(c.text.c_str(), "T", true);
        EXPECT_EQ(Records(window), c.records) << c.what;
    }
}

TEST(MarkupLayoutTest, aNarrowPictureFloatsAndNarrowsTheTextUntilARowStartsBelowIt)
{
    std::string words;
    for (int i = 0; i < 60; ++i)
        words += "word ";
    // The picture first, or after a run of the same text.
    for (const std::string lead : { "", "abc " }) {
        RecordingWindow window(0, 0, 400, 100000);
        window.images["pic"] = { 100, 50 };
        window.AddText((lead + "<image:pic>" + words).c_str(), "T", true);

        const int32_t picture = lead.empty() ? 0 : 1;
        ASSERT_GT(window.LineCount(), 5 + picture);
        EXPECT_EQ(Records(window, picture).substr(0, 29), "image 300,0,400,50 000000 pic");
        bool widerBelow = false;
        for (int32_t i = picture + 1; i < window.LineCount(); ++i) {
            const MHTLLine& line = window.Line(i);
            if (line.y1 < 58)
                EXPECT_LE(line.x2, 294) << lead << i << ": " << line.text.Text();
            else
                widerBelow = widerBelow || line.x2 > 294;
        }
        EXPECT_TRUE(widerBelow) << Records(window);
        EXPECT_EQ(window.Line(5 + picture).y1, 64) << Records(window);
    }
}

TEST(MarkupLayoutTest, aPictureJustUnderThreeFifthsFloats)
{
    RecordingWindow window(0, 0, 400, 100000);
    window.images["pic"] = { 239, 20 };
    window.AddText("<image:pic>x", "T", true);
    EXPECT_EQ(Records(window), "image 161,0,400,20 000000 pic; - 0,0,16,16 FFFF00 x");
}

// Measures every text 0 wide except the letter gap, so every run passes the edge.
class ZeroWidthWindow : public RecordingWindow {
public:
    using RecordingWindow::RecordingWindow;
    int32_t GetTextWidth(int32_t, const char* text) override { return std::string(text) == "A" ? 500 : 0; }
};

TEST(MarkupLayoutTest, aRunMeasuredZeroWideIsPlacedWithoutDividingByItsWidth)
{
    ZeroWidthWindow window(0, 0, 400, 100000);
    window.AddText("a b<color:red>c d", "T", true);
    EXPECT_EQ(Records(window),
        "- 0,0,400,16 FFFF00 a; - 0,16,0,32 FFFF00 b; - 0,16,400,32 C5635A c; - 0,32,0,48 C5635A d");
}

class MarkupLimitsTest : public zoq::test::ErrorLogTest { };

TEST_F(MarkupLimitsTest, aTextPastTheTableStopsAtItsEndAndLaterTextsAreRefused)
{
    RecordingWindow window(0, 0, 400, 100000);
    std::string text;
    for (int i = 0; i < 2100; ++i)
        text += "<color:red>w";
    window.AddText(text.c_str(), "BIG", true);
    EXPECT_EQ(window.LineCount(), CMHTLWindow::kMaxLines);
    EXPECT_EQ(LogLineCount("->CMHTLWindow::Parser"), 1);
    ASSERT_EQ(window.BlockCount(), 1);
    EXPECT_EQ(window.Block(0).lastLine, CMHTLWindow::kMaxLines - 1);
    EXPECT_FALSE(window.WouldAccept());
    window.AddText("more", "MORE", true);
    EXPECT_EQ(window.BlockCount(), 1);
}

TEST_F(MarkupLimitsTest, blockNamesAreCutTo31Bytes)
{
    RecordingWindow window(0, 0, 400, 100000);
    const std::string name(40, 'n');
    window.AddText("x", name.c_str(), true);
    ASSERT_EQ(window.BlockCount(), 1);
    EXPECT_EQ(std::string(window.Block(0).name), std::string(31, 'n'));
    EXPECT_STREQ(window.Line(0).block.Text(), std::string(31, 'n').c_str());
    EXPECT_TRUE(window.SetBlock(name.c_str(), true));
    EXPECT_EQ(LogLineCount(""), 0);
}

} // namespace
