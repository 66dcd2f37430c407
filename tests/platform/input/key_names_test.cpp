#include "platform/input/key_names.h"
#include "platform/window/keys.h"

#include "platform/win/text.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

using namespace plat::input;

TEST(KeyNames, everyNameShouldFitDICodeIniAndBeUniqueIgnoringCase)
{
    std::set<std::string> names;
    std::set<uint16_t> codes;
    for (const KeyCodeName& row : KeyCodeNames()) {
        SCOPED_TRACE(std::string(row.name));
        EXPECT_FALSE(row.name.empty());
        EXPECT_LE(row.name.size(), 15u);
        EXPECT_EQ(row.name.find_first_of(" \t"), std::string_view::npos);
        EXPECT_TRUE(names.insert(plat::win::Upper1251(row.name)).second);
        EXPECT_TRUE(codes.insert(row.code).second);
        EXPECT_EQ(NameOfKeyCode(row.code), row.name);
        if (row.code < kMouseCodeBase) {
            EXPECT_GE(plat::window::ScancodeOfKeyCode(uint8_t(row.code)), 0);
        }
    }
    EXPECT_EQ(KeyCodeNames().size(), plat::window::Keys().size() + 6 + 32);
}

TEST(KeyNames, mouseAndJoystickButtonsShouldBeNamedByTheirCodes)
{
    const std::pair<uint16_t, std::string_view> cases[] = {
        { 0x001, "Esc" },
        { 0x101, "Mouse1" },
        { 0x106, "Mouse6" },
        { 0x201, "Joy1" },
        { 0x220, "Joy32" },
        { 0x107, "" },
        { 0x221, "" },
        { 0x000, "" },
    };
    for (const auto& [code, name] : cases)
        EXPECT_EQ(NameOfKeyCode(code), name) << code;
}

TEST(KeyNames, findKeyCodeShouldMatchEveryNameIgnoringCase)
{
    for (const KeyCodeName& row : KeyCodeNames()) {
        uint16_t code = 0;
        EXPECT_TRUE(FindKeyCode(plat::win::Upper1251(row.name), code)) << row.name;
        EXPECT_EQ(code, row.code) << row.name;
    }
    uint16_t code = 7;
    EXPECT_FALSE(FindKeyCode("", code));
    EXPECT_FALSE(FindKeyCode("Mouse7", code));
    EXPECT_EQ(code, 7);
}

} // namespace
