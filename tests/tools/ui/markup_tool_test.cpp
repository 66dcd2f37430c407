// zoq-ui markup: one AddText of a file's text, printed as records and blocks; the fixed widths
// without --font, the glyph advances of a base folder's game font with it; its refusals.
#include "platform/win/text.h"
#include "tests/support/child_process.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"
#include "tools/texture/font_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

namespace tex = zoq::tools::texture;
using zoq::test::RunProgram;
using zoq::test::RunResult;

class MarkupToolTest : public zoq::test::TempDirTest {
protected:
    RunResult Run(const std::vector<std::string>& args)
    {
        zoq::test::ChildOptions options;
        options.folder = m_dir.string();
        return RunProgram(ZOQ_PROGRAM_UI, args, options, 20000);
    }
};

TEST_F(MarkupToolTest, aColourTagAndItsResetPrintTwoRecordsAndTheBlock)
{
    zoq::test::WriteText(m_dir / "a.txt", "<color:ff0000>A<color>B");
    const RunResult run = Run({ "markup", (m_dir / "a.txt").string() });
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out,
        "record\t0\t-\t0,0,16,16\tFF0000\t0\t1\t1\tTEXT\tA\n"
        "record\t1\t-\t16,0,32,16\tFFFF00\t0\t1\t1\tTEXT\tB\n"
        "block\tTEXT\t0\t1\n");
}

TEST_F(MarkupToolTest, widthPicturesAndTextsInWindows1251AreTakenAndShownInUtf8)
{
    zoq::test::WriteText(
        m_dir / "b.txt", "<link:" + plat::win::Utf8ToCp1251("Купить") + "=BUY>\t<image:pic>");
    const RunResult run
        = Run({ "markup", "--width", "100", "--image", "pic=50x30", (m_dir / "b.txt").string() });
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out,
        "record\t0\tBUY\t0,0,48,16\t00FFFF\t0\t1\t1\tTEXT\tКупить\n"
        "record\t1\t-\t48,0,64,16\tFFFF00\t0\t1\t1\tTEXT\t\\t\n"
        "record\t2\timage\t50,0,100,30\t000000\t0\t1\t1\tTEXT\tpic\n"
        "block\tTEXT\t0\t2\n");
}

TEST_F(MarkupToolTest, theGameFontOfABaseFolderMeasures)
{
    tex::FontFile font;
    font.metrics[0] = 20;
    font.texture = { 64, 64, {} };
    for (const char c : { 'A', 'B' })
        font.glyphs.push_back({ uint32_t(c), 0, 0, c == 'A' ? 5 : 7, 0, 8, 20 });
    const tex::Bytes kwd = tex::EncodeKwd(font);
    zoq::test::WriteBytes(m_dir / "game/data/fonts/font1.kwd", kwd);
    zoq::test::WriteText(m_dir / "a.txt", "AB<br>B");
    const RunResult run = Run({ "markup", "--font", (m_dir / "game").string(), (m_dir / "a.txt").string() });
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out,
        "record\t0\t-\t0,0,17,20\tFFFF00\t0\t1\t1\tTEXT\tAB\n"
        "record\t1\t-\t0,20,12,40\tFFFF00\t0\t1\t1\tTEXT\tB\n"
        "block\tTEXT\t0\t1\n");
}

TEST_F(MarkupToolTest, unreadableFilesAndBadArgumentsAreRefused)
{
    const std::string missing = (m_dir / "none.txt").string();
    const RunResult run = Run({ "markup", missing });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("zoq-ui: " + missing + ": ", 0), 0u) << run.err;

    const RunResult noFont = Run({ "markup", "--font", (m_dir / "nothing").string(), missing });
    EXPECT_EQ(noFont.exitCode, 1);

    zoq::test::WriteText(m_dir / "a.txt", "A");
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>> { {}, { "markup" },
             { "markup", "--width", "0", "a.txt" }, { "markup", "--image", "pic=5", "a.txt" },
             { "markup", "a.txt", "b.txt" }, { "layout", "a.txt" }, { "markup", "--width" } }) {
        const RunResult usage = Run(args);
        EXPECT_EQ(usage.exitCode, 2) << testing::PrintToString(args);
        EXPECT_EQ(usage.err.rfind("usage: zoq-ui markup", 0), 0u) << usage.err;
    }
}

} // namespace
