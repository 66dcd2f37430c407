// The system keyboard: events and state by key code (platform/window/keys.h), 0x80 for down. Auto-
// repeats are not events; keys outside the table are ignored.
#pragma once

#include "platform/input/device.h"

#include <array>
#include <cstdint>

namespace plat::input {

using KeyboardState = std::array<uint8_t, 256>;

class Keyboard : public Device {
public:
    // Keys down now; all up (zeros) when the read fails.
    Result GetState(KeyboardState& state);

private:
    friend class Input;
    Keyboard();
};

} // namespace plat::input
