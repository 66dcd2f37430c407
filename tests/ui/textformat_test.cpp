#include "tests/support/error_log_test.h"
#include "ui/TextFormat.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class TextFormatTest : public zoq::test::ErrorLogTest { };

struct Case {
    const char* format;
    std::string expected; // empty: the format itself, with the bad-format line
};

TEST_F(TextFormatTest, oneNumberFillsOnlyIntegerConversions)
{
    const Case cases[] = {
        { "Found %d games", "Found 3 games" },
        { "%03d|%-4i|%x|%X|%o|%u", "" }, // six conversions, one value
        { "[%5d]", "[    3]" },
        { "100%% sure: %d", "100% sure: 3" },
        { "%c", "\3" },
        { "Found %s games", "" },
        { "%n", "" },
        { "%*d", "" },
        { "%1$d", "" },
        { "%lld", "" },
        { "%f", "" },
        { "%999d", "" },
        { "%.100d", "" },
        { "no value", "" },
        { "%d and %d", "" },
        { "trailing %", "" },
    };
    for (const Case& c : cases) {
        const int before = LogLineCount("FormatText: bad format for INT_NET_FOUND_GAMES");
        const std::string text = FormatText("INT_NET_FOUND_GAMES", c.format, { int64_t(3) });
        const bool bad = c.expected.empty();
        EXPECT_EQ(text, bad ? std::string(c.format) : c.expected) << c.format;
        EXPECT_EQ(LogLineCount("FormatText: bad format for INT_NET_FOUND_GAMES"), before + (bad ? 1 : 0))
            << c.format;
    }
}

TEST_F(TextFormatTest, valuesAreMatchedInOrderAndByType)
{
    using namespace std::string_literals;
    EXPECT_EQ(FormatText("K", "%s has %d", { std::string_view("Ann"), int64_t(-2) }), "Ann has -2");
    EXPECT_EQ(FormatText("K", "%-5s|%.2s", { std::string_view("ab"), std::string_view("xyz") }), "ab   |xy");
    EXPECT_EQ(FormatText("K", "%d has %s", { std::string_view("Ann"), int64_t(2) }), "%d has %s");
    EXPECT_EQ(FormatText("K", "plain", {}), "plain");
    EXPECT_EQ(FormatText("K", "%x", { int64_t(0x7FFFFFFFFFFF) }), "7fffffffffff");
    const std::string longText(1000, 'a');
    EXPECT_EQ(FormatText("K", "<%s>", { std::string_view(longText) }), "<" + longText + ">");
    EXPECT_EQ(FormatText("K", std::string_view("a\0%d", 4), { int64_t(1) }),
        "a\0"s
        "1");
    EXPECT_EQ(LogLineCount("FormatText: bad format for K"), 1);
}

} // namespace
