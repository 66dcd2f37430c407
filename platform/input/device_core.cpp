#include "platform/input/device_core.h"

#include "platform/input/device.h"
#include "platform/window/window.h"

namespace plat::input {

DeviceCore::DeviceCore()
{
    window::AddEventListener(*this, window::ListenerOrder::InputDevice);
}

DeviceCore::~DeviceCore()
{
    window::RemoveEventListener(*this);
}

window::Window* DeviceCore::BoundWindow() const
{
    return m_windowId ? window::FindWindow(m_windowId) : nullptr;
}

uint32_t DeviceCore::NextSequence()
{
    static uint32_t sequence = 0;
    return ++sequence;
}

Result DeviceCore::SetCooperativeLevel(window::Window& window, Cooperation flags)
{
    bool exclusive = HasFlag(flags, Cooperation::Exclusive);
    bool foreground = HasFlag(flags, Cooperation::Foreground);
    if (exclusive == HasFlag(flags, Cooperation::NonExclusive)
        || foreground == HasFlag(flags, Cooperation::Background))
        return Result::InvalidParam;
    if (m_acquired)
        return Result::InvalidParam; // as on the platform: set before acquiring
    m_windowId = window.Id();
    m_cooperation = flags;
    return Result::Ok;
}

Result DeviceCore::SetBufferSize(uint32_t events)
{
    if (events > kMaxBufferSize)
        return Result::InvalidParam;
    m_bufferSize = events;
    while (m_buffer.size() > m_bufferSize)
        m_buffer.pop_front();
    return Result::Ok;
}

Result DeviceCore::Acquire()
{
    if (m_acquired)
        return Result::Ok;
    if (!Attached())
        return Result::Unplugged;
    if (HasFlag(m_cooperation, Cooperation::Foreground)) {
        window::Window* window = BoundWindow();
        if (!window || !window->IsFocused())
            return Result::OtherAppHasPriority;
    }
    m_acquired = true;
    m_lostPending = false;
    m_releasesPending = !DeliverReleases();
    OnAcquired();
    return Result::Ok;
}

Result DeviceCore::Unacquire()
{
    m_lostPending = false;
    if (!m_acquired)
        return Result::Ok;
    m_acquired = false;
    m_buffer.clear();
    m_overflowed = false;
    OnUnacquired();
    return Result::Ok;
}

void DeviceCore::Lose()
{
    if (!m_acquired)
        return;
    Unacquire();
    m_lostPending = true;
}

Result DeviceCore::NotAcquiredResult()
{
    if (m_lostPending) {
        m_lostPending = false;
        return Result::InputLost;
    }
    return Result::NotAcquired;
}

void DeviceCore::Push(uint32_t offset, int32_t data, uint32_t time, uint32_t sequence)
{
    if (!m_acquired || m_bufferSize == 0)
        return;
    if (m_buffer.size() >= m_bufferSize) {
        m_overflowed = true;
        return;
    }
    m_buffer.push_back({ offset, data, sequence, time });
}

void DeviceCore::SetSwitch(uint32_t offset, bool down, uint32_t time, uint32_t sequence)
{
    if (offset >= m_down.size())
        return;
    m_isSwitch[offset] = true;
    m_down[offset] = down;
    Push(offset, down ? 0x80 : 0x00, time, sequence);
}

bool DeviceCore::DeliverReleases()
{
    std::array<bool, 256> shown = m_readDown;
    for (const DeviceEvent& e : m_buffer) {
        if (e.offset < shown.size() && m_isSwitch[e.offset])
            shown[e.offset] = (e.data & 0x80) != 0;
    }
    uint32_t time = SDL_GetTicks();
    uint32_t sequence = NextSequence();
    for (uint32_t offset = 0; offset < shown.size(); ++offset) {
        if (!shown[offset] || m_down[offset])
            continue;
        if (m_bufferSize == 0) {
            m_readDown[offset] = false; // no buffer: nothing to deliver, the state read shows it
            continue;
        }
        if (m_buffer.size() >= m_bufferSize)
            return false;
        m_buffer.push_back({ offset, 0x00, sequence, time });
    }
    return true;
}

Result DeviceCore::GetDeviceData(DeviceEvent* events, uint32_t& count)
{
    if (!m_acquired) {
        count = 0;
        return NotAcquiredResult();
    }
    uint32_t taken = 0;
    while (taken < count && !m_buffer.empty()) {
        const DeviceEvent& e = m_buffer.front();
        if (e.offset < m_readDown.size() && m_isSwitch[e.offset])
            m_readDown[e.offset] = (e.data & 0x80) != 0;
        if (events)
            events[taken] = e;
        m_buffer.pop_front();
        ++taken;
    }
    count = taken;
    Result result = Result::Ok;
    if (m_overflowed) {
        m_overflowed = false;
        m_releasesPending = true;
        result = Result::BufferOverflow;
    }
    if (m_releasesPending)
        m_releasesPending = !DeliverReleases();
    return result;
}

void DeviceCore::OnSdlEvent(const void* sdlEvent)
{
    const SDL_Event& event = *static_cast<const SDL_Event*>(sdlEvent);
    if (m_acquired && HasFlag(m_cooperation, Cooperation::Foreground)) {
        window::Window* window = BoundWindow();
        if (!window || !window->IsFocused())
            Lose();
    }
    HandleEvent(event);
}

// Device forwards to its core.
Device::Device(std::unique_ptr<DeviceCore> core)
    : m_core(std::move(core))
{
}
Device::~Device()
{
    if (m_core)
        m_core->Unacquire();
}
Result Device::SetCooperativeLevel(window::Window& window, Cooperation flags)
{
    return m_core->SetCooperativeLevel(window, flags);
}
Result Device::SetBufferSize(uint32_t events)
{
    return m_core->SetBufferSize(events);
}
Result Device::Acquire()
{
    return m_core->Acquire();
}
Result Device::Unacquire()
{
    return m_core->Unacquire();
}
bool Device::IsAcquired() const
{
    return m_core->IsAcquired();
}
Result Device::GetDeviceData(DeviceEvent* events, uint32_t& count)
{
    return m_core->GetDeviceData(events, count);
}

} // namespace plat::input
