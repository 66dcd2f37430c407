// Inside the input layer: acquisition, the event buffer and the true state of switches (keys and
// buttons) that every device shares. Includes SDL.
#pragma once

#include "platform/input/input.h"
#include "platform/window/event_listener.h"

#include <SDL2/SDL.h>

#include <array>
#include <deque>

namespace plat::window {
class Window;
}

namespace plat::input {

class DeviceCore : public window::EventListener {
public:
    DeviceCore();
    virtual ~DeviceCore();

    Result SetCooperativeLevel(window::Window& window, Cooperation flags);
    Result SetBufferSize(uint32_t events);
    Result Acquire();
    Result Unacquire();
    bool IsAcquired() const { return m_acquired; }
    Result GetDeviceData(DeviceEvent* events, uint32_t& count);

    void OnSdlEvent(const void* sdlEvent) final;

protected:
    // The answer of a read while unacquired: InputLost once after a loss, then NotAcquired.
    Result NotAcquiredResult();
    // Unacquires because the focus went or the device was unplugged.
    void Lose();
    // Records a switch's true state and, while acquired, buffers its event.
    void SetSwitch(uint32_t offset, bool down, uint32_t time, uint32_t sequence);
    bool SwitchDown(uint32_t offset) const { return offset < m_down.size() && m_down[offset]; }
    void Push(uint32_t offset, int32_t data, uint32_t time, uint32_t sequence);
    window::Window* BoundWindow() const;
    bool Exclusive() const { return HasFlag(m_cooperation, Cooperation::Exclusive); }
    static uint32_t NextSequence();

    virtual void HandleEvent(const SDL_Event& event) = 0;
    virtual bool Attached() const { return true; }
    virtual void OnAcquired() { }
    virtual void OnUnacquired() { }

private:
    // Buffers release events for switches the program saw down that are up now; false when the
    // buffer had no room for all of them.
    bool DeliverReleases();

    uint32_t m_windowId = 0;
    Cooperation m_cooperation = Cooperation::None;
    bool m_acquired = false;
    bool m_lostPending = false;
    uint32_t m_bufferSize = 0;
    std::deque<DeviceEvent> m_buffer;
    bool m_overflowed = false;
    bool m_releasesPending = false;
    std::array<bool, 256> m_down {}; // true state from every event
    std::array<bool, 256> m_readDown {}; // as the events the program has read show it
    std::array<bool, 256> m_isSwitch {};
};

} // namespace plat::input
