#include "platform/input/key_names.h"

#include "platform/win/text.h"
#include "platform/window/keys.h"

#include <string>
#include <vector>

namespace plat::input {
namespace {

struct Table {
    std::vector<std::string> owned; // the built mouse and joystick names
    std::vector<KeyCodeName> rows;

    Table()
    {
        owned.reserve(kNamedMouseButtons + kNamedJoystickButtons);
        for (const window::KeyInfo& key : window::Keys())
            rows.push_back({ key.code, key.name });
        for (int i = 1; i <= kNamedMouseButtons; ++i) {
            owned.push_back("Mouse" + std::to_string(i));
            rows.push_back({ uint16_t(kMouseCodeBase + i), owned.back() });
        }
        for (int i = 1; i <= kNamedJoystickButtons; ++i) {
            owned.push_back("Joy" + std::to_string(i));
            rows.push_back({ uint16_t(kJoystickCodeBase + i), owned.back() });
        }
    }
};

const Table& TheTable()
{
    static const Table table;
    return table;
}

} // namespace

std::span<const KeyCodeName> KeyCodeNames()
{
    return TheTable().rows;
}

std::string_view NameOfKeyCode(uint16_t code)
{
    for (const KeyCodeName& row : TheTable().rows) {
        if (row.code == code)
            return row.name;
    }
    return {};
}

bool FindKeyCode(std::string_view name, uint16_t& code)
{
    for (const KeyCodeName& row : TheTable().rows) {
        if (win::EqualNoCase1251(row.name, name)) {
            code = row.code;
            return true;
        }
    }
    return false;
}

} // namespace plat::input
