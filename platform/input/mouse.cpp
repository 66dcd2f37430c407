#include "platform/input/mouse.h"

#include "platform/input/device_core.h"
#include "platform/window/window.h"

namespace plat::input {
namespace {

// SDL's button number (1-based) to ours: left, right, middle, X1, X2, then SDL's 6-8.
int ButtonOfSdl(uint8_t sdlButton)
{
    switch (sdlButton) {
    case SDL_BUTTON_LEFT:
        return 0;
    case SDL_BUTTON_RIGHT:
        return 1;
    case SDL_BUTTON_MIDDLE:
        return 2;
    case SDL_BUTTON_X1:
        return 3;
    case SDL_BUTTON_X2:
        return 4;
    default:
        return sdlButton >= 6 && sdlButton <= 8 ? sdlButton - 1 : -1;
    }
}

class MouseCore : public DeviceCore {
public:
    Result SetFormat(MouseFormat format)
    {
        if (IsAcquired())
            return Result::InvalidParam;
        m_buttons = format == MouseFormat::Buttons8 ? 8 : 4;
        return Result::Ok;
    }

    Result GetState(MouseState& state)
    {
        state = MouseState {};
        if (!IsAcquired())
            return NotAcquiredResult();
        state.x = m_sumX;
        state.y = m_sumY;
        state.wheel = m_sumWheel;
        m_sumX = m_sumY = m_sumWheel = 0;
        for (int b = 0; b < m_buttons; ++b)
            state.buttons[b] = SwitchDown(MouseButtonOffset(b)) ? 0x80 : 0x00;
        return Result::Ok;
    }

private:
    void HandleEvent(const SDL_Event& event) override
    {
        switch (event.type) {
        case SDL_MOUSEMOTION: {
            if (!IsAcquired())
                return;
            uint32_t sequence = NextSequence();
            m_sumX += event.motion.xrel;
            m_sumY += event.motion.yrel;
            if (event.motion.xrel)
                Push(uint32_t(MouseObject::X), event.motion.xrel, event.motion.timestamp, sequence);
            if (event.motion.yrel)
                Push(uint32_t(MouseObject::Y), event.motion.yrel, event.motion.timestamp, sequence);
            return;
        }
        case SDL_MOUSEWHEEL: {
            if (!IsAcquired())
                return;
            int32_t notches
                = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
            if (notches == 0)
                return;
            m_sumWheel += notches * kWheelStep;
            Push(uint32_t(MouseObject::Wheel), notches * kWheelStep, event.wheel.timestamp, NextSequence());
            return;
        }
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            int button = ButtonOfSdl(event.button.button);
            if (button < 0 || button >= m_buttons)
                return;
            SetSwitch(MouseButtonOffset(button), event.type == SDL_MOUSEBUTTONDOWN, event.button.timestamp,
                NextSequence());
            return;
        }
        default:
            return;
        }
    }

    void OnAcquired() override
    {
        if (Exclusive()) {
            if (window::Window* window = BoundWindow())
                window->SetExclusiveMouse(true);
        }
        m_sumX = m_sumY = m_sumWheel = 0;
    }

    void OnUnacquired() override
    {
        if (Exclusive()) {
            if (window::Window* window = BoundWindow())
                window->SetExclusiveMouse(false);
        }
    }

    int m_buttons = 4;
    int32_t m_sumX = 0;
    int32_t m_sumY = 0;
    int32_t m_sumWheel = 0;
};

} // namespace

Mouse::Mouse()
    : Device(std::make_unique<MouseCore>())
{
}

Result Mouse::SetFormat(MouseFormat format)
{
    return static_cast<MouseCore&>(*m_core).SetFormat(format);
}

Result Mouse::GetState(MouseState& state)
{
    return static_cast<MouseCore&>(*m_core).GetState(state);
}

} // namespace plat::input
