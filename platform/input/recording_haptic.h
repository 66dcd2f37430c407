// A haptic device that records what it is asked, for tests without force-feedback hardware.
#pragma once

#include "platform/input/haptic.h"

#include <vector>

namespace plat::input {

class RecordingHaptic : public HapticDevice {
public:
    enum class CallKind {
        Create,
        Run,
        Stop,
        Destroy,
        StopAll,
        Autocenter,
    };
    struct Call {
        CallKind kind;
        int id;
        uint32_t value; // Run: iterations; Autocenter: 1 on
        bool operator==(const Call&) const = default;
    };

    // Accepts every kind but the refused ones.
    explicit RecordingHaptic(std::vector<HapticKind> refused = {})
        : m_refused(std::move(refused))
    {
    }

    bool Supports(HapticKind kind) const override;
    int CreateEffect(const HapticEffect& effect) override;
    bool RunEffect(int id, uint32_t iterations) override;
    bool StopEffect(int id) override;
    void DestroyEffect(int id) override;
    void StopAll() override;
    bool SetAutocenter(bool on) override;

    std::vector<HapticEffect> created;
    std::vector<Call> calls;

private:
    std::vector<HapticKind> m_refused;
};

} // namespace plat::input
