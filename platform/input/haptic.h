// Force feedback below the effects: one interface over SDL's haptic device, SDL's joystick rumble and
// a recording fake. Levels are already in SDL's range (-32767..32767; motors 0..65535).
#pragma once

#include <cstdint>

namespace plat::input {

enum class HapticKind {
    Constant,
    Sine,
    Triangle,
    SawtoothUp,
    SawtoothDown,
    Ramp,
    LeftRight,
};

inline constexpr uint32_t kHapticInfinity = 0xFFFFFFFF;

struct HapticEffect {
    HapticKind kind = HapticKind::Constant;
    uint32_t length = 0; // ms, or kHapticInfinity
    int32_t direction = 0; // polar, hundredths of a degree
    int32_t level = 0; // constant
    int32_t period = 0; // periodic: ms
    int32_t magnitude = 0;
    int32_t offset = 0;
    int32_t phase = 0; // hundredths of a degree
    int32_t start = 0; // ramp
    int32_t end = 0;
    int32_t largeMagnitude = 0; // left/right motors
    int32_t smallMagnitude = 0;
    int32_t attackLength = 0; // envelope: ms and level 0..32767
    int32_t attackLevel = 0;
    int32_t fadeLength = 0;
    int32_t fadeLevel = 0;
    bool operator==(const HapticEffect&) const = default;
};

class HapticDevice {
public:
    virtual ~HapticDevice() = default;
    virtual bool Supports(HapticKind kind) const = 0;
    // An effect number, or -1 when the device refuses it.
    virtual int CreateEffect(const HapticEffect& effect) = 0;
    virtual bool RunEffect(int id, uint32_t iterations) = 0; // kHapticInfinity: endless
    virtual bool StopEffect(int id) = 0;
    virtual void DestroyEffect(int id) = 0;
    virtual void StopAll() = 0;
    virtual bool SetAutocenter(bool on) = 0;
    // Called at every poll (a rumble re-arms an endless effect here).
    virtual void Update() { }
};

} // namespace plat::input
