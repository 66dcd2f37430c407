// The key-capture dialog's input: while it is open it polls the mouse, the first joystick and
// the keyboard on a timer and takes the name of the first control held down.
#pragma once

#include "foundation/KeyCodeTable.h"

#include <cstdint>
#include <memory>
#include <string>

namespace plat::input {
class Input;
class Keyboard;
class Mouse;
class Joystick;
} // namespace plat::input
namespace plat::window {
class Window;
}

class CKeySetDlg {
public:
    static constexpr uint32_t kTimerMs = 83;
    static constexpr int kTimerId = 0;

    enum class ETick {
        None, // nothing held: keep polling
        Cancel, // Escape: close without a change
        Ok, // Target() holds the captured name
    };

    explicit CKeySetDlg(const KeyCodeTable& keyCodes);
    ~CKeySetDlg();
    CKeySetDlg(const CKeySetDlg&) = delete;
    CKeySetDlg& operator=(const CKeySetDlg&) = delete;

    // Creates and acquires the devices on the dialog's window; false, with everything released,
    // when a device cannot be set up.
    bool InitInput(plat::window::Window& window);
    // One timer tick.
    ETick Tick();
    void ReleaseInput();

    const std::string& Target() const { return m_target; }
    bool HasJoystick() const { return m_joystick != nullptr; }

private:
    std::string MouseName();
    std::string JoystickName();
    std::string KeyboardName();
    std::string NameOfCode(uint16_t code) const;

    const KeyCodeTable& m_keyCodes;
    std::unique_ptr<plat::input::Input> m_input;
    std::unique_ptr<plat::input::Keyboard> m_keyboard;
    std::unique_ptr<plat::input::Mouse> m_mouse;
    std::unique_ptr<plat::input::Joystick> m_joystick;
    std::string m_target;
};
