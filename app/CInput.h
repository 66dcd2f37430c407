// CInput: the game's input devices: the system keyboard and mouse with 256-event buffers and at
// most one joystick, preferably one with force feedback. GetData drains the buffered events and
// polls the joystick once per frame; the key bindings and the interface read the state it keeps.
// Devices that were never created stay null and every operation skips them. Main thread only.
#pragma once

#include "platform/input/effect.h"
#include "platform/input/input.h"
#include "platform/input/joystick.h"
#include "platform/input/keyboard.h"
#include "platform/input/mouse.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace plat::window {
class Window;
}

// One force-feedback effect; null inside when none could be made.
class CForceEffect {
public:
    explicit CForceEffect(std::unique_ptr<plat::input::Effect> effect = nullptr)
        : m_effect(std::move(effect))
    {
    }
    virtual ~CForceEffect() = default;
    plat::input::Effect* Effect() const { return m_effect.get(); }

private:
    std::unique_ptr<plat::input::Effect> m_effect;
};

class CInput {
public:
    static constexpr uint32_t kBufferSize = 256;
    static constexpr uint32_t kKeyboardReads = 1024;
    static constexpr uint32_t kMouseReads = 256;
    static constexpr int kMouseButtons = 8;
    static constexpr int kJoystickEdgeButtons = 32;
    static constexpr int32_t kAxisRange = 1000;

    CInput() = default;
    virtual ~CInput(); // Release
    CInput(const CInput&) = delete;
    CInput& operator=(const CInput&) = delete;

    // Creates the devices on the window; each failing step is logged and the rest goes on.
    void Init(plat::window::Window* window, bool windowed, bool forceFeedback);
    void Acquire();
    // The per-frame update.
    virtual void GetData();
    void Release();
    // The first effect of the file the joystick accepts; always an object, holding no effect
    // without a force-feedback joystick.
    std::unique_ptr<CForceEffect> LoadEffects(const char* file);

    virtual bool HasJoystick() const { return m_joystick != nullptr; }
    bool HasForceFeedback() const { return m_forceFeedback != 0; }

    // Frame state.
    const plat::input::JoystickState& JoyState() const { return m_joyState; }
    int32_t MouseDX() const { return m_mouseDX; }
    int32_t MouseDY() const { return m_mouseDY; }
    int32_t MouseDZ() const { return m_mouseDZ; }
    void SetMouseDY(int32_t dy) { m_mouseDY = dy; }
    // The menus clear the frame's mouse movement after each frame.
    void ClearMouseMotion() { m_mouseDX = m_mouseDY = m_mouseDZ = 0; }
    // 0x80 went down during the frame, 0x40 went up.
    uint8_t MouseEvents(int button) const { return m_mouseEvents[button & 7]; }
    uint8_t MouseButton(int button) const { return m_mouseButtons[button & 7]; }
    uint8_t KeyState(uint8_t key) const { return m_keyState[key]; }
    uint8_t KeyEvents(uint8_t key) const { return m_keyEvents[key]; }
    uint8_t PrevKeyState(uint8_t key) const { return m_prevKeyState[key]; }
    uint8_t PrevJoyButton(int button) const { return m_prevJoyButtons[button & 31]; }

    plat::input::Keyboard* Keyboard() const { return m_keyboard.get(); }
    plat::input::Mouse* Mouse() const { return m_mouse.get(); }
    plat::input::Joystick* Joystick() const { return m_joystick.get(); }
    // Reads that had to acquire a lost device again, since Init.
    uint32_t Reacquires() const { return m_reacquires; }

protected:
    plat::input::JoystickState m_joyState;
    int32_t m_mouseDX = 0;
    int32_t m_mouseDY = 0;
    int32_t m_mouseDZ = 0;
    uint8_t m_mouseEvents[kMouseButtons] = {};
    uint8_t m_mouseButtons[kMouseButtons] = {};
    uint8_t m_keyState[256] = {};
    uint8_t m_keyEvents[256] = {};
    uint8_t m_prevKeyState[256] = {};
    uint8_t m_prevJoyButtons[kJoystickEdgeButtons] = {};

private:
    // Reads buffered events, acquiring once more when the device was lost; false: no events.
    bool ReadEvents(plat::input::Device& device, plat::input::DeviceEvent* events, uint32_t& count);
    void CreateJoystick(bool forceFeedback);

    std::unique_ptr<plat::input::Input> m_input;
    std::unique_ptr<plat::input::Keyboard> m_keyboard;
    std::unique_ptr<plat::input::Mouse> m_mouse;
    std::unique_ptr<plat::input::Joystick> m_joystick;
    uint8_t m_forceFeedback = 0;
    uint32_t m_reacquires = 0;
    std::vector<plat::input::DeviceEvent> m_events;
};

extern CInput g_Input;
