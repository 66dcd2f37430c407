// What every input device shares: cooperation with a window, acquisition, the event buffer.
#pragma once

#include "platform/input/input.h"

#include <memory>

namespace plat::window {
class Window;
}

namespace plat::input {

class DeviceCore;

class Device {
public:
    virtual ~Device();
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    // Without a cooperative level a device is background and non-exclusive.
    Result SetCooperativeLevel(window::Window& window, Cooperation flags);
    // Events kept between reads, at most kMaxBufferSize; 0 (the start) keeps none.
    Result SetBufferSize(uint32_t events);
    // A foreground device without the focus answers OtherAppHasPriority. Acquiring delivers release
    // events for whatever the program last saw down that is up now.
    Result Acquire();
    Result Unacquire();
    bool IsAcquired() const;
    // Takes at most count events (count becomes the number taken); null events discards them. After an
    // overflow the read answers BufferOverflow once, and release events for keys let go meanwhile follow.
    Result GetDeviceData(DeviceEvent* events, uint32_t& count);

protected:
    explicit Device(std::unique_ptr<DeviceCore> core);
    std::unique_ptr<DeviceCore> m_core;
};

} // namespace plat::input
