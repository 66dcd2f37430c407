#include "platform/window/keys.h"

#include <SDL2/SDL_scancode.h>

#include <array>

namespace plat::window {
namespace {

struct KeyRow {
    SDL_Scancode scancode;
    KeyInfo key;
};

// In code order. Codes are the stored scan-code numbers (see keys.h); keys SDL cannot tell apart by
// position are left out, so every code has exactly one scancode.
constexpr KeyRow kRows[] = {
    { SDL_SCANCODE_ESCAPE, { 0x01, "Esc" } },
    { SDL_SCANCODE_1, { 0x02, "1" } },
    { SDL_SCANCODE_2, { 0x03, "2" } },
    { SDL_SCANCODE_3, { 0x04, "3" } },
    { SDL_SCANCODE_4, { 0x05, "4" } },
    { SDL_SCANCODE_5, { 0x06, "5" } },
    { SDL_SCANCODE_6, { 0x07, "6" } },
    { SDL_SCANCODE_7, { 0x08, "7" } },
    { SDL_SCANCODE_8, { 0x09, "8" } },
    { SDL_SCANCODE_9, { 0x0A, "9" } },
    { SDL_SCANCODE_0, { 0x0B, "0" } },
    { SDL_SCANCODE_MINUS, { 0x0C, "Minus" } },
    { SDL_SCANCODE_EQUALS, { 0x0D, "Equals" } },
    { SDL_SCANCODE_BACKSPACE, { 0x0E, "Backspace" } },
    { SDL_SCANCODE_TAB, { 0x0F, "Tab" } },
    { SDL_SCANCODE_Q, { 0x10, "Q" } },
    { SDL_SCANCODE_W, { 0x11, "W" } },
    { SDL_SCANCODE_E, { 0x12, "E" } },
    { SDL_SCANCODE_R, { 0x13, "R" } },
    { SDL_SCANCODE_T, { 0x14, "T" } },
    { SDL_SCANCODE_Y, { 0x15, "Y" } },
    { SDL_SCANCODE_U, { 0x16, "U" } },
    { SDL_SCANCODE_I, { 0x17, "I" } },
    { SDL_SCANCODE_O, { 0x18, "O" } },
    { SDL_SCANCODE_P, { 0x19, "P" } },
    { SDL_SCANCODE_LEFTBRACKET, { 0x1A, "LBracket" } },
    { SDL_SCANCODE_RIGHTBRACKET, { 0x1B, "RBracket" } },
    { SDL_SCANCODE_RETURN, { 0x1C, "Enter" } },
    { SDL_SCANCODE_LCTRL, { 0x1D, "LCtrl" } },
    { SDL_SCANCODE_A, { 0x1E, "A" } },
    { SDL_SCANCODE_S, { 0x1F, "S" } },
    { SDL_SCANCODE_D, { 0x20, "D" } },
    { SDL_SCANCODE_F, { 0x21, "F" } },
    { SDL_SCANCODE_G, { 0x22, "G" } },
    { SDL_SCANCODE_H, { 0x23, "H" } },
    { SDL_SCANCODE_J, { 0x24, "J" } },
    { SDL_SCANCODE_K, { 0x25, "K" } },
    { SDL_SCANCODE_L, { 0x26, "L" } },
    { SDL_SCANCODE_SEMICOLON, { 0x27, "Semicolon" } },
    { SDL_SCANCODE_APOSTROPHE, { 0x28, "Apostrophe" } },
    { SDL_SCANCODE_GRAVE, { 0x29, "Grave" } },
    { SDL_SCANCODE_LSHIFT, { 0x2A, "LShift" } },
    { SDL_SCANCODE_BACKSLASH, { 0x2B, "Backslash" } },
    { SDL_SCANCODE_Z, { 0x2C, "Z" } },
    { SDL_SCANCODE_X, { 0x2D, "X" } },
    { SDL_SCANCODE_C, { 0x2E, "C" } },
    { SDL_SCANCODE_V, { 0x2F, "V" } },
    { SDL_SCANCODE_B, { 0x30, "B" } },
    { SDL_SCANCODE_N, { 0x31, "N" } },
    { SDL_SCANCODE_M, { 0x32, "M" } },
    { SDL_SCANCODE_COMMA, { 0x33, "Comma" } },
    { SDL_SCANCODE_PERIOD, { 0x34, "Period" } },
    { SDL_SCANCODE_SLASH, { 0x35, "Slash" } },
    { SDL_SCANCODE_RSHIFT, { 0x36, "RShift" } },
    { SDL_SCANCODE_KP_MULTIPLY, { 0x37, "NumMultiply" } },
    { SDL_SCANCODE_LALT, { 0x38, "LAlt" } },
    { SDL_SCANCODE_SPACE, { 0x39, "Space" } },
    { SDL_SCANCODE_CAPSLOCK, { 0x3A, "CapsLock" } },
    { SDL_SCANCODE_F1, { 0x3B, "F1" } },
    { SDL_SCANCODE_F2, { 0x3C, "F2" } },
    { SDL_SCANCODE_F3, { 0x3D, "F3" } },
    { SDL_SCANCODE_F4, { 0x3E, "F4" } },
    { SDL_SCANCODE_F5, { 0x3F, "F5" } },
    { SDL_SCANCODE_F6, { 0x40, "F6" } },
    { SDL_SCANCODE_F7, { 0x41, "F7" } },
    { SDL_SCANCODE_F8, { 0x42, "F8" } },
    { SDL_SCANCODE_F9, { 0x43, "F9" } },
    { SDL_SCANCODE_F10, { 0x44, "F10" } },
    { SDL_SCANCODE_NUMLOCKCLEAR, { 0x45, "NumLock" } },
    { SDL_SCANCODE_SCROLLLOCK, { 0x46, "ScrollLock" } },
    { SDL_SCANCODE_KP_7, { 0x47, "Num7" } },
    { SDL_SCANCODE_KP_8, { 0x48, "Num8" } },
    { SDL_SCANCODE_KP_9, { 0x49, "Num9" } },
    { SDL_SCANCODE_KP_MINUS, { 0x4A, "NumMinus" } },
    { SDL_SCANCODE_KP_4, { 0x4B, "Num4" } },
    { SDL_SCANCODE_KP_5, { 0x4C, "Num5" } },
    { SDL_SCANCODE_KP_6, { 0x4D, "Num6" } },
    { SDL_SCANCODE_KP_PLUS, { 0x4E, "NumPlus" } },
    { SDL_SCANCODE_KP_1, { 0x4F, "Num1" } },
    { SDL_SCANCODE_KP_2, { 0x50, "Num2" } },
    { SDL_SCANCODE_KP_3, { 0x51, "Num3" } },
    { SDL_SCANCODE_KP_0, { 0x52, "Num0" } },
    { SDL_SCANCODE_KP_PERIOD, { 0x53, "NumPeriod" } },
    { SDL_SCANCODE_NONUSBACKSLASH, { 0x56, "Oem102" } },
    { SDL_SCANCODE_F11, { 0x57, "F11" } },
    { SDL_SCANCODE_F12, { 0x58, "F12" } },
    { SDL_SCANCODE_F13, { 0x64, "F13" } },
    { SDL_SCANCODE_F14, { 0x65, "F14" } },
    { SDL_SCANCODE_F15, { 0x66, "F15" } },
    { SDL_SCANCODE_INTERNATIONAL2, { 0x70, "Kana" } },
    { SDL_SCANCODE_INTERNATIONAL1, { 0x73, "AbntC1" } },
    { SDL_SCANCODE_INTERNATIONAL4, { 0x79, "Convert" } },
    { SDL_SCANCODE_INTERNATIONAL5, { 0x7B, "NoConvert" } },
    { SDL_SCANCODE_INTERNATIONAL3, { 0x7D, "Yen" } },
    { SDL_SCANCODE_KP_EQUALS, { 0x8D, "NumEquals" } },
    { SDL_SCANCODE_AUDIOPREV, { 0x90, "PrevTrack" } },
    { SDL_SCANCODE_AUDIONEXT, { 0x99, "NextTrack" } },
    { SDL_SCANCODE_KP_ENTER, { 0x9C, "NumEnter" } },
    { SDL_SCANCODE_RCTRL, { 0x9D, "RCtrl" } },
    { SDL_SCANCODE_AUDIOMUTE, { 0xA0, "Mute" } },
    { SDL_SCANCODE_CALCULATOR, { 0xA1, "Calculator" } },
    { SDL_SCANCODE_AUDIOPLAY, { 0xA2, "PlayPause" } },
    { SDL_SCANCODE_AUDIOSTOP, { 0xA4, "MediaStop" } },
    { SDL_SCANCODE_VOLUMEDOWN, { 0xAE, "VolumeDown" } },
    { SDL_SCANCODE_VOLUMEUP, { 0xB0, "VolumeUp" } },
    { SDL_SCANCODE_AC_HOME, { 0xB2, "WebHome" } },
    { SDL_SCANCODE_KP_COMMA, { 0xB3, "NumComma" } },
    { SDL_SCANCODE_KP_DIVIDE, { 0xB5, "NumDivide" } },
    { SDL_SCANCODE_PRINTSCREEN, { 0xB7, "PrintScreen" } },
    { SDL_SCANCODE_RALT, { 0xB8, "RAlt" } },
    { SDL_SCANCODE_PAUSE, { 0xC5, "Pause" } },
    { SDL_SCANCODE_HOME, { 0xC7, "Home" } },
    { SDL_SCANCODE_UP, { 0xC8, "Up" } },
    { SDL_SCANCODE_PAGEUP, { 0xC9, "PgUp" } },
    { SDL_SCANCODE_LEFT, { 0xCB, "Left" } },
    { SDL_SCANCODE_RIGHT, { 0xCD, "Right" } },
    { SDL_SCANCODE_END, { 0xCF, "End" } },
    { SDL_SCANCODE_DOWN, { 0xD0, "Down" } },
    { SDL_SCANCODE_PAGEDOWN, { 0xD1, "PgDn" } },
    { SDL_SCANCODE_INSERT, { 0xD2, "Insert" } },
    { SDL_SCANCODE_DELETE, { 0xD3, "Delete" } },
    { SDL_SCANCODE_LGUI, { 0xDB, "LWin" } },
    { SDL_SCANCODE_RGUI, { 0xDC, "RWin" } },
    { SDL_SCANCODE_APPLICATION, { 0xDD, "Apps" } },
    { SDL_SCANCODE_POWER, { 0xDE, "Power" } },
    { SDL_SCANCODE_SLEEP, { 0xDF, "Sleep" } },
    { SDL_SCANCODE_AC_SEARCH, { 0xE5, "WebSearch" } },
    { SDL_SCANCODE_AC_BOOKMARKS, { 0xE6, "WebFavorites" } },
    { SDL_SCANCODE_AC_REFRESH, { 0xE7, "WebRefresh" } },
    { SDL_SCANCODE_AC_STOP, { 0xE8, "WebStop" } },
    { SDL_SCANCODE_AC_FORWARD, { 0xE9, "WebForward" } },
    { SDL_SCANCODE_AC_BACK, { 0xEA, "WebBack" } },
    { SDL_SCANCODE_COMPUTER, { 0xEB, "MyComputer" } },
    { SDL_SCANCODE_MAIL, { 0xEC, "Mail" } },
    { SDL_SCANCODE_MEDIASELECT, { 0xED, "MediaSelect" } },
};

constexpr std::size_t kRowCount = std::size(kRows);

constexpr std::array<KeyInfo, kRowCount> MakeKeys()
{
    std::array<KeyInfo, kRowCount> keys {};
    for (std::size_t i = 0; i < kRowCount; ++i)
        keys[i] = kRows[i].key;
    return keys;
}

constexpr std::array<uint8_t, SDL_NUM_SCANCODES> MakeCodeOfScancode()
{
    std::array<uint8_t, SDL_NUM_SCANCODES> table {};
    for (const KeyRow& row : kRows)
        table[row.scancode] = row.key.code;
    return table;
}

// Row index + 1 of each code; 0 when absent.
constexpr std::array<uint8_t, 256> MakeRowOfCode()
{
    std::array<uint8_t, 256> table {};
    for (std::size_t i = 0; i < kRowCount; ++i)
        table[kRows[i].key.code] = static_cast<uint8_t>(i + 1);
    return table;
}

constexpr auto kKeys = MakeKeys();
constexpr auto kCodeOfScancode = MakeCodeOfScancode();
constexpr auto kRowOfCode = MakeRowOfCode();

static_assert(kRowCount < 256);
static_assert(kCodeOfScancode[SDL_SCANCODE_ESCAPE] == key::Escape && kKeys[0].name == "Esc");
static_assert(kCodeOfScancode[SDL_SCANCODE_KP_MINUS] == key::NumMinus);
static_assert(kCodeOfScancode[SDL_SCANCODE_PRINTSCREEN] == key::PrintScreen);
static_assert(kCodeOfScancode[SDL_SCANCODE_DELETE] == key::Delete);

} // namespace

std::span<const KeyInfo> Keys()
{
    return kKeys;
}

std::string_view KeyName(uint8_t code)
{
    uint8_t row = kRowOfCode[code];
    return row ? kKeys[row - 1].name : std::string_view();
}

uint8_t KeyCodeOfScancode(int sdlScancode)
{
    if (sdlScancode < 0 || sdlScancode >= SDL_NUM_SCANCODES)
        return 0;
    return kCodeOfScancode[static_cast<std::size_t>(sdlScancode)];
}

int ScancodeOfKeyCode(uint8_t code)
{
    uint8_t row = kRowOfCode[code];
    return row ? static_cast<int>(kRows[row - 1].scancode) : -1;
}

} // namespace plat::window
