// A joystick, polled. Devices SDL knows as game controllers read as such pads read on the platform:
// left stick X/Y, right stick Rx/Ry, Z = left trigger - right trigger (0 at rest), buttons A, B, X, Y,
// LB, RB, Back, Start, LS, RS, the d-pad as POV 0. Others read raw in SDL's order: axes X, Y, Z, Rx,
// Ry, Rz, slider 0, slider 1; hats as POVs; buttons. A lost, unplugged or unacquired joystick reads
// neutral: centred axes and POVs, no buttons.
#pragma once

#include "platform/input/device.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

namespace plat::input {

class Effect;
class HapticDevice;
struct EffectFile;

inline constexpr uint32_t kPovCentred = 0xFFFFFFFF;
inline constexpr int kJoystickButtons = 128;

struct JoystickState {
    int32_t x = 0;
    int32_t y = 0;
    int32_t z = 0;
    int32_t rx = 0;
    int32_t ry = 0;
    int32_t rz = 0;
    std::array<int32_t, 2> sliders {};
    std::array<uint32_t, 4> povs { kPovCentred, kPovCentred, kPovCentred,
        kPovCentred }; // hundredths of a degree clockwise from up
    std::array<uint8_t, kJoystickButtons> buttons {}; // 0x80 down
};

class Joystick : public Device {
public:
    ~Joystick() override;

    // The range every axis is scaled into: SDL's -32768 gives min, 0 the centre, 32767 max. Starts
    // as 0..65535.
    Result SetRange(int32_t min, int32_t max);
    Result SetAutoCenter(bool on);
    // Refreshes the device; answers InputLost once when it was unplugged or the focus went.
    Result Poll();
    Result GetState(JoystickState& state);
    const JoystickInfo& Info() const;

    bool HasForceFeedback() const;
    // The first effect of the file that the device accepts; null (with a debug line for a bad file)
    // when none. Effects play only while the joystick is acquired.
    std::unique_ptr<Effect> LoadEffect(std::string_view path);
    std::unique_ptr<Effect> CreateEffect(const EffectFile& file);
    // Puts a haptic device in place of SDL's (tests use a recording one).
    void ReplaceHaptic(std::shared_ptr<HapticDevice> device);

private:
    friend class Input;
    explicit Joystick(std::unique_ptr<DeviceCore> core);
};

// Scales SDL's axis value into min..max with 0 at the centre.
int32_t ScaleAxis(int32_t value, int32_t min, int32_t max);
// A hat's direction bits (SDL's up 1, right 2, down 4, left 8) as a POV value.
uint32_t PovOfHat(uint8_t hat);

} // namespace plat::input
