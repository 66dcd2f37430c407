#include "platform/input/keyboard.h"

#include "platform/input/device_core.h"
#include "platform/window/keys.h"

namespace plat::input {
namespace {

class KeyboardCore : public DeviceCore {
public:
    Result GetState(KeyboardState& state)
    {
        state.fill(0);
        if (!IsAcquired())
            return NotAcquiredResult();
        for (uint32_t code = 0; code < state.size(); ++code)
            state[code] = SwitchDown(code) ? 0x80 : 0x00;
        return Result::Ok;
    }

private:
    void HandleEvent(const SDL_Event& event) override
    {
        if (event.type != SDL_KEYDOWN && event.type != SDL_KEYUP)
            return;
        if (event.key.repeat)
            return;
        uint8_t code = window::KeyCodeOfScancode(event.key.keysym.scancode);
        if (code == 0)
            return;
        SetSwitch(code, event.type == SDL_KEYDOWN, event.key.timestamp, NextSequence());
    }
};

} // namespace

Keyboard::Keyboard()
    : Device(std::make_unique<KeyboardCore>())
{
}

Result Keyboard::GetState(KeyboardState& state)
{
    return static_cast<KeyboardCore&>(*m_core).GetState(state);
}

} // namespace plat::input
