// Inside the input layer: the haptic devices over SDL. Includes SDL.
#pragma once

#include "platform/input/haptic.h"

#include <SDL2/SDL.h>

#include <memory>

namespace plat::input {

// SDL's haptic device of a joystick, or null when it has none.
std::shared_ptr<HapticDevice> OpenSdlHaptic(SDL_Joystick* joystick);
// Plays every effect as SDL_JoystickRumble on both motors (a left/right effect on each); keeps its
// own reference to the joystick. Null when the joystick cannot rumble.
std::shared_ptr<HapticDevice> OpenRumble(int deviceIndex);

} // namespace plat::input
