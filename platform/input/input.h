// Input devices shaped like the platform's: a keyboard and a mouse with buffered events and immediate
// state, joysticks with polled state and force-feedback effects, all on the window layer's window and
// fed by its event drain. Cooperation: a foreground device acquires only while its window has the
// focus; losing it unacquires, the next read answers InputLost once, then NotAcquired.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace plat::input {

enum class Result {
    Ok,
    BufferOverflow, // success: events were lost since the last read
    InputLost, // the device was unacquired by focus loss or unplugging; once
    NotAcquired,
    OtherAppHasPriority, // a foreground device without the focus
    Unplugged,
    InvalidParam,
    NotSupported,
};

constexpr bool Succeeded(Result r)
{
    return r == Result::Ok || r == Result::BufferOverflow;
}

enum class Cooperation : uint32_t {
    None = 0,
    Exclusive = 1,
    NonExclusive = 2,
    Foreground = 4,
    Background = 8,
    NoWindowsKey = 16, // accepted and ignored: the desktop keeps its own keys
};

constexpr Cooperation operator|(Cooperation a, Cooperation b)
{
    return Cooperation(uint32_t(a) | uint32_t(b));
}
constexpr bool HasFlag(Cooperation set, Cooperation flag)
{
    return (uint32_t(set) & uint32_t(flag)) != 0;
}

// One buffered event. offset: a key code (keys.h) or a MouseObject; data: 0x80 down / 0x00 up for keys
// and buttons, the signed amount for axes. Events of one moment share a sequence number.
struct DeviceEvent {
    uint32_t offset = 0;
    int32_t data = 0;
    uint32_t sequence = 0;
    uint32_t timeMs = 0;
};

inline constexpr uint32_t kMaxBufferSize = 1024;

class Keyboard;
class Mouse;
class Joystick;

struct JoystickInfo {
    int32_t instanceId = -1; // SDL's number for the attached device
    std::string name;
    bool forceFeedback = false; // SDL haptic or rumble
    bool gameController = false; // read through its controller mapping
};

// The input system: brings up SDL's joystick, game-controller and haptic parts for its life.
class Input {
public:
    Input();
    ~Input();
    Input(const Input&) = delete;
    Input& operator=(const Input&) = delete;

    std::unique_ptr<Keyboard> CreateKeyboard();
    std::unique_ptr<Mouse> CreateMouse();
    // Attached joysticks in SDL's order; with forceFeedbackOnly, only those with force feedback.
    std::vector<JoystickInfo> EnumerateJoysticks(bool forceFeedbackOnly);
    // Null when the device is gone.
    std::unique_ptr<Joystick> CreateJoystick(const JoystickInfo& info);

private:
    bool m_joysticks = false;
    bool m_haptic = false;
};

} // namespace plat::input
