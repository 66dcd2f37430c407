#include "platform/window/keys.h"

#include "platform/win/text.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

using namespace plat::window;

TEST(Keys, everyNameShouldFitDICodeIniAndBeUniqueIgnoringCase)
{
    std::set<std::string> seen;
    int previous = 0;
    for (const KeyInfo& key : Keys()) {
        SCOPED_TRACE(std::string(key.name));
        EXPECT_GT(key.code, previous); // code order
        previous = key.code;
        EXPECT_FALSE(key.name.empty());
        EXPECT_LE(key.name.size(), 15u);
        EXPECT_EQ(key.name.find_first_of(" \t"), std::string_view::npos);
        EXPECT_TRUE(seen.insert(plat::win::Upper1251(key.name)).second);
        EXPECT_EQ(KeyName(key.code), key.name);
    }
}

TEST(Keys, everyCodeShouldMapBackToOneScancode)
{
    std::set<int> scancodes;
    for (const KeyInfo& key : Keys()) {
        int scancode = ScancodeOfKeyCode(key.code);
        ASSERT_GE(scancode, 0) << int(key.code);
        EXPECT_TRUE(scancodes.insert(scancode).second) << int(key.code);
        EXPECT_EQ(KeyCodeOfScancode(scancode), key.code);
    }
    EXPECT_EQ(ScancodeOfKeyCode(0x54), -1);
    EXPECT_EQ(KeyCodeOfScancode(-1), 0);
    EXPECT_EQ(KeyCodeOfScancode(100000), 0);
}

TEST(Keys, theStoredNumbersShouldBeThoseTheDataUses)
{
    struct Case {
        uint8_t code;
        std::string_view name;
    };
    const Case cases[] = {
        { 1, "Esc" },
        { 28, "Enter" },
        { 42, "LShift" },
        { 74, "NumMinus" },
        { 87, "F11" },
        { 88, "F12" },
        { 183, "PrintScreen" },
        { 200, "Up" },
        { 203, "Left" },
        { 205, "Right" },
        { 208, "Down" },
        { 211, "Delete" },
        { 0x11, "W" },
        { 0x1F, "S" },
        { 0x1D, "LCtrl" },
        { 0x36, "RShift" },
        { 0x3A, "CapsLock" },
        { 0x29, "Grave" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(KeyName(c.code), c.name) << int(c.code);
}

} // namespace
