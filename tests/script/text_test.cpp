#include "script/CScriptInter.h"
#include "script/ScriptText.h"

#include "foundation/BaseDirectory.h"
#include "tests/support/error_log_test.h"
#include "tests/support/files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class TextTest : public zoq::test::ErrorLogTest {
protected:
    void SetUp() override
    {
        ErrorLogTest::SetUp();
        SetBaseDirectory(m_dir.string());
    }
    void TearDown() override
    {
        SetBaseDirectory("");
        ErrorLogTest::TearDown();
    }
    void File(const std::string& name, const std::string& text)
    {
        zoq::test::WriteText(m_dir / "SCRIPT" / name, text);
    }
    std::vector<std::string> Load(const std::string& name, bool* ok = nullptr)
    {
        CScriptInter inter;
        XStringTable table;
        table.Init(800, 16000);
        const bool loaded = inter.LoadScript(name.c_str(), table, false);
        if (ok)
            *ok = loaded;
        std::vector<std::string> lines;
        for (int i = 0; i < table.Count(); ++i)
            lines.emplace_back(table.GetString(i));
        return lines;
    }
};

TEST_F(TextTest, linesAreUpperCasedWithoutBlanksAndComments)
{
    File("a.scr", "proc Main\r\n  _info( key ) ;\r\n\r\n// note\r\n\t_x(a, b) // trailing\r\nEND");
    EXPECT_EQ(Load("a.scr"), (std::vector<std::string> { "PROCMAIN", "_INFO(KEY)", "END" }));
    File("b.scr", "_\xfb(\xff)\n"); // Windows-1251 lower case
    EXPECT_EQ(Load("b.scr"), (std::vector<std::string> { "_\xdb(\xdf)" }));
    File("c.scr", std::string("_A(1\0)X\n\0\0\x03\n_B()", 17)); // a NUL ends a line's text
    EXPECT_EQ(Load("c.scr"), (std::vector<std::string> { "_A(1", "_B()" }));
}

TEST_F(TextTest, lineLengthsUpTo79AreKeptAndLongerLinesSkippedWithALogLine)
{
    const std::string ok = "_A(" + std::string(75, 'X') + ")";
    ASSERT_EQ(ok.size(), 79u);
    const std::string over = "_B(" + std::string(76, 'X') + ")";
    File("l.scr", ok + "\r\n" + over + "\n_C()");
    EXPECT_EQ(Load("l.scr"), (std::vector<std::string> { ok, "_C()" }));
    EXPECT_EQ(LogLineCount("l.scr:2: a line over 79 characters: skipped"), 1);
}

TEST_F(TextTest, includesNestAndRefuseCyclesAndDepth)
{
    File("top.scr", "_TOP()\nINCLUDE inc/one.inc\n_END()\n");
    File("inc/one.inc", "_ONE()\n  include inc/two.inc  \n");
    File("inc/two.inc", "_TWO()\nINCLUDE inc/one.inc\nINCLUDE top.scr\nINCLUDE missing.inc\n");
    EXPECT_EQ(Load("top.scr"), (std::vector<std::string> { "_TOP()", "_ONE()", "_TWO()", "_END()" }));
    EXPECT_EQ(LogLineCount("includes itself: skipped"), 2);
    EXPECT_EQ(LogLineCount("INCLUDE MISSING.INC cannot be read: skipped"), 1);

    for (int i = 0; i < 10; ++i)
        File("d" + std::to_string(i) + ".scr",
            "_D" + std::to_string(i) + "()\nINCLUDE d" + std::to_string(i + 1) + ".scr\n");
    File("d10.scr", "_D10()\n");
    const std::vector<std::string> lines = Load("d0.scr");
    ASSERT_EQ(lines.size(), 9u); // the top file and 8 levels of includes
    EXPECT_EQ(lines.back(), "_D8()");
    EXPECT_EQ(LogLineCount("INCLUDE deeper than 8"), 1);
}

TEST_F(TextTest, aMissingFileLoadsNothing)
{
    bool ok = true;
    EXPECT_TRUE(Load("none.scr", &ok).empty());
    EXPECT_FALSE(ok);
}

TEST(ScriptTextLines, splitOnlyAtLineFeedsAndKeepALastLineWithoutItsEnd)
{
    EXPECT_EQ(SplitScriptText("a\r\nb\rc\n\nd"), (std::vector<std::string> { "a", "bc", "", "d" }));
    EXPECT_EQ(SplitScriptText("a\n"), std::vector<std::string> { "a" });
    EXPECT_TRUE(SplitScriptText("").empty());
}

} // namespace
