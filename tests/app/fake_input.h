// A CInput without devices whose frames a test scripts: GetData moves the current state to the
// previous one, as the real one does, and applies the next scripted frame.
#pragma once

#include "app/CInput.h"

#include <cstring>
#include <deque>
#include <functional>

class FakeInput : public CInput {
public:
    void GetData() override
    {
        std::memcpy(m_prevKeyState, m_keyState, sizeof m_keyState);
        std::memset(m_keyEvents, 0, sizeof m_keyEvents);
        m_mouseDX = m_mouseDY = m_mouseDZ = 0;
        std::memset(m_mouseEvents, 0, sizeof m_mouseEvents);
        if (joystick)
            std::memcpy(m_prevJoyButtons, m_joyState.buttons.data(), sizeof m_prevJoyButtons);
        if (!frames.empty()) {
            frames.front()(*this);
            frames.pop_front();
        }
        ++reads;
    }
    bool HasJoystick() const override { return joystick; }

    // Event helpers as the buffered reads would leave them.
    void Key(uint8_t key, bool down)
    {
        m_keyState[key] = down ? 0x80 : 0;
        m_keyEvents[key] |= down ? 0x80 : 0;
    }
    void Tap(uint8_t key)
    {
        Key(key, true);
        Key(key, false);
    }
    void MouseButtonEvent(int button, bool down)
    {
        m_mouseButtons[button] = down ? 1 : 0;
        m_mouseEvents[button] |= down ? 0x80 : 0x40;
    }
    void Move(int32_t dx, int32_t dy)
    {
        m_mouseDX += dx;
        m_mouseDY += dy;
    }
    void JoyButton(int button, bool down) { m_joyState.buttons[button] = down ? 0x80 : 0; }
    plat::input::JoystickState& Joy() { return m_joyState; }

    std::deque<std::function<void(FakeInput&)>> frames;
    bool joystick = false;
    int reads = 0;
};
