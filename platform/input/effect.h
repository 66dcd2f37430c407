// A force-feedback effect made from an effect file on a haptic device. Levels scale by 32767/10000
// into SDL's range, motors by 65535/10000, all of them by the effect's gain; square plays as sine
// (SDL 2 has none), rumble as the left/right motors.
#pragma once

#include "platform/input/effect_file.h"
#include "platform/input/haptic.h"
#include "platform/input/input.h"

#include <memory>
#include <string>

namespace plat::input {

// Closed while the device that plays effects is not acquired.
struct EffectGate {
    bool open = true;
};

inline constexpr uint32_t kEffectForever = 0xFFFFFFFF;

class Effect {
public:
    ~Effect(); // releases the device's effect
    Effect(const Effect&) = delete;
    Effect& operator=(const Effect&) = delete;

    // iterations: how often it plays, kEffectForever for endless.
    Result Start(uint32_t iterations);
    Result Stop();
    const std::string& Name() const { return m_name; }

private:
    friend std::unique_ptr<Effect> CreateEffect(
        std::shared_ptr<HapticDevice>, const EffectFile&, std::shared_ptr<const EffectGate>);
    Effect(std::shared_ptr<HapticDevice> device, std::shared_ptr<const EffectGate> gate, int id,
        std::string name);
    std::shared_ptr<HapticDevice> m_device;
    std::shared_ptr<const EffectGate> m_gate;
    int m_id;
    std::string m_name;
};

HapticEffect ToHapticEffect(const EffectDesc& desc);
HapticKind HapticKindOf(EffectKind kind);

// The first effect of the file the device accepts, or null.
std::unique_ptr<Effect> CreateEffect(std::shared_ptr<HapticDevice> device, const EffectFile& file,
    std::shared_ptr<const EffectGate> gate = nullptr);

} // namespace plat::input
