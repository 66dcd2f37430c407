// The names of DICode.ini: every key of the key-code table (platform/window/keys.h), the mouse
// buttons 0x101-0x106 "Mouse1".."Mouse6" and the joystick buttons 0x201-0x220 "Joy1".."Joy32" (the
// buttons whose releases the bindings see). At most 15 characters, no blanks, unique ignoring case.
// The high byte of a code names the device, as cfg.ini's bindings store it.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace plat::input {

inline constexpr uint16_t kMouseCodeBase = 0x100;
inline constexpr uint16_t kJoystickCodeBase = 0x200;
inline constexpr int kNamedMouseButtons = 6;
inline constexpr int kNamedJoystickButtons = 32;

struct KeyCodeName {
    uint16_t code;
    std::string_view name;
};

// Keyboard rows in code order, then the mouse, then the joystick.
std::span<const KeyCodeName> KeyCodeNames();
// Empty when the code has no name.
std::string_view NameOfKeyCode(uint16_t code);
// The code of the name, ignoring case as DICode.ini's readers do; false when no key has it.
bool FindKeyCode(std::string_view name, uint16_t& code);

} // namespace plat::input
