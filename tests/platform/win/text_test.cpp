#include "platform/win/text.h"

#include <gtest/gtest.h>

namespace {

using namespace plat::win;

static_assert(std::string_view(CP1251("Текстуры")) == "\xD2\xE5\xEA\xF1\xF2\xF3\xF0\xFB");
static_assert(std::string_view(CP1251("plain")) == "plain");

TEST(Text, everyByteShouldRoundTripThroughUtf8)
{
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(all)), all);
    EXPECT_EQ(Cp1251ToUtf16(all).size(), all.size());
}

TEST(Text, invalidOrUnmappedUtf8ShouldBecomeQuestionMarks)
{
    struct Case {
        std::string utf8;
        std::string cp1251;
    };
    const Case cases[] = {
        { "\xC3", "?" }, // truncated sequence
        { "\x80x", "?x" }, // stray continuation byte
        { "\xC0\xAF", "??" }, // overlong form
        { "\xE4\xB8\xAD", "?" }, // CJK character, no byte
        { "\xD0\x96", "\xC6" }, // Ж
        { "\xE2\x82\xAC", "\x88" }, // euro sign
    };
    for (const Case& c : cases)
        EXPECT_EQ(Utf8ToCp1251(c.utf8), c.cp1251) << c.utf8;
}

TEST(Text, caseFoldingShouldCoverAsciiAndCyrillic)
{
    EXPECT_EQ(Upper1251(CP1251("zа ё")), CP1251("ZА Ё"));
    EXPECT_EQ(Upper1251(CP1251("ґєії")), CP1251("ҐЄІЇ"));
    EXPECT_TRUE(EqualNoCase1251(CP1251("FixCursor"), CP1251("FIXCURSOR")));
    EXPECT_TRUE(EqualNoCase1251(CP1251("текстуры"), CP1251("ТЕКСТУРЫ")));
    EXPECT_LT(CompareNoCase1251("abc", "ABD"), 0);
    EXPECT_EQ(FoldUtf8("Данные/data"), "ДАННЫЕ/DATA");
}

} // namespace
