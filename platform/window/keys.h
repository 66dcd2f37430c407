// The system's key codes: PC scan-code set 1 by key position, extended (E0) keys + 0x80. The numbers
// are fixed because DICode.ini, the key bindings in cfg.ini and the interface's hot keys store them.
// One table maps SDL scancodes to them; the names written to DICode.ini come from the same rows.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace plat::window {

struct KeyInfo {
    uint8_t code;
    std::string_view name; // at most 15 characters, no blanks, unique ignoring case
};

// Every key of the table, in code order.
std::span<const KeyInfo> Keys();

// The key's name, or an empty view when the code is not in the table.
std::string_view KeyName(uint8_t code);

// For the platform layers that read SDL events: the code of an SDL scancode, 0 when unmapped, and back
// (-1 when the code is not in the table).
uint8_t KeyCodeOfScancode(int sdlScancode);
int ScancodeOfKeyCode(uint8_t code);

// Codes the program names directly (stored values, see above).
namespace key {
inline constexpr uint8_t Escape = 0x01;
inline constexpr uint8_t Backspace = 0x0E;
inline constexpr uint8_t Tab = 0x0F;
inline constexpr uint8_t Enter = 0x1C;
inline constexpr uint8_t LeftCtrl = 0x1D;
inline constexpr uint8_t A = 0x1E;
inline constexpr uint8_t LeftShift = 0x2A;
inline constexpr uint8_t LeftAlt = 0x38;
inline constexpr uint8_t Space = 0x39;
inline constexpr uint8_t F4 = 0x3E;
inline constexpr uint8_t F10 = 0x44;
inline constexpr uint8_t NumMinus = 0x4A;
inline constexpr uint8_t F11 = 0x57;
inline constexpr uint8_t F12 = 0x58;
inline constexpr uint8_t NumEnter = 0x9C;
inline constexpr uint8_t PrintScreen = 0xB7;
inline constexpr uint8_t RightAlt = 0xB8;
inline constexpr uint8_t Up = 0xC8;
inline constexpr uint8_t Left = 0xCB;
inline constexpr uint8_t Right = 0xCD;
inline constexpr uint8_t Down = 0xD0;
inline constexpr uint8_t Delete = 0xD3;
} // namespace key

} // namespace plat::window
