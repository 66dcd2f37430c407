// The sound device: one output of 44100 Hz, 2 channels, 16 bits, and the buffers made on it.
// Either the default device, or a loopback device that renders only when asked (tests).
// One device is open at a time; buffers keep its state alive after the device is released.
#pragma once

#include "platform/sound/buffer.h"
#include "platform/sound/types.h"

#include <cstdint>
#include <memory>
#include <string>

namespace plat::sound {

namespace detail {
struct DeviceState;
}

enum class DeviceKind {
    Default,
    Loopback, // renders on demand through Device::Render
    Unavailable, // every open fails, as on a machine without a sound card
};

// What the next Device::Create opens; process-wide, for tests. Starts as Default.
void SetDeviceKind(DeviceKind kind);
DeviceKind GetDeviceKind();

inline constexpr uint32_t kOutputRate = 44100;
inline constexpr uint16_t kOutputChannels = 2;

class Device {
public:
    static Result Create(std::unique_ptr<Device>& out);
    // Why the last Create failed, in words for people ("no output device"); empty after a success.
    static const std::string& LastFailure();
    ~Device();
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    Result CreatePrimaryBuffer(std::unique_ptr<PrimaryBuffer>& out);
    Result CreateBuffer(const BufferDesc& desc, std::unique_ptr<Buffer>& out);
    // A new source on the same data; nothing is copied.
    Result DuplicateBuffer(const Buffer& original, std::unique_ptr<Buffer>& out);

    bool IsLoopback() const;
    // Loopback only: mixes `frames` stereo frames of 16-bit samples into `out`.
    Result Render(int16_t* out, uint32_t frames);

private:
    explicit Device(std::shared_ptr<detail::DeviceState> state);
    std::shared_ptr<detail::DeviceState> m_state;
};

} // namespace plat::sound
