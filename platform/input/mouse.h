// The system mouse: relative X, Y and wheel (120 a notch, positive away from the user) and buttons
// 0-7: left, right, middle, X1, X2, then SDL's 6-8. An exclusive mouse, while acquired, moves the
// window layer into relative mode with no cursor.
#pragma once

#include "platform/input/device.h"

#include <array>
#include <cstdint>

namespace plat::input {

enum class MouseFormat {
    Buttons4,
    Buttons8,
};

// Offsets of the mouse's buffered events.
enum class MouseObject : uint32_t {
    X = 0,
    Y = 1,
    Wheel = 2,
    Button0 = 3, // Button0 + n for button n
};

inline constexpr int kMouseButtons = 8;
inline constexpr int32_t kWheelStep = 120;

constexpr uint32_t MouseButtonOffset(int button)
{
    return uint32_t(MouseObject::Button0) + uint32_t(button);
}

struct MouseState {
    int32_t x = 0; // motion summed since the last state read
    int32_t y = 0;
    int32_t wheel = 0;
    std::array<uint8_t, kMouseButtons> buttons {}; // 0x80 down
};

class Mouse : public Device {
public:
    // The 4-button format (the start) ignores buttons 4-7.
    Result SetFormat(MouseFormat format);
    // Zeros when the read fails.
    Result GetState(MouseState& state);

private:
    friend class Input;
    Mouse();
};

} // namespace plat::input
