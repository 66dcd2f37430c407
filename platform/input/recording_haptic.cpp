#include "platform/input/recording_haptic.h"

#include <algorithm>

namespace plat::input {

bool RecordingHaptic::Supports(HapticKind kind) const
{
    return std::find(m_refused.begin(), m_refused.end(), kind) == m_refused.end();
}

int RecordingHaptic::CreateEffect(const HapticEffect& effect)
{
    if (!Supports(effect.kind))
        return -1;
    int id = int(created.size());
    created.push_back(effect);
    calls.push_back({ CallKind::Create, id, 0 });
    return id;
}

bool RecordingHaptic::RunEffect(int id, uint32_t iterations)
{
    calls.push_back({ CallKind::Run, id, iterations });
    return true;
}

bool RecordingHaptic::StopEffect(int id)
{
    calls.push_back({ CallKind::Stop, id, 0 });
    return true;
}

void RecordingHaptic::DestroyEffect(int id)
{
    calls.push_back({ CallKind::Destroy, id, 0 });
}

void RecordingHaptic::StopAll()
{
    calls.push_back({ CallKind::StopAll, -1, 0 });
}

bool RecordingHaptic::SetAutocenter(bool on)
{
    calls.push_back({ CallKind::Autocenter, -1, on ? 1u : 0u });
    return true;
}

} // namespace plat::input
