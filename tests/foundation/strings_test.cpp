#include "tests/support/error_log_test.h"

#include "foundation/CXAnsiString.h"
#include "foundation/SharedText.h"
#include "foundation/XRangeError.h"
#include "platform/win/text.h"

#include <cstring>
#include <string>

using zoq::test::ErrorLogTest;

namespace {

struct ReplaceCase {
    const char* text;
    const char* find;
    const char* replacement;
    const char* result;
    int count;
};

TEST(CXAnsiStringReplace, shouldReplaceNonOverlappingOccurrencesLeftToRight)
{
    const ReplaceCase cases[] = {
        { "abab", "ab", "abab", "abababab", 2 },
        { "aaa", "aa", "b", "ba", 1 },
        { "abc", "", "x", "abc", 0 },
        { "abc", "d", "x", "abc", 0 },
        { "a.b.c", ".", "", "abc", 2 },
        { "path\\to\\file", "\\", "/", "path/to/file", 2 },
        { "xx", "x", "xx", "xxxx", 2 },
    };
    for (const auto& c : cases) {
        CXAnsiString s(c.text);
        EXPECT_EQ(s.Replace(c.find, c.replacement), c.count) << c.text;
        EXPECT_STREQ(s.Text(), c.result) << c.text;
    }
}

TEST(CXAnsiStringNextToken, shouldWalkWordsAndEmptyOneByteStrings)
{
    CXAnsiString s("ab cd");
    EXPECT_STREQ(s.NextToken(" ").Text(), "ab");
    EXPECT_STREQ(s.Text(), " cd");
    EXPECT_STREQ(s.NextToken(" ").Text(), "cd");
    EXPECT_STREQ(s.Text(), "");
    EXPECT_STREQ(s.NextToken(" ").Text(), "");

    CXAnsiString one("x");
    EXPECT_STREQ(one.NextToken(" ").Text(), "");
    EXPECT_STREQ(one.Text(), "");

    CXAnsiString lead(",,a,b");
    EXPECT_STREQ(lead.NextToken(",").Text(), "a");
    EXPECT_STREQ(lead.Text(), ",b");

    CXAnsiString only(",,,");
    EXPECT_STREQ(only.NextToken(",").Text(), "");
    EXPECT_STREQ(only.Text(), "");
}

using CXAnsiStringIndexTest = ErrorLogTest;

TEST_F(CXAnsiStringIndexTest, shouldGiveTheTerminatorAtLengthAndThrowBeyond)
{
    CXAnsiString s("hello");
    EXPECT_EQ(s[0], 'h');
    EXPECT_EQ(s[5], '\0');
    EXPECT_THROW(s[6], XRangeError);
    EXPECT_THROW(s[-1], XRangeError);
    auto lines = LogLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(lines[0].ends_with("CXAnsiString::operator[] Out of Range index=6")) << lines[0];
    EXPECT_TRUE(lines[1].ends_with("CXAnsiString::operator[] Out of Range index=-1")) << lines[1];
}

TEST(CXAnsiString, leftRightAndTrimShouldClampAndCut)
{
    CXAnsiString abc("abc");
    EXPECT_STREQ(abc.Left(-3).Text(), "");
    EXPECT_STREQ(abc.Left(2).Text(), "ab");
    EXPECT_STREQ(abc.Left(100).Text(), "abc");
    EXPECT_STREQ(abc.Right(100).Text(), "abc");
    EXPECT_STREQ(abc.Right(1).Text(), "c");
    EXPECT_STREQ(abc.Right(-1).Text(), "");

    CXAnsiString two("a  ");
    two.TrimRight();
    EXPECT_STREQ(two.Text(), "a");
    CXAnsiString blanks("   ");
    blanks.TrimRight();
    EXPECT_STREQ(blanks.Text(), "");
    CXAnsiString left("\t \r\nword \n");
    left.TrimLeft();
    EXPECT_STREQ(left.Text(), "word \n");
    // Cyrillic bytes are letters, not white space.
    CXAnsiString cyr(CP1251("я"));
    cyr += '\xA0';
    cyr.TrimRight();
    EXPECT_EQ(cyr.Length(), 2u);
}

TEST(CXAnsiString, makeUpperShouldFoldAsciiAndCyrillic)
{
    CXAnsiString s(CP1251("zа ё"));
    s.MakeUpper();
    EXPECT_STREQ(s.Text(), CP1251("ZА Ё"));
}

TEST(CXAnsiString, longTextsShouldStayIntact)
{
    CXAnsiString formatted;
    std::string big(5000, 'q');
    formatted.Format("<%s>%d", big.c_str(), 7);
    EXPECT_EQ(formatted.Length(), 5003u);
    EXPECT_EQ(std::string(formatted.Text()), "<" + big + ">7");

    std::string huge(70000, 'w');
    huge[65536] = 'Z';
    CXAnsiString s(huge.c_str());
    CXAnsiString copy(s);
    copy += "!";
    EXPECT_EQ(copy.Length(), 70001u);
    EXPECT_EQ(copy[65536], 'Z');
    EXPECT_EQ(s.Right(3).Length(), 3u);
    EXPECT_EQ(s.Left(69999).Length(), 69999u);
    EXPECT_EQ(s.Replace("Z", "YY"), 1);
    EXPECT_EQ(s.Length(), 70001u);

    // The shared buffer is bounded scratch.
    const char* shared = FormatSharedText("%s", big.c_str());
    EXPECT_EQ(std::strlen(shared), kSharedTextSize - 1);
}

TEST(CXAnsiString, buildingAndComparingShouldWorkOnBytes)
{
    CXAnsiString s("ab");
    s.Append(s.Text());
    EXPECT_STREQ(s.Text(), "abab");
    s.Append(static_cast<const char*>(nullptr));
    s += 'c';
    s += CXAnsiString("d");
    EXPECT_STREQ(s.Text(), "ababcd");
    EXPECT_STREQ(("x" + s + "y").Text(), "xababcdy");
    EXPECT_EQ(s.FindText("bc"), 3);
    EXPECT_EQ(s.Find(CXAnsiString("zz")), -1);

    CXAnsiString t;
    t.SetConcat("left", "right");
    EXPECT_STREQ(t.Text(), "leftright");
    t.Assign(3, "abcdef");
    EXPECT_STREQ(t.Text(), "abc");
    t.SetLength(5);
    EXPECT_EQ(t.Length(), 3u);
    t.SetLength(1);
    EXPECT_STREQ(t.Text(), "a");
    const CXAnsiString& alias = t;
    t = alias;
    EXPECT_STREQ(t.Text(), "a");
    t.Clear();
    EXPECT_TRUE(t.IsEmpty());

    EXPECT_EQ(CXAnsiString("a b  c").CountSpaces(), 3);
    char dest[8];
    EXPECT_EQ(CXAnsiString("xyz").CopyTo(dest), 3u);
    EXPECT_STREQ(dest, "xyz");

    // Bytes above 127 sort after ASCII (unsigned comparison).
    EXPECT_GT(CXAnsiString(CP1251("я")).CompareText("z"), 0);
    EXPECT_EQ(CXAnsiString("abcdef").CompareText("abcxyz", 3), 0);
    EXPECT_LT(CXAnsiString("abc").Compare(CXAnsiString("abd")), 0);

    CXAnsiString f;
    f.FormatString(CXAnsiString("%s=%d"), "n", 5);
    EXPECT_STREQ(f.Text(), "n=5");
    f.FormatArg(CXAnsiString("[%s]"), CXAnsiString("v"));
    EXPECT_STREQ(f.Text(), "[v]");

    CXAnsiString moved(std::move(f));
    EXPECT_STREQ(moved.Text(), "[v]");
    EXPECT_STREQ(f.Text(), "");
}

} // namespace
